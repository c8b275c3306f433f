// The module tree: the host's log configuration as folders of outputs plus the error log,
// one output record per node, and the selection that loads a record into the panel.
#include <cstdint>
#include <vector>

#include "base/RuntimeError.h"
#include "base/Text.h"
#include "common/General.h"
#include "dialog/RunHandler.h"
#include "dialog/frmDiagsConfig.h"
#include "services/Procedure.h"

namespace diags {

namespace {
constexpr std::uint32_t kErrorLogColour = 0xFF0000;  // pure blue as a Windows BGR value
constexpr std::int16_t kSpace = 32;
}  // namespace

void frmDiagsConfig::WireModuleTree() {
    tvModules.NodeClick.Connect([this](forms::Node& node) { tvModules_NodeClick(node); });
    tvModules.Click.Connect([this] { tvModules_Click(); });
    tvModules.LostFocus.Connect([this] { tvModules_LostFocus(); });
    tvModules.KeyDown.Connect([this](std::int16_t& keyCode, std::int16_t shift) { tvModules_KeyDown(keyCode, shift); });
}

ResultCode frmDiagsConfig::FillModulesTree(ErrorRef& oError) {
    return RunProcedure(kDialogModule, "FillModulesTree", oError, [&] {
        if (!moLogConfig) {
            moLogConfig = hostconfig::LogConfiguration::Create();
            mcolComponents = std::shared_ptr<hostconfig::LogConfigNodes>(moLogConfig, &moLogConfig->Children());
        }
        forms::ScopedTreeUpdate bulk(tvModules);
        tvModules.Clear();
        mOrigins.clear();
        mOriginSlots.clear();
        mUnreadable.clear();
        mcolOutputs = NewCollection<COutput>();
        // Sized once for every output of the configuration: the error log, and each output
        // of every other component (a folder itself has no record).
        std::size_t outputs = 0, keyChars = 0;
        for (const hostconfig::LogConfigNodePtr& component : *mcolComponents) {
            if (EqualsNoCase(component->Name(), nodekey::kErrorLog)) {
                ++outputs;
                keyChars += component->Name().size();
                continue;
            }
            outputs += static_cast<std::size_t>(component->Children().Count());
            for (const hostconfig::LogConfigNodePtr& trace : component->Children())
                keyChars += component->Name().size() + trace->Name().size();
        }
        mcolOutputs->Reserve(outputs, keyChars);
        mOrigins.reserve(outputs);

        {
            // The origins are indexed once the fill ends, however it ends: a record made before
            // a failure is still found.
            const struct IndexWhenDone {
                frmDiagsConfig& dialog;
                ~IndexWhenDone() { dialog.IndexOrigins(); }
            } indexWhenDone{*this};
            for (const hostconfig::LogConfigNodePtr& component : *mcolComponents) {
                const std::string_view name = component->Name();
                if (EqualsNoCase(name, nodekey::kErrorLog)) {
                    // The error log carries its settings itself; nodes below it are not shown.
                    auto output = std::make_shared<COutput>();
                    forms::Node& node = tvModules.AddRoot(name, name, imagekey::kCheckedFolder);
                    node.SetBold(true);
                    node.SetForeColor(kErrorLogColour);
                    if (FillOutputObject(*output, *component, name, oError) == ResultCode::Failure)
                        return ResultCode::Failure;
                    output->Key = name;
                    mcolOutputs->Add(output, name);
                    mOrigins.push_back({output.get(), nullptr, component.get()});
                    continue;
                }
                if (component->Children().Count() == 0) continue;
                forms::Node& folder = tvModules.AddRoot(UniqueNodeKey(std::string(name)), name, imagekey::kClosedFolder);
                for (const hostconfig::LogConfigNodePtr& trace : component->Children()) {
                    auto output = std::make_shared<COutput>();
                    std::string key = UniqueNodeKey(std::string(name).append(trace->Name()));
                    tvModules.AddChild(folder, key, trace->Name(), imagekey::kOutput);
                    const ResultCode filled = FillOutputObject(*output, *trace, name, oError);
                    if (filled != ResultCode::Success) return filled;
                    if (output->LogToFile || output->DebugMonitor) folder.SetImage(imagekey::kCheckedFolder);
                    output->Key = std::move(key);
                    mcolOutputs->Add(output, output->Key);
                    mOrigins.push_back({output.get(), &folder, trace.get()});
                }
            }
        }
        tvModules.SetSorted(true);

        // The top-level node of the node added last is selected and shown. A configuration
        // without any node has nothing to select: Item(0) fails and so does the fill.
        forms::Node* first = tvModules.Item(tvModules.Count()).Root();
        tvModules.SetSelectedItem(first);
        tvModules_NodeClick(*first);
        return ResultCode::Success;
    });
}

std::string frmDiagsConfig::UniqueNodeKey(std::string key) const {
    // The error log's key is reserved for it, wherever it comes in the configuration. Every
    // record's key is also the key of its node, so the tree alone tells which keys are taken.
    const auto taken = [&](const std::string& candidate) {
        return EqualsNoCase(candidate, nodekey::kErrorLog) || tvModules.Find(candidate) != nullptr;
    };
    if (!taken(key)) return key;
    for (int number = 2;; ++number) {
        std::string candidate = key + " (" + std::to_string(number) + ")";
        if (!taken(candidate)) return candidate;
    }
}

void frmDiagsConfig::tvModules_NodeClick(forms::Node& node) {
    RunHandler("tvModules_NodeClick", [&] {
        const std::string key(node.Key());
        const bool errorLog = EqualsNoCase(key, nodekey::kErrorLog);
        ErrorRef stepError;
        if (!errorLog && node.Parent() == nullptr) {
            (void)ToggleFrame(false);
            if (SetFolderGUIValues(stepError) == ResultCode::Failure) ReportError(stepError);
            return ResultCode::Success;
        }
        (void)ToggleFrame(true);
        // The error log always logs to its file: that choice is not the user's.
        if (errorLog) chkLogfile.SetEnabled(false);
        mbInNodeClick = true;
        const ResultCode shown = ApplyValuesToInterface(key, stepError);
        mbInNodeClick = false;
        if (shown == ResultCode::Failure) {
            ReportError(stepError);
            return ResultCode::Success;
        }
        // The file controls follow the record just shown, not the one shown before.
        (void)ToggleLogFile(IntToBool(chkLogfile.Value()));
        return ResultCode::Success;
    });
    mbInNodeClick = false;
}

ResultCode frmDiagsConfig::SetFolderGUIValues(ErrorRef& oError) {
    mbFillingPanel = true;
    const ResultCode result = RunProcedure(kDialogModule, "SetFolderGUIValues", oError, [&] {
        mbPanelShowsRecord = false;
        optFileOptions(0).SetValue(false);
        txtDirectory.SetText("");
        txtFileName.SetText("");
        chkLogfile.SetValue(0);
        chkDbgMntr.SetValue(0);
        return ResultCode::Success;
    });
    mbFillingPanel = false;
    return result;
}

ResultCode frmDiagsConfig::SetDirtyNode() {
    ErrorRef error;
    const ResultCode result = RunProcedure(kDialogModule, "SetDirtyNode", error, [&] {
        if (mbFillingPanel) return ResultCode::Success;
        mbNodeDirty = true;
        mbSaved = false;
        if (msCurrentNode.empty()) return ResultCode::Success;
        const bool recordShown = mnActiveTab == kModuleTabActive && mbPanelShowsRecord;
        ErrorRef stepError;
        if (UpdateCurrentNode(stepError) == ResultCode::Failure) {
            ReportError(stepError);
            return ResultCode::Failure;
        }
        if (recordShown && !EqualsNoCase(msCurrentNode, nodekey::kErrorLog))
            SetFolderImage(*mcolOutputs->Item(msCurrentNode));
        return ResultCode::Success;
    });
    return result;
}

namespace {
// Where a record's slot search starts: its address, mixed (addresses share their low bits).
std::size_t OriginProbe(const COutput* output, std::size_t mask) noexcept {
    return static_cast<std::size_t>((reinterpret_cast<std::uintptr_t>(output) >> 4) * 0x9E3779B97F4A7C15ull >> 20) & mask;
}
}  // namespace

void frmDiagsConfig::IndexOrigins() {
    try {
        std::size_t size = 16;
        while (size < 2 * mOrigins.size()) size *= 2;
        std::vector<std::uint32_t> slots(size, 0);
        for (std::size_t i = 0; i < mOrigins.size(); ++i) {
            std::size_t probe = OriginProbe(mOrigins[i].output, size - 1);
            while (slots[probe] != 0) probe = (probe + 1) & (size - 1);
            slots[probe] = static_cast<std::uint32_t>(i + 1);
        }
        mOriginSlots = std::move(slots);
    } catch (...) {
        mOriginSlots.clear();  // without the table every record is looked for in order
    }
}

const frmDiagsConfig::RecordOrigin* frmDiagsConfig::OriginOf(const COutput& output) const noexcept {
    if (mOriginSlots.empty()) {
        for (const RecordOrigin& origin : mOrigins)
            if (origin.output == &output) return &origin;
        return nullptr;
    }
    const std::size_t mask = mOriginSlots.size() - 1;
    for (std::size_t probe = OriginProbe(&output, mask); mOriginSlots[probe] != 0; probe = (probe + 1) & mask)
        if (mOrigins[mOriginSlots[probe] - 1].output == &output) return &mOrigins[mOriginSlots[probe] - 1];
    return nullptr;
}

void frmDiagsConfig::SetFolderImage(const COutput& output) {
    const RecordOrigin* known = OriginOf(output);
    forms::Node& folder = known && known->folder ? *known->folder : tvModules.Item(output.Parent);
    folder.SetImage(output.LogToFile || output.DebugMonitor ? imagekey::kCheckedFolder : imagekey::kClosedFolder);
}

void frmDiagsConfig::tvModules_Click() {
    RunHandler("tvModules_Click", [&] {
        if (forms::Node* selected = tvModules.SelectedItem()) tvModules_NodeClick(*selected);
        return ResultCode::Success;
    });
}

void frmDiagsConfig::tvModules_LostFocus() {
    RunHandler("tvModules_LostFocus", [&] {
        if (forms::Node* selected = tvModules.SelectedItem()) selected->EnsureVisible();
        return ResultCode::Success;
    });
}

void frmDiagsConfig::tvModules_KeyDown(std::int16_t& keyCode, std::int16_t /*shift*/) {
    RunHandler("tvModules_KeyDown", [&] {
        forms::Node* selected = tvModules.SelectedItem();
        if (keyCode == kSpace && selected) selected->SetExpanded(!selected->Expanded());
        return ResultCode::Success;
    });
}

}  // namespace diags
