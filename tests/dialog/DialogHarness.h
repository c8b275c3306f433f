#pragma once
// Headless dialog runs over a real log configuration: every test gets a configuration of its
// own (the shipped default, installed under a fresh root key) whose log directories lie in a
// temporary folder; the person at the screen is scripted (message-box answers, the folder they
// choose, the mouse pointer they see); help and browser windows are recorded instead of
// opened; every trace line is recorded, so a test can count saves and logger refreshes.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <filesystem>
#include <cstdint>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "dialog/frmDiagsConfig.h"
#include "hostconfig/LogConfiguration.h"
#include "hostconfig/Properties.h"
#include "platform/registry/FileStore.h"
#include "platform/Platform.h"
#include "platform/registry/Store.h"
#include "services/ResourceStrings.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/TestSupport.h"
#include "tools/diagsconfig/Commands.h"

namespace diags::testing {

class RecordingShell final : public platform::Shell {
public:
    struct HelpCall {
        std::string file;
        std::uint32_t command;
        std::uintptr_t data;
    };
    std::intptr_t Execute(platform::WindowHandle, std::string_view, std::string_view target, std::string_view,
                          std::string_view, std::int32_t show) override {
        opened.emplace_back(target);
        lastShow = show;
        return 42;
    }
    bool Help(platform::WindowHandle, std::string_view helpFile, std::uint32_t command, std::uintptr_t data) override {
        help.push_back({std::string(helpFile), command, data});
        return true;
    }
    std::vector<std::string> opened;
    std::int32_t lastShow = 0;
    std::vector<HelpCall> help;
};

// The Save As dialog: answers with `chosen` (nothing: the user cancelled) and records what it
// was asked.
class ScriptedSaveAs final : public platform::FileDialogs {
public:
    std::optional<std::string> SaveAs(platform::WindowHandle, std::string_view title, std::string_view filter,
                                      std::string_view defaultName) override {
        asked.push_back(std::string(title) + "|" + std::string(filter) + "|" + std::string(defaultName));
        return chosen;
    }
    std::optional<std::string> chosen;
    std::vector<std::string> asked;
};

using TestDialog = frmDiagsConfig;

// The output name every module output has.
inline constexpr const char* kTracing = "Function Level Tracing";

class DialogTest : public FreshServices {
protected:
    DialogTest()
        : root_("DIAGS_LOG_CONFIG_ROOT", rootKey_),
          userPart_(&platform::Platform::interaction, user),
          shellPart_(&platform::Platform::shell, shell),
          saveAsPart_(&platform::Platform::fileDialogs, saveAs) {
        user.otherwise.reset();  // every message box the dialog shows is expected by the test
        WriteBytes(HelpFilePath(), "<html></html>");
        SetHelpFile(HelpFilePath());
        std::filesystem::create_directories(LogDir());
        SetCommonFilesPath(dir_.Path().string());
#ifndef _WIN32
        // Commits stay in the order they were made (no compaction), so a test can read it.
        static_cast<platform::registry::FileStore&>(platform::registry::NativeStore())
            .SetCompaction(1e9, UINT64_MAX);
#endif
    }
    ~DialogTest() override {
        using platform::registry::KeyChange;
        (void)platform::registry::NativeStore().Apply({KeyChange{rootKey_, true, {}}});
    }
    void SetUp() override {
        FreshServices::SetUp();
        sink_ = &RecordTraces();
    }

    void SetHelpFile(const std::string& path) { helpEnv_.emplace("DIAGS_HELP_FILE", path); }
    std::string HelpFilePath() const { return dir_.File("help.htm"); }
    static std::string Text(std::int32_t id) { return ResourceStrings::Instance().GetString(id); }

    // The folder the product's default log directory lies in, and that directory.
    std::string LogDir() const { return dir_.File("Log"); }
    std::string TempPath(const std::string& name) const { return dir_.File(name); }
    static void SetCommonFilesPath(const std::string& path) {
        using platform::registry::KeyChange;
        using platform::registry::RegValue;
        (void)platform::registry::NativeStore().Apply(
            {KeyChange{"HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltrane\\Common Files", false, {{"Path", RegValue::Text(path)}}}});
    }

    // This test's configuration as a fresh reader sees it now.
    hostconfig::LogConfigNodePtr Stored() const { return hostconfig::LogConfiguration::Create(); }
    // One property of an output ("ZEL Errors" with an empty output name: the error log).
    hostconfig::PropertyValue StoredValue(const std::string& component, const std::string& output,
                                          std::int32_t index) const {
        const hostconfig::LogConfigNodePtr root = Stored();
        const hostconfig::LogConfigNodePtr node = root->Children().Item(component);
        return output.empty() ? node->Property(index) : node->Children().Item(output)->Property(index);
    }

    // A configuration of the test's own instead of the shipped default: components in the
    // order added, each with the outputs (and settings) given. A component without outputs
    // is a key of its own; "ZEL Errors" carries its settings itself.
    using Settings = std::vector<std::pair<std::int32_t, hostconfig::PropertyValue>>;
    void AddComponent(const std::string& component, const Settings& settings = {}) {
        Apply(rootKey_ + "\\" + component, settings);
    }
    // The error log writing "Errors.log" into the log directory, with further settings.
    void AddErrorLog(Settings extra = {}) {
        extra.insert(extra.begin(), {{hostconfig::prop::kLogToFile, true},
                                     {hostconfig::prop::kFileName, std::string("Errors.log")},
                                     {hostconfig::prop::kDirectory, LogDir()}});
        AddComponent("ZEL Errors", extra);
    }
    // A component's tracing output, as the dialog holds it.
    static const COutput& TracingOutput(TestDialog& d, const std::string& component) {
        return *d.mcolOutputs->Item(component + kTracing);
    }
    // The user selects everything in a box and types over it (nothing typed: deletes it).
    static void Retype(forms::TextBox& box, std::string_view text) {
        box.UserFocus();
        box.SetSelStart(0);
        box.SetSelLength(static_cast<std::int32_t>(box.Text().size()));
        box.UserType(text.empty() ? std::string_view("\b") : text);
    }
    void AddOutput(const std::string& component, const std::string& output, const Settings& settings = {}) {
        AddComponent(component);
        Apply(rootKey_ + "\\" + component + "\\" + output, settings);
    }
    void CreateEmptyConfiguration() { Apply(rootKey_, {}); }

    // Every output's settings as a fresh reader sees them: "component\\output" (the error
    // log under its own name) to the nine properties.
    using Snapshot = std::map<std::string, std::vector<hostconfig::PropertyValue>>;
    Snapshot StoredSnapshot() const {
        Snapshot out;
        const auto take = [&](const std::string& name, const hostconfig::LogConfigNode& node) {
            std::vector<hostconfig::PropertyValue>& values = out[name];
            for (std::int32_t index = 0; index <= 8; ++index) values.push_back(node.Property(index));
        };
        const hostconfig::LogConfigNodePtr root = Stored();
        for (const hostconfig::LogConfigNodePtr& component : root->Children()) {
            if (component->Name() == "ZEL Errors") take(std::string(component->Name()), *component);
            for (const hostconfig::LogConfigNodePtr& output : component->Children())
                take(std::string(component->Name()) + "\\" + std::string(output->Name()), *output);
        }
        return out;
    }

    // The console tool run over this configuration: its exit code, output and error output.
    struct ConsoleRun {
        int code;
        std::string out, err;
    };
    static ConsoleRun Console(const std::vector<std::string>& args) {
        std::ostringstream out, err;
        const int code = tools::RunDiagsConfig(args, out, err);
        return {code, out.str(), err.str()};
    }

    // Every raw value stored under the configuration's root: "key path|value name" to the value.
    using RawValues = std::map<std::string, platform::registry::RegValue>;
    static RawValues StoredRaw() {
        std::optional<platform::registry::RegKey> key;
        (void)platform::registry::NativeStore().ReadTree(hostconfig::DefaultRootKey(), key);
        RawValues out;
        const auto flatten = [&](auto& self, const platform::registry::RegKey& k, const std::string& path) -> void {
            for (const auto v : k.Values()) out[path + "|" + std::string(v.name)] = v.value.Copy();
            for (const auto& child : k.Children()) self(self, *child, path + "\\" + child->Name());
        };
        if (key) flatten(flatten, *key, "");
        return out;
    }

    // Changes one stored property before the dialog reads the configuration.
    void Store(const std::string& component, const std::string& output, std::int32_t index,
               const hostconfig::PropertyValue& value) const {
        const hostconfig::LogConfigNodePtr root = Stored();
        const hostconfig::LogConfigNodePtr componentNode = root->Children().Item(component);
        const hostconfig::LogConfigNodePtr node =
            output.empty() ? componentNode : componentNode->Children().Item(output);
        node->SetProperty(index, value);
        node->Save();
    }

    // How often a procedure was entered, and how often the logger re-read its configuration.
    int Calls(std::string_view procedure) const {
        const std::string enter = "[frmDiags][" + std::string(procedure) + "] Function Enter";
        return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                              [&](const TraceLine& line) { return line.text == enter; }));
    }
    int Saves() const { return Calls("SaveGUIValues"); }
    int Refreshes() const { return static_cast<int>(sink_->bound.size()); }

    // Runs FormLoad with `user` acting while the dialog is shown. A run-time error the script
    // raises fails the test (it would otherwise end the dialog as a failed start).
    ResultCode Run(TestDialog& dialog, std::function<void(TestDialog&)> script) {
        dialog.SetModalLoop([&, script](forms::Form&) {
            shownCount++;
            if (const auto raised = RaisedError([&] { script(dialog); }))
                ADD_FAILURE() << "the script raised " << raised->Number() << ": " << raised->Description();
        });
        return dialog.FormLoad(error);
    }
    ResultCode Run(std::function<void(TestDialog&)> script) {
        TestDialog dialog;
        return Run(dialog, std::move(script));
    }
    // The user's commonest steps: show an output of the Advanced tab, save (Ctrl+S), and close
    // answering No to the question about unsaved edits.
    static void ShowOutput(TestDialog& d, std::string_view key) {
        d.tbsOptions.UserSelectTab(2);
        d.tvModules.UserClickNode(d.tvModules.Item(key));
    }
    static void Save(TestDialog& d) { d.UserKeyDown('S', forms::shift::kCtrl); }
    void CloseUnsaved(TestDialog& d) {
        user.answers = {platform::mb::kNo};
        d.UserClose();
    }

    // Makes the next save of the error log fail (its directory cannot be created: a file is
    // in the way) or stop (it has no file name).
    void BreakErrorLogDirectory(TestDialog& dialog) {
        WriteBytes(TempPath("in-the-way"), "x");
        const std::shared_ptr<COutput>& errorLog = dialog.mcolOutputs->Item("ZEL Errors");
        errorLog->Directory = (std::filesystem::path(TempPath("in-the-way")) / "Log").string();
        errorLog->DirtyFlag = true;
    }
    static void ClearErrorLogName(TestDialog& dialog) {
        const std::shared_ptr<COutput>& errorLog = dialog.mcolOutputs->Item("ZEL Errors");
        errorLog->FileName.clear();
        errorLog->DirtyFlag = true;
    }

    ScriptedInteraction user;
    RecordingShell shell;
    ScriptedSaveAs saveAs;
    ErrorRef error;
    int shownCount = 0;

private:
    static void Apply(const std::string& path, const Settings& settings) {
        platform::registry::KeyChange change{path, false, {}};
        for (const auto& [index, value] : settings)
            change.values.push_back({std::string(hostconfig::PropertyValueName(index)),
                                     hostconfig::ToRegistry(index, value)});
        ASSERT_TRUE(platform::registry::NativeStore().Apply({change}).ok());
    }

    static std::string NewRootKey() {
        static int counter = 0;
        static const std::string base =
            "HKEY_CURRENT_USER\\Software\\Veltrane\\Tests\\" + std::to_string(std::random_device{}());
        return base + "\\" + std::to_string(++counter);
    }

    std::string rootKey_ = NewRootKey();
    TempDir dir_;
    ScopedEnv root_;
    platform::ScopedPart<platform::Interaction> userPart_;
    platform::ScopedPart<platform::Shell> shellPart_;
    platform::ScopedPart<platform::FileDialogs> saveAsPart_;
    std::optional<ScopedEnv> helpEnv_;
    RecordingSink* sink_ = nullptr;  // owned by the logger
};

}  // namespace diags::testing
