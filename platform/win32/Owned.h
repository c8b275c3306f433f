#pragma once
// One owner per kind of Win32 resource: windows, GDI objects, icons, image lists, menus,
// registry keys, kernel handles, modules, task and local memory, BSTRs, safe arrays, VARIANTs,
// EXCEPINFOs and the COM apartment (COM interface pointers: ComPtr.h).
// Each releases its resource exactly once, when it goes out of scope or is reset, so no early
// return can leak one and nothing is closed by hand. All are move-only and noexcept.
//
//   OwnedKey key;
//   if (::RegOpenKeyExW(root, path, 0, KEY_READ, key.put()) != ERROR_SUCCESS) ...;
//   ::RegQueryValueExW(key.get(), ...);
//
// get() reads the resource, release() hands it to the caller, reset(h) releases the old one and
// takes h, put() releases the old one and gives the address for an out parameter.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstring>
#include <type_traits>
#include <utility>

#include "platform/win32/ComPtr.h"

namespace diags::platform::win32 {

// Traits: Handle (the raw type), Empty() (the value that owns nothing), IsOwned(h) and Free(h).
template <class Traits>
class Owned {
public:
    using Handle = typename Traits::Handle;

    Owned() noexcept = default;
    // Takes over a resource the caller owns.
    explicit Owned(Handle handle) noexcept : handle_(handle) {}
    Owned(Owned&& other) noexcept : handle_(other.release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { reset(); }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return Traits::IsOwned(handle_); }
    Handle release() noexcept { return std::exchange(handle_, Traits::Empty()); }
    void reset(Handle handle = Traits::Empty()) noexcept {
        const Handle old = std::exchange(handle_, handle);
        if (Traits::IsOwned(old) && old != handle) Traits::Free(old);
    }
    // For functions that return the resource through an out parameter.
    Handle* put() noexcept {
        reset();
        return &handle_;
    }

private:
    Handle handle_ = Traits::Empty();
};

// Traits for handles whose empty value is null.
template <class H, auto FreeFunction>
struct NullTraits {
    using Handle = H;
    static constexpr Handle Empty() noexcept { return nullptr; }
    static bool IsOwned(Handle h) noexcept { return h != nullptr; }
    static void Free(Handle h) noexcept { FreeFunction(h); }
};

namespace detail {
inline void ReleaseWindow(HWND h) noexcept { ::DestroyWindow(h); }
inline void ReleaseGdiObject(HGDIOBJ h) noexcept { ::DeleteObject(h); }
inline void ReleaseIcon(HICON h) noexcept { ::DestroyIcon(h); }
inline void ReleaseImageList(HIMAGELIST h) noexcept { ::ImageList_Destroy(h); }
inline void ReleaseMenu(HMENU h) noexcept { ::DestroyMenu(h); }
inline void ReleaseKey(HKEY h) noexcept { ::RegCloseKey(h); }
inline void ReleaseLibrary(HMODULE h) noexcept { ::FreeLibrary(h); }
inline void ReleaseMemoryDc(HDC h) noexcept { ::DeleteDC(h); }
inline void ReleaseBstr(BSTR h) noexcept { ::SysFreeString(h); }
inline void ReleaseSafeArray(SAFEARRAY* h) noexcept { ::SafeArrayDestroy(h); }
inline void ReleaseTaskMemory(void* h) noexcept { ::CoTaskMemFree(h); }
inline void ReleaseLocalMemory(void* h) noexcept { ::LocalFree(h); }
}  // namespace detail

using OwnedWindow = Owned<NullTraits<HWND, detail::ReleaseWindow>>;
// Fonts, bitmaps, brushes, pens: anything DeleteObject frees. Must not be selected into a DC
// when it is released.
template <class H>
using OwnedGdi = Owned<NullTraits<H, detail::ReleaseGdiObject>>;
using OwnedFont = OwnedGdi<HFONT>;
using OwnedBitmap = OwnedGdi<HBITMAP>;
using OwnedBrush = OwnedGdi<HBRUSH>;
using OwnedGdiObject = OwnedGdi<HGDIOBJ>;
using OwnedIcon = Owned<NullTraits<HICON, detail::ReleaseIcon>>;
using OwnedImageList = Owned<NullTraits<HIMAGELIST, detail::ReleaseImageList>>;
// A menu not attached to a window (a window destroys its own menu bar).
using OwnedMenu = Owned<NullTraits<HMENU, detail::ReleaseMenu>>;
// A memory device context from CreateCompatibleDC.
using OwnedMemoryDc = Owned<NullTraits<HDC, detail::ReleaseMemoryDc>>;
using OwnedKey = Owned<NullTraits<HKEY, detail::ReleaseKey>>;
using OwnedModule = Owned<NullTraits<HMODULE, detail::ReleaseLibrary>>;
using OwnedBstr = Owned<NullTraits<BSTR, detail::ReleaseBstr>>;
using OwnedSafeArray = Owned<NullTraits<SAFEARRAY*, detail::ReleaseSafeArray>>;

// Kernel handles. CreateFile reports failure with INVALID_HANDLE_VALUE, most other calls with
// null: both count as owning nothing, so the result of either can be taken over unchecked.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static constexpr Handle Empty() noexcept { return nullptr; }
    static bool IsOwned(Handle h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Free(Handle h) noexcept { ::CloseHandle(h); }
};
using OwnedHandle = Owned<KernelHandleTraits>;

// Memory the shell and COM hand out (item id lists, strings) goes back to the task allocator.
template <class T>
using OwnedTaskMem = Owned<NullTraits<T*, detail::ReleaseTaskMemory>>;
// Memory from LocalAlloc that a call hands out (FormatMessage, CommandLineToArgvW).
template <class T>
using OwnedLocalMem = Owned<NullTraits<T*, detail::ReleaseLocalMemory>>;

// A window's device context from GetDC, given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
    WindowDc(WindowDc&& other) noexcept
        : window_(other.window_), dc_(std::exchange(other.dc_, nullptr)) {}
    WindowDc& operator=(WindowDc&&) = delete;
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// Painting a window in answer to WM_PAINT: BeginPaint now, EndPaint however the scope is left.
class PaintDc {
public:
    explicit PaintDc(HWND window) noexcept : window_(window), dc_(::BeginPaint(window, &paint_)) {}
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() { ::EndPaint(window_, &paint_); }
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// An object selected into a device context for a scope; the previous one is selected back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(::SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() {
        if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A VARIANT that is cleared (VariantClear: releases a BSTR, an object, an array) when it goes
// out of scope or is overwritten.
class OwnedVariant {
public:
    OwnedVariant() noexcept { ::VariantInit(&value_); }
    // Takes over the contents of `value`, which is left empty.
    explicit OwnedVariant(VARIANT& value) noexcept : value_(value) { ::VariantInit(&value); }
    OwnedVariant(OwnedVariant&& other) noexcept : value_(other.value_) { ::VariantInit(&other.value_); }
    OwnedVariant& operator=(OwnedVariant&& other) noexcept {
        if (this != &other) {
            reset();
            value_ = other.value_;
            ::VariantInit(&other.value_);
        }
        return *this;
    }
    OwnedVariant(const OwnedVariant&) = delete;
    OwnedVariant& operator=(const OwnedVariant&) = delete;
    ~OwnedVariant() { reset(); }

    VARIANT* get() noexcept { return &value_; }
    const VARIANT* get() const noexcept { return &value_; }
    VARIANT* operator->() noexcept { return &value_; }
    const VARIANT* operator->() const noexcept { return &value_; }
    // Hands the contents to the caller (a [out, retval] VARIANT*); this one is left empty.
    VARIANT release() noexcept {
        VARIANT out = value_;
        ::VariantInit(&value_);
        return out;
    }
    void reset() noexcept {
        ::VariantClear(&value_);
        ::VariantInit(&value_);
    }
    // For functions that fill a VARIANT out parameter; clears what was held.
    VARIANT* put() noexcept {
        reset();
        return &value_;
    }

private:
    VARIANT value_;
};

// The three texts an IDispatch::Invoke failure leaves in an EXCEPINFO, freed with it.
class OwnedExcepInfo {
public:
    OwnedExcepInfo() noexcept { std::memset(&info_, 0, sizeof info_); }
    OwnedExcepInfo(const OwnedExcepInfo&) = delete;
    OwnedExcepInfo& operator=(const OwnedExcepInfo&) = delete;
    ~OwnedExcepInfo() { reset(); }

    EXCEPINFO* get() noexcept { return &info_; }
    const EXCEPINFO* operator->() const noexcept { return &info_; }
    void reset() noexcept {
        ::SysFreeString(info_.bstrSource);
        ::SysFreeString(info_.bstrDescription);
        ::SysFreeString(info_.bstrHelpFile);
        std::memset(&info_, 0, sizeof info_);
    }
    EXCEPINFO* put() noexcept {
        reset();
        return &info_;
    }

private:
    EXCEPINFO info_;
};

// The calling thread's COM apartment: initialised on construction, uninitialised on
// destruction only when the initialisation succeeded (S_OK or S_FALSE).
class ComApartment {
public:
    explicit ComApartment(DWORD model = COINIT_APARTMENTTHREADED) noexcept
        : result_(::CoInitializeEx(nullptr, model)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (SUCCEEDED(result_)) ::CoUninitialize();
    }
    HRESULT Result() const noexcept { return result_; }
    explicit operator bool() const noexcept { return SUCCEEDED(result_); }

private:
    HRESULT result_;
};

}  // namespace diags::platform::win32
