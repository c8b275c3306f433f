// PLACEHOLDERS: the module tree, the trace tree, check propagation, the output panel, the
// panel events with the tab switch, and saving are not built yet. Until they land, each
// procedure below does the least that lets the dialog start and close, and returns 1.
// Replace each body with the real procedure; keep the signatures.
#include "dialog/frmDiagsConfig.h"

namespace diags {

ResultCode frmDiagsConfig::FillModulesTree(ErrorRef&) {
    // Placeholder: the records come from the host's log configuration once the module tree
    // is built. Meanwhile there is the one record every dialog has, the error log.
    if (!mcolOutputs) mcolOutputs = NewCollection<COutput>();
    if (!mcolOutputs->Contains("ZEL Errors")) {
        auto errorLog = std::make_shared<COutput>();
        errorLog->Key = errorLog->Name = errorLog->Parent = "ZEL Errors";
        mcolOutputs->Add(errorLog, "ZEL Errors");
    }
    return ResultCode::Success;
}

ResultCode frmDiagsConfig::PopulateTraceTree(ErrorRef&) { return ResultCode::Success; }
ResultCode frmDiagsConfig::ConsolidateTraceSettings(ErrorRef&) { return ResultCode::Success; }
ResultCode frmDiagsConfig::ApplyAllTraceSettings2Interface(ErrorRef&) { return ResultCode::Success; }
ResultCode frmDiagsConfig::CheckRootTraceNode(ErrorRef&) { return ResultCode::Success; }
ResultCode frmDiagsConfig::ClearALLOutputObjects(ErrorRef&) { return ResultCode::Success; }
ResultCode frmDiagsConfig::ClearAllTraceSettings(ErrorRef&) { return ResultCode::Success; }
ResultCode frmDiagsConfig::ToggleFrame(bool) { return ResultCode::Success; }
ResultCode frmDiagsConfig::SaveGUIValues(ErrorRef&) { return ResultCode::Success; }
void frmDiagsConfig::tbsOptions_Click() {}
void frmDiagsConfig::tvTrace_Click(forms::Node*) {}
void frmDiagsConfig::tvModules_NodeClick(forms::Node&) {}

}  // namespace diags
