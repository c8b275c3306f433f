#pragma once
// The dialog's fixed names in one place: its module name for traces and error objects, the
// keys of its tree nodes and images, the keys of the menu and tool-bar tools, the resource ids
// of its texts and pictures, and its help context ids.
#include <cstdint>
#include <string_view>

namespace diags {

// Module name in traces and error objects.
inline constexpr std::string_view kDialogModule = "frmDiags";

// Keys of tree nodes and of the records behind them.
namespace nodekey {
inline constexpr std::string_view kErrorLog = "ZEL Errors";
inline constexpr std::string_view kEditorsRoot = "Desktop Editors";
inline constexpr std::string_view kTasksRoot = "Common Tasks";
}  // namespace nodekey

// Keys of the small image list.
namespace imagekey {
inline constexpr std::string_view kClosedFolder = "ClosedFolder";
inline constexpr std::string_view kCheckedFolder = "ICON_KEY_CHECKEDFOLDER";
inline constexpr std::string_view kOutput = "ICON_KEY_STOP";
}  // namespace imagekey

// Keys of the bands and tools of the menu and tool bar.
namespace toolkey {
inline constexpr std::string_view kToolBar = "mnuToolBar";
inline constexpr std::string_view kSave = "mnuSave";
inline constexpr std::string_view kSaveClose = "mnuSaveClose";
inline constexpr std::string_view kClearAll = "mnuClearAll";
inline constexpr std::string_view kOpenLogFolder = "mnuOpenLogFolder";
inline constexpr std::string_view kCollectLogs = "mnuCollectLogs";
inline constexpr std::string_view kExit = "mnuExit";
inline constexpr std::string_view kHelpF1 = "TOOL_HELP_F1";
inline constexpr std::string_view kContents = "mnuContentsAndIndex";
inline constexpr std::string_view kServices = "mnuServices";
inline constexpr std::string_view kNews = "mnuNewsEvents";
inline constexpr std::string_view kSupport = "mnuOnlineSupport";
inline constexpr std::string_view kHome = "mnuQORHome";
}  // namespace toolkey

// Resource ids of the dialog's own texts and pictures.
namespace dlgres {
inline constexpr std::int32_t kErrorTitle = 13503;     // failure reports
inline constexpr std::int32_t kExitQuestion = 13564;
inline constexpr std::int32_t kExitTitle = 13508;
inline constexpr std::int32_t kStatusTitle = 15732;
inline constexpr std::int32_t kDialogIcon = 2006;
inline constexpr std::int32_t kClockPicture = 171;
inline constexpr std::int32_t kClosedFolderPicture = 102;
inline constexpr std::int32_t kOutputPicture = 148;
inline constexpr std::int32_t kCheckedFolderPicture = 2008;
inline constexpr std::int32_t kEditorsRootText = 9006;
inline constexpr std::int32_t kTasksRootText = 9003;
inline constexpr std::int32_t kNoOutputMessage = 9026;   // a checked module would write nowhere
inline constexpr std::int32_t kDialogTitle = 9031;
inline constexpr std::int32_t kSavingOutput = 9025;      // %1 component, %2 output
inline constexpr std::int32_t kSaved = 9027;
inline constexpr std::int32_t kUnreadableValues = 9028;  // %1 one line per output: its unreadable values
inline constexpr std::int32_t kOpenLogFolderText = 9063, kCollectLogsText = 9064;
inline constexpr std::int32_t kFolderMissing = 9065;   // %1 the folder
inline constexpr std::int32_t kCollected = 9066;       // %1 the zip file
inline constexpr std::int32_t kCollectTitle = 9067, kCollectFilter = 9068;
inline constexpr std::int32_t kCollecting = 9069;      // %1 the file being read
inline constexpr std::int32_t kOpenLogFolderTip = 9070, kCollectLogsTip = 9071;
inline constexpr std::int32_t kOpenFolderPicture = 6704, kCollectPicture = 6705;
}  // namespace dlgres

// Help context ids: after load, trace tab, module tab.
namespace helpctx {
inline constexpr std::int32_t kAfterLoad = 819, kTraceTab = 820, kModuleTab = 821;
}

// Where the default log directory comes from (HKEY_LOCAL_MACHINE), and the log-on defaults.
namespace defaults {
inline constexpr std::string_view kCommonFilesKey = "SOFTWARE\\Veltrane\\Common Files";
inline constexpr std::string_view kCommonFilesValue = "Path";
inline constexpr std::string_view kLogFolder = "Log";
inline constexpr std::string_view kFileName = "Trace.log";
inline constexpr std::int32_t kMinFileSize = 24;
}  // namespace defaults

}  // namespace diags
