// The dialog at size, headless: opening it (every start step, then closing at once), checking
// and unchecking "Desktop Editors", and the full save after Clear all, on the shipped default
// configuration and on configurations 10, 100 and 1,000 times its size (every component
// copied under new names, which the map links to the same editors).
//
// Each size runs in processes of its own with a registry file of its own: one builds the
// configuration, one reads it and opens the dialog (its peak memory is reported as peak_MB:
// what a process that loads the dialog needs), one runs the rest. DIAGS_BENCH_SCALES=1,100
// runs only those sizes.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <sys/resource.h>
#include <time.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Growth.h"
#include "dialog/frmDiagsConfig.h"
#include "hostconfig/LogConfiguration.h"
#include "hostconfig/Properties.h"
#include "platform/Platform.h"
#include "platform/registry/Store.h"

namespace {

using namespace diags;
namespace registry = platform::registry;

std::string BenchDir() {
    static const std::string dir = [] {
        const auto path = std::filesystem::temp_directory_path() / ("diags-bench-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(path / "Log");
        return path.string();
    }();
    return dir;
}

// Nobody at the screen: every question is answered No, every notice OK.
class NobodyThere final : public platform::Interaction {
public:
    std::int32_t ShowMessage(std::string_view, std::int32_t style, std::string_view) override {
        return (style & 0xF) == 3 ? platform::mb::kNo : platform::mb::kOk;
    }
    std::optional<std::string> BrowseForFolder(platform::WindowHandle, std::string_view, std::uint32_t) override {
        return std::nullopt;
    }
    void SendKeys(std::string_view) override {}
    std::int16_t AsyncKeyState(std::int32_t) override { return 0; }
    std::int16_t MousePointer() override { return 0; }
    void SetMousePointer(std::int16_t) override {}
};

// Selects the configuration `scale` times the default's size and returns its outputs; with
// `build`, first makes it (the default configuration with every component copied).
int UseConfiguration(int scale, bool build = false) {
    const std::string root = "HKEY_CURRENT_USER\\Software\\Veltrane\\Bench\\x" + std::to_string(scale);
    ::setenv("DIAGS_LOG_CONFIG_ROOT", root.c_str(), 1);
    const std::string countFile = BenchDir() + "/outputs-x" + std::to_string(scale);
    if (!build) {
        int count = 0;
        std::FILE* in = std::fopen(countFile.c_str(), "r");
        if (in == nullptr || std::fscanf(in, "%d", &count) != 1) std::abort();
        std::fclose(in);
        return count;
    }

    const hostconfig::LogConfigNodePtr config = hostconfig::LogConfiguration::Create();  // the default
    std::vector<registry::KeyChange> copies;
    int count = 0;
    for (const hostconfig::LogConfigNodePtr& component : config->Children()) {
        for (const hostconfig::LogConfigNodePtr& output : component->Children()) {
            ++count;
            for (int copy = 1; copy < scale; ++copy) {
                registry::KeyChange change{root + "\\" + std::string(component->Name()) + " #" + std::to_string(copy) + "\\" +
                                               std::string(output->Name()),
                                           false, {}};
                for (std::int32_t index : {0, 2, 3, 4, 5, 6, 7, 8})
                    change.values.push_back({std::string(hostconfig::PropertyValueName(index)),
                                             hostconfig::ToRegistry(index, output->Property(index))});
                copies.push_back(std::move(change));
            }
        }
    }
    if (!copies.empty() && !registry::NativeStore().Apply(copies).ok()) std::abort();
    std::FILE* out = std::fopen(countFile.c_str(), "w");
    std::fprintf(out, "%d\n", count * scale);
    std::fclose(out);
    return count * scale;
}

// Opens the dialog on the configuration; `work` runs while it is shown and returns the
// seconds it measured; the dialog is then closed without saving.
double WithDialog(const std::function<double(frmDiagsConfig&)>& work) {
    frmDiagsConfig dialog;
    double seconds = 0;
    dialog.SetModalLoop([&](forms::Form&) {
        seconds = work(dialog);
        dialog.mbSaved = true;
        dialog.UserClose();
    });
    ErrorRef error;
    if (dialog.FormLoad(error) == ResultCode::Failure) {
        std::fprintf(stderr, "the dialog did not start: %s\n", error ? error->description.c_str() : "?");
        std::abort();
    }
    return seconds;
}

double ThreadCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The action's CPU time, summed over a benchmark's iterations: the wall time of a save waits
// for the disk and, on a shared machine, for other work.
double timedCpuSeconds = 0;

// Returns the action's wall time.
template <class Action>
double Timed(Action&& action) {
    const double cpu = ThreadCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    action();
    timedCpuSeconds += ThreadCpuSeconds() - cpu;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void TimedCounters(benchmark::State& state, int outputs) {
    state.counters["outputs"] = outputs;
    state.counters["action_cpu_ms"] = 1000.0 * std::exchange(timedCpuSeconds, 0.0) / static_cast<double>(state.iterations());
}

double PeakMegabytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_FormLoad(benchmark::State& state) {
    const int outputs = UseConfiguration(static_cast<int>(state.range(0)));
    for (auto _ : state) WithDialog([](frmDiagsConfig&) { return 0.0; });
    state.counters["outputs"] = outputs;
    state.counters["peak_MB"] = PeakMegabytes();
}

void BM_CheckDesktopEditors(benchmark::State& state) {
    const int outputs = UseConfiguration(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.SetIterationTime(WithDialog([](frmDiagsConfig& d) {
            return Timed([&] { d.tvTrace.UserToggleCheck(d.tvTrace.Item("Desktop Editors")); });
        }));
    }
    TimedCounters(state, outputs);
}

void BM_UncheckDesktopEditors(benchmark::State& state) {
    const int outputs = UseConfiguration(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.SetIterationTime(WithDialog([](frmDiagsConfig& d) {
            forms::Node& editors = d.tvTrace.Item("Desktop Editors");
            d.tvTrace.UserToggleCheck(editors);
            return Timed([&] { d.tvTrace.UserToggleCheck(editors); });
        }));
    }
    TimedCounters(state, outputs);
}

void BM_SaveAfterClearAll(benchmark::State& state) {
    const int outputs = UseConfiguration(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.SetIterationTime(WithDialog([](frmDiagsConfig& d) {
            d.abMenuBar.UserClickTool("mnuToolBar", "mnuClearAll");
            ErrorRef error;
            return Timed([&] {
                if (d.SaveGUIValues(error) != ResultCode::Success) std::abort();
            });
        }));
    }
    TimedCounters(state, outputs);
}

void BM_ReadConfiguration(benchmark::State& state) {
    const int outputs = UseConfiguration(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(hostconfig::LogConfiguration::Create());
    state.counters["outputs"] = outputs;
    state.counters["peak_MB"] = PeakMegabytes();  // the first in its process: the store and one configuration
}

enum class Part { Build, Load, Rest };

// One part of the benchmarks of one size (see the top of the file).
void RunScale(int scale, Part part, int argc, char** argv) {
    // Before anything reads the registry: its file is chosen once per process.
    ::setenv("DIAGS_REGISTRY_FILE", (BenchDir() + "/registry-x" + std::to_string(scale) + ".reg").c_str(), 1);
    NobodyThere nobody;
    platform::ScopedPart<platform::Interaction> quiet(&platform::Platform::interaction, nobody);
    if (part == Part::Build) {
        (void)registry::NativeStore().Apply({registry::KeyChange{
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltrane\\Common Files", false, {{"Path", registry::RegValue::Text(BenchDir())}}}});
        UseConfiguration(scale, true);
        return;
    }
    const int iterations = scale >= 1000 ? 3 : scale >= 100 ? 5 : 20;
    const std::string x = "/" + std::to_string(scale);
    if (part == Part::Load) {
        benchmark::RegisterBenchmark(("BM_FormLoad" + x).c_str(), BM_FormLoad)
            ->Arg(scale)->Iterations(iterations)->Unit(benchmark::kMillisecond);
    } else {
        benchmark::RegisterBenchmark(("BM_ReadConfiguration" + x).c_str(), BM_ReadConfiguration)
            ->Arg(scale)->Iterations(iterations)->Unit(benchmark::kMillisecond);
        using Function = void (*)(benchmark::State&);
        for (auto [name, function] :
             {std::pair<std::string, Function>{"BM_CheckDesktopEditors", BM_CheckDesktopEditors},
              std::pair<std::string, Function>{"BM_UncheckDesktopEditors", BM_UncheckDesktopEditors},
              std::pair<std::string, Function>{"BM_SaveAfterClearAll", BM_SaveAfterClearAll}})
            benchmark::RegisterBenchmark((name + x).c_str(), function)
                ->Arg(scale)->Iterations(iterations)->UseManualTime()->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    bench::GrowthReporter reporter;
    reporter.PrintAtEnd(false);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    bench::AppendGrowth(BenchDir() + "/growth.tsv", reporter.Points());
}

}  // namespace

int main(int argc, char** argv) {
    std::fclose(std::fopen((BenchDir() + "/help.htm").c_str(), "w"));
    ::setenv("DIAGS_HELP_FILE", (BenchDir() + "/help.htm").c_str(), 1);
    // DIAGS_BENCH_SCALES picks sizes ("1,100"); all four by default.
    std::vector<int> scales{1, 10, 100, 1000};
    if (const char* only = std::getenv("DIAGS_BENCH_SCALES")) {
        scales.clear();
        for (const char* p = only; *p != '\0';) {
            char* end = nullptr;
            const long scale = std::strtol(p, &end, 10);
            if (end == p) break;
            if (scale >= 1) scales.push_back(static_cast<int>(scale));
            p = *end == ',' ? end + 1 : end;
        }
    }
    int failed = 0;
    for (int scale : scales)
        for (Part part : {Part::Build, Part::Load, Part::Rest}) {
            const pid_t child = ::fork();
            if (child == 0) {
                RunScale(scale, part, argc, argv);
                std::fflush(nullptr);
                ::_exit(0);
            }
            int status = 0;
            if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
                ++failed;
        }
    bench::PrintGrowth(bench::ReadGrowth(BenchDir() + "/growth.tsv"));
    std::error_code ignored;
    std::filesystem::remove_all(BenchDir(), ignored);
    return failed == 0 ? 0 : 1;
}
