// The menu/tool bar: bands and tools by key, shortcuts, sub-menus and docking.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/Form.h"
#include "forms/MenuBar.h"
#include "tests/support/TestSupport.h"

namespace diags::forms {
namespace {

using testing::ErrorOf;

struct BarFixture : ::testing::Test {
    BarFixture() {
        form.AddControl(bar);
        Band& main = bar.AddBand("mnuBandMain");
        main.SetKind(band_kind::kMenuBar);
        main.AddTool(1, "mnuFile").SubBand = "mnuBandFile";
        Band& file = bar.AddBand("mnuBandFile");
        file.SetKind(band_kind::kPopup);
        file.AddTool(4, "mnuSave").SetShortcut(19);
        Band& help = bar.AddBand("mnuBandHelp");
        help.SetKind(band_kind::kPopup);
        help.AddTool(10, "TOOL_HELP_F1").SetShortcut(27);
        Band& tools = bar.AddBand("mnuToolBar");
        tools.AddTool(6, "mnuClearAll");
        bar.Click.Connect([this](Tool& tool) { clicks.push_back(tool.Name()); });
    }
    Form form{"frmDiagsConfig"};
    MenuBar bar{"abMenuBar"};
    std::vector<std::string> clicks;
};

TEST_F(BarFixture, BandsAndToolsAreFoundByKeyWithoutRegardToCase) {
    EXPECT_EQ(bar.BandByKey("MNUBANDFILE").ToolByKey("MNUSAVE").Id(), 4);
    EXPECT_EQ(ErrorOf([&] { bar.AddBand("mnubandmain"); }), 35602);
    EXPECT_EQ(ErrorOf([&] { bar.BandByKey("mnuBandFile").AddTool(9, "MNUSAVE"); }), 35602);
    EXPECT_EQ(ErrorOf([&] { bar.BandByKey("mnuBandWeb"); }), 35601);
    EXPECT_EQ(ErrorOf([&] { bar.BandByKey("mnuBandFile").SetKind(3); }), 380);
    EXPECT_EQ(ErrorOf([&] { bar.BandByKey("mnuBandFile").ToolByKey("mnuSave").SetShortcut(80); }), 380);
    // The same id and key may appear in another band.
    bar.BandByKey("mnuBandFile").AddTool(6, "mnuClearAll");
    EXPECT_EQ(bar.BandByKey("mnuBandFile").ToolCount(), 2u);
}

TEST_F(BarFixture, AShortcutChoosesItsToolAndConsumesTheKey) {
    std::int16_t key = 'S', shift = 2;
    bar.OnKeyDown(key, shift);
    EXPECT_EQ(clicks, std::vector<std::string>{"mnuSave"});
    EXPECT_EQ(key, 0);  // the form does not act on it a second time

    key = 112, shift = 0;
    bar.OnKeyDown(key, shift);
    EXPECT_EQ(key, 0);
    key = 'S', shift = 6;  // Ctrl+Alt+S is no shortcut
    bar.OnKeyDown(key, shift);
    EXPECT_EQ(key, 'S');
    EXPECT_EQ(clicks, (std::vector<std::string>{"mnuSave", "TOOL_HELP_F1"}));
}

TEST_F(BarFixture, AToolWithASubBandOpensItOnlyWhenTheQueryAnswersTrue) {
    bar.UserClickTool("mnuBandMain", "mnuFile");
    EXPECT_FALSE(bar.BandByKey("mnuBandFile").Open());
    bar.BandOpenQuery.Connect([](bool& answer) { answer = true; });
    bar.UserClickTool("mnuBandMain", "mnuFile");
    EXPECT_TRUE(bar.BandByKey("mnuBandFile").Open());
    EXPECT_TRUE(clicks.empty());  // opening a menu is not a command

    bar.BandByKey("mnuToolBar").ToolByKey("mnuClearAll").Enabled = false;
    bar.UserClickTool("mnuToolBar", "mnuClearAll");
    EXPECT_TRUE(clicks.empty());
}

TEST_F(BarFixture, TheDockedBandsReserveTheTopOfTheFormAndReportTheChangeOnce) {
    form.SetClientSize(8445, 7050);
    int resizes = 0;
    bar.BandResize.Connect([&](Band&) { ++resizes; });
    bar.RecalcLayout();
    bar.RecalcLayout();
    EXPECT_EQ(resizes, 1);
    EXPECT_EQ(bar.DockedHeight(), MenuBar::kMenuBandHeight + MenuBar::kToolBandHeight);
    EXPECT_EQ(form.ScaleHeight(), 7050 - bar.DockedHeight());
}

}  // namespace
}  // namespace diags::forms
