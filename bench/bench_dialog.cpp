// The dialog at size, headless: opening it (every start step, then closing at once), checking
// and unchecking "Desktop Editors", and the full save after Clear all, on the shipped default
// configuration and on configurations 10 and 1,000 times its size (every component copied
// under new names, which the map links to the same editors).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <utility>

#include <sys/wait.h>
#include <unistd.h>

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

// Selects the configuration `scale` times the default's size (built once per run).
int UseConfiguration(int scale) {
    const std::string root = "HKEY_CURRENT_USER\\Software\\Veltrane\\Bench\\x" + std::to_string(scale);
    ::setenv("DIAGS_LOG_CONFIG_ROOT", root.c_str(), 1);
    static std::map<int, int> outputs;
    if (const auto it = outputs.find(scale); it != outputs.end()) return it->second;

    const hostconfig::LogConfigNodePtr config = hostconfig::LogConfiguration::Create();  // the default
    std::vector<registry::KeyChange> copies;
    int count = 0;
    for (const hostconfig::LogConfigNodePtr& component : config->Children()) {
        for (const hostconfig::LogConfigNodePtr& output : component->Children()) {
            ++count;
            for (int copy = 1; copy < scale; ++copy) {
                registry::KeyChange change{root + "\\" + component->Name() + " #" + std::to_string(copy) + "\\" +
                                               output->Name(),
                                           false, {}};
                for (std::int32_t index : {0, 2, 3, 4, 5, 6, 7, 8})
                    change.values.push_back({std::string(hostconfig::PropertyValueName(index)),
                                             hostconfig::ToRegistry(index, output->Property(index))});
                copies.push_back(std::move(change));
            }
        }
    }
    if (!copies.empty() && !registry::NativeStore().Apply(copies).ok()) std::abort();
    return outputs[scale] = count * scale;
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

template <class Action>
double Timed(Action&& action) {
    const auto start = std::chrono::steady_clock::now();
    action();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_FormLoad(benchmark::State& state) {
    const int outputs = UseConfiguration(static_cast<int>(state.range(0)));
    for (auto _ : state) WithDialog([](frmDiagsConfig&) { return 0.0; });
    state.counters["outputs"] = outputs;
}

void BM_CheckDesktopEditors(benchmark::State& state) {
    const int outputs = UseConfiguration(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.SetIterationTime(WithDialog([](frmDiagsConfig& d) {
            return Timed([&] { d.tvTrace.UserToggleCheck(d.tvTrace.Item("Desktop Editors")); });
        }));
    }
    state.counters["outputs"] = outputs;
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
    state.counters["outputs"] = outputs;
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
    state.counters["outputs"] = outputs;
}

void BM_ReadConfiguration(benchmark::State& state) {
    const int outputs = UseConfiguration(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(hostconfig::LogConfiguration::Create());
    state.counters["outputs"] = outputs;
}

// The benchmarks of one size, in a process of their own with a registry file of its own, so
// a small configuration is not read from a file that also holds the large ones.
void RunScale(int scale, int argc, char** argv) {
    // Before anything reads the registry: its file is chosen once per process.
    ::setenv("DIAGS_REGISTRY_FILE", (BenchDir() + "/registry-x" + std::to_string(scale) + ".reg").c_str(), 1);
    NobodyThere nobody;
    platform::ScopedPart<platform::Interaction> quiet(&platform::Platform::interaction, nobody);
    (void)registry::NativeStore().Apply({registry::KeyChange{
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltrane\\Common Files", false, {{"Path", registry::RegValue::Text(BenchDir())}}}});
    const int iterations = scale >= 1000 ? 3 : 20;
    const std::string x = "/" + std::to_string(scale);
    benchmark::RegisterBenchmark(("BM_ReadConfiguration" + x).c_str(), BM_ReadConfiguration)
        ->Arg(scale)->Iterations(iterations)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("BM_FormLoad" + x).c_str(), BM_FormLoad)
        ->Arg(scale)->Iterations(iterations)->Unit(benchmark::kMillisecond);
    using Function = void (*)(benchmark::State&);
    for (auto [name, function] : {std::pair<std::string, Function>{"BM_CheckDesktopEditors", BM_CheckDesktopEditors},
                                  std::pair<std::string, Function>{"BM_UncheckDesktopEditors", BM_UncheckDesktopEditors},
                                  std::pair<std::string, Function>{"BM_SaveAfterClearAll", BM_SaveAfterClearAll}})
        benchmark::RegisterBenchmark((name + x).c_str(), function)
            ->Arg(scale)->Iterations(iterations)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}

}  // namespace

int main(int argc, char** argv) {
    std::fclose(std::fopen((BenchDir() + "/help.htm").c_str(), "w"));
    ::setenv("DIAGS_HELP_FILE", (BenchDir() + "/help.htm").c_str(), 1);
    int failed = 0;
    for (int scale : {1, 10, 1000}) {
        const pid_t child = ::fork();
        if (child == 0) {
            RunScale(scale, argc, argv);
            std::fflush(nullptr);
            ::_exit(0);
        }
        int status = 0;
        if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            ++failed;
    }
    std::error_code ignored;
    std::filesystem::remove_all(BenchDir(), ignored);
    return failed == 0 ? 0 : 1;
}
