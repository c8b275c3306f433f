// Every text the user reads comes from the resource module; the tree images are keyed once.
#include <gtest/gtest.h>

#include "dialog/frmDiagsConfig.h"
#include "tests/dialog/DialogHarness.h"

namespace diags::testing {
namespace {

class Captions : public DialogTest {};

TEST_F(Captions, EveryDesignNameIsReplacedInOrderAndTheBrowseButtonKeepsItsDots) {
    frmDiagsConfig dialog;
    ASSERT_EQ(dialog.PopulateCaptions(error), ResultCode::Success);

    EXPECT_EQ(dialog.Caption(), Text(9031));
    EXPECT_EQ(dialog.optFileOptions(0).Caption(), Text(9000));
    EXPECT_EQ(dialog.optFileOptions(1).Caption(), Text(9001));
    EXPECT_EQ(dialog.optFileOptions(2).Caption(), Text(9062));
    EXPECT_EQ(dialog.chkDbgMntr.Caption(), Text(9004));
    EXPECT_EQ(dialog.chkLogfile.Caption(), Text(9016));
    EXPECT_EQ(dialog.fraOutput.Caption(), Text(9020));
    EXPECT_EQ(dialog.lblDirectory.Caption(), Text(9005));
    EXPECT_EQ(dialog.lblFileName.Caption(), Text(9013));
    EXPECT_EQ(dialog.lblFileSize.Caption(), Text(9014));
    EXPECT_EQ(dialog.sbStatus.PanelText(1), Text(9023));
    EXPECT_EQ(dialog.tbsOptions.TabAt(1).Caption, Text(13572));
    EXPECT_EQ(dialog.tbsOptions.TabAt(2).Caption, Text(13501));
    EXPECT_EQ(dialog.cmdBrowse.Caption(), "...");

    // No control of the output panel shows its design-time name any more.
    for (forms::Control* control : dialog.Controls()) {
        if (control->Container() != &dialog.fraOutput) continue;
        if (auto* captioned = dynamic_cast<forms::CaptionedControl*>(control)) {
            EXPECT_NE(captioned->Caption(), control->Name());
        }
    }
    for (const std::string& text : {dialog.Caption(), dialog.chkLogfile.Caption(), dialog.sbStatus.PanelText(1)})
        EXPECT_EQ(text.find("<missing"), std::string::npos) << text;
}

TEST_F(Captions, TheImageListIsFilledOnceWithThreeKeyedImages) {
    frmDiagsConfig dialog;
    ASSERT_EQ(dialog.InitImageList(error), ResultCode::Success);
    ASSERT_EQ(dialog.InitImageList(error), ResultCode::Success);
    ASSERT_EQ(dialog.ilsSmall.Count(), 3u);
    EXPECT_EQ(dialog.ilsSmall.KeyAt(1), "ClosedFolder");
    EXPECT_EQ(dialog.ilsSmall.KeyAt(2), "ICON_KEY_STOP");
    EXPECT_EQ(dialog.ilsSmall.KeyAt(3), "ICON_KEY_CHECKEDFOLDER");
    EXPECT_EQ(dialog.ilsSmall.Item("ClosedFolder")->Id(), 102);
    EXPECT_EQ(dialog.ilsSmall.Item("ICON_KEY_STOP")->Id(), 148);
    EXPECT_EQ(dialog.ilsSmall.Item("ICON_KEY_CHECKEDFOLDER")->Id(), 2008);
    EXPECT_EQ(dialog.ilsSmall.Item(1)->Width(), 16);
}

// The design settings the procedures rely on.
TEST_F(Captions, TheDesignedDialogCarriesWhatTheProceduresRelyOn) {
    frmDiagsConfig dialog;
    EXPECT_EQ(dialog.ClientWidth(), 8445);
    EXPECT_EQ(dialog.ClientHeight(), 7050);
    EXPECT_TRUE(dialog.KeyPreview());
    EXPECT_EQ(dialog.Controls().Count(), 27u);
    EXPECT_EQ(dialog.txtDirectory.Container(), &dialog.fraOutput);
    EXPECT_EQ(dialog.lblStatusValue.Container(), &dialog.pctStatusContainer);
    EXPECT_EQ(dialog.optFileOptions.SelectedIndex(), 2);
    EXPECT_EQ(dialog.picSplitter.Left(), 3480);
    EXPECT_FALSE(dialog.frmStatus.Visible() || dialog.picSplitter.Visible() || dialog.tvModules.Visible());
    EXPECT_EQ(dialog.txtFileSize.MaxCharPerCell(), 5);
    EXPECT_EQ(dialog.txtFileSize.MinValuePerCell(), 24);
    EXPECT_EQ(dialog.txtFileSize.MaxValuePerCell(), 99999);
}

}  // namespace
}  // namespace diags::testing
