#pragma once
// The Win32 implementations of the platform seam. Each forwards to the Windows call it
// stands for with the same arguments and result codes. Exposed (rather than hidden in the
// .cpp files) so the Wine tests can use them directly as well as through Current().
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"
#include "platform/win32/Owned.h"

namespace diags::platform::win32 {

class Win32Registry final : public Registry {
public:
    std::int32_t OpenKey(RootKey root, std::string_view subKey, std::uint32_t access,
                         RegKeyHandle& key) override;
    std::int32_t QueryValue(RegKeyHandle key, std::string_view name, std::uint32_t* type, char* data,
                            std::uint32_t* size) override;
    std::int32_t CloseKey(RegKeyHandle key) override;
};

class Win32FileSystem final : public FileSystem {
public:
    char Separator() const noexcept override { return '\\'; }
    bool EntryExists(std::string_view path) override;
    std::optional<std::string> MakeDirectory(std::string_view path) override;
    std::string WindowsDirectoryBuffer(std::size_t capacity) override;
};

class Win32Windowing final : public Windowing {
public:
    std::intptr_t Send(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam) override;
    std::int32_t GetStyle(WindowHandle window) override;
    std::int32_t SetStyle(WindowHandle window, std::int32_t style) override;
    std::uint16_t SystemDefaultLangId() override;
};

class Win32Shell final : public Shell {
public:
    std::intptr_t Execute(WindowHandle owner, std::string_view verb, std::string_view target,
                          std::string_view parameters, std::string_view directory,
                          std::int32_t show) override;
    bool Help(WindowHandle window, std::string_view helpFile, std::uint32_t command,
              std::uintptr_t data) override;
};

class Win32Interaction final : public Interaction {
public:
    std::int32_t ShowMessage(std::string_view text, std::int32_t style, std::string_view title) override;
    std::optional<std::string> BrowseForFolder(WindowHandle owner, std::string_view title,
                                               std::uint32_t flags) override;
    void SendKeys(std::string_view keys) override;
    std::int16_t AsyncKeyState(std::int32_t virtualKey) override;
    std::int16_t MousePointer() override { return pointer_; }
    void SetMousePointer(std::int16_t pointer) override;

private:
    std::int16_t pointer_ = pointer::kDefault;
};

class Win32FileDialogs final : public FileDialogs {
public:
    std::optional<std::string> SaveAs(WindowHandle owner, std::string_view title, std::string_view filter,
                                      std::string_view defaultName) override;
};

class Win32Resources final : public Resources {
public:
    bool Open(std::string_view moduleName) override;
    std::optional<std::string> String(std::int32_t id) override;
    PicturePtr LoadPicture(std::int32_t id, std::int32_t width, std::int32_t height) override;
    std::string ModuleDirectory() override;

private:
    std::mutex mutex_;
    OwnedModule module_;
};

// ---- pure helpers, tested on their own

// One keystroke of a key string: a virtual key with its modifiers.
struct KeyStroke {
    std::uint16_t virtualKey = 0;
    bool shift = false, control = false, alt = false;
    bool operator==(const KeyStroke&) const = default;
};
// Reads the classic key-string notation: "+" shift, "^" control, "%" alt before a key; a key
// is one character or a braced name ("{TAB}", "{ENTER}", "{ESC}", "{F1}", ...). Unknown
// names give nullopt so nothing is sent for a malformed string.
std::optional<std::vector<KeyStroke>> ParseKeys(std::string_view keys);

// True for help files that are web pages (.htm, .html, any case).
bool IsHtmlHelp(std::string_view helpFile);
// The address that opens an HTML help page at a topic: "file:///C:/dir/help.htm#topic-819".
// Without a topic (command other than a context jump, or data 0) the page itself.
std::string HtmlHelpAddress(std::string_view helpFile, std::uint32_t command, std::uintptr_t data);

// The system cursor (IDC_*) that shows a classic mouse-pointer value; 0 maps to the arrow.
const char* CursorFor(std::int16_t pointer) noexcept;

// Wide text (UTF-16) to the ANSI code page, and back.
std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view text);

}  // namespace diags::platform::win32
