#pragma once
// Headless dialog runs: the person at the screen is scripted (message-box answers, the mouse
// pointer they see), help and browser windows are recorded instead of opened, and a save's
// outcome can be scripted where a test exercises the paths that start one.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "dialog/frmDiagsConfig.h"
#include "platform/Platform.h"
#include "services/ResourceStrings.h"
#include "tests/support/TestSupport.h"

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

// Installs the scripted user and shell, and a help file the lookup finds.
class DialogTest : public ::testing::Test {
protected:
    DialogTest()
        : userPart_(&platform::Platform::interaction, user), shellPart_(&platform::Platform::shell, shell) {
        user.otherwise.reset();  // every message box the dialog shows is expected by the test
        WriteBytes(HelpFilePath(), "<html></html>");
        SetHelpFile(HelpFilePath());
    }
    void SetHelpFile(const std::string& path) { helpEnv_.emplace("DIAGS_HELP_FILE", path); }
    std::string HelpFilePath() const { return dir_.File("help.htm"); }
    static std::string Text(std::int32_t id) { return ResourceStrings::Instance().GetString(id); }

    // Runs FormLoad with `user` acting while the dialog is shown.
    ResultCode Run(TestDialog& dialog, std::function<void(TestDialog&)> script) {
        dialog.SetModalLoop([&, script](forms::Form&) {
            shownCount++;
            script(dialog);
        });
        return dialog.FormLoad(error);
    }

    ScriptedInteraction user;
    RecordingShell shell;
    ErrorRef error;
    int shownCount = 0;

private:
    platform::ScopedPart<platform::Interaction> userPart_;
    platform::ScopedPart<platform::Shell> shellPart_;
    TempDir dir_;
    std::optional<ScopedEnv> helpEnv_;
};

}  // namespace diags::testing
