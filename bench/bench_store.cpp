// The log configuration store at size: loading configurations of 100, 1,000, 10,000 and
// 100,000 outputs (the store's first parse alone, and the log configuration read over it),
// saving all of them (as one commit, and node by node as the dialog does after "Clear all",
// each save flushed or all in one SaveBatch), and saving one node in the largest
// configuration. The first parse is set against what the machine can do with the same file:
// read it whole and decode its UTF-16 into UTF-8.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "Growth.h"
#include "hostconfig/LogConfiguration.h"
#include "hostconfig/SaveBatch.h"
#include "platform/registry/Encoding.h"
#include "platform/registry/FileIo.h"
#include "platform/registry/FileStore.h"

namespace {

namespace registry = diags::platform::registry;
using diags::hostconfig::LogConfiguration;
namespace prop = diags::hostconfig::prop;

const std::string kRoot = "HKEY_CURRENT_USER\\Software\\Veltrane\\Log Configuration";

std::string BenchDir() {
    static const std::string dir = [] {
        std::random_device rd;
        auto path = std::filesystem::temp_directory_path() / ("diags-bench-" + std::to_string(rd()));
        std::filesystem::create_directories(path);
        return path.string();
    }();
    return dir;
}

// A configuration of `outputs` outputs, 10 per component, every value set.
std::vector<registry::KeyChange> Configuration(int outputs) {
    std::vector<registry::KeyChange> changes;
    for (int i = 0; i < outputs; ++i) {
        registry::KeyChange c;
        c.path = kRoot + "\\ZEL Component" + std::to_string(i / 10) + "\\Trace " + std::to_string(i % 10);
        c.values = {{"DebugMonitor", registry::RegValue::Dword(0)},
                    {"LogToFile", registry::RegValue::Dword(1)},
                    {"AppendToFile", registry::RegValue::Dword(1)},
                    {"ErrorThreshold", registry::RegValue::Dword(1)},
                    {"FileName", registry::RegValue::Text("Trace.log")},
                    {"Directory", registry::RegValue::Text("C:\\Program Files\\Common Files\\Veltrane\\Log")},
                    {"FileSize", registry::RegValue::Text("24")},
                    {"CircularLogFile", registry::RegValue::Dword(0)}};
        changes.push_back(std::move(c));
    }
    return changes;
}

std::string Prepared(int outputs) {
    const std::string file = BenchDir() + "/load-" + std::to_string(outputs) + ".reg";
    if (!std::filesystem::exists(file)) {
        registry::FileStore store(file);
        if (!store.Apply(Configuration(outputs)).ok()) std::abort();
    }
    return file;
}

void Counters(benchmark::State& state, const std::string& file) {
    state.counters["outputs"] = static_cast<double>(state.range(0));
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
}

// The reference: the bare read of the file and the decoding of its text.
void BM_ReadAndDecode(benchmark::State& state) {
    const std::string file = Prepared(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        registry::io::File in;
        bool missing = false;
        std::string bytes, text;
        if (!registry::io::File::OpenRead(file, in, missing).ok() || missing || !in.ReadFrom(0, bytes).ok() ||
            !registry::Utf16LeToUtf8(std::string_view(bytes).substr(2), text))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(text.data());
    }
    Counters(state, file);
}

// The store's first parse: the registry in memory, nothing read from it yet. Releasing the
// registry afterwards is not timed.
void BM_FirstParse(benchmark::State& state) {
    const std::string file = Prepared(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto store = std::make_unique<registry::FileStore>(file);
        if (!store->Refresh().ok()) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(store->Tree().Children().size());
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
    Counters(state, file);
}

// The first parse and the log configuration read over it.
void BM_Load(benchmark::State& state) {
    const std::string file = Prepared(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        registry::FileStore store(file);
        auto root = LogConfiguration::Open(store, kRoot, false);
        benchmark::DoNotOptimize(root->Children().Count());
    }
    Counters(state, file);
}

void BM_SaveAllAsOneCommit(benchmark::State& state) {
    const auto changes = Configuration(static_cast<int>(state.range(0)));
    int round = 0;
    for (auto _ : state) {
        const std::string file = BenchDir() + "/all-" + std::to_string(round++) + ".reg";
        registry::FileStore store(file);
        if (!store.Apply(changes).ok()) state.SkipWithError("save failed");
        state.PauseTiming();
        std::filesystem::remove(file);
        state.ResumeTiming();
    }
}

// Every node saved on its own, each durable when its Save returns.
void BM_SaveEveryNode(benchmark::State& state) {
    const std::string source = Prepared(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        const std::string file = BenchDir() + "/nodes.reg";
        std::filesystem::copy_file(source, file, std::filesystem::copy_options::overwrite_existing);
        registry::FileStore store(file);
        auto root = LogConfiguration::Open(store, kRoot, false);
        state.ResumeTiming();
        for (const auto& component : root->Children())
            for (const auto& output : component->Children()) {
                output->SetProperty(prop::kLogToFile, false);
                output->Save();
            }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The same inside one SaveBatch: each node still its own commit, one flush at the end.
void BM_SaveEveryNodeInBatch(benchmark::State& state) {
    const std::string source = Prepared(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        const std::string file = BenchDir() + "/batch.reg";
        std::filesystem::copy_file(source, file, std::filesystem::copy_options::overwrite_existing);
        registry::FileStore store(file);
        auto root = LogConfiguration::Open(store, kRoot, false);
        state.ResumeTiming();
        diags::hostconfig::SaveBatch batch(*root);
        for (const auto& component : root->Children())
            for (const auto& output : component->Children()) {
                output->SetProperty(prop::kLogToFile, false);
                output->Save();
            }
        batch.Commit();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_SaveOneNodeIn100000(benchmark::State& state) {
    const std::string file = BenchDir() + "/one.reg";
    std::filesystem::copy_file(Prepared(100000), file, std::filesystem::copy_options::overwrite_existing);
    registry::FileStore store(file);
    auto root = LogConfiguration::Open(store, kRoot, false);
    auto node = root->Children().Item("ZEL Component5000")->Children().Item("Trace 5");
    bool on = false;
    for (auto _ : state) {
        node->SetProperty(prop::kDebugMonitor, on = !on);
        node->Save();
    }
}

BENCHMARK(BM_ReadAndDecode)->RangeMultiplier(10)->Range(100, 100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstParse)->RangeMultiplier(10)->Range(100, 100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->RangeMultiplier(10)->Range(100, 100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveAllAsOneCommit)->RangeMultiplier(10)->Range(100, 100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveEveryNode)->RangeMultiplier(10)->Range(100, 100000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveEveryNodeInBatch)->RangeMultiplier(10)->Range(100, 100000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveOneNodeIn100000)->Unit(benchmark::kMillisecond);

struct Cleanup {
    ~Cleanup() {
        std::error_code ec;
        std::filesystem::remove_all(BenchDir(), ec);
    }
} cleanup;

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    diags::bench::GrowthReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // Each first parse as a multiple of the bare read and decoding of the same file.
    std::map<double, double> reference, parse;
    for (const auto& p : reporter.Points()) {
        if (p.family == "BM_ReadAndDecode") reference[p.outputs] = p.nsPerOutput;
        if (p.family == "BM_FirstParse") parse[p.outputs] = p.nsPerOutput;
    }
    for (const auto& [outputs, ns] : parse)
        if (reference.contains(outputs))
            std::printf("first parse of %.0f outputs: %.2f times the bare read and decoding\n", outputs,
                        ns / reference[outputs]);
    benchmark::Shutdown();
    return 0;
}
