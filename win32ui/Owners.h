#pragma once
// Owners for the Win32 objects the renderer makes: each releases its object exactly once.
// (Kept in one file so they can move to the platform's shared owners unchanged.)
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <type_traits>

namespace diags::win32ui {

struct WindowDestroyer {
    void operator()(HWND window) const noexcept { if (window && ::IsWindow(window)) ::DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

struct GdiDeleter {
    void operator()(HGDIOBJ object) const noexcept { if (object) ::DeleteObject(object); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiDeleter>;
using UniqueBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiDeleter>;
using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiDeleter>;

struct ImageListDestroyer {
    void operator()(HIMAGELIST list) const noexcept { if (list) ::ImageList_Destroy(list); }
};
using UniqueImageList = std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, ImageListDestroyer>;

struct MenuDestroyer {
    void operator()(HMENU menu) const noexcept { if (menu) ::DestroyMenu(menu); }
};
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroyer>;

struct IconDestroyer {
    void operator()(HICON icon) const noexcept { if (icon) ::DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer>;

// A device context from GetDC, released to its window.
class WindowDc {
public:
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
    ~WindowDc() { if (dc_) ::ReleaseDC(window_, dc_); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// A memory device context with a bitmap selected into it for the life of the owner.
class MemoryDc {
public:
    MemoryDc(HDC like, HBITMAP bitmap) noexcept : dc_(::CreateCompatibleDC(like)), old_(::SelectObject(dc_, bitmap)) {}
    ~MemoryDc() {
        if (dc_) {
            ::SelectObject(dc_, old_);
            ::DeleteDC(dc_);
        }
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const noexcept { return dc_; }

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace diags::win32ui
