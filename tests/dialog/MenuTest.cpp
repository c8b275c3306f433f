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

struct ToolExpectation {
    std::string_view band;
    std::int32_t id;
    std::string_view key;
    std::int32_t caption;
    std::int32_t picture;  // 0 = none
    std::int32_t shortcut;
    bool group;
    std::int32_t tip;      // 0 = empty
    std::int16_t style;
};

TEST_F(Menu, TheBarIsBuiltExactlyAsTabled) {
    forms::MenuBar bar("abMenuBar");
    ASSERT_EQ(SetMenuButtons(bar, error), ResultCode::Success);

    std::vector<std::string> bands;
    for (const auto& band : bar) bands.push_back(band->Name() + "/" + std::to_string(band->Kind()));
    EXPECT_EQ(bands, (std::vector<std::string>{"mnuBandMain/1", "mnuBandFile/2", "mnuBandTool/2", "mnuBandHelp/2",
                                               "mnuBandWeb/2", "mnuToolBar/0"}));

    const std::vector<ToolExpectation> table = {
        {"mnuBandMain", 1, "mnuFile", 2555, 0, 0, false, 0, 0},
        {"mnuBandMain", 2, "mnuTools", 2573, 0, 0, false, 0, 0},
        {"mnuBandMain", 3, "mnuHelps", 34012, 0, 0, false, 0, 0},
        {"mnuBandFile", 4, "mnuSave", 2563, 5023, 19, false, 0, 0},
        {"mnuBandFile", 5, "mnuExit", 2556, 0, 0, true, 0, 0},
        {"mnuBandTool", 6, "mnuClearAll", 9002, 6703, 0, false, 0, 0},
        {"mnuBandTool", 7, "mnuOpenLogFolder", 9063, 6704, 0, true, 9070, 0},
        {"mnuBandTool", 8, "mnuCollectLogs", 9064, 6705, 0, false, 9071, 0},
        {"mnuBandHelp", 10, "TOOL_HELP_F1", 2528, 5025, 27, false, 0, 0},
        {"mnuBandHelp", 9, "mnuContentsAndIndex", 33529, 5022, 0, true, 0, 0},
        {"mnuBandHelp", 12, "mnuOnTheWeb", 33535, 0, 0, true, 0, 0},
        {"mnuBandWeb", 14, "mnuServices", 34125, 5024, 0, false, 0, 0},
        {"mnuBandWeb", 15, "mnuNewsEvents", 34127, 5024, 0, false, 0, 0},
        {"mnuBandWeb", 16, "mnuOnlineSupport", 34129, 5024, 0, true, 0, 0},
        {"mnuBandWeb", 17, "mnuQORHome", 34131, 5024, 0, true, 0, 0},
        {"mnuToolBar", 18, "mnuSaveClose", 13565, 5023, 0, false, 13563, 3},
        {"mnuToolBar", 6, "mnuClearAll", 9002, 6703, 0, true, 9029, 3},
    };
    std::size_t total = 0;
    for (const auto& band : bar) total += band->ToolCount();
    EXPECT_EQ(total, table.size());
    std::map<std::string, std::size_t> position;
    for (const ToolExpectation& row : table) {
        SCOPED_TRACE(std::string(row.key));
        const Band& band = bar.BandByKey(row.band);
        const Tool& tool = band.ToolAt(++position[std::string(row.band)]);  // in the order added
        EXPECT_EQ(tool.Name(), row.key);
        EXPECT_EQ(tool.Id(), row.id);
        EXPECT_EQ(tool.Caption, Text(row.caption));
        EXPECT_EQ(tool.Picture() ? tool.Picture()->Id() : 0, row.picture);
        if (tool.Picture()) {
            EXPECT_EQ(tool.Picture()->Width(), 16);
            EXPECT_EQ(tool.PictureMaskColor(), 0x8000000Fu);
        }
        EXPECT_EQ(tool.Shortcut(), row.shortcut);
        EXPECT_EQ(tool.BeginGroup, row.group);
        EXPECT_EQ(tool.ToolTipText, row.tip ? Text(row.tip) : "");
        EXPECT_EQ(tool.Style, row.style);
    }
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
        d.mTraceTab.LogEnabled = true;
        d.UserKeyDown('L', forms::shift::kAlt);  // Clear all's key
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

// F1 and Ctrl+S run their command once; Ctrl+Tab and Ctrl+Shift+Tab walk the tabs round and
// focus the strip.
TEST_F(Menu, TheDialogsKeys) {
    using namespace forms::shift;
    Run([&](TestDialog& d) {
        d.UserKeyDown(112, 0);
        ASSERT_EQ(shell.help.size(), 1u);  // one help page for one key
        EXPECT_EQ(shell.help[0].file, HelpFilePath());
        EXPECT_EQ(shell.help[0].command, 1u);
        EXPECT_EQ(shell.help[0].data, 819u);  // the topic after load
        d.mlHelpContextId = helpctx::kModuleTab;
        d.UserKeyDown(112, kShift);  // F1 with any shift state
        ASSERT_EQ(shell.help.size(), 2u);
        EXPECT_EQ(shell.help.back().data, 821u);

        Save(d);  // the Save tool's shortcut
        EXPECT_EQ(Saves(), 1);
        std::int16_t key = 'S', ctrl = kCtrl;
        d.Form_KeyDown(key, ctrl);
        EXPECT_EQ(key, 0);  // the bar consumed the key it acted on
        EXPECT_EQ(Saves(), 2);

        int clicks = 0;
        d.tbsOptions.Click.Connect([&] { ++clicks; });
        // Forward from the last back to the first, backward from the first to the last; not
        // exactly Ctrl: nothing.
        // Each walk takes the focus to the strip from the tree shown.
        for (const auto& [shift, tab] : {std::pair{kCtrl, 2}, {kCtrl, 1}, {kCtrl | kShift, 2}, {kCtrl | kShift, 1},
                                        {kCtrl | kAlt, 1}}) {
            forms::TreeView& shown = d.tbsOptions.SelectedIndex() == 1 ? d.tvTrace : d.tvModules;
            shown.SetFocus();
            d.UserKeyDown(9, static_cast<std::int16_t>(shift));
            EXPECT_EQ(d.tbsOptions.SelectedIndex(), tab) << shift;
            EXPECT_EQ(d.ActiveControl(), shift == (kCtrl | kAlt) ? static_cast<forms::Control*>(&shown) : &d.tbsOptions) << shift;
        }
        EXPECT_EQ(clicks, 4);
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
