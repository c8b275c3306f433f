// The menu and tool bar as built, command dispatch, the dialog's keys, help and web pages.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "dialog/MenuHelp.h"
#include "dialog/frmDiagsConfig.h"
#include "dialog/modToolMenu.h"
#include "services/MessageService.h"
#include "tests/dialog/DialogHarness.h"

namespace diags::testing {
namespace {

using forms::Band;
using forms::Tool;

class Menu : public DialogTest {};

// The bar's structure, the links between its menus, and what a person relies on: shortcuts,
// groups and the tool bar's pictures and tips.
TEST_F(Menu, TheBarIsBuiltWithItsMenusShortcutsAndToolBar) {
    forms::MenuBar bar("abMenuBar");
    ASSERT_EQ(SetMenuButtons(bar, error), ResultCode::Success);
    std::vector<std::string> bands;
    for (const auto& band : bar) {
        std::string tools;
        for (std::size_t i = 1; i <= band->ToolCount(); ++i) {
            const Tool& tool = band->ToolAt(i);
            tools += " " + tool.Name() + (tool.BeginGroup ? "|" : "") + (tool.Shortcut() ? "^" : "");
            EXPECT_TRUE(tool.Enabled && tool.Visible) << tool.Name();
            if (tool.Picture()) {
                EXPECT_EQ(tool.PictureMaskColor(), 0x8000000Fu) << tool.Name();
            }
        }
        bands.push_back(band->Name() + "/" + std::to_string(band->Kind()) + ":" + tools);
    }
    EXPECT_EQ(bands, (std::vector<std::string>{
                         "mnuBandMain/1: mnuFile mnuTools mnuHelps", "mnuBandFile/2: mnuSave^ mnuExit|",
                         "mnuBandTool/2: mnuClearAll mnuOpenLogFolder| mnuCollectLogs",
                         "mnuBandHelp/2: TOOL_HELP_F1^ mnuContentsAndIndex| mnuOnTheWeb|",
                         "mnuBandWeb/2: mnuServices mnuNewsEvents mnuOnlineSupport| mnuQORHome|",
                         "mnuToolBar/0: mnuSaveClose mnuClearAll|"}));
    const Band& file = bar.BandByKey("mnuBandFile");
    EXPECT_EQ(file.ToolByKey("mnuSave").Shortcut(), 19);
    EXPECT_EQ(file.ToolByKey("mnuSave").Caption, Text(2563));
    EXPECT_EQ(bar.BandByKey("mnuBandHelp").ToolByKey("TOOL_HELP_F1").Shortcut(), 27);
    const Tool& saveClose = bar.BandByKey("mnuToolBar").ToolByKey("mnuSaveClose");
    EXPECT_EQ(std::tuple(saveClose.Id(), saveClose.Style, saveClose.ToolTipText, saveClose.Picture()->Id()),
              std::tuple(18, std::int16_t{3}, Text(13563), 5023));
    EXPECT_EQ(bar.BandByKey("mnuBandMain").ToolByKey("mnuFile").SubBand, "mnuBandFile");
    EXPECT_EQ(bar.BandByKey("mnuBandMain").ToolByKey("mnuTools").SubBand, "mnuBandTool");
    EXPECT_EQ(bar.BandByKey("mnuBandMain").ToolByKey("mnuHelps").SubBand, "mnuBandHelp");
    EXPECT_EQ(bar.BandByKey("mnuBandHelp").ToolByKey("mnuOnTheWeb").SubBand, "mnuBandWeb");
    EXPECT_GT(bar.DockedHeight(), 0);
}

TEST_F(Menu, ATwiceBuiltBarFailsWithThreeAndAToolThatCannotBeSetUpStopsOnlyItself) {
    forms::MenuBar bar("abMenuBar");
    ASSERT_EQ(SetMenuButtons(bar, error), ResultCode::Success);
    EXPECT_EQ(SetMenuButtons(bar, error), ResultCode::Failure);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->module, "modToolMenu");
    EXPECT_EQ(error->procedure, "SetMenuButtons");
    EXPECT_EQ(error->number, 35602);

    Tool& save = bar.BandByKey("mnuBandFile").ToolByKey("mnuSave");
    EXPECT_EQ(SetMenuTool(bar, "mnuBandFile", "mnuSave", "Save", 999999, true, true, "", "tip", 5, true), 3);
    EXPECT_EQ(save.Caption, "Save");         // set before the picture failed
    EXPECT_EQ(save.ToolTipText, "");         // the rest was skipped
    EXPECT_EQ(save.Shortcut(), 19);
    EXPECT_EQ(SetMenuTool(bar, "mnuBandFile", "mnuExit", "Exit", 0, true, true, "", "", 80, false), 1);
    EXPECT_EQ(bar.BandByKey("mnuBandFile").ToolByKey("mnuExit").Shortcut(), 0);
    EXPECT_TRUE(bar.BandByKey("mnuBandFile").ToolByKey("mnuExit").BeginGroup);  // false leaves it
}

TEST_F(Menu, CommandsAreDispatchedWithoutRegardToCaseUnderABusyPointer) {
    Run([&](TestDialog& d) {
        user.pointerHistory.clear();
        Tool odd(4, "MNUSAVE");
        d.abMenuBar_Click(odd);
        EXPECT_EQ(Saves(), 1);
        // The command's busy pointer, then the save's own, each put back.
        EXPECT_EQ(user.pointerHistory, (std::vector<std::int16_t>{platform::pointer::kHourglass,
                                                                  platform::pointer::kHourglass, 0, 0}));

        d.abMenuBar.UserClickTool("mnuBandMain", "mnuFile");  // a menu title: opens, runs nothing
        d.abMenuBar.UserClickTool("mnuBandHelp", "mnuOnTheWeb");
        EXPECT_EQ(Saves(), 1);
        EXPECT_TRUE(d.abMenuBar.BandByKey("mnuBandWeb").Open());

        d.mTraceTab.LogEnabled = true;
        d.abMenuBar.UserClickTool("mnuToolBar", "mnuClearAll");
        EXPECT_FALSE(d.mTraceTab.LogEnabled);
        EXPECT_TRUE(shell.opened.empty());
        user.answers = {platform::mb::kNo};  // Clear all left unsaved changes
        d.UserClose();
    });
}

TEST_F(Menu, OpenLogFolderOpensThePanelsFolderAndOnlySaysSoWhenItIsMissing) {
    AddOutput("ZEL DateLib", kTracing, {{hostconfig::prop::kLogToFile, true}, {hostconfig::prop::kDirectory, LogDir()}});
    AddErrorLog();
    Run([&](TestDialog& d) {
        const auto open = [&] { d.abMenuBar.UserClickTool("mnuBandTool", "mnuOpenLogFolder"); };
        ShowOutput(d, std::string("ZEL DateLib") + kTracing);
        open();
        EXPECT_EQ(shell.opened, (std::vector<std::string>{LogDir()}));
        EXPECT_EQ(shell.lastShow, 1);

        Retype(d.txtDirectory, TempPath("not-yet"));
        user.answers = {platform::mb::kOk};
        open();
        ASSERT_EQ(user.boxes.size(), 1u);
        EXPECT_EQ(user.boxes[0].text, MessageService::FormatMessage(Text(9065), std::vector<std::string>{TempPath("not-yet")}));
        EXPECT_EQ(user.boxes[0].style, platform::mb::kInformation);
        EXPECT_FALSE(std::filesystem::exists(TempPath("not-yet")));
        EXPECT_EQ(shell.opened.size(), 1u);
        CloseUnsaved(d);
    });
}

TEST_F(Menu, CollectLogsAsksForTheFileShowsProgressAndNamesTheBundle) {
    AddOutput("ZEL DateLib", kTracing,
              {{hostconfig::prop::kLogToFile, true}, {hostconfig::prop::kDirectory, LogDir()},
               {hostconfig::prop::kFileName, std::string("date.log")}});
    AddErrorLog();
    WriteBytes(LogDir() + "/date.log", "a line\n");
    std::vector<std::string> status;
    Run([&](TestDialog& d) {
        d.lblStatusValue.StateChanged.Connect([&](forms::Prop property) {
            if (property == forms::Prop::Caption) status.push_back(d.lblStatusValue.Caption());
        });
        const auto collect = [&] { d.abMenuBar.UserClickTool("mnuBandTool", "mnuCollectLogs"); };
        collect();  // cancelled: nothing happens
        EXPECT_TRUE(user.boxes.empty());
        EXPECT_EQ(saveAs.asked, (std::vector<std::string>{Text(9067) + "|" + Text(9068) + "|diagslogs.zip"}));

        saveAs.chosen = TempPath("bundle.zip");
        user.answers = {platform::mb::kOk};
        collect();
        ASSERT_EQ(user.boxes.size(), 1u);
        EXPECT_EQ(user.boxes[0].text, MessageService::FormatMessage(Text(9066), std::vector<std::string>{TempPath("bundle.zip")}));
        EXPECT_GT(ReadBytes(TempPath("bundle.zip")).size(), 100u);
        EXPECT_FALSE(d.frmStatus.Visible());

        saveAs.chosen = TempPath("no/such/folder/bundle.zip");  // failures are reported as every tool's
        user.answers = {platform::mb::kOk};
        collect();
        ASSERT_EQ(user.boxes.size(), 2u);
        EXPECT_EQ(user.boxes[1].style, platform::mb::kCritical);
        EXPECT_NE(user.boxes[1].text.find("no/such/folder"), std::string::npos);
        CloseUnsaved(d);
    });
    EXPECT_NE(std::find(status.begin(), status.end(),
                        MessageService::FormatMessage(Text(9069), std::vector<std::string>{(std::filesystem::path(LogDir()) / "date.log").string()})),
              status.end());
}

TEST_F(Menu, SaveAndCloseFromTheBarOrAltCClosesWithOneOrReportsAFailureWithThree) {
    {
        TestDialog dialog;
        const ResultCode result = Run(dialog, [&](TestDialog& d) { d.UserKeyDown('C', forms::shift::kAlt); });
        EXPECT_EQ(result, ResultCode::Success);
        EXPECT_EQ(Saves(), 1);
    }
    {
        lines.clear();
        const ResultCode result = Run([&](TestDialog& d) {
            BreakErrorLogDirectory(d);
            user.answers = {platform::mb::kYes, platform::mb::kOk};  // create the directory; the report
            d.abMenuBar.UserClickTool("mnuToolBar", "mnuSaveClose");
            EXPECT_TRUE(d.Loaded());
            EXPECT_EQ(d.mnResult, ResultCode::Failure);
            EXPECT_EQ(user.boxes.size(), 2u);
            d.UserKeyDown('C', forms::shift::kAlt | forms::shift::kShift);  // not Alt+C
            EXPECT_EQ(Saves(), 1);
            ClearErrorLogName(d);
            d.mcolOutputs->Item("ZEL Errors")->Directory = LogDir();
            user.answers = {platform::mb::kOk};  // told the name is missing
            d.UserKeyDown('C', forms::shift::kAlt);  // stopped: stays open, no error report
            EXPECT_TRUE(d.Loaded());
            EXPECT_EQ(user.boxes.size(), 3u);
            d.mbSaved = true;
            d.UserClose();
        });
        EXPECT_EQ(result, ResultCode::Failure);
    }
}

TEST_F(Menu, CtrlTabAndCtrlShiftTabWalkTheTabsRoundAndFocusTheStrip) {
    Run([&](TestDialog& d) {
        int clicks = 0;
        d.tbsOptions.Click.Connect([&] { ++clicks; });
        using namespace forms::shift;
        // Forward from the last back to the first, backward from the first to the last; not
        // exactly Ctrl: nothing.
        for (const auto& [shift, tab] : {std::pair{kCtrl, 2}, {kCtrl, 1}, {kCtrl | kShift, 2}, {kCtrl | kShift, 1},
                                        {kCtrl | kAlt, 1}}) {
            d.UserKeyDown(9, static_cast<std::int16_t>(shift));
            EXPECT_EQ(d.tbsOptions.SelectedIndex(), tab) << shift;
        }
        EXPECT_EQ(d.ActiveControl(), &d.tbsOptions);
        EXPECT_EQ(clicks, 4);
        d.UserClose();
    });
}

TEST_F(Menu, F1AndCtrlSRunTheirCommandOnce) {
    Run([&](TestDialog& d) {
        d.UserKeyDown(112, 0);
        ASSERT_EQ(shell.help.size(), 1u);  // one help page for one key
        for (const auto& call : shell.help) {
            EXPECT_EQ(call.file, HelpFilePath());
            EXPECT_EQ(call.command, 1u);
            EXPECT_EQ(call.data, 819u);  // the topic after load
        }
        shell.help.clear();
        d.mlHelpContextId = helpctx::kModuleTab;
        d.UserKeyDown(112, forms::shift::kShift);  // F1 with any shift state
        ASSERT_EQ(shell.help.size(), 1u);
        EXPECT_EQ(shell.help.back().data, 821u);

        Save(d);  // the Save tool's shortcut
        EXPECT_EQ(Saves(), 1);
        std::int16_t key = 'S', shift = forms::shift::kCtrl;
        d.Form_KeyDown(key, shift);
        EXPECT_EQ(key, 0);  // the bar consumed the key it acted on
        EXPECT_EQ(Saves(), 2);
        d.UserClose();
    });
}

TEST_F(Menu, HelpAndWebCommandsOpenTheRightTargets) {
    frmDiagsConfig dialog;
    std::int32_t topic = helpctx::kTraceTab;
    for (std::string_view key : {"mnuContentsAndIndex", "tool_help_f1", "mnuQORHome", "mnuOnlineSupport",
                                 "MNUSERVICES", "mnuNewsEvents", "mnuOnTheWeb"})
        EXPECT_EQ(ProcessMenuHelp("C:\\Help\\Diags.hlp", dialog, topic, key, error), ResultCode::Success);

    ASSERT_EQ(shell.help.size(), 2u);
    EXPECT_EQ(shell.help[0].command, 11u);
    EXPECT_EQ(shell.help[0].data, 0u);
    EXPECT_EQ(shell.help[1].command, 1u);
    EXPECT_EQ(shell.help[1].data, 820u);
    const std::string site(kWebSite);
    EXPECT_EQ(shell.opened, (std::vector<std::string>{site + "/", site + "/Support/", site + "/Services/",
                                                      site + "/News/"}));
    EXPECT_EQ(shell.lastShow, 1);
    EXPECT_EQ(user.pointer, 0);
}

TEST_F(Menu, TheBarsNotificationsLayOutAgainAndAnswerTrue) {
    frmDiagsConfig dialog;
    dialog.SetClientSize(8445, 7050);
    dialog.picSplitter.SetLeft(2000);
    ASSERT_EQ(SetMenuButtons(dialog.abMenuBar, error), ResultCode::Success);  // the bands dock: a new layout
    EXPECT_EQ(dialog.tvTrace.Width(), 2000 - 180);
    EXPECT_EQ(dialog.tbsOptions.Height(), dialog.ScaleHeight() - 315 - 120);
    EXPECT_LT(dialog.ScaleHeight(), 7050);
    EXPECT_TRUE(dialog.abMenuBar.UserOpenBand("mnuBandHelp"));
}

}  // namespace
}  // namespace diags::testing
