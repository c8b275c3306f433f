// The panel's notifications on both tabs, the tab switch with the trace tab's remembered
// values, the defaults when logging to file is switched on, focus and the folder browser.
//
// On the trace tab every edit is remembered in the trace-tab fields and pushed into the
// checked trace settings; on the module tab an edit marks the record shown as edited.
#include <variant>

#include "base/RuntimeError.h"
#include "base/ScopedValue.h"
#include "base/Text.h"
#include "common/General.h"
#include "common/modCommonFunctions.h"
#include "common/modRegistry.h"
#include "dialog/RunHandler.h"
#include "dialog/frmDiagsConfig.h"
#include "platform/Platform.h"
#include "services/Procedure.h"

namespace diags {

namespace {

constexpr std::int32_t kShiftKey = 0x10;
constexpr std::int32_t kTraceTab = 1, kModuleTab = 2;

// Removes leading blanks from a box's text, keeping the caret on the same character. A text
// without leading blanks is left alone (no notification, no caret move).
template <class Box>
void StripLeadingBlanks(Box& box) {
    const std::string text = box.Text();
    const std::string_view kept = TrimLeft(text);
    if (kept.size() == text.size()) return;
    const auto removed = static_cast<std::int32_t>(text.size() - kept.size());
    const std::int32_t caret = box.SelStart();
    box.SetText(kept);
    box.SetSelStart(caret > removed ? caret - removed : 0);
}

// The trace tab keeps a size below the smallest one as the smallest.
std::string SizeToRemember(const std::string& text) {
    const bool tooSmall = !Trim(text).empty() && ReadInt32(text) < defaults::kMinFileSize;
    return tooSmall ? NumberToText(defaults::kMinFileSize) : text;
}

// The directory logs go to by default: the product's common files folder plus "Log".
std::string DefaultLogDirectory() {
    const RegistryValue value = GetRegistryValue(defaults::kCommonFilesKey, defaults::kCommonFilesValue);
    std::string base;
    if (const auto* text = std::get_if<std::string>(&value)) base = *text;
    else if (const auto* number = std::get_if<std::int32_t>(&value)) base = std::to_string(*number);
    const char separator = platform::Current().fileSystem->Separator();
    if (base.empty() || (base.back() != separator && base.back() != '\\')) base += separator;
    return base + std::string(defaults::kLogFolder);
}

}  // namespace

void frmDiagsConfig::WirePanelEvents() {
    tbsOptions.Click.Connect([this] { tbsOptions_Click(); });
    chkLogfile.Click.Connect([this] { chkLogfile_Click(); });
    chkDbgMntr.Click.Connect([this] { chkDbgMntr_Click(); });
    optFileOptions.Click.Connect([this](int index) { optFileOptions_Click(index); });
    txtDirectory.Change.Connect([this] { txtDirectory_Change(); });
    txtFileName.Change.Connect([this] { txtFileName_Change(); });
    txtFileSize.Change.Connect([this] { txtFileSize_Change(); });
    txtDirectory.GotFocus.Connect([this] { txtDirectory_GotFocus(); });
    txtFileName.GotFocus.Connect([this] { txtFileName_GotFocus(); });
    txtFileSize.GotFocus.Connect([this] { txtFileSize_GotFocus(); });
    cmdBrowse.Click.Connect([this] { cmdBrowse_Click(); });
}

void frmDiagsConfig::RememberTraceTabValues() { mTraceTab.LogEnabled = chkLogfile.Enabled(); }

void frmDiagsConfig::RestoreTraceTabValues() {
    const TraceTabValues& tab = mTraceTab;
    (void)ToggleFrame(tab.LogEnabled);
    ScopedValue<bool> quiet(mbEventsEnabled, false);
    mbPanelShowsRecord = false;
    chkLogfile.SetValue(tab.LogToFile ? 1 : 0);
    chkDbgMntr.SetValue(tab.DebugMonitor ? 1 : 0);
    optFileOptions(1).SetValue(tab.Circular);
    optFileOptions(0).SetValue(tab.Append);
    if (!tab.Circular && !tab.Append) optFileOptions(2).SetValue(true);
    txtFileName.SetText(tab.FileName);
    txtDirectory.SetText(tab.Directory);
    txtFileSize.SetText(tab.FileSize);
    (void)ToggleLogFile(IntToBool(chkLogfile.Value()) && tab.LogEnabled);
}

void frmDiagsConfig::tbsOptions_Click() {
    RunHandler("tbsOptions_Click", [&] {
        const std::int32_t tab = tbsOptions.SelectedIndex();
        if (tab == kTraceTab) {
            mnActiveTab = kTraceTabActive;
            fraOutput.SetVisible(true);
            tvModules.SetVisible(false);
            tvTrace.SetVisible(true);
            RestoreTraceTabValues();
            ErrorRef stepError;
            if (ConsolidateTraceSettings(stepError) == ResultCode::Failure ||
                ApplyAllTraceSettings2Interface(stepError) == ResultCode::Failure) {
                ReportError(stepError);
                return ResultCode::Success;
            }
            // Consolidation may have unchecked modules whose outputs were all switched off.
            for (forms::Node* root = tvTrace.FirstRoot(); root != nullptr; root = root->Next())
                (void)ApplyNodesParent(*root, stepError);
            mlHelpContextId = helpctx::kTraceTab;
        } else if (tab == kModuleTab) {
            if (mnActiveTab == kTraceTabActive) RememberTraceTabValues();
            mnActiveTab = kModuleTabActive;
            fraOutput.SetVisible(true);
            tvModules.SetVisible(true);
            tvTrace.SetVisible(false);
            chkLogfile.SetEnabled(true);
            if (forms::Node* selected = tvModules.SelectedItem()) {
                selected->EnsureVisible();
                tvModules_NodeClick(*selected);
            }
            mlHelpContextId = helpctx::kModuleTab;
        }
        return ResultCode::Success;
    });
}

bool frmDiagsConfig::PropagateTraceTab(bool checkEmpty) {
    if (!mbEventsEnabled) return true;
    ErrorRef stepError;
    if (TraceGUIChanges(true, stepError) == ResultCode::Failure) {
        ReportError(stepError);
        return false;
    }
    if (checkEmpty && !mTraceTab.DebugMonitor && CheckOutputEmpty(stepError) == ResultCode::Failure)
        ReportError(stepError);
    return true;
}

template <class Box>
void frmDiagsConfig::PanelTextChanged(Box& box, std::string& remembered, std::string (*remember)(const std::string&)) {
    if (mnActiveTab == kModuleTabActive) {
        StripLeadingBlanks(box);
        (void)SetDirtyNode();
    } else if (!mbFillingPanel) {
        remembered = remember != nullptr ? remember(box.Text()) : box.Text();
        PropagateTraceTab(false);
    }
}

void frmDiagsConfig::txtDirectory_Change() {
    RunHandler("txtDirectory_Change", [&] {
        PanelTextChanged(txtDirectory, mTraceTab.Directory);
        return ResultCode::Success;
    });
}

void frmDiagsConfig::txtFileName_Change() {
    RunHandler("txtFileName_Change", [&] {
        PanelTextChanged(txtFileName, mTraceTab.FileName);
        return ResultCode::Success;
    });
}

void frmDiagsConfig::txtFileSize_Change() {
    RunHandler("txtFileSize_Change", [&] {
        PanelTextChanged(txtFileSize, mTraceTab.FileSize, &SizeToRemember);
        return ResultCode::Success;
    });
}

void frmDiagsConfig::chkLogfile_Click() {
    RunHandler("chkLogfile_Click", [&] {
        if (mnActiveTab != kModuleTabActive && mbFillingPanel) return ResultCode::Success;
        // Switching logging on fills in what a log file needs, but only for the user's own
        // tick: not while the dialog fills the panel from a record or restores a tab.
        if (chkLogfile.Value() == 1 && mbEventsEnabled && !mbFillingPanel) {
            if (Trim(txtDirectory.Text()).empty()) txtDirectory.SetText(DefaultLogDirectory());
            if (txtFileName.Text().empty()) txtFileName.SetText(defaults::kFileName);
            if (ReadInt32(txtFileSize.Text()) == 0) txtFileSize.SetText(NumberToText(defaults::kMinFileSize));
        }
        if (mnActiveTab == kModuleTabActive) {
            (void)ToggleLogFile(IntToBool(chkLogfile.Value()));
            (void)SetDirtyNode();
        } else {
            mTraceTab.LogToFile = chkLogfile.Value() == 1;
            if (mbEventsEnabled) {
                (void)ToggleLogFile(IntToBool(chkLogfile.Value()));
                PropagateTraceTab(true);
            }
        }
        return ResultCode::Success;
    });
}

void frmDiagsConfig::chkDbgMntr_Click() {
    RunHandler("chkDbgMntr_Click", [&] {
        if (mnActiveTab == kModuleTabActive) {
            (void)SetDirtyNode();
        } else if (!mbFillingPanel) {
            mTraceTab.DebugMonitor = chkDbgMntr.Value() == 1;
            PropagateTraceTab(true);
        }
        return ResultCode::Success;
    });
}

void frmDiagsConfig::optFileOptions_Click(int /*index*/) {
    RunHandler("optFileOptions_Click", [&] {
        if (mnActiveTab == kModuleTabActive) {
            (void)SetDirtyNode();
            (void)ToggleLogFile(IntToBool(chkLogfile.Value()));
        } else if (!mbFillingPanel) {
            mTraceTab.Append = optFileOptions(0).Value();
            mTraceTab.Circular = optFileOptions(1).Value();
            if (PropagateTraceTab(false)) (void)ToggleLogFile(IntToBool(chkLogfile.Value()));
        }
        return ResultCode::Success;
    });
}

void frmDiagsConfig::txtDirectory_GotFocus() {
    RunHandler("txtDirectory_GotFocus", [&] {
        if (!txtDirectory.Text().empty()) SelectAllText(txtDirectory);
        return ResultCode::Success;
    });
}

void frmDiagsConfig::txtFileName_GotFocus() {
    RunHandler("txtFileName_GotFocus", [&] {
        if (!txtFileName.Text().empty()) SelectAllText(txtFileName);
        return ResultCode::Success;
    });
}

void frmDiagsConfig::txtFileSize_GotFocus() {
    RunHandler("txtFileSize_GotFocus", [&] {
        txtFileSize.SelectCell();
        if (!txtFileSize.Enable()) {
            // A size box that takes no input is passed over in the direction of travel.
            platform::Interaction& user = *platform::Current().interaction;
            const bool shiftDown = (user.AsyncKeyState(kShiftKey) & 0x8000) != 0;
            user.SendKeys(shiftDown ? "+{TAB}" : "{TAB}");
        }
        return ResultCode::Success;
    });
}

void frmDiagsConfig::cmdBrowse_Click() {
    RunHandler("cmdBrowse_Click", [&] {
        const std::string chosen = BrowseForFolder(hWnd());
        if (!chosen.empty()) txtDirectory.SetText(chosen);
        return ResultCode::Success;
    });
}

}  // namespace diags
