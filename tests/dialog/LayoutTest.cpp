// Layout numbers for given sizes, the minimum size, the splitter drag and the status panel.
#include <gtest/gtest.h>

#include <array>

#include "dialog/frmDiagsConfig.h"
#include "tests/dialog/DialogHarness.h"

namespace diags::testing {
namespace {

class Layout : public DialogTest {
protected:
    // The designed inner area (no docked bars) with the split where the design has it.
    void LayOutDesignSize() {
        dialog.SetClientSize(8445, 7050);
        float X = 3480;
        dialog.SizeControls(X);
    }
    frmDiagsConfig dialog;
};

// left, top, width, height
std::array<std::int32_t, 4> Box(const forms::Control& c) { return {c.Left(), c.Top(), c.Width(), c.Height()}; }
using Numbers = std::array<std::int32_t, 4>;

TEST_F(Layout, EveryControlFollowsTheSplitAndTheInnerArea) {
    dialog.SetClientSize(8445, 7050);
    float X = 3480;
    dialog.SizeControls(X);
    EXPECT_EQ(X, 3480.0f);

    EXPECT_EQ(Box(dialog.tbsOptions), (Numbers{60, 60, 8445 - 120, 7050 - 315 - 120}));
    for (const forms::TreeView* tree : {&dialog.tvTrace, &dialog.tvModules})
        EXPECT_EQ(Box(*tree), (Numbers{180, 500, 3480 - 180, 7050 - 315 - 500 - 120}));
    EXPECT_EQ(dialog.fraOutput.Left(), 3540);
    EXPECT_EQ(dialog.fraOutput.Top(), 400);
    EXPECT_EQ(dialog.fraOutput.Width(), 8445 - (3300 + 180 + 240));
    EXPECT_EQ(dialog.imgSplitter.Left(), 3480);
    EXPECT_EQ(dialog.imgSplitter.Width(), 60);
    EXPECT_EQ(dialog.imgSplitter.Height(), dialog.tvTrace.Height());

    const std::int32_t W = dialog.fraOutput.Width();  // 4725
    EXPECT_EQ(dialog.chkDbgMntr.Top(), 240);
    EXPECT_EQ(dialog.chkDbgMntr.Width(), W - 240);
    EXPECT_EQ(dialog.chkLogfile.Top(), 240 + 315 + 60);
    EXPECT_EQ(dialog.lblDirectory.Width(), W - 540);
    EXPECT_EQ(dialog.txtDirectory.Width(), W - 540 - 2 * 315);
    // Both field rows end 315 twips short of the frame's width.
    EXPECT_EQ(dialog.cmdBrowse.Left() + dialog.cmdBrowse.Width(), W - 315);
    EXPECT_EQ(dialog.txtFileName.Left() + dialog.txtFileName.Width(), W - 315);
    EXPECT_EQ(dialog.cmdBrowse.Top(), dialog.txtDirectory.Top());
    // File modes top to bottom: Overwrite, Append, Circular log.
    EXPECT_LT(dialog.optFileOptions(2).Top(), dialog.optFileOptions(0).Top());
    EXPECT_LT(dialog.optFileOptions(0).Top(), dialog.optFileOptions(1).Top());
    EXPECT_EQ(dialog.optFileOptions(1).Top() + 315 + 60, dialog.lblFileSize.Top());
    EXPECT_EQ(dialog.txtFileSize.Top(), dialog.lblFileSize.Top() + 375);
    EXPECT_EQ(dialog.txtFileSize.Width(), 1500);
    EXPECT_EQ(dialog.sbStatus.Top(), 7050 - 315);
}

TEST_F(Layout, TheSplitIsKeptWithinLimitsAndWrittenBack) {
    dialog.SetClientSize(8445, 7050);  // outer width 8445 + border
    float X = 100;
    dialog.SizeControls(X);
    EXPECT_EQ(X, 1500.0f);
    EXPECT_EQ(dialog.tvTrace.Width(), 1320);

    X = 99999;
    dialog.SizeControls(X);
    EXPECT_EQ(X, static_cast<float>(dialog.Width() - 1500));

    // Narrower than 3000 the upper limit wins.
    dialog.SetWidth(2500);
    X = 2000;
    dialog.SizeControls(X);
    EXPECT_EQ(X, 1000.0f);
}

TEST_F(Layout, ANarrowFrameKeepsItsContentsWhereTheyWere) {
    LayOutDesignSize();
    const std::int32_t before = dialog.txtFileName.Width();
    // A frame exactly 3000 wide: 3000 = inner - (X - 180 + 420) -> inner = X + 3240.
    float X = 2000;
    dialog.SetClientSize(2000 + 3240, 7050);
    dialog.SizeControls(X);
    EXPECT_EQ(dialog.fraOutput.Width(), 3000);
    EXPECT_EQ(dialog.txtFileName.Width(), before);
    dialog.SetClientSize(2001 + 3240, 7050);
    dialog.SizeControls(X);
    EXPECT_EQ(dialog.fraOutput.Width(), 3001);
    EXPECT_EQ(dialog.txtFileName.Width(), 3001 - 540 - 315);
    EXPECT_EQ(dialog.cmdBrowse.Left() + dialog.cmdBrowse.Width(), 3001 - 315);
}

TEST_F(Layout, ATinyDialogSkipsTheStatementsThatFail) {
    dialog.SetClientSize(200, 300);
    float X = 3480;
    dialog.SizeControls(X);  // heights come out negative: those statements are skipped
    EXPECT_EQ(dialog.tbsOptions.Left(), 60);
    EXPECT_EQ(dialog.tvTrace.Top(), 500);
    EXPECT_EQ(dialog.tvTrace.Height(), 6115);  // kept its previous value
}

TEST_F(Layout, ResizingBelowTheMinimumSnapsBack) {
    dialog.UserResize(2000, 4000);
    EXPECT_EQ(dialog.Width(), 3000);
    EXPECT_EQ(dialog.Height(), 6000);
    dialog.UserResize(9000, 8000);
    EXPECT_EQ(dialog.Width(), 9000);
    EXPECT_EQ(dialog.tbsOptions.Width(), dialog.ScaleWidth() - 120);
    dialog.UserSetWindowState(1);  // minimised: nothing can be sized, nothing fails
    EXPECT_EQ(dialog.Width(), 9000);
}

TEST_F(Layout, DraggingTheGripToTheFarLeftShowsTheBarAt500AndTreesOf1320) {
    LayOutDesignSize();
    dialog.imgSplitter.UserMouseDown(forms::button::kLeft, 0, 30, 100);
    EXPECT_TRUE(dialog.picSplitter.Visible());
    EXPECT_EQ(dialog.picSplitter.BackColor(), 0x808080u);
    EXPECT_EQ(dialog.picSplitter.BorderStyle(), 0);  // a plain grey bar, no frame
    EXPECT_TRUE(dialog.mbSplitterMoving);
    EXPECT_EQ(dialog.picSplitter.Left(), 3480);
    EXPECT_EQ(dialog.picSplitter.Width(), 30);
    EXPECT_EQ(dialog.picSplitter.Height(), dialog.imgSplitter.Height() - 20);

    dialog.imgSplitter.UserMouseMove(forms::button::kLeft, 0, -3400, 100);
    EXPECT_EQ(dialog.picSplitter.Left(), 500);
    EXPECT_EQ(dialog.tvTrace.Width(), 3300);  // nothing else moves during the drag
    dialog.imgSplitter.UserMouseUp(forms::button::kLeft, 0, -3400, 100);
    EXPECT_EQ(dialog.tvTrace.Width(), 1500 - 180);
    EXPECT_FALSE(dialog.picSplitter.Visible());
    EXPECT_FALSE(dialog.mbSplitterMoving);

    dialog.imgSplitter.UserMouseMove(0, 0, 200, 100);  // not dragging: ignored
    EXPECT_EQ(dialog.picSplitter.Left(), 500);
    dialog.imgSplitter.UserMouseDown(forms::button::kLeft, 0, 0, 0);
    dialog.imgSplitter.UserMouseMove(forms::button::kLeft, 0, 50000, 0);
    EXPECT_EQ(dialog.picSplitter.Left(), dialog.Width() - 500);
    dialog.imgSplitter.UserMouseMove(forms::button::kLeft, 0, 1000, 0);
    EXPECT_EQ(dialog.picSplitter.Left(), 1500 + 1000);
}

TEST_F(Layout, TheStatusPanelIsCentredAtMost5600WideAndShowsEachProgressText) {
    dialog.SetClientSize(5960, 7050);
    dialog.ShowStatusPanel();
    EXPECT_EQ(dialog.frmStatus.Width(), 5600);
    EXPECT_EQ(dialog.frmStatus.Left(), 180);
    EXPECT_EQ(dialog.frmStatus.Top(), 2978);  // 3525 - 547.5
    EXPECT_TRUE(dialog.frmStatus.Visible());
    EXPECT_GT(dialog.frmStatus.ZOrderRank(), dialog.fraOutput.ZOrderRank());
    EXPECT_EQ(dialog.lblStatusTitle.Caption(), Text(dlgres::kStatusTitle));
    EXPECT_TRUE(dialog.lblStatusTitle.FontBold());
    EXPECT_EQ(dialog.lblStatusTitle.BackColor(), 0x80000002u);
    EXPECT_EQ(dialog.lblStatusValue.Caption(), "");
    EXPECT_EQ(dialog.cmdStatusContainer.Caption(), "");
    EXPECT_EQ(dialog.cmdStatusContainer.Width(), 5600);
    EXPECT_EQ(dialog.pctStatusContainer.Width(), 5500);
    ASSERT_TRUE(dialog.imgClock.Picture());
    EXPECT_EQ(dialog.imgClock.Width(), 32 * 15);
    EXPECT_EQ(dialog.lblStatusValue.Left(), 480 + 220);
    EXPECT_EQ(dialog.lblStatusValue.Top(), 255 + 60 + 60);
    EXPECT_EQ(dialog.lblStatusValue.Width(), 5600 - 700 - 100);
    EXPECT_EQ(dialog.RefreshCount(), 1);

    const std::int32_t repaints = dialog.lblStatusValue.RefreshCount();
    dialog.SetStatusValue("ZEL AuthServer");
    EXPECT_EQ(dialog.lblStatusValue.Caption(), "ZEL AuthServer");
    EXPECT_EQ(dialog.lblStatusValue.RefreshCount(), repaints + 1);

    dialog.SetClientSize(5959, 7050);
    dialog.ShowStatusPanel();
    EXPECT_EQ(dialog.frmStatus.Width(), 5959 - 360);
}

}  // namespace
}  // namespace diags::testing
