// The entry class: one dialog run per object, outcome codes passed through, the shared
// services started once per process, the busy pointer restored.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "component/CDiagnosticsConfig.h"
#include "component/CMousePointer.h"
#include "dialog/frmDiagsConfig.h"
#include "services/Logger.h"
#include "services/MessageService.h"
#include "tests/dialog/DialogHarness.h"

namespace diags::testing {
namespace {

class Entry : public DialogTest {};

TEST_F(Entry, TheOutcomeOfTheDialogReachesTheHostUnchanged) {
    CDiagnosticsConfig closedAtOnce;
    closedAtOnce.SetModalLoop([](forms::Form& form) { form.UserClose(); });
    EXPECT_EQ(closedAtOnce.ConfigureDiagnostics(error), ResultCode::None);
    EXPECT_FALSE(error);
    EXPECT_EQ(closedAtOnce.Dialog(), nullptr);  // released after the call

    CDiagnosticsConfig closedUnsaved;
    closedUnsaved.SetModalLoop([&](forms::Form& form) {
        static_cast<frmDiagsConfig&>(form).mbSaved = false;
        user.answers = {platform::mb::kNo};
        form.UserClose();
    });
    EXPECT_EQ(closedUnsaved.ConfigureDiagnostics(error), ResultCode::Stopped);

    forms::ScopedModalLoop hostLoop([](forms::Form& form) { form.UserKeyDown(27, 0); });  // the host's Escape
    CDiagnosticsConfig escaped;
    EXPECT_EQ(escaped.ConfigureDiagnostics(error), ResultCode::None);
}

// A renderer installed before the entry object is made: the dialog's window exists before
// the start-up reads its handle, the loop is the host's, and the window goes after unload.
struct HostThatCloses : forms::FormHost {
    std::vector<std::string> calls;
    platform::WindowHandle seenAtShow = 0;
    void Create(forms::Form& form) override {
        calls.push_back("create");
        form.SetHwnd(7);
    }
    void RunModal(forms::Form& form) override {
        calls.push_back("run");
        seenAtShow = form.hWnd();
        form.UserClose();
    }
    void Destroy(forms::Form&) noexcept override { calls.push_back("destroy"); }
};

TEST_F(Entry, AnInstalledFormHostMakesTheWindowsBeforeTheStartAndRunsTheDialog) {
    HostThatCloses host;
    {
        forms::ScopedFormHost installed(host);
        CDiagnosticsConfig entry;
        EXPECT_EQ(host.calls, std::vector<std::string>{"create"});
        EXPECT_EQ(entry.ConfigureDiagnostics(error), ResultCode::None);
    }
    EXPECT_EQ(host.calls, (std::vector<std::string>{"create", "run", "destroy"}));
    EXPECT_EQ(host.seenAtShow, 7u);
}

TEST_F(Entry, AFailedStartComesBackAsThreeWithTheErrorFilled) {
    SetHelpFile(HelpFilePath() + ".gone");
    CDiagnosticsConfig entry;
    bool shown = false;
    entry.SetModalLoop([&](forms::Form&) { shown = true; });
    EXPECT_EQ(entry.ConfigureDiagnostics(error), ResultCode::Failure);
    EXPECT_FALSE(shown);
    ASSERT_TRUE(error);
    EXPECT_NE(error->description.find(".gone"), std::string::npos);
}

TEST_F(Entry, TheObjectServesOneCallASecondFailsWithThree) {
    CDiagnosticsConfig entry;
    entry.SetModalLoop([](forms::Form& form) { form.UserClose(); });
    ASSERT_EQ(entry.ConfigureDiagnostics(error), ResultCode::None);
    EXPECT_EQ(entry.ConfigureDiagnostics(error), ResultCode::Failure);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->module, "CDiagnosticsConfig");
    EXPECT_EQ(error->procedure, "ConfigureDiagnistics");
    EXPECT_EQ(error->number, err::kObjectRequired);
    EXPECT_EQ(error->applicationTitle, "Veltrane Desktop");
}

TEST_F(Entry, ASecondEntryObjectReusesTheServicesButInitialisesTheLoggerAgain) {
    { CDiagnosticsConfig first; }
    Logger* logger = Logger::Existing();
    ASSERT_NE(logger, nullptr);
    MessageService* messages = MessageService::Existing();
    ASSERT_NE(messages, nullptr);
    const int loggerInits = logger->InitializeCount();
    const int messageInits = messages->InitializeCount();

    { CDiagnosticsConfig second; }
    EXPECT_EQ(Logger::Existing(), logger);
    EXPECT_EQ(MessageService::Existing(), messages);
    EXPECT_EQ(logger->InitializeCount(), loggerInits + 1);
    EXPECT_EQ(logger->Module(), "ZEL DiagnosticsConfiguration");
    EXPECT_EQ(messages->InitializeCount(), messageInits);
    EXPECT_EQ(messages->ResourceDll(), "KVUIEN.DLL");

    std::string module = "ZEL DiagnosticsConfiguration", dll = "KVUIEN.DLL", trace = "x";
    std::int32_t level = 64;
    EXPECT_EQ(InitSharedServices(module, dll, trace, level), -1);
}

TEST_F(Entry, TheBusyPointerPutsBackWhatWasThereBeforeItsFirstUse) {
    user.pointer = 5;
    {
        CMousePointer busy;
        busy.SetCursor(11);
        EXPECT_EQ(user.pointer, 11);
        busy.SetCursor(0);
        EXPECT_EQ(user.pointer, 0);
    }
    EXPECT_EQ(user.pointer, 5);
    user.pointerHistory.clear();
    { CMousePointer unused; }
    EXPECT_TRUE(user.pointerHistory.empty());  // nothing remembered, nothing restored
}

}  // namespace
}  // namespace diags::testing
