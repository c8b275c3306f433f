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

    const std::pair<std::string, std::int32_t> shown[] = {
        {dialog.Caption(), 9031}, {dialog.optFileOptions(0).Caption(), 9000},
        {dialog.optFileOptions(1).Caption(), 9001}, {dialog.optFileOptions(2).Caption(), 9062},
        {dialog.chkDbgMntr.Caption(), 9004}, {dialog.chkLogfile.Caption(), 9016},
        {dialog.fraOutput.Caption(), 9020}, {dialog.lblDirectory.Caption(), 9005},
        {dialog.lblFileName.Caption(), 9013}, {dialog.lblFileSize.Caption(), 9014},
        {dialog.sbStatus.PanelText(1), 9023}, {dialog.tbsOptions.TabAt(1).Caption, 13572},
        {dialog.tbsOptions.TabAt(2).Caption, 13501}};
    for (const auto& [caption, id] : shown) EXPECT_EQ(caption, Text(id)) << id;
    EXPECT_EQ(dialog.cmdBrowse.Caption(), "...");
}

TEST_F(Captions, TheImageListIsFilledOnceWithThreeKeyedImages) {
    frmDiagsConfig dialog;
    ASSERT_EQ(dialog.InitImageList(error), ResultCode::Success);
    ASSERT_EQ(dialog.InitImageList(error), ResultCode::Success);
    ASSERT_EQ(dialog.ilsSmall.Count(), 3u);
    const std::pair<std::string, std::int32_t> images[] = {
        {"ClosedFolder", 102}, {"ICON_KEY_STOP", 148}, {"ICON_KEY_CHECKEDFOLDER", 2008}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(dialog.ilsSmall.KeyAt(i + 1), images[i].first);
        EXPECT_EQ(dialog.ilsSmall.Item(images[i].first)->Id(), images[i].second);
        EXPECT_EQ(dialog.ilsSmall.Item(images[i].first)->Width(), 16);
    }
}

// The design settings the procedures rely on.
TEST_F(Captions, TheDesignedDialogCarriesWhatTheProceduresRelyOn) {
    frmDiagsConfig dialog;
    EXPECT_EQ(dialog.ClientWidth(), 8445);
    EXPECT_EQ(dialog.ClientHeight(), 7050);
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
