// Captions from the resource DLL and the tree images.
#include "dialog/frmDiagsConfig.h"
#include "services/Procedure.h"
#include "services/ResourceStrings.h"

namespace diags {

ResultCode frmDiagsConfig::PopulateCaptions(ErrorRef& oError) {
    return RunProcedure("frmDiags", "PopulateCaptions", oError, [&] {
        ResourceStrings& strings = ResourceStrings::Instance();
        SetCaption(strings.GetString(9031));
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
    return RunProcedure("frmDiags", "InitImageList", oError, [&] {
        if (ilsSmall.Count() > 0) return ResultCode::Success;
        ResourceStrings& strings = ResourceStrings::Instance();
        ilsSmall.Add("ClosedFolder", strings.LoadPictureRes(102, 16, 16));
        ilsSmall.Add("ICON_KEY_STOP", strings.LoadPictureRes(148, 16, 16));
        ilsSmall.Add("ICON_KEY_CHECKEDFOLDER", strings.LoadPictureRes(2008, 16, 16));
        return ResultCode::Success;
    });
}

}  // namespace diags
