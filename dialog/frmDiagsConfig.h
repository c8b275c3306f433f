#pragma once
// The diagnostics configuration dialog: its controls (form models), its state and its
// procedures. The procedures live in one unit per area:
//   DialogDesign.cpp      design-time controls and the wiring of their notifications
//   Lifecycle.cpp         FormLoad, ProcessExit, Form_QueryUnload, Form_Unload, Form_Activate
//   Captions.cpp          PopulateCaptions, InitImageList
//   Layout.cpp            SizeControls, Form_Resize, the splitter drag, the status panel
//   MenuCommands.cpp      abMenuBar_Click, Form_KeyDown, Form_KeyUp, the bar's notifications
//   modToolMenu.cpp       SetMenuButtons, SetMenuTool (building the bar)
//   MenuHelp.cpp          ProcessMenuHelp
//   PendingProcedures.cpp the tree, panel, propagation and saving procedures (placeholders)
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "forms/BarControls.h"
#include "forms/BasicControls.h"
#include "forms/Form.h"
#include "forms/MaskedBox.h"
#include "forms/MenuBar.h"
#include "forms/OptionButton.h"
#include "forms/TextBox.h"
#include "forms/TreeView.h"
#include "model/CDiagMap.h"
#include "model/KeyedCollection.h"
#include "model/Records.h"
#include "services/ErrorObject.h"
#include "services/ResultCode.h"

namespace diags {

class LogConfigNode;   // the host's log configuration (hostconfig/)
class LogConfigNodes;

// Resource ids of the dialog's own texts and pictures.
namespace dlgres {
inline constexpr std::int32_t kErrorTitle = 13503;     // failure reports
inline constexpr std::int32_t kExitQuestion = 13564;
inline constexpr std::int32_t kExitTitle = 13508;
inline constexpr std::int32_t kStatusTitle = 15732;
inline constexpr std::int32_t kDialogIcon = 2006;
inline constexpr std::int32_t kClockPicture = 171;
}  // namespace dlgres

// Help context ids: after load, trace tab, module tab.
namespace helpctx {
inline constexpr std::int32_t kAfterLoad = 819, kTraceTab = 820, kModuleTab = 821;
}

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
    std::shared_ptr<LogConfigNode> moLogConfig;
    std::shared_ptr<LogConfigNodes> mcolComponents;
    std::shared_ptr<CDiagMap> moDiagMap;
    forms::Node* moCurrentTraceNode = nullptr;  // non-owning; a node of tvTrace
    std::string msCurrentNode;
    bool mbSaved = false;
    bool mbEventsEnabled = false;
    bool mbFillingPanel = false;
    bool mbNodeDirty = false;
    bool mbInNodeClick = false;
    std::int32_t mnActiveTab = 0;
    bool mbTraceLogToFile = false;
    bool mbTraceDebugMonitor = false;
    bool mbTraceAppend = false;
    bool mbTraceCircular = false;
    std::string msTraceDirectory;
    std::string msTraceFileName;
    std::string msTraceFileSize;
    bool mbTraceLogEnabled = false;
    std::string msHelpFile;
    std::int32_t mlHelpContextId = 0;
    std::int32_t mnResult = 0;  // the dialog's result (outcome code for the host)
    bool mbSplitterMoving = false;

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

    // ---------------------------------------------------------------- trees, panel, saving
    // (see PendingProcedures.cpp)
    ResultCode FillModulesTree(ErrorRef& oError);
    ResultCode PopulateTraceTree(ErrorRef& oError);
    ResultCode ConsolidateTraceSettings(ErrorRef& oError);
    ResultCode ApplyAllTraceSettings2Interface(ErrorRef& oError);
    ResultCode CheckRootTraceNode(ErrorRef& oError);
    ResultCode ClearALLOutputObjects(ErrorRef& oError);
    ResultCode ClearAllTraceSettings(ErrorRef& oError);
    ResultCode ToggleFrame(bool enabled);
    // Writes every edited output back to the host's configuration: 1 saved, 2 stopped
    // (the user cancelled or was told), 3 failed. Virtual so that a test can script the
    // outcome of a save where it exercises the paths that start one.
    virtual ResultCode SaveGUIValues(ErrorRef& oError);
    void tbsOptions_Click();
    void tvTrace_Click(forms::Node* node);
    void tvModules_NodeClick(forms::Node& node);

    // Shows a failed step's error: resource text 13503 through ShowError, style 16.
    static void ReportError(const ErrorRef& error);

    static bool ExitGuardSet() noexcept { return exitGuard_; }

private:
    void DesignControls();
    void WireNotifications();
    // The exit guard, shared by every ProcessExit call: set while one runs.
    static inline bool exitGuard_ = false;
};

}  // namespace diags
