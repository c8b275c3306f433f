// The trace tree: the desktop editors and common tasks with check boxes, the diagnostics map
// behind them, each trace setting derived from its outputs, and the checked settings' values
// merged into the panel.
#include <array>
#include <string_view>

#include "base/RuntimeError.h"
#include "base/ScopedValue.h"
#include "base/Text.h"
#include "dialog/RunHandler.h"
#include "dialog/frmDiagsConfig.h"
#include "services/Procedure.h"
#include "services/ResourceStrings.h"

namespace diags {

namespace {

struct ModuleText {
    std::string_view name;
    std::int32_t textId;
};

// The text of every module node, by the module's name in the map.
constexpr std::array<ModuleText, 27> kModuleTexts{{
    {"Attribute Creation Wizard", 9056}, {"Attribute Editor", 9033},
    {"Consolidation Editor", 9035},      {"Custom Group Editor", 9059},
    {"Document Editor", 9060},           {"Fact Creation Wizard", 9055},
    {"Fact Editor", 9037},               {"Filter Editor", 9048},
    {"Hierarchy Editor", 9036},          {"Metric Editor", 9038},
    {"Partition Editor", 9039},          {"Print Schema", 9058},
    {"Project Creation", 9040},          {"Project Duplication", 9057},
    {"Project Upgrade", 9041},           {"Prompt Generation Wizard", 9042},
    {"Report Editor", 9043},             {"Server Administration", 9044},
    {"Table Editor", 9045},              {"Template Editor", 9046},
    {"Transformation Editor", 9047},     {"Warehouse Catalog Browser", 9034},
    {"Client Connection", 9049},         {"Element Browsing", 9050},
    {"Metadata SQL", 9061},              {"Object Browsing", 9051},
    {"Report Execution", 9052},
}};

std::int32_t ModuleTextId(std::string_view name) {
    for (const ModuleText& entry : kModuleTexts)
        if (EqualsNoCase(entry.name, name)) return entry.textId;
    throw RuntimeError(err::kInvalidCall, "No text for the module " + std::string(name));
}

}  // namespace

void frmDiagsConfig::WireTraceTree() {
    tvTrace.NodeCheck.Connect([this](forms::Node& node) { tvTrace_Click(&node); });
    tvTrace.KeyPress.Connect([this](std::int16_t& keyAscii) { tvTrace_KeyPress(keyAscii); });
    tvTrace.MouseDown.Connect(
        [this](std::int16_t button, std::int16_t shift, float x, float y) { tvTrace_MouseDown(button, shift, x, y); });
}

ResultCode frmDiagsConfig::PopulateTraceTree(ErrorRef& oError) {
    return RunProcedure(kDialogModule, "PopulateTraceTree", oError, [&] {
        forms::ScopedTreeUpdate bulk(tvTrace);
        tvTrace.Clear();
        if (!moDiagMap) {
            if (!mcolOutputs) ThrowObjectRequired();
            moDiagMap = std::make_shared<CDiagMap>();
            moDiagMap->InitializeDiagMapDefs();
            moDiagMap->PopulateCheckedMap(*mcolOutputs);
        }
        ResourceStrings& strings = ResourceStrings::Instance();
        const auto addModules = [&](std::string_view rootKey, std::int32_t rootText,
                                    const std::vector<std::string>& names) {
            forms::Node& root = tvTrace.AddRoot(rootKey, strings.GetString(rootText));
            for (const std::string& name : names)
                if (!name.empty()) tvTrace.AddChild(root, name, strings.GetString(ModuleTextId(name)));
            root.SetExpanded(true);
        };
        addModules(nodekey::kEditorsRoot, dlgres::kEditorsRootText, moDiagMap->EditorMapCols());
        addModules(nodekey::kTasksRoot, dlgres::kTasksRootText, moDiagMap->TaskMapCols());
        return ResultCode::Success;
    });
}

ResultCode frmDiagsConfig::ConsolidateTraceSettings(ErrorRef& oError) {
    return RunProcedure(kDialogModule, "ConsolidateTraceSettings", oError, [&] {
        if (!moDiagMap) ThrowObjectRequired();
        for (const std::shared_ptr<CTraceSetting>& setting : *moDiagMap->AllTraceSettings()) {
            const CollectionRef<COutput>& outputs = setting->LinkedOutputs();
            if (!outputs || outputs->Empty()) continue;
            bool allLog = true, allMonitor = true, anyAppend = false, anyCircular = false, anyOn = false;
            std::string name, directory;
            double size = 0;
            for (const std::shared_ptr<COutput>& output : *outputs) {
                allLog = allLog && output->LogToFile;
                allMonitor = allMonitor && output->DebugMonitor;
                anyAppend = anyAppend || output->AppendToFile;
                anyCircular = anyCircular || output->CircularLogFile;
                anyOn = anyOn || output->LogToFile || output->DebugMonitor;
                if (!output->FileName.empty()) name = output->FileName;
                if (!output->Directory.empty()) directory = output->Directory;
                if (output->FileSize > 0) size = output->FileSize;
            }
            if (allLog || allMonitor) {
                // The setting shows what its outputs already hold; it is not marked dirty, so
                // the merged values are not pushed back over outputs nobody touched.
                setting->DebugMonitor = allMonitor;
                setting->LogToFile = allLog;
                setting->AppendToFile = anyAppend;
                setting->CircularLogFile = anyCircular;
                setting->Directory = directory;
                setting->FileName = name;
                setting->FileSize = size;
                setting->Checked = true;
            } else if (!anyOn) {
                // Every output was switched off (on the module tab): the module is not chosen
                // any more, or a later check would switch those outputs on again.
                setting->Checked = false;
            }
        }
        return ResultCode::Success;
    });
}

ResultCode frmDiagsConfig::ApplyAllTraceSettings2Interface(ErrorRef& oError) {
    return RunProcedure(kDialogModule, "ApplyAllTraceSettings2Interface", oError, [&] {
        if (!moDiagMap) ThrowObjectRequired();
        for (const std::shared_ptr<CTraceSetting>& setting : *moDiagMap->AllTraceSettings())
            if (ApplyTraceSetting2Interface(setting, oError) == ResultCode::Failure) return ResultCode::Failure;
        return ResultCode::Success;
    });
}

ResultCode frmDiagsConfig::ApplyTraceSetting2Interface(const std::shared_ptr<CTraceSetting>& oTraceSetting,
                                                       ErrorRef& oError) {
    return RunProcedure(kDialogModule, "ApplyTraceSetting2Interface", oError, [&] {
        if (!oTraceSetting) ThrowObjectRequired();
        const CTraceSetting& setting = *oTraceSetting;
        tvTrace.Item(setting.Name).SetChecked(setting.Checked);
        if (!setting.Checked) return ResultCode::Success;

        // Merge: switch on what the setting has on, fill only empty fields.
        ScopedValue<bool> quiet(mbEventsEnabled, false);
        if (setting.LogToFile) chkLogfile.SetValue(1);
        if (setting.AppendToFile) optFileOptions(0).SetValue(true);
        if (setting.DebugMonitor) chkDbgMntr.SetValue(1);
        if (setting.CircularLogFile) optFileOptions(1).SetValue(true);
        if (Trim(txtDirectory.Text()).empty()) txtDirectory.SetText(setting.Directory);
        if (Trim(txtFileName.Text()).empty()) txtFileName.SetText(setting.FileName);
        // An empty size reads as 0; a setting without a size leaves the box to the next one.
        const std::string_view size = Trim(txtFileSize.Text());
        if ((size.empty() || size == "0") && setting.FileSize != 0) txtFileSize.SetText(NumberToText(setting.FileSize));
        return ResultCode::Success;
    });
}

void frmDiagsConfig::tvTrace_KeyPress(std::int16_t& /*keyAscii*/) {
    // Space toggles the selected node's check box; the tree then raises its node-check
    // notification, which runs tvTrace_Click once with the new check state. Acting here as
    // well would propagate twice, the first time with the old state.
    ErrorRef error;
    (void)RunProcedure(kDialogModule, "tvTrace_KeyPress", error, [] { return ResultCode::Success; });
}

void frmDiagsConfig::tvTrace_MouseDown(std::int16_t /*button*/, std::int16_t /*shift*/, float x, float y) {
    RunHandler("tvTrace_MouseDown", [&] {
        if (forms::Node* node = tvTrace.HitTest(x, y)) tvTrace.SetSelectedItem(node);
        return ResultCode::Success;
    });
}

}  // namespace diags
