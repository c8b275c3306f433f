// The dialog at size, headless: opening it (every start step, then closing at once), checking
// and unchecking "Desktop Editors", and the full save after Clear all, on the shipped default
// configuration and on configurations 10 and 1,000 times its size (every component copied
// under new names, which the map links to the same editors).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>

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
    if (dialog.FormLoad(error) == ResultCode::Failure) std::abort();
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

BENCHMARK(BM_FormLoad)->Arg(1)->Arg(10)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckDesktopEditors)->Arg(1)->Arg(10)->Arg(1000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UncheckDesktopEditors)->Arg(1)->Arg(10)->Arg(1000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveAfterClearAll)->Arg(1)->Arg(10)->Arg(1000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    // A registry of the run's own, and the product's log folder inside it.
    ::setenv("DIAGS_REGISTRY_FILE", (BenchDir() + "/registry.reg").c_str(), 1);
    (void)registry::NativeStore().Apply({registry::KeyChange{
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltrane\\Common Files", false, {{"Path", registry::RegValue::Text(BenchDir())}}}});
    NobodyThere nobody;
    platform::ScopedPart<platform::Interaction> quiet(&platform::Platform::interaction, nobody);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(BenchDir(), ignored);
    return 0;
}
