// Captions from the resource DLL and the tree images.
#include "dialog/frmDiagsConfig.h"
#include "services/Procedure.h"
#include "services/ResourceStrings.h"

namespace diags {

ResultCode frmDiagsConfig::PopulateCaptions(ErrorRef& oError) {
    return RunProcedure(kDialogModule, "PopulateCaptions", oError, [&] {
        ResourceStrings& strings = ResourceStrings::Instance();
        SetCaption(strings.GetString(dlgres::kDialogTitle));
        optFileOptions(0).SetCaption(strings.GetString(9000));
        optFileOptions(1).SetCaption(strings.GetString(9001));
        optFileOptions(2).SetCaption(strings.GetString(9062));
        chkDbgMntr.SetCaption(strings.GetString(9004));
        chkLogfile.SetCaption(strings.GetString(9016));
        fraOutput.SetCaption(strings.GetString(9020));
        lblDirectory.SetCaption(strings.GetString(9005));
        lblFileName.SetCaption(strings.GetString(9013));
        lblFileSize.SetCaption(strings.GetString(9014));
        sbStatus.SetPanelText(1, strings.GetString(9023));
        tbsOptions.SetTabCaption(1, strings.GetString(13572));
        tbsOptions.SetTabCaption(2, strings.GetString(13501));
        return ResultCode::Success;
    });
}

ResultCode frmDiagsConfig::InitImageList(ErrorRef& oError) {
    return RunProcedure(kDialogModule, "InitImageList", oError, [&] {
        if (ilsSmall.Count() > 0) return ResultCode::Success;
        ResourceStrings& strings = ResourceStrings::Instance();
        ilsSmall.Add(imagekey::kClosedFolder, strings.LoadPictureRes(dlgres::kClosedFolderPicture, 16, 16));
        ilsSmall.Add(imagekey::kOutput, strings.LoadPictureRes(dlgres::kOutputPicture, 16, 16));
        ilsSmall.Add(imagekey::kCheckedFolder, strings.LoadPictureRes(dlgres::kCheckedFolderPicture, 16, 16));
        return ResultCode::Success;
    });
}

}  // namespace diags
