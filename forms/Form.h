#pragma once
// Form model: the window itself. Its Controls collection lists every control model of the
// form; geometry distinguishes the outer size (Width/Height, border included), the client
// area, and the inner area (ScaleWidth/ScaleHeight) that docked bars leave free.
//
// Modal show hands control to "the user": a ModalLoop callback that a scripted test supplies,
// or the form host of a renderer, which creates the form's windows before the dialog first
// reads a window handle, runs its message loop, and destroys the windows after unload.
// ShowModal returns once the form has unloaded.
// Code-driven size changes raise nothing; the user's resize raises Resize. Positions of the
// form's controls are relative to the inner area (below the docked bars). While minimised
// the inner area is 0 x 0 and the form refuses to be moved or sized (error 384).
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "forms/Control.h"
#include "forms/ControlCollection.h"

namespace diags::forms {

// Unload modes passed to QueryUnload, as classic forms number them.
namespace unload_mode {
inline constexpr std::int16_t kFormControlMenu = 0;  // the window's close command
inline constexpr std::int16_t kFormCode = 1;         // Unload called from code
inline constexpr std::int16_t kAppWindows = 2;       // the session ends / the loop gave up
}  // namespace unload_mode

// Shift-state bits of key notifications.
namespace shift {
inline constexpr std::int16_t kShift = 1, kCtrl = 2, kAlt = 4;
}

// The values of a form's WindowState.
enum class WindowStateValue : std::int16_t { Normal = 0, Minimized = 1, Maximized = 2 };

class Form;
// "The user" while a form is shown modally: runs until the form has unloaded.
using ModalLoop = std::function<void(Form&)>;

// A renderer's windows for a form. Create makes every control's window (and sets the
// controls' hWnd) once; the windows are never recreated while the form lives. RunModal
// shows the form over the host's active window and returns once the form has unloaded (or
// the loop gave up). Destroy runs after unload, or when the form goes away unshown.
class FormHost {
public:
    virtual ~FormHost() = default;
    virtual void Create(Form& form) = 0;
    virtual void RunModal(Form& form) = 0;
    virtual void Destroy(Form& form) noexcept = 0;
};

// Installs a process-wide form host for the life of the guard; an owner of a form asks for
// it with CurrentFormHost and hands it to Form::SetFormHost.
class ScopedFormHost {
public:
    explicit ScopedFormHost(FormHost& host) noexcept;
    ~ScopedFormHost();
    ScopedFormHost(const ScopedFormHost&) = delete;
    ScopedFormHost& operator=(const ScopedFormHost&) = delete;

private:
    FormHost* saved_;  // non-owning
};
FormHost* CurrentFormHost() noexcept;

// Installs the process-wide modal loop for the life of the guard (tests, renderer).
class ScopedModalLoop {
public:
    explicit ScopedModalLoop(ModalLoop loop);
    ~ScopedModalLoop();
    ScopedModalLoop(const ScopedModalLoop&) = delete;
    ScopedModalLoop& operator=(const ScopedModalLoop&) = delete;

private:
    ModalLoop saved_;
};

class Form : public Control {
public:
    explicit Form(std::string name);
    ~Form() override;

    ControlCollection& Controls() noexcept { return controls_; }
    const ControlCollection& Controls() const noexcept { return controls_; }
    // Lists a control in Controls and makes this form its parent.
    void AddControl(Control& control);

    const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(std::string_view caption);

    // Client area = outer size minus the non-client extent (border and caption).
    std::int32_t ClientWidth() const noexcept;
    std::int32_t ClientHeight() const noexcept;
    void SetClientSize(std::int32_t width, std::int32_t height);
    std::int32_t NonClientWidth() const noexcept { return nonClientWidth_; }
    std::int32_t NonClientHeight() const noexcept { return nonClientHeight_; }
    // A renderer sets the real border extent; headless defaults are 120 x 450 twips.
    void SetNonClientExtent(std::int32_t width, std::int32_t height);
    // Twips per pixel from the window's DPI (1440 / DPI): 15 at 96 DPI, 10 at 144 DPI.
    double TwipsPerPixelX() const noexcept { return twipsPerPixelX_; }
    double TwipsPerPixelY() const noexcept { return twipsPerPixelY_; }
    void SetTwipsPerPixel(double x, double y);
    // Inner area: the client area below the bars docked at the top.
    std::int32_t ScaleWidth() const noexcept;
    std::int32_t ScaleHeight() const noexcept;
    std::int32_t ReservedTop() const noexcept { return reservedTop_; }
    void SetReservedTop(std::int32_t height);

    bool KeyPreview() const noexcept { return keyPreview_; }
    void SetKeyPreview(bool value) noexcept { keyPreview_ = value; }
    platform::PicturePtr Icon() const noexcept { return icon_; }
    void SetIcon(platform::PicturePtr icon);
    // A WindowStateValue: 0 normal, 1 minimised, 2 maximised.
    std::int16_t WindowState() const noexcept { return windowState_; }
    void SetWindowState(std::int16_t value);

    Control* ActiveControl() const noexcept { return activeControl_; }

    // --- lifecycle
    bool Loaded() const noexcept { return loaded_; }
    bool Modal() const noexcept { return modal_; }
    // Per-form modal loop; when unset the form host's loop runs, else the process-wide one
    // (ScopedModalLoop).
    void SetModalLoop(ModalLoop loop) { modalLoop_ = std::move(loop); }
    // Hands the form to a renderer, which creates its windows at once (non-owning; the host
    // outlives the form). Null takes it away again, destroying the windows.
    void SetFormHost(FormHost* host);
    FormHost* Host() const noexcept { return host_; }
    // Shows the form modally: visible, Activate, then the modal loop; returns after unload.
    // When the loop returns while the form is still loaded (or there is no loop), the form
    // is asked to close once (QueryUnload mode 2) and then unloaded regardless. Showing a
    // form that is already shown modally is run-time error 400.
    void ShowModal();
    // Unload from code: QueryUnload(mode 1), then Unload; either may cancel.
    // Returns true when the form unloaded.
    bool Unload();

    // --- what the user does
    // The window's close command: QueryUnload(mode 0), then Unload. True when unloaded.
    bool UserClose();
    // The user drags the border: sets the outer size, then raises Resize.
    void UserResize(std::int32_t width, std::int32_t height);
    // The user minimises, maximises or restores the window (0, 1, 2), then Resize.
    void UserSetWindowState(std::int16_t state);
    // A key goes down: with KeyPreview the form's KeyDown runs first; a key code it leaves
    // non-zero then reaches the active control's own KeyDown (if it has one). Returns the key
    // code as the handlers left it: 0 when one of them took the key, so a renderer does not
    // pass a cancelled key on to the native control.
    std::int16_t UserKeyDown(std::int16_t keyCode, std::int16_t shiftState);
    std::int16_t UserKeyUp(std::int16_t keyCode, std::int16_t shiftState);

    // --- notifications
    Signal<> Activate;
    Signal<> Resize;
    Signal<std::int16_t& /*cancel*/, std::int16_t /*unloadMode*/> QueryUnload;
    Signal<std::int16_t& /*cancel*/> UnloadEvent;
    Signal<std::int16_t& /*keyCode*/, std::int16_t /*shift*/> KeyDown;
    Signal<std::int16_t& /*keyCode*/, std::int16_t /*shift*/> KeyUp;

protected:
    void CheckMovable() const override;

private:
    friend class Control;
    void MoveFocus(Control* next);
    bool CloseWith(std::int16_t unloadMode);

    ControlCollection controls_;
    std::string caption_;
    std::int32_t nonClientWidth_ = 120;
    std::int32_t nonClientHeight_ = 450;
    double twipsPerPixelX_ = 15;
    double twipsPerPixelY_ = 15;
    FormHost* host_ = nullptr;  // non-owning; see SetFormHost
    std::int32_t reservedTop_ = 0;
    bool keyPreview_ = false;
    platform::PicturePtr icon_;
    std::int16_t windowState_ = 0;
    Control* activeControl_ = nullptr;  // non-owning; one of controls_
    bool loaded_ = true;
    bool modal_ = false;
    ModalLoop modalLoop_;
};

}  // namespace diags::forms
