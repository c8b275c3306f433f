// Menu and tool-bar commands, the dialog's keys and the bar's notifications.
#include "base/Text.h"
#include "dialog/MenuHelp.h"
#include "dialog/frmDiagsConfig.h"
#include "forms/CMousePointer.h"
#include "services/Procedure.h"

namespace diags {

namespace {
constexpr std::string_view kModule = "frmDiags";
constexpr std::int16_t kTab = 9, kEscape = 27, kF1 = 112, kKeyC = 67, kKeyL = 76;
constexpr std::string_view kErrorLog = "ZEL Errors";
}  // namespace

void frmDiagsConfig::abMenuBar_Click(forms::Tool& tool) {
    ErrorRef handlerError;
    const ResultCode outcome = RunProcedure(kModule, "abMenuBar_Click", handlerError, [&] {
        const std::string key = tool.Name();
        CMousePointer busy;
        busy.SetCursor(platform::pointer::kHourglass);
        ErrorRef commandError;

        if (EqualsNoCase(key, "mnuSave")) {
            if (SaveGUIValues(commandError) == ResultCode::Failure) ReportError(commandError);
        } else if (EqualsNoCase(key, "mnuSaveClose")) {
            const ResultCode saved = SaveGUIValues(commandError);
            if (saved == ResultCode::Success) {
                mnResult = static_cast<std::int32_t>(ResultCode::Success);
                Unload();
            } else if (saved == ResultCode::Failure) {
                mnResult = static_cast<std::int32_t>(ResultCode::Failure);
                ReportError(commandError);
            }
        } else if (EqualsNoCase(key, "mnuClearAll")) {
            if (ClearALLOutputObjects(commandError) == ResultCode::Failure) {
                ReportError(commandError);
            } else if (ClearAllTraceSettings(commandError) == ResultCode::Failure) {
                ReportError(commandError);
            } else if (!(mnActiveTab == 1 && EqualsNoCase(msCurrentNode, kErrorLog)) &&
                       ToggleFrame(false) == ResultCode::Failure) {
                ReportError(commandError);  // the panel could not be disabled; tracing stays marked on
            } else {
                mbTraceLogEnabled = false;
            }
        } else if (EqualsNoCase(key, "mnuExit")) {
            mnResult = static_cast<std::int32_t>(ResultCode::Stopped);
            ProcessExit();
        } else if (EqualsNoCase(key, "TOOL_HELP_F1") || EqualsNoCase(key, "mnuContentsAndIndex") ||
                   EqualsNoCase(key, "mnuServices") || EqualsNoCase(key, "mnuNewsEvents") ||
                   EqualsNoCase(key, "mnuOnlineSupport") || EqualsNoCase(key, "mnuQORHome")) {
            if (ProcessMenuHelp(msHelpFile, *this, mlHelpContextId, key, commandError) == ResultCode::Failure)
                ReportError(commandError);
        }
        return ResultCode::Success;
    });
    if (outcome == ResultCode::Failure) ReportError(handlerError);
}

void frmDiagsConfig::Form_KeyDown(std::int16_t& keyCode, std::int16_t& shift) {
    ErrorRef error;  // a failure here is recorded, not shown
    RunProcedure(kModule, "Form_KeyDown", error, [&] {
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
            (void)ProcessMenuHelp(msHelpFile, *this, mlHelpContextId, "TOOL_HELP_F1", helpError);
        }
        if (shift == forms::shift::kAlt && keyCode == kKeyC)
            abMenuBar_Click(abMenuBar.BandByKey("mnuToolBar").ToolByKey("mnuSaveClose"));
        if (shift == forms::shift::kAlt && keyCode == kKeyL)
            abMenuBar_Click(abMenuBar.BandByKey("mnuToolBar").ToolByKey("mnuClearAll"));
        return ResultCode::Success;
    });
}

void frmDiagsConfig::Form_KeyUp(std::int16_t& keyCode, std::int16_t& shift) {
    ErrorRef error;
    RunProcedure(kModule, "Form_KeyUp", error, [&] {
        abMenuBar.OnKeyUp(keyCode, shift);
        return ResultCode::Success;
    });
}

void frmDiagsConfig::abMenuBar_BandResize(forms::Band&) {
    ErrorRef error;
    RunProcedure(kModule, "abMenuBar_BandResize", error, [&] {
        float split = static_cast<float>(picSplitter.Left());
        SizeControls(split);
        return ResultCode::Success;
    });
}

void frmDiagsConfig::abMenuBar_BandOpenQuery(bool& answer) {
    ErrorRef error;
    RunProcedure(kModule, "abMenuBar_BandOpenQuery", error, [&] {
        answer = true;
        return ResultCode::Success;
    });
}

}  // namespace diags
