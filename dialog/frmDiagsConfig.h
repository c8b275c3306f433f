#pragma once
// The diagnostics configuration dialog: its controls (form models), its state and its
// procedures. The procedures live in one unit per area, and each unit connects the
// notifications of its own controls to its handlers:
//   DialogDesign.cpp   design-time controls; calls each unit's Wire... procedure
//   Lifecycle.cpp      FormLoad, ProcessExit, Form_QueryUnload, Form_Unload, Form_Activate
//   Captions.cpp       PopulateCaptions, InitImageList
//   Layout.cpp         SizeControls, Form_Resize, the splitter drag, the status panel
//   MenuCommands.cpp   abMenuBar_Click, Form_KeyDown, Form_KeyUp, the bar's notifications
//   modToolMenu.cpp    SetMenuButtons, SetMenuTool (building the bar)
//   MenuHelp.cpp       ProcessMenuHelp
//   ModuleTree.cpp     the module tree: fill, selection, edits of the record shown
//   TraceTree.cpp      the trace tree: fill, consolidation, merge into the panel
//   Propagation.cpp    check marks in the trace tree and their push into the outputs
//   Panel.cpp          the output panel: record <-> panel, host node -> record, enabled states
//   PanelEvents.cpp    the panel's notifications, the tab switch, defaults, focus, browsing
//   Saving.cpp         SaveGUIValues, ClearALLOutputObjects
//   LogCommands.cpp    OpenLogFolder, CollectLogs (the Tools menu's log commands)
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dialog/DialogNames.h"
#include "forms/BarControls.h"
#include "forms/BasicControls.h"
#include "forms/Form.h"
#include "forms/MaskedBox.h"
#include "forms/MenuBar.h"
#include "forms/OptionButton.h"
#include "forms/TextBox.h"
#include "forms/TreeView.h"
#include "hostconfig/LogConfiguration.h"
#include "model/CDiagMap.h"
#include "model/KeyedCollection.h"
#include "model/Records.h"
#include "services/ErrorObject.h"
#include "services/ResultCode.h"

namespace diags {

class frmDiagsConfig : public forms::Form {
public:
    frmDiagsConfig();
    ~frmDiagsConfig() override;

    // ---------------------------------------------------------------- controls (design order)
    forms::ImageList ilsSmall{"ilsSmall"};
    forms::Frame frmStatus{"frmStatus"};
    forms::PictureBox pctStatusContainer{"pctStatusContainer"};
    forms::Label lblStatusValue{"lblStatusValue"};
    forms::Image imgClock{"imgClock"};
    forms::Label lblStatusTitle{"lblStatusTitle"};
    forms::CommandButton cmdStatusContainer{"cmdStatusContainer"};
    forms::PictureBox picSplitter{"picSplitter"};
    forms::StatusBar sbStatus{"sbStatus"};
    forms::PictureBox imgSplitter{"imgSplitter"};
    forms::TreeView tvModules{"tvModules"};
    forms::TreeView tvTrace{"tvTrace"};
    forms::Frame fraOutput{"fraOutput"};
    forms::OptionButtonArray optFileOptions{"optFileOptions"};
    forms::TextBox txtDirectory{"txtDirectory"};
    forms::CommandButton cmdBrowse{"cmdBrowse"};
    forms::TextBox txtFileName{"txtFileName"};
    forms::CheckBox chkLogfile{"chkLogfile"};
    forms::CheckBox chkDbgMntr{"chkDbgMntr"};
    forms::MaskedBox txtFileSize{"txtFileSize"};
    forms::Label lblDirectory{"lblDirectory"};
    forms::Label lblFileName{"lblFileName"};
    forms::Label lblFileSize{"lblFileSize"};
    forms::TabStrip tbsOptions{"tbsOptions"};
    forms::MenuBar abMenuBar{"abMenuBar"};

    // ---------------------------------------------------------------- dialog state
    CollectionRef<COutput> mcolOutputs;
    hostconfig::LogConfigNodePtr moLogConfig;                  // the configuration's root
    std::shared_ptr<hostconfig::LogConfigNodes> mcolComponents;  // its children (shares the root)
    std::shared_ptr<CDiagMap> moDiagMap;
    forms::Node* moCurrentTraceNode = nullptr;  // non-owning; a node of tvTrace
    std::string msCurrentNode;
    bool mbSaved = false;
    bool mbEventsEnabled = false;
    bool mbFillingPanel = false;
    bool mbNodeDirty = false;
    bool mbInNodeClick = false;
    // The tab the panel belongs to: kTraceTabActive or kModuleTabActive.
    static constexpr std::int32_t kTraceTabActive = 0, kModuleTabActive = 1;
    std::int32_t mnActiveTab = kTraceTabActive;
    // The trace tab's panel: what the user set there, kept while the module tab shows a
    // record's values, and given back to the panel when the trace tab returns.
    struct TraceTabValues {
        bool LogToFile = false;     // mbTraceLogToFile
        bool DebugMonitor = false;  // mbTraceDebugMonitor
        bool Append = false;        // mbTraceAppend
        bool Circular = false;      // mbTraceCircular
        std::string Directory;      // msTraceDirectory
        std::string FileName;       // msTraceFileName
        std::string FileSize;       // msTraceFileSize (at least the smallest size)
        bool LogEnabled = false;    // mbTraceLogEnabled: the log-file box was enabled
    };
    TraceTabValues mTraceTab;
    std::string msHelpFile;
    std::int32_t mlHelpContextId = 0;
    ResultCode mnResult = ResultCode::None;  // the dialog's result (outcome code for the host)
    bool mbSplitterMoving = false;
    bool mbActivated = false;        // the window has been activated once
    bool mbPanelShowsRecord = false;  // the panel shows the record msCurrentNode (module tab)
    // Where each output record came from, found once when the tree is filled: its module-tree
    // folder (null for the error log) and the host node it was read from. Names are shown in
    // the ANSI code page, where two stored names may read alike; the record still saves into
    // its own node. Non-owning: tvModules holds the folders, moLogConfig the nodes.
    struct RecordOrigin {
        const COutput* output;
        forms::Node* folder;
        hostconfig::LogConfigNode* node;
    };
    // In the order of the fill, found by record through an open-addressed table of positions
    // made once the fill ends (two flat arrays: nothing is allocated per record).
    std::vector<RecordOrigin> mOrigins;
    std::vector<std::uint32_t> mOriginSlots;  // position + 1; 0 is a free slot
    void IndexOrigins();
    const RecordOrigin* OriginOf(const COutput& output) const noexcept;
    // The properties (indices) of each record whose stored value could not be read: the
    // record holds the empty value instead, and a save leaves the stored value as it is
    // unless the record's value was changed.
    std::unordered_map<const COutput*, std::vector<std::int32_t>> mUnreadable;

    // ---------------------------------------------------------------- lifecycle
    // Runs the whole dialog: start-up, modal show, and the dialog's result once it closed;
    // 3 (oError filled) when the start failed, without showing the dialog.
    ResultCode FormLoad(ErrorRef& oError);
    // The exit question: 6 yes (saved), 7 no, 2 cancel or save failed/stopped, 0 nothing
    // pending or a nested call.
    std::int32_t ProcessExit();
    void Form_QueryUnload(std::int16_t& cancel, std::int16_t unloadMode);
    void Form_Unload(std::int16_t& cancel);
    void Form_Activate();

    // ---------------------------------------------------------------- captions and images
    ResultCode PopulateCaptions(ErrorRef& oError);
    ResultCode InitImageList(ErrorRef& oError);

    // ---------------------------------------------------------------- layout and status
    void SizeControls(float& X);
    void Form_Resize();
    void imgSplitter_MouseDown(std::int16_t button, std::int16_t shift, float x, float y);
    void imgSplitter_MouseMove(std::int16_t button, std::int16_t shift, float x, float y);
    void imgSplitter_MouseUp(std::int16_t button, std::int16_t shift, float x, float y);
    void ShowStatusPanel();
    void SetStatusValue(std::string_view value);

    // ---------------------------------------------------------------- menu bar and keys
    void abMenuBar_Click(forms::Tool& tool);
    void abMenuBar_BandResize(forms::Band& band);
    void abMenuBar_BandOpenQuery(bool& answer);
    void Form_KeyDown(std::int16_t& keyCode, std::int16_t& shift);
    void Form_KeyUp(std::int16_t& keyCode, std::int16_t& shift);

    // ---------------------------------------------------------------- module tree
    ResultCode FillModulesTree(ErrorRef& oError);
    void tvModules_NodeClick(forms::Node& node);
    ResultCode SetFolderGUIValues(ErrorRef& oError);
    ResultCode SetDirtyNode();
    void tvModules_Click();
    void tvModules_LostFocus();
    void tvModules_KeyDown(std::int16_t& keyCode, std::int16_t shift);

    // ---------------------------------------------------------------- trace tree
    ResultCode PopulateTraceTree(ErrorRef& oError);
    ResultCode ConsolidateTraceSettings(ErrorRef& oError);
    ResultCode ApplyAllTraceSettings2Interface(ErrorRef& oError);
    ResultCode ApplyTraceSetting2Interface(const std::shared_ptr<CTraceSetting>& oTraceSetting, ErrorRef& oError);
    void tvTrace_KeyPress(std::int16_t& keyAscii);
    void tvTrace_MouseDown(std::int16_t button, std::int16_t shift, float x, float y);

    // ---------------------------------------------------------------- check propagation
    void tvTrace_Click(forms::Node* node);
    ResultCode CheckAllNodeChildren(forms::Node& root, ErrorRef& oError);
    ResultCode ApplyNodesParent(forms::Node& root, ErrorRef& oError);
    ResultCode CheckRootTraceNode(ErrorRef& oError);
    ResultCode TraceGUIChanges(bool force, ErrorRef& oError);
    ResultCode SetCheckedTraceSettings(bool force, ErrorRef& oError);
    ResultCode SetUncheckedTraceSettings(ErrorRef& oError);
    ResultCode ApplyTraceSetting2Modules(ErrorRef& oError);
    ResultCode ClearAllTraceSettings(ErrorRef& oError);
    ResultCode CheckOutputEmpty(ErrorRef& oError);
    ResultCode DisableOutputIfAllTracesUnchecked(ErrorRef& oError);

    // ---------------------------------------------------------------- output panel
    ResultCode FillOutputObject(COutput& oOutput, const hostconfig::LogConfigNode& oNode, std::string_view sParent,
                                ErrorRef& oError);
    ResultCode ApplyValuesToInterface(std::string_view sKey, ErrorRef& oError);
    ResultCode UpdateCurrentNode(ErrorRef& oError);
    ResultCode ToggleLogFile(bool enabled);
    ResultCode ToggleFrame(bool enabled);

    // ---------------------------------------------------------------- panel events, tab switch
    void tbsOptions_Click();
    void chkLogfile_Click();
    void chkDbgMntr_Click();
    void optFileOptions_Click(int index);
    void txtDirectory_Change();
    void txtFileName_Change();
    void txtFileSize_Change();
    void txtDirectory_GotFocus();
    void txtFileName_GotFocus();
    void txtFileSize_GotFocus();
    void cmdBrowse_Click();

    // ---------------------------------------------------------------- applying and saving
    // Writes every edited output back to the host's configuration: 1 saved, 2 stopped
    // (the user cancelled or was told), 3 failed.
    ResultCode SaveGUIValues(ErrorRef& oError);
    ResultCode ClearALLOutputObjects(ErrorRef& oError);

    // ---------------------------------------------------------------- log commands
    // Opens the folder the panel shows (else the product's log folder) with the shell; a
    // folder that does not exist is said so, not created.
    ResultCode OpenLogFolder(ErrorRef& oError);
    // Asks for a zip file with the Save As dialog and collects every log of the stored
    // configuration into it, the status panel showing the file being read.
    ResultCode CollectLogs(ErrorRef& oError);

    // Shows a failed step's error: resource text 13503 through ShowError, style 16.
    static void ReportError(const ErrorRef& error);

    static bool ExitGuardSet() noexcept { return exitGuard_; }

private:
    void DesignControls();
    void WireNotifications();
    // The body of SaveGUIValues: every dirty record into its host node, counting those saved;
    // 2 or 3 at the record that stops the save.
    ResultCode SaveDirtyRecords(std::int32_t& saved, ErrorRef& oError);
    // Tells the user once, in one message, which stored values could not be read.
    void ReportUnreadableValues();
    // A key for a new module-tree node: `key`, or, when an earlier node or record holds it
    // already (names that differ only where the ANSI code page cannot tell them apart, or a
    // component and output name that join to another's or the error log's), `key` with a
    // number appended.
    std::string UniqueNodeKey(std::string key) const;
    // Breaks the links between outputs and trace settings and releases the model.
    void ReleaseModel() noexcept;
    void WireModuleTree();
    void WireTraceTree();
    void WirePanelEvents();
    // Leaving the trace tab: what the panel's values alone do not keep (the log-file box's
    // enabled state).
    void RememberTraceTabValues();
    // The trace tab's remembered values back into the panel, with the trace tab's enabled
    // states; nothing is propagated meanwhile.
    void RestoreTraceTabValues();
    // The module-tree folder of `output` shows whether that output is switched on.
    void SetFolderImage(const COutput& output);
    // The trace setting behind a module node of the trace tree, or null (a root, no map).
    std::shared_ptr<CTraceSetting> TraceSettingOf(const forms::Node& node) const;
    // A propagation of the trace tab's panel (TraceGUIChanges with force), its failure
    // reported; with `checkEmpty` the empty-output warning follows a successful one while the
    // debug monitor is off. False when it failed.
    bool PropagateTraceTab(bool checkEmpty);
    // A text of the panel changed: on the module tab the record shown is edited (leading
    // blanks dropped), on the trace tab the text is remembered (as `remember` gives it, or
    // as it is) and propagated.
    template <class Box>
    void PanelTextChanged(Box& box, std::string& remembered, std::string (*remember)(const std::string&) = nullptr);
    // The exit guard, shared by every ProcessExit call: set while one runs.
    static inline bool exitGuard_ = false;
};

}  // namespace diags
