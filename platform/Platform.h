#pragma once
// The platform seam. Everything the component needs from the operating system goes through
// these small interfaces; platform/win32 calls the real Windows API, platform/posix makes
// the portable core run on Linux. Methods mirror the Windows calls they stand for (same
// arguments, same result codes) so the routines above read exactly like their description.
//
// Tests replace only the parts that stand for a person or for effects outside the machine
// (Interaction: message-box answers, folder choice, keystrokes; Shell: browser and help
// windows) with scripted doubles; storage (Registry, FileSystem) is always the real one.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace diags::platform {

// Opaque handles. Zero is "no handle".
using WindowHandle = std::uintptr_t;
using RegKeyHandle = std::uintptr_t;

// ---------------------------------------------------------------- registry
enum class RootKey : std::uint32_t { ClassesRoot, CurrentUser, LocalMachine, Users };

// Registry value types (REG_*) and result codes (ERROR_*), as Windows numbers them.
namespace reg {
inline constexpr std::uint32_t kNone = 0, kSz = 1, kExpandSz = 2, kBinary = 3, kDword = 4,
                               kMultiSz = 7, kQword = 11;
inline constexpr std::int32_t kSuccess = 0, kFileNotFound = 2, kAccessDenied = 5,
                              kInvalidHandle = 6, kMoreData = 234;
}  // namespace reg

class Registry {
public:
    virtual ~Registry() = default;
    // RegOpenKeyExA: opens root\subKey with the given access mask.
    virtual std::int32_t OpenKey(RootKey root, std::string_view subKey, std::uint32_t access,
                                 RegKeyHandle& key) = 0;
    // RegQueryValueExA: with data == nullptr reports type and size only; otherwise copies at
    // most *size bytes (a REG_SZ includes its terminating NUL) and sets *size.
    virtual std::int32_t QueryValue(RegKeyHandle key, std::string_view name, std::uint32_t* type,
                                    char* data, std::uint32_t* size) = 0;
    // RegCloseKey.
    virtual std::int32_t CloseKey(RegKeyHandle key) = 0;
};

// ---------------------------------------------------------------- file system
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // The platform's path separator: '\\' on Windows, '/' on Linux.
    virtual char Separator() const noexcept = 0;
    // True when a file-system entry (file or directory) exists at the path.
    virtual bool EntryExists(std::string_view path) = 0;
    // Creates one directory (not its parents). Empty on success, else the reason.
    virtual std::optional<std::string> MakeDirectory(std::string_view path) = 0;
    // GetWindowsDirectoryA into a buffer of `capacity` characters; the buffer is returned
    // whole (NUL padding included) so callers strip it as the Windows routine requires.
    virtual std::string WindowsDirectoryBuffer(std::size_t capacity) = 0;
};

// ---------------------------------------------------------------- windows and system
class Windowing {
public:
    virtual ~Windowing() = default;
    virtual std::intptr_t Send(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam) = 0;                 // SendMessageA
    virtual std::int32_t GetStyle(WindowHandle window) = 0;               // GetWindowLongA(GWL_STYLE)
    virtual std::int32_t SetStyle(WindowHandle window, std::int32_t style) = 0;  // SetWindowLongA
    virtual std::uint16_t SystemDefaultLangId() = 0;                      // GetSystemDefaultLangID
};

// ---------------------------------------------------------------- shell and help
class Shell {
public:
    virtual ~Shell() = default;
    // ShellExecuteA(owner, verb, target, parameters, directory, show): > 32 is success.
    virtual std::intptr_t Execute(WindowHandle owner, std::string_view verb, std::string_view target,
                                  std::string_view parameters, std::string_view directory,
                                  std::int32_t show) = 0;
    // WinHelpA(window, file, command, data); for an .htm/.html help file the page is opened
    // at the anchor of the topic instead.
    virtual bool Help(WindowHandle window, std::string_view helpFile, std::uint32_t command,
                      std::uintptr_t data) = 0;
};

// ---------------------------------------------------------------- the person at the screen
namespace mb {
inline constexpr std::int32_t kCritical = 16;        // critical icon, OK
inline constexpr std::int32_t kQuestionYesNoCancel = 35;
inline constexpr std::int32_t kInformation = 64;     // information icon, OK
inline constexpr std::int32_t kOk = 1, kCancel = 2, kYes = 6, kNo = 7;
}  // namespace mb

namespace pointer {
inline constexpr std::int16_t kDefault = 0, kHourglass = 11, kSizeWestEast = 9;
}

class Interaction {
public:
    virtual ~Interaction() = default;
    // A modal message box; returns the answer (mb::kYes, ...).
    virtual std::int32_t ShowMessage(std::string_view text, std::int32_t style, std::string_view title) = 0;
    // SHBrowseForFolderA + SHGetPathFromIDListA: the chosen directory, or nullopt when the
    // user cancelled or the choice is not a file-system directory.
    virtual std::optional<std::string> BrowseForFolder(WindowHandle owner, std::string_view title,
                                                       std::uint32_t flags) = 0;
    // Sends keystrokes to the focused control ("{TAB}", "+{TAB}").
    virtual void SendKeys(std::string_view keys) = 0;
    // GetAsyncKeyState: the high bit set while the key is down.
    virtual std::int16_t AsyncKeyState(std::int32_t virtualKey) = 0;
    // The screen's mouse pointer (0 default, 11 hourglass, ...).
    virtual std::int16_t MousePointer() = 0;
    virtual void SetMousePointer(std::int16_t pointer) = 0;
};

// ---------------------------------------------------------------- file dialogs
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // GetSaveFileNameA: the standard Save As dialog over `owner`, starting at `defaultName`
    // (a file name, or a path whose folder is shown); `filter` is "Description|*.ext". The
    // chosen path (the extension of the filter added when the user typed none), or nullopt
    // when the user cancelled. The dialog asks before replacing an existing file.
    virtual std::optional<std::string> SaveAs(WindowHandle owner, std::string_view title, std::string_view filter,
                                              std::string_view defaultName) = 0;
};

// ---------------------------------------------------------------- resources
// A picture loaded from the resource DLL. Owns its native handle (if any).
class Picture {
public:
    virtual ~Picture() = default;
    virtual std::int32_t Id() const noexcept = 0;
    virtual std::int32_t Width() const noexcept = 0;
    virtual std::int32_t Height() const noexcept = 0;
    virtual std::uintptr_t NativeHandle() const noexcept = 0;  // HICON on Windows, 0 elsewhere
};
using PicturePtr = std::shared_ptr<const Picture>;

class Resources {
public:
    virtual ~Resources() = default;
    // Binds to the resource module by file name ("KVUIEN.DLL"); false when it cannot be found.
    virtual bool Open(std::string_view moduleName) = 0;
    // The string with that id, or nullopt when the module has none.
    virtual std::optional<std::string> String(std::int32_t id) = 0;
    // The picture with that id at the given pixel size, or null when there is none.
    virtual PicturePtr LoadPicture(std::int32_t id, std::int32_t width, std::int32_t height) = 0;
    // Directory of the component's own module (beside which KVUIEN.DLL and the help file lie).
    virtual std::string ModuleDirectory() = 0;
};

// ---------------------------------------------------------------- the installed platform
struct Platform {
    Registry* registry;
    FileSystem* fileSystem;
    Windowing* windowing;
    Shell* shell;
    Interaction* interaction;
    Resources* resources;
    FileDialogs* fileDialogs = nullptr;
};

// The platform in force: the native implementation unless a test installed another part.
// Non-owning pointers; the native parts live for the whole process.
Platform& Current();

// Replaces one part for the life of the guard (tests: scripted user answers).
template <class Part>
class ScopedPart {
public:
    ScopedPart(Part* Platform::*slot, Part& replacement) : slot_(slot), saved_(Current().*slot) {
        Current().*slot_ = &replacement;
    }
    ~ScopedPart() { Current().*slot_ = saved_; }
    ScopedPart(const ScopedPart&) = delete;
    ScopedPart& operator=(const ScopedPart&) = delete;

private:
    Part* Platform::*slot_;
    Part* saved_;
};

}  // namespace diags::platform
