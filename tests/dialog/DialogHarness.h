#pragma once
// Headless dialog runs: the person at the screen is scripted (message-box answers, the mouse
// pointer they see), help and browser windows are recorded instead of opened, and a save's
// outcome can be scripted where a test exercises the paths that start one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "dialog/frmDiagsConfig.h"
#include "platform/Platform.h"
#include "services/ResourceStrings.h"

namespace diags::testing {

class ScriptedUser final : public platform::Interaction {
public:
    struct Box {
        std::string text;
        std::int32_t style;
        std::string title;
    };
    std::int32_t ShowMessage(std::string_view text, std::int32_t style, std::string_view title) override {
        boxes.push_back({std::string(text), style, std::string(title)});
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected message box: " << text;
            return platform::mb::kCancel;
        }
        const std::int32_t answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<std::string> BrowseForFolder(platform::WindowHandle, std::string_view, std::uint32_t) override {
        return std::nullopt;
    }
    void SendKeys(std::string_view keys) override { sentKeys.emplace_back(keys); }
    std::int16_t AsyncKeyState(std::int32_t) override { return 0; }
    std::int16_t MousePointer() override { return pointer; }
    void SetMousePointer(std::int16_t value) override {
        pointer = value;
        pointerHistory.push_back(value);
    }

    std::deque<std::int32_t> answers;
    std::vector<Box> boxes;
    std::vector<std::string> sentKeys;
    std::int16_t pointer = 0;
    std::vector<std::int16_t> pointerHistory;
};

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

// The dialog with a scripted save outcome: each save takes the next scripted result
// (1 when none is left) and is counted.
class TestDialog : public frmDiagsConfig {
public:
    ResultCode SaveGUIValues(ErrorRef& oError) override {
        ++saves;
        ResultCode result = ResultCode::Success;
        if (!saveResults.empty()) {
            result = saveResults.front();
            saveResults.pop_front();
        }
        if (result == ResultCode::Failure) {
            oError = std::make_shared<ErrorObject>();
            oError->number = 75;
            oError->description = "scripted save failure";
        }
        return result;
    }
    std::deque<ResultCode> saveResults;
    int saves = 0;
};

inline void SetEnvironment(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value ? value : "");
#else
    if (value) ::setenv(name, value, 1);
    else ::unsetenv(name);
#endif
}

// Installs the scripted user and shell, and a help file the lookup finds.
class DialogTest : public ::testing::Test {
protected:
    DialogTest()
        : userPart_(&platform::Platform::interaction, user), shellPart_(&platform::Platform::shell, shell) {
        helpFile_ = std::filesystem::temp_directory_path() / ("diags-help-" + std::to_string(std::random_device{}()) + ".htm");
        std::ofstream(helpFile_) << "<html></html>";
        SetHelpFile(helpFile_.string());
    }
    ~DialogTest() override {
        SetEnvironment("DIAGS_HELP_FILE", nullptr);
        std::error_code ignored;
        std::filesystem::remove(helpFile_, ignored);
    }
    static void SetHelpFile(const std::string& path) { SetEnvironment("DIAGS_HELP_FILE", path.c_str()); }
    std::string HelpFilePath() const { return helpFile_.string(); }
    static std::string Text(std::int32_t id) { return ResourceStrings::Instance().GetString(id); }

    // Runs FormLoad with `user` acting while the dialog is shown.
    ResultCode Run(TestDialog& dialog, std::function<void(TestDialog&)> script) {
        dialog.SetModalLoop([&, script](forms::Form&) {
            shownCount++;
            script(dialog);
        });
        return dialog.FormLoad(error);
    }

    ScriptedUser user;
    RecordingShell shell;
    ErrorRef error;
    int shownCount = 0;

private:
    platform::ScopedPart<platform::Interaction> userPart_;
    platform::ScopedPart<platform::Shell> shellPart_;
    std::filesystem::path helpFile_;
};

}  // namespace diags::testing
