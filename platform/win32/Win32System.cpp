// Registry, file system and window calls of the platform seam: thin forwards to the Windows
// API with its own result codes.
#include "platform/win32/Win32Parts.h"

#include <windows.h>

#include "platform/win32/ErrorText.h"
#include "platform/win32/RegistryView.h"

namespace diags::platform::win32 {

namespace {

HKEY RootHandle(RootKey root) noexcept {
    switch (root) {
        case RootKey::ClassesRoot: return HKEY_CLASSES_ROOT;
        case RootKey::CurrentUser: return HKEY_CURRENT_USER;
        case RootKey::LocalMachine: return HKEY_LOCAL_MACHINE;
        case RootKey::Users: return HKEY_USERS;
    }
    return HKEY_LOCAL_MACHINE;
}

HKEY AsKey(RegKeyHandle key) noexcept { return reinterpret_cast<HKEY>(key); }
HWND AsWindow(WindowHandle window) noexcept { return reinterpret_cast<HWND>(window); }

}  // namespace

// ---------------------------------------------------------------- registry

std::int32_t Win32Registry::OpenKey(RootKey root, std::string_view subKey, std::uint32_t access,
                                    RegKeyHandle& key) {
    const std::string path(subKey);
    HKEY opened = nullptr;
    const LONG result = ::RegOpenKeyExA(RootHandle(root), path.c_str(), 0, access | kProductView, &opened);
    key = result == ERROR_SUCCESS ? reinterpret_cast<RegKeyHandle>(opened) : 0;
    return result;
}

std::int32_t Win32Registry::QueryValue(RegKeyHandle key, std::string_view name, std::uint32_t* type,
                                       char* data, std::uint32_t* size) {
    const std::string valueName(name);
    DWORD valueType = 0;
    DWORD byteCount = size ? *size : 0;
    const LONG result = ::RegQueryValueExA(AsKey(key), valueName.c_str(), nullptr, &valueType,
                                           reinterpret_cast<BYTE*>(data), size ? &byteCount : nullptr);
    if (type) *type = valueType;
    if (size) *size = byteCount;
    return result;
}

std::int32_t Win32Registry::CloseKey(RegKeyHandle key) { return ::RegCloseKey(AsKey(key)); }

// ---------------------------------------------------------------- file system

bool Win32FileSystem::EntryExists(std::string_view path) {
    if (path.empty()) return false;
    const std::string text(path);
    return ::GetFileAttributesA(text.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::string> Win32FileSystem::MakeDirectory(std::string_view path) {
    const std::string text(path);
    if (::CreateDirectoryA(text.c_str(), nullptr)) return std::nullopt;
    return LastErrorText();
}

std::string Win32FileSystem::WindowsDirectoryBuffer(std::size_t capacity) {
    std::string buffer(capacity, '\0');
    if (capacity) ::GetWindowsDirectoryA(buffer.data(), static_cast<UINT>(capacity));
    return buffer;
}

// ---------------------------------------------------------------- windows and system

std::intptr_t Win32Windowing::Send(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                   std::intptr_t lParam) {
    return ::SendMessageA(AsWindow(window), message, wParam, lParam);
}

std::int32_t Win32Windowing::GetStyle(WindowHandle window) {
    return ::GetWindowLongA(AsWindow(window), GWL_STYLE);
}

std::int32_t Win32Windowing::SetStyle(WindowHandle window, std::int32_t style) {
    return ::SetWindowLongA(AsWindow(window), GWL_STYLE, style);
}

std::uint16_t Win32Windowing::SystemDefaultLangId() { return ::GetSystemDefaultLangID(); }

}  // namespace diags::platform::win32
