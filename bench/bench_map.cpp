// Linking the diagnostics map to output collections of growing size: PopulateCheckedMap (one
// pass over the outputs) against the plain row-by-row scan it replaces.
//
//   bench_map --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "Growth.h"
#include "model/CDiagMap.h"

namespace {

using namespace diags;

// Outputs as a large host configuration has them: the map's components (each with several
// traces), the components of the task traces with their own trace names, and many components
// the map does not know. Keys are component name + trace name.
OutputCollection MakeOutputs(std::int64_t count) {
    CDiagMap map;
    map.InitializeDiagMapDefs();
    std::vector<std::pair<std::string, std::string>> known;
    for (const auto& module : map.EditorMapRows())
        if (!module.empty()) known.emplace_back(module, "Trace");
    for (const auto& trace : map.TaskMapRows())
        if (!trace.empty()) known.emplace_back(trace.substr(0, trace.find(" - ")), trace.substr(trace.find(" - ") + 3));
    const char* traceNames[] = {"Process Tracing", "Object Tracing", "Content Source Tracing", "SQL Tracing"};

    OutputCollection outputs;
    for (std::int64_t i = 0; i < count; ++i) {
        auto output = std::make_shared<COutput>();
        const std::int64_t kind = i % 4;
        if (kind == 0) {  // a trace the map names exactly
            const auto& [component, trace] = known[static_cast<std::size_t>(i / 4) % known.size()];
            output->Parent = component;
            output->Name = trace;
        } else if (kind == 1) {  // another trace of a known component
            output->Parent = known[static_cast<std::size_t>(i) % known.size()].first;
            output->Name = std::string(traceNames[i % 4]);
        } else {  // components the map does not know
            output->Parent = "ZEL Server" + std::to_string(i % 997) + "Lib";
            output->Name = std::string(traceNames[i % 4]);
        }
        output->Name += " " + std::to_string(i);  // every Key distinct
        if (kind == 0 && i < static_cast<std::int64_t>(known.size()) * 4) output->Name.resize(output->Name.rfind(' '));
        output->Key = output->Parent + output->Name;
        const std::string key = output->Key;
        outputs.Add(std::move(output), key);
    }
    return outputs;
}

void Unlink(const CDiagMap& map, const OutputCollection& outputs) {
    for (const auto& s : *map.AllTraceSettings()) s->RemoveLinkedOutputs();
    for (const auto& o : outputs) o->RemoveLinkedTraceSettings();
}

std::int64_t CountLinks(const CDiagMap& map) {
    std::int64_t links = 0;
    for (const auto& s : *map.AllTraceSettings()) links += s->LinkedOutputs()->Count();
    return links;
}

void BM_PopulateCheckedMap(benchmark::State& state) {
    const OutputCollection outputs = MakeOutputs(state.range(0));
    std::int64_t links = 0;
    for (auto _ : state) {
        CDiagMap map;
        map.InitializeDiagMapDefs();
        map.PopulateCheckedMap(outputs);
        state.PauseTiming();
        links = CountLinks(map);
        Unlink(map, outputs);
        state.ResumeTiming();
    }
    state.counters["links"] = static_cast<double>(links);
    state.counters["per_output"] = benchmark::Counter(static_cast<double>(state.range(0)),
                                                      benchmark::Counter::kIsIterationInvariantRate |
                                                          benchmark::Counter::kInvert);
}

// The row-by-row scan: every (row, editor) pair searches the whole collection.
void BM_RowByRowScan(benchmark::State& state) {
    const OutputCollection outputs = MakeOutputs(state.range(0));
    for (auto _ : state) {
        CDiagMap map;
        map.InitializeDiagMapDefs();
        const auto rows = map.EditorMapRows(), bits = map.EditorMapBits(), cols = map.EditorMapCols();
        for (std::size_t r = 0; r + 1 < rows.size(); ++r)
            for (std::size_t k = 1; k < cols.size(); ++k)
                if (bits[r][k - 1] == '1') {
                    map.AddTraceSetting(cols[k - 1]);
                    map.LinkTraceSettings2Modules(rows[r], cols[k - 1], outputs);
                }
        const auto traces = map.TaskMapRows(), traceBits = map.TaskMapBits(), tasks = map.TaskMapCols();
        for (std::size_t r = 0; r + 1 < traces.size(); ++r)
            for (std::size_t k = 1; k < tasks.size(); ++k)
                if (traceBits[r][k - 1] == '1') {
                    map.AddTraceSetting(tasks[k - 1]);
                    map.LinkTraceSettings2Modules2(traces[r], tasks[k - 1], outputs);
                }
        state.PauseTiming();
        Unlink(map, outputs);
        state.ResumeTiming();
    }
    state.counters["per_output"] = benchmark::Counter(static_cast<double>(state.range(0)),
                                                      benchmark::Counter::kIsIterationInvariantRate |
                                                          benchmark::Counter::kInvert);
}

BENCHMARK(BM_PopulateCheckedMap)->RangeMultiplier(10)->Range(100, 100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RowByRowScan)->RangeMultiplier(10)->Range(100, 100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return diags::bench::RunWithGrowth(argc, argv); }
