// Texts and icons of the resource DLL. The DLL is looked for beside the module this code is
// linked into (DiagsConfig.dll, or a test executable), so the component finds its own
// resources wherever it is installed.
#include "platform/win32/Win32Parts.h"

#include <windows.h>

namespace diags::platform::win32 {

namespace {

HMODULE OwnModule() noexcept {
    HMODULE module = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCSTR>(&OwnModule), &module);
    return module;
}

class IconPicture final : public Picture {
public:
    IconPicture(std::int32_t id, std::int32_t width, std::int32_t height, OwnedIcon icon)
        : id_(id), width_(width), height_(height), icon_(std::move(icon)) {}
    std::int32_t Id() const noexcept override { return id_; }
    std::int32_t Width() const noexcept override { return width_; }
    std::int32_t Height() const noexcept override { return height_; }
    std::uintptr_t NativeHandle() const noexcept override { return reinterpret_cast<std::uintptr_t>(icon_.get()); }

private:
    std::int32_t id_, width_, height_;
    OwnedIcon icon_;
};

bool HasDirectory(std::string_view name) {
    return name.find_first_of("\\/:") != std::string_view::npos;
}

}  // namespace

std::string ToAnsi(std::wstring_view text) {
    if (text.empty()) return {};
    const int length = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                             nullptr, nullptr);
    std::string result(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(), length, nullptr,
                          nullptr);
    return result;
}

std::wstring FromAnsi(std::string_view text) {
    if (text.empty()) return {};
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(), length);
    return result;
}

std::string Win32Resources::ModuleDirectory() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(OwnModule(), path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool Win32Resources::Open(std::string_view moduleName) {
    std::string path(moduleName);
    if (!HasDirectory(moduleName)) {
        const std::string beside = ModuleDirectory() + "\\" + path;
        if (::GetFileAttributesA(beside.c_str()) != INVALID_FILE_ATTRIBUTES) path = beside;
    }
    // Loaded as an image resource only: no code of the DLL runs, and icons and strings load
    // from it as from any module.
    OwnedModule module(::LoadLibraryExA(path.c_str(), nullptr,
                                         LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!module) module.reset(::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) return false;
    const std::lock_guard lock(mutex_);
    module_ = std::move(module);
    return true;
}

std::optional<std::string> Win32Resources::String(std::int32_t id) {
    const std::lock_guard lock(mutex_);
    if (!module_ || id < 0 || id > 0xFFFF) return std::nullopt;
    // With a zero buffer size LoadStringW hands out a pointer into the module's own table.
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(module_.get(), static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) return std::nullopt;
    return ToAnsi(std::wstring_view(text, static_cast<std::size_t>(length)));
}

PicturePtr Win32Resources::LoadPicture(std::int32_t id, std::int32_t width, std::int32_t height) {
    const std::lock_guard lock(mutex_);
    if (!module_ || id < 0 || id > 0xFFFF) return nullptr;
    OwnedIcon icon(static_cast<HICON>(::LoadImageW(module_.get(), MAKEINTRESOURCEW(id), IMAGE_ICON, width, height,
                                                    LR_DEFAULTCOLOR)));
    if (!icon) return nullptr;
    return std::make_shared<IconPicture>(id, width, height, std::move(icon));
}

}  // namespace diags::platform::win32
