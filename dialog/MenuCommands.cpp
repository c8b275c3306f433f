// Menu and tool-bar commands, the dialog's keys and the bar's notifications.
#include "base/Text.h"
#include "dialog/MenuHelp.h"
#include "dialog/frmDiagsConfig.h"
#include "forms/CMousePointer.h"
#include "services/Procedure.h"

namespace diags {

namespace {
constexpr std::int16_t kTab = 9, kEscape = 27, kF1 = 112, kKeyC = 67, kKeyL = 76;
}  // namespace

void frmDiagsConfig::abMenuBar_Click(forms::Tool& tool) {
    ErrorRef handlerError;
    const ResultCode outcome = RunProcedure(kDialogModule, "abMenuBar_Click", handlerError, [&] {
        const std::string key = tool.Name();
        CMousePointer busy;
        busy.SetCursor(platform::pointer::kHourglass);
        ErrorRef commandError;

        if (EqualsNoCase(key, toolkey::kSave)) {
            if (SaveGUIValues(commandError) == ResultCode::Failure) ReportError(commandError);
        } else if (EqualsNoCase(key, toolkey::kSaveClose)) {
            const ResultCode saved = SaveGUIValues(commandError);
            if (saved == ResultCode::Success) {
                mnResult = ResultCode::Success;
                Unload();
            } else if (saved == ResultCode::Failure) {
                mnResult = ResultCode::Failure;
                ReportError(commandError);
            }
        } else if (EqualsNoCase(key, toolkey::kClearAll)) {
            if (ClearALLOutputObjects(commandError) == ResultCode::Failure) {
                ReportError(commandError);
            } else if (ClearAllTraceSettings(commandError) == ResultCode::Failure) {
                ReportError(commandError);
            } else if (!(mnActiveTab == kModuleTabActive && EqualsNoCase(msCurrentNode, nodekey::kErrorLog)) &&
                       ToggleFrame(false) == ResultCode::Failure) {
                ReportError(commandError);  // the panel could not be disabled; tracing stays marked on
            } else {
                mTraceTab.LogEnabled = false;
            }
        } else if (EqualsNoCase(key, toolkey::kOpenLogFolder)) {
            if (OpenLogFolder(commandError) == ResultCode::Failure) ReportError(commandError);
        } else if (EqualsNoCase(key, toolkey::kCollectLogs)) {
            if (CollectLogs(commandError) == ResultCode::Failure) ReportError(commandError);
        } else if (EqualsNoCase(key, toolkey::kExit)) {
            mnResult = ResultCode::Stopped;
            ProcessExit();
        } else if (EqualsNoCase(key, toolkey::kHelpF1) || EqualsNoCase(key, toolkey::kContents) ||
                   EqualsNoCase(key, toolkey::kServices) || EqualsNoCase(key, toolkey::kNews) ||
                   EqualsNoCase(key, toolkey::kSupport) || EqualsNoCase(key, toolkey::kHome)) {
            if (ProcessMenuHelp(msHelpFile, *this, mlHelpContextId, key, commandError) == ResultCode::Failure)
                ReportError(commandError);
        }
        return ResultCode::Success;
    });
    if (outcome == ResultCode::Failure) ReportError(handlerError);
}

void frmDiagsConfig::Form_KeyDown(std::int16_t& keyCode, std::int16_t& shift) {
    ErrorRef error;  // a failure here is recorded, not shown
    RunProcedure(kDialogModule, "Form_KeyDown", error, [&] {
        abMenuBar.OnKeyDown(keyCode, shift);
        const auto tabs = static_cast<std::int32_t>(tbsOptions.TabCount());
        if (keyCode == kTab && shift == forms::shift::kCtrl && tabs > 0) {
            const std::int32_t current = tbsOptions.SelectedIndex();
            tbsOptions.Select(current >= tabs ? 1 : current + 1);
            tbsOptions.SetFocus();
        }
        if (keyCode == kTab && shift == (forms::shift::kCtrl | forms::shift::kShift) && tabs > 0) {
            const std::int32_t current = tbsOptions.SelectedIndex();
            tbsOptions.Select(current <= 1 ? tabs : current - 1);
            tbsOptions.SetFocus();
        }
        if (keyCode == kEscape) ProcessExit();
        if (keyCode == kF1) {
            ErrorRef helpError;
            (void)ProcessMenuHelp(msHelpFile, *this, mlHelpContextId, toolkey::kHelpF1, helpError);
        }
        if (shift == forms::shift::kAlt && keyCode == kKeyC)
            abMenuBar_Click(abMenuBar.BandByKey(toolkey::kToolBar).ToolByKey(toolkey::kSaveClose));
        if (shift == forms::shift::kAlt && keyCode == kKeyL)
            abMenuBar_Click(abMenuBar.BandByKey(toolkey::kToolBar).ToolByKey(toolkey::kClearAll));
        return ResultCode::Success;
    });
}

void frmDiagsConfig::Form_KeyUp(std::int16_t& keyCode, std::int16_t& shift) {
    ErrorRef error;
    RunProcedure(kDialogModule, "Form_KeyUp", error, [&] {
        abMenuBar.OnKeyUp(keyCode, shift);
        return ResultCode::Success;
    });
}

void frmDiagsConfig::abMenuBar_BandResize(forms::Band&) {
    ErrorRef error;
    RunProcedure(kDialogModule, "abMenuBar_BandResize", error, [&] {
        float split = static_cast<float>(picSplitter.Left());
        SizeControls(split);
        return ResultCode::Success;
    });
}

void frmDiagsConfig::abMenuBar_BandOpenQuery(bool& answer) {
    ErrorRef error;
    RunProcedure(kDialogModule, "abMenuBar_BandOpenQuery", error, [&] {
        answer = true;
        return ResultCode::Success;
    });
}

}  // namespace diags
