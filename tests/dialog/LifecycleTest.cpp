// The dialog starts, shows and closes by each path with the right result; the exit
// question is asked at most once per attempt; a failed start never shows the dialog.
#include <gtest/gtest.h>

#include "base/RuntimeError.h"
#include "dialog/frmDiagsConfig.h"
#include "tests/dialog/DialogHarness.h"

namespace diags::testing {
namespace {

using platform::mb::kCancel;
using platform::mb::kNo;
using platform::mb::kYes;

class Lifecycle : public DialogTest {};

TEST_F(Lifecycle, ClosingRightAfterTheShowAsksNothingAndReturnsZero) {
    Store("ZEL Errors", "", hostconfig::prop::kLogToFile, false);
    TestDialog dialog;
    bool savedWhileShown = false;
    std::shared_ptr<COutput> errorLog;
    const ResultCode result = Run(dialog, [&](TestDialog& d) {
        savedWhileShown = d.mbSaved;
        errorLog = d.mcolOutputs->Item("ZEL Errors");
        EXPECT_EQ(d.msCurrentNode, "ZEL Errors");
        EXPECT_EQ(user.pointer, platform::pointer::kDefault);  // not busy while the user works
        // Prepared before the show: icon, caption, the trace tab, the design split, one font.
        ASSERT_TRUE(d.Icon());
        EXPECT_EQ(d.Icon()->Id(), dlgres::kDialogIcon);
        EXPECT_EQ(d.Caption(), Text(9031));
        EXPECT_EQ(d.mnActiveTab, 0);
        EXPECT_TRUE(d.tvTrace.Visible() && !d.tvModules.Visible());
        EXPECT_EQ(d.imgSplitter.Left(), 3480);
        for (forms::Control* control : d.Controls()) EXPECT_EQ(control->FontName(), d.tvTrace.FontName());
        EXPECT_TRUE(d.UserClose());
    });
    EXPECT_EQ(result, ResultCode::None);
    EXPECT_EQ(shownCount, 1);
    EXPECT_TRUE(savedWhileShown);
    EXPECT_TRUE(user.boxes.empty());
    EXPECT_EQ(Saves(), 0);  // not even the error log that the start switched on
    ASSERT_TRUE(errorLog);
    EXPECT_TRUE(errorLog->LogToFile);
    EXPECT_TRUE(errorLog->DirtyFlag);
    EXPECT_EQ(user.pointerHistory.front(), platform::pointer::kHourglass);
    EXPECT_EQ(user.pointer, platform::pointer::kDefault);
}

// Cancel keeps the dialog open; a later No closes with two, a later Yes saves and closes with one.
TEST_F(Lifecycle, TheExitQuestionIsAskedOncePerAttempt) {
    for (const auto& [answer, expected, saves] : {std::tuple{kNo, ResultCode::Stopped, 0}, {kYes, ResultCode::Success, 1}}) {
        lines.clear();
        user.boxes.clear();
        const ResultCode result = Run([&](TestDialog& d) {
            d.tvTrace.UserToggleCheck(d.tvTrace.Item("Report Editor"));
            d.Activate();  // the window comes back after a message box: the edit is still asked about
            user.answers = {kCancel};
            EXPECT_FALSE(d.UserClose());
            EXPECT_TRUE(d.Loaded());
            EXPECT_EQ(d.mnResult, ResultCode::None);
            user.answers = {answer};
            EXPECT_TRUE(d.UserClose());
        });
        EXPECT_EQ(result, expected);
        EXPECT_EQ(Saves(), saves);
        ASSERT_EQ(user.boxes.size(), 2u);  // once per attempt, though the unload passes QueryUnload again
        EXPECT_EQ(user.boxes[1].text, Text(dlgres::kExitQuestion));
        EXPECT_EQ(user.boxes[1].title, Text(dlgres::kExitTitle));
        EXPECT_EQ(user.boxes[1].style, platform::mb::kQuestionYesNoCancel);
        EXPECT_FALSE(frmDiagsConfig::ExitGuardSet());
    }
}

TEST_F(Lifecycle, AFailedSaveIsShownKeepsTheDialogOpenAndResultThree) {
    const ResultCode result = Run([&](TestDialog& d) {
        d.mbSaved = false;
        BreakErrorLogDirectory(d);
        user.answers = {kYes, kYes, platform::mb::kOk};  // save, create the directory, the report
        EXPECT_FALSE(d.UserClose());
        EXPECT_TRUE(d.Loaded());
        EXPECT_EQ(d.mnResult, ResultCode::Failure);
        ASSERT_EQ(user.boxes.size(), 3u);
        EXPECT_EQ(user.boxes[2].style, platform::mb::kCritical);
        EXPECT_NE(user.boxes[2].text.find(Text(dlgres::kErrorTitle)), std::string::npos);
        EXPECT_NE(user.boxes[2].text.find("in-the-way"), std::string::npos);

        user.answers = {kCancel};  // a later close asks again
        EXPECT_FALSE(d.UserClose());
        EXPECT_EQ(user.boxes.size(), 4u);
        d.mbSaved = true;  // e.g. a later save succeeded: the close keeps the result
        EXPECT_TRUE(d.UserClose());
    });
    EXPECT_EQ(result, ResultCode::Failure);
}

TEST_F(Lifecycle, ASaveThatStopsKeepsTheDialogOpenSoNoEditIsLost) {
    TestDialog dialog;
    std::int32_t answer = -1;
    Run(dialog, [&](TestDialog& d) {
        d.mbSaved = false;
        ClearErrorLogName(d);
        d.mcolOutputs->Item("ZEL Errors")->FileName = "  ";  // blanks only: no name either
        user.answers = {kYes, platform::mb::kOk};  // save; told the name is missing
        answer = d.ProcessExit();
        EXPECT_TRUE(d.Loaded());
        ASSERT_EQ(user.boxes.size(), 2u);
        EXPECT_EQ(user.boxes[1].text, "ZEL Errors " + Text(9018));  // the error log is named once
        user.answers = {kYes, platform::mb::kOk};  // the window's close command stays open as well
        EXPECT_FALSE(d.UserClose());
        EXPECT_TRUE(d.Loaded());
        EXPECT_EQ(d.mnResult, ResultCode::None);
        CloseUnsaved(d);
    });
    EXPECT_EQ(answer, kCancel);
    EXPECT_EQ(Saves(), 2);
    EXPECT_EQ(user.boxes.size(), 5u);  // no error report for a stopped save
}

TEST_F(Lifecycle, UnloadBreaksTheLinksAndReleasesTheModel) {
    TestDialog dialog;
    std::shared_ptr<CTraceSetting> setting;
    std::weak_ptr<COutput> output;
    Run(dialog, [&](TestDialog& d) {
        setting = d.moDiagMap->GetTraceSetting("Report Editor");
        ASSERT_GT(setting->LinkedOutputs()->Count(), 0);
        output = setting->LinkedOutputs()->Item(1);
        d.UserClose();
    });
    EXPECT_FALSE(dialog.mcolOutputs);
    EXPECT_FALSE(dialog.moDiagMap);
    EXPECT_EQ(dialog.moCurrentTraceNode, nullptr);
    EXPECT_EQ(dialog.tvModules.ImageListControl(), nullptr);
    EXPECT_FALSE(setting->LinkedOutputs());
    EXPECT_TRUE(output.expired());  // the cycle is broken: nothing keeps the record alive
}

TEST_F(Lifecycle, EscapeLeavesTheResultAloneTheMenuExitSetsTwo) {
    {
        TestDialog dialog;
        const ResultCode result = Run(dialog, [&](TestDialog& d) {
            d.mnResult = static_cast<ResultCode>(7);  // as an earlier command might have left it
            d.UserKeyDown(27, 0);
        });
        EXPECT_EQ(result, static_cast<ResultCode>(7));
        EXPECT_TRUE(user.boxes.empty());
    }
    {
        const ResultCode result = Run([&](TestDialog& d) {
            d.abMenuBar.UserClickTool("mnuBandFile", "mnuExit");
        });
        EXPECT_EQ(result, ResultCode::Stopped);
    }
}

TEST_F(Lifecycle, ARunTimeFailureInsideTheExitQuestionIsShownAndKeepsTheDialogOpen) {
    TestDialog dialog;
    std::int32_t answer = -1;
    const ResultCode result = Run(dialog, [&](TestDialog& d) {
        d.mbSaved = false;
        user.raiseOnNextBox = RuntimeError(err::kPathFileAccess, "disk gone");
        user.answers = {platform::mb::kOk};
        answer = d.ProcessExit();
        EXPECT_TRUE(d.Loaded());
        d.mbSaved = true;
        d.UserClose();
    });
    EXPECT_EQ(answer, kCancel);
    EXPECT_EQ(result, ResultCode::None);  // the dialog's result is not changed by the failure
    ASSERT_EQ(user.boxes.size(), 1u);
    EXPECT_NE(user.boxes[0].text.find("disk gone"), std::string::npos);
    EXPECT_NE(user.boxes[0].text.find("ProcessExit"), std::string::npos);
    EXPECT_FALSE(frmDiagsConfig::ExitGuardSet());
}

}  // namespace
}  // namespace diags::testing
