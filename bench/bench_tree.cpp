// The tree view model at the sizes a large host configuration gives the module tree: filling
// folders with their outputs, switching sorting on, finding nodes by key, and a user's check
// toggle (hit test included) deep in the tree.
//
//   bench_tree --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "Growth.h"
#include "forms/TreeView.h"

namespace {

using diags::forms::Node;
using diags::forms::TreeView;

// `count` nodes: folders of 99 outputs each, keyed as the module tree keys them.
void Fill(TreeView& tree, std::int64_t count) {
    for (std::int64_t folder = 0; tree.Count() < count; ++folder) {
        const std::string name = "ZEL Component " + std::to_string(folder);
        Node& parent = tree.AddRoot(name, name, "ClosedFolder");
        for (int trace = 0; trace < 99 && tree.Count() < count; ++trace)
            tree.AddChild(parent, name + "Trace " + std::to_string(trace), "Trace " + std::to_string(trace),
                          "ICON_KEY_STOP");
    }
}

void BM_FillAndSort(benchmark::State& state) {
    for (auto _ : state) {
        TreeView tree("tvModules");
        Fill(tree, state.range(0));
        tree.SetSorted(true);
        benchmark::DoNotOptimize(tree.FirstRoot());
    }
    state.counters["nodes/s"] = benchmark::Counter(static_cast<double>(state.range(0)) * state.iterations(),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FillAndSort)->RangeMultiplier(10)->Range(100, 100000)->Unit(benchmark::kMillisecond);

void BM_FindByKey(benchmark::State& state) {
    TreeView tree("tvModules");
    Fill(tree, state.range(0));
    std::vector<std::string> keys;
    for (int i = 0; i < 1000; ++i) keys.emplace_back(tree.Item(1 + (i * 7919) % tree.Count()).Key());
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(tree.Find(keys[i++ % keys.size()]));
    state.counters["per_call"] = 1;
}
BENCHMARK(BM_FindByKey)->RangeMultiplier(10)->Range(100, 100000);

void BM_UserToggleDeepNode(benchmark::State& state) {
    TreeView tree("tvTrace");
    tree.SetCheckboxes(true);
    tree.Move(180, 500, 3300, 6000);
    Fill(tree, state.range(0));
    Node& last = tree.Item(tree.Count());
    tree.MouseDown.Connect([&](std::int16_t, std::int16_t, float x, float y) { tree.SetSelectedItem(tree.HitTest(x, y)); });
    for (auto _ : state) tree.UserToggleCheck(last);
    state.counters["per_call"] = 1;
}
BENCHMARK(BM_UserToggleDeepNode)->RangeMultiplier(10)->Range(100, 100000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return diags::bench::RunWithGrowth(argc, argv); }
