// Check marks in the trace tree: roots and modules kept consistent, the panel's values given
// to checked trace settings or reset for unchecked ones, and every changed trace setting
// pushed into the outputs it is linked to.
#include <unordered_map>

#include "base/RuntimeError.h"
#include "base/ScopedValue.h"
#include "base/Text.h"
#include "common/General.h"
#include "dialog/RunHandler.h"
#include "dialog/frmDiagsConfig.h"
#include "platform/Platform.h"
#include "services/Procedure.h"
#include "services/ResourceStrings.h"

namespace diags {

namespace {

// Every node of the tree in the order added (roots before their modules).
template <class Visit>
void ForEachNode(const forms::TreeView& tree, Visit&& visit) {
    for (std::int32_t index = 1; index <= tree.Count(); ++index) visit(tree.Item(index));
}

bool AnyNodeChecked(const forms::TreeView& tree) {
    bool any = false;
    ForEachNode(tree, [&](forms::Node& node) { any = any || node.Checked(); });
    return any;
}

// A trace setting's values into one of its outputs. The switches always follow the setting;
// an empty file name or directory and a size of 0 mean "no value" and leave the output's own.
void CopyInto(const CTraceSetting& setting, COutput& output) {
    output.LogToFile = setting.LogToFile;
    output.DebugMonitor = setting.DebugMonitor;
    output.AppendToFile = setting.AppendToFile;
    output.CircularLogFile = setting.CircularLogFile;
    if (!setting.FileName.empty()) output.FileName = setting.FileName;
    if (!setting.Directory.empty()) output.Directory = setting.Directory;
    if (setting.FileSize > 0) output.FileSize = setting.FileSize;
}

}  // namespace

std::shared_ptr<CTraceSetting> frmDiagsConfig::TraceSettingOf(const forms::Node& node) const {
    if (!moDiagMap || node.Parent() == nullptr) return nullptr;
    return moDiagMap->GetTraceSetting(node.Key());
}

void frmDiagsConfig::tvTrace_Click(forms::Node* /*node*/) {
    RunHandler("tvTrace_Click", [&] {
        moCurrentTraceNode = tvTrace.SelectedItem();
        if (moCurrentTraceNode == nullptr) return ResultCode::Success;
        forms::Node& node = *moCurrentTraceNode;
        ErrorRef stepError;
        if (node.Parent() == nullptr) {
            if (CheckAllNodeChildren(node, stepError) == ResultCode::Failure) {
                ReportError(stepError);
                return ResultCode::Success;
            }
        } else {
            // The root's tick and the panel's enabled state only follow the check: a failure
            // there leaves them stale, and must not keep the check from the settings below.
            (void)ApplyNodesParent(*node.Parent(), stepError);
        }
        (void)ToggleFrame(true);

        if (node.Checked()) {
            bool force = false;
            if (chkDbgMntr.Value() != 1) {
                chkDbgMntr.SetValue(1);  // runs the box's own handler, as a click would
                force = true;
            }
            if (TraceGUIChanges(force, stepError) == ResultCode::Failure) ReportError(stepError);
            return ResultCode::Success;
        }
        if (DisableOutputIfAllTracesUnchecked(stepError) == ResultCode::Failure ||
            SetUncheckedTraceSettings(stepError) == ResultCode::Failure ||
            ApplyTraceSetting2Modules(stepError) == ResultCode::Failure) {
            ReportError(stepError);
            return ResultCode::Success;
        }
        mbSaved = false;
        return ResultCode::Success;
    });
}

ResultCode frmDiagsConfig::CheckAllNodeChildren(forms::Node& root, ErrorRef& oError) {
    return RunProcedure(kDialogModule, "CheckAllNodeChildren", oError, [&] {
        for (forms::Node* child = root.Child(); child != nullptr; child = child->Next())
            child->SetChecked(root.Checked());
        return ResultCode::Success;
    });
}

ResultCode frmDiagsConfig::ApplyNodesParent(forms::Node& root, ErrorRef& oError) {
    return RunProcedure(kDialogModule, "ApplyNodesParent", oError, [&] {
        bool all = root.Child() != nullptr;
        for (forms::Node* child = root.Child(); all && child != nullptr; child = child->Next())
            all = child->Checked();
        root.SetChecked(all);
        return ResultCode::Success;
    });
}

ResultCode frmDiagsConfig::CheckRootTraceNode(ErrorRef& oError) {
    return RunProcedure(kDialogModule, "CheckRootTraceNode", oError, [&] {
        for (forms::Node* root = tvTrace.FirstRoot(); root != nullptr; root = root->Next()) {
            if (root->Child() == nullptr) continue;
            bool all = true;
            for (forms::Node* child = root->Child(); all && child != nullptr; child = child->Next())
                all = child->Checked();
            if (all) root->SetChecked(true);
        }
        return ResultCode::Success;
    });
}

ResultCode frmDiagsConfig::TraceGUIChanges(bool force, ErrorRef& oError) {
    return RunProcedure(kDialogModule, "TraceGUIChanges", oError, [&] {
        // Before the map exists (the panel being filled while the dialog loads) there is
        // nothing to propagate into.
        if (!moDiagMap) return ResultCode::Success;
        if (SetCheckedTraceSettings(force, oError) == ResultCode::Failure) return ResultCode::Failure;
        if (ApplyTraceSetting2Modules(oError) == ResultCode::Failure) return ResultCode::Failure;
        mbSaved = false;
        return ResultCode::Success;
    });
}

ResultCode frmDiagsConfig::SetCheckedTraceSettings(bool force, ErrorRef& oError) {
    return RunProcedure(kDialogModule, "SetCheckedTraceSettings", oError, [&] {
        // The size the trace tab gives: none when empty, at least the smallest size otherwise.
        double size = 0;
        if (!Trim(txtFileSize.Text()).empty()) {
            size = ReadNumber(txtFileSize.Text());
            if (size < defaults::kMinFileSize) size = defaults::kMinFileSize;
        }
        ForEachNode(tvTrace, [&](forms::Node& node) {
            if (node.Parent() == nullptr || !node.Checked()) return;
            const std::shared_ptr<CTraceSetting> setting = TraceSettingOf(node);
            if (!setting || (setting->Checked && !force)) return;
            setting->LogToFile = chkLogfile.Value() == 1;
            setting->AppendToFile = optFileOptions(0).Value();
            setting->DebugMonitor = chkDbgMntr.Value() == 1;
            setting->DirtyFlag = true;
            setting->CircularLogFile = optFileOptions(1).Value();
            setting->FileName = txtFileName.Text();
            setting->Directory = txtDirectory.Text();
            setting->Checked = true;
            setting->FileSize = size;
        });
        return ResultCode::Success;
    });
}

ResultCode frmDiagsConfig::SetUncheckedTraceSettings(ErrorRef& oError) {
    return RunProcedure(kDialogModule, "SetUncheckedTraceSettings", oError, [&] {
        ForEachNode(tvTrace, [&](forms::Node& node) {
            if (node.Parent() == nullptr || node.Checked()) return;
            const std::shared_ptr<CTraceSetting> setting = TraceSettingOf(node);
            if (!setting || !setting->Checked) return;
            setting->LogToFile = setting->AppendToFile = setting->DebugMonitor = setting->CircularLogFile = false;
            setting->DirtyFlag = true;
            setting->FileName.clear();
            setting->Directory.clear();
            setting->FileSize = 0;
            setting->Checked = false;
        });
        return ResultCode::Success;
    });
}

ResultCode frmDiagsConfig::ApplyTraceSetting2Modules(ErrorRef& oError) {
    return RunProcedure(kDialogModule, "ApplyTraceSetting2Modules", oError, [&] {
        if (!moDiagMap) return ResultCode::Success;
        const KeyedCollection<CTraceSetting>& all = *moDiagMap->AllTraceSettings();
        std::unordered_map<const CTraceSetting*, std::int32_t> position;
        std::int32_t next = 0;
        for (const std::shared_ptr<CTraceSetting>& setting : all) position[setting.get()] = ++next;

        // An output that an unchecked setting resets, but that a still-checked setting also
        // drives, keeps following the last such checked setting in order.
        const auto ruling = [&](const CTraceSetting& setting, const COutput& output) -> const CTraceSetting& {
            if (setting.Checked) return setting;
            const CTraceSetting* best = nullptr;
            std::int32_t bestPosition = 0;
            for (const std::shared_ptr<CTraceSetting>& other : *output.LinkedTraceSettings()) {
                if (!other->Checked) continue;
                const auto found = position.find(other.get());
                const std::int32_t at = found == position.end() ? 0 : found->second;
                if (best == nullptr || at > bestPosition) {
                    best = other.get();
                    bestPosition = at;
                }
            }
            return best ? *best : setting;
        };

        forms::ScopedTreeUpdate bulk(tvModules);  // many folder images, one repaint
        for (const std::shared_ptr<CTraceSetting>& setting : all) {
            if (!setting->DirtyFlag) continue;
            if (const CollectionRef<COutput>& outputs = setting->LinkedOutputs()) {
                for (const std::shared_ptr<COutput>& output : *outputs) {
                    CopyInto(ruling(*setting, *output), *output);
                    output->DirtyFlag = true;
                    SetFolderImage(*output);
                }
            }
            setting->DirtyFlag = false;
        }
        return ResultCode::Success;
    });
}

ResultCode frmDiagsConfig::ClearAllTraceSettings(ErrorRef& oError) {
    return RunProcedure(kDialogModule, "ClearAllTraceSettings", oError, [&] {
        if (moDiagMap) {
            for (const std::shared_ptr<CTraceSetting>& setting : *moDiagMap->AllTraceSettings()) {
                setting->LogToFile = setting->AppendToFile = setting->CircularLogFile = setting->DebugMonitor = false;
                setting->DirtyFlag = true;
                setting->Checked = false;
            }
        }
        {
            ScopedValue<bool> quiet(mbEventsEnabled, false);
            ForEachNode(tvTrace, [](forms::Node& node) { node.SetChecked(false); });
        }
        return ApplyTraceSetting2Modules(oError);
    });
}

ResultCode frmDiagsConfig::CheckOutputEmpty(ErrorRef& oError) {
    return RunProcedure(kDialogModule, "CheckOutputEmpty", oError, [&] {
        if (!AnyNodeChecked(tvTrace)) return ResultCode::Success;
        if (chkLogfile.Value() == 1 || chkDbgMntr.Value() == 1) return ResultCode::Success;
        ResourceStrings& strings = ResourceStrings::Instance();
        platform::Current().interaction->ShowMessage(strings.GetString(dlgres::kNoOutputMessage),
                                                     platform::mb::kInformation,
                                                     strings.GetString(dlgres::kDialogTitle));
        // The modules are no longer chosen: their outputs now write nowhere. The settings keep
        // the values just pushed, and a later check does not switch those outputs on again.
        ForEachNode(tvTrace, [&](forms::Node& node) {
            if (!node.Checked()) return;
            node.SetChecked(false);
            if (const std::shared_ptr<CTraceSetting> setting = TraceSettingOf(node)) setting->Checked = false;
        });
        return ResultCode::Success;
    });
}

ResultCode frmDiagsConfig::DisableOutputIfAllTracesUnchecked(ErrorRef& oError) {
    return RunProcedure(kDialogModule, "DisableOutputIfAllTracesUnchecked", oError, [&] {
        if (!AnyNodeChecked(tvTrace)) (void)ToggleFrame(false);
        return ResultCode::Success;
    });
}

}  // namespace diags
