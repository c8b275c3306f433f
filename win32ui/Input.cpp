// Window procedures, routing by HWND and the modal loop: real input handed to the models'
// user entry points. A child window's notification goes to its mirror; the form's own
// window handles what belongs to the form (size, activation, close, colours, cursor) and
// hands its menu's messages to the mirror that claimed the menu. Keys go to the form first
// (key preview, which passes the bar's shortcuts on), then to dialog navigation, then to the
// focused control's mirror, then to the native control.
#include "win32ui/FormWindow.h"

#include <algorithm>

#include "forms/Navigation.h"
#include "platform/Platform.h"
#include "platform/win32/CallbackGuard.h"
#include "win32ui/Mirror.h"
#include "win32ui/Win32FormHost.h"

namespace diags::win32ui {

using forms::Control;
using forms::WindowStateValue;

namespace {

constexpr std::int16_t Value(WindowStateValue state) noexcept { return static_cast<std::int16_t>(state); }

// The owner window is disabled while the form runs modally over it, and enabled again
// however the loop ends.
class OwnerDisabled {
public:
    explicit OwnerDisabled(HWND owner) noexcept : owner_(owner) {
        if (owner_ != nullptr) ::EnableWindow(owner_, FALSE);
    }
    ~OwnerDisabled() {
        if (owner_ != nullptr) ::EnableWindow(owner_, TRUE);
    }
    OwnerDisabled(const OwnerDisabled&) = delete;
    OwnerDisabled& operator=(const OwnerDisabled&) = delete;

private:
    HWND owner_;
};

}  // namespace

FormWindow* FormWindow::FromWindow(HWND window) noexcept {
    HWND root = ::GetAncestor(window, GA_ROOT);
    return root ? static_cast<FormWindow*>(::GetPropA(root, Win32FormHost::kFormProperty)) : nullptr;
}

LRESULT CALLBACK FormWindow::RootProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto byDefault = [&] { return ::DefWindowProcA(window, message, wParam, lParam); };
    FormWindow* self = static_cast<FormWindow*>(::GetPropA(window, Win32FormHost::kFormProperty));
    if (self == nullptr || self->root_.get() != window) return byDefault();
    return platform::win32::Guarded([&] { return self->OnRootMessage(message, wParam, lParam); }, byDefault);
}

LRESULT CALLBACK FormWindow::ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto byDefault = [&] { return ::DefWindowProcA(window, message, wParam, lParam); };
    FormWindow* self = FromWindow(window);
    if (self == nullptr) return byDefault();
    return platform::win32::Guarded([&] { return self->OnContainerMessage(window, message, wParam, lParam); }, byDefault);
}

std::int16_t FormWindow::ShiftState() noexcept {
    std::int16_t state = 0;
    if (::GetKeyState(VK_SHIFT) < 0) state |= forms::shift::kShift;
    if (::GetKeyState(VK_CONTROL) < 0) state |= forms::shift::kCtrl;
    if (::GetKeyState(VK_MENU) < 0) state |= forms::shift::kAlt;
    return state;
}

LRESULT FormWindow::OnRootMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND root = root_.get();
    switch (message) {
        case WM_COMMAND: return OnCommand(wParam, lParam);
        case WM_NOTIFY: return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
        case WM_INITMENUPOPUP:
            if (!HIWORD(lParam) && menuOwner_ != nullptr)  // not the window menu
                menuOwner_->OnRootMessage(message, wParam, lParam);
            break;
        case WM_MEASUREITEM:
        case WM_DRAWITEM:  // a menu entry's picture (wParam 0: from a menu, not a control)
            if (wParam == 0 && menuOwner_ != nullptr)
                if (const auto result = menuOwner_->OnRootMessage(message, wParam, lParam)) return *result;
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: return OnColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_SETCURSOR:
            if (OnSetCursor(reinterpret_cast<HWND>(wParam))) return TRUE;
            break;
        case WM_SIZE: OnSize(wParam); return 0;
        case WM_ACTIVATE:
            if (OnActivate(wParam)) return 0;
            break;
        case WM_CLOSE:
            // The close box goes through the form's QueryUnload (mode 0).
            UserCall([&] { form_->UserClose(); });
            return 0;
        case WM_SETICON:
            // The dialog hands over its small picture for both sizes; the large size shows
            // the same picture drawn at the large size.
            if (wParam == ICON_BIG && bigIcon_ && form_->Icon() &&
                static_cast<std::uintptr_t>(lParam) == form_->Icon()->NativeHandle())
                lParam = static_cast<LPARAM>(bigIcon_->NativeHandle());
            break;
        default: break;
    }
    return ::DefWindowProcA(root, message, wParam, lParam);
}

bool FormWindow::OnActivate(WPARAM wParam) {
    // As a dialog does: the control that had the focus gets it back when the window is
    // activated again (after a message box, or from another window).
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus != nullptr && ::IsChild(root_.get(), focus)) lastFocus_ = focus;
        return false;
    }
    HWND target = lastFocus_;
    if (target == nullptr || !::IsWindow(target) || !::IsWindowVisible(target) || !::IsWindowEnabled(target))
        target = form_->ActiveControl() != nullptr ? WindowOf(*form_->ActiveControl()) : nullptr;
    if (target == nullptr || !::IsWindowVisible(target) || !::IsWindowEnabled(target)) return false;
    ::SetFocus(target);
    return true;
}

LRESULT FormWindow::OnContainerMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
            // Contents of frames and picture boxes report to the form, as on a dialog.
            return ::SendMessageA(root_.get(), message, wParam, lParam);
        case WM_ERASEBKGND: return 1;  // painted in full by the container's mirror
        default: break;
    }
    if (Mirror* mirror = MirrorOf(window))
        if (const auto result = mirror->OnMessage(message, wParam, lParam)) return *result;
    return ::DefWindowProcA(window, message, wParam, lParam);
}

LRESULT FormWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
    HWND from = reinterpret_cast<HWND>(lParam);
    if (from == nullptr) {
        // A menu entry (an accelerator's code is 1): the menu's owner.
        if (HIWORD(wParam) == 0 && menuOwner_ != nullptr) menuOwner_->OnCommand(0, LOWORD(wParam));
        return 0;
    }
    if (Mirror* mirror = MirrorOf(from)) mirror->OnCommand(HIWORD(wParam), LOWORD(wParam));
    return 0;
}

LRESULT FormWindow::OnNotify(NMHDR& header) {
    // A tooltip asks for its text: only the tool bar has tooltips.
    if (header.code == TTN_GETDISPINFOA || header.code == TTN_GETDISPINFOW)
        return menuOwner_ != nullptr ? menuOwner_->OnNotify(header) : 0;
    Mirror* mirror = MirrorOf(header.hwndFrom);
    return mirror != nullptr ? mirror->OnNotify(header) : 0;
}

LRESULT FormWindow::OnColour(HDC dc, HWND window) {
    Control* control = ControlOf(window);
    if (control == nullptr) return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    ::SetTextColor(dc, ToColorRef(control->ForeColor()));
    ::SetBkColor(dc, ToColorRef(control->BackColor()));
    return reinterpret_cast<LRESULT>(BrushFor(ToColorRef(control->BackColor())));
}

bool FormWindow::OnSetCursor(HWND window) {
    const std::int16_t screen = platform::Current().interaction ? platform::Current().interaction->MousePointer() : 0;
    LPCSTR cursor = nullptr;
    if (screen == platform::pointer::kHourglass) cursor = IDC_WAIT;
    else if (Control* control = ControlOf(window)) {
        if (control->MousePointer() == platform::pointer::kSizeWestEast) cursor = IDC_SIZEWE;
        else if (control->MousePointer() == platform::pointer::kHourglass) cursor = IDC_WAIT;
    }
    if (cursor == nullptr) return false;
    ::SetCursor(::LoadCursorA(nullptr, cursor));
    return true;
}

void FormWindow::OnSize(WPARAM kind) {
    if (menuOwner_ != nullptr) menuOwner_->OnRootMessage(WM_SIZE, kind, 0);  // the tool bar spans the width
    if (pushing_ > 0) return;
    if (kind == SIZE_MINIMIZED) {
        if (form_->WindowState() != Value(WindowStateValue::Minimized))
            UserCall([&] { form_->UserSetWindowState(Value(WindowStateValue::Minimized)); });
        return;
    }
    RECT outer;
    ::GetWindowRect(root_.get(), &outer);
    const int width = outer.right - outer.left, height = outer.bottom - outer.top;
    if (kind == SIZE_MAXIMIZED) {
        if (form_->WindowState() != Value(WindowStateValue::Maximized))
            UserCall([&] {
                form_->UserResize(scale_.Twips(width), scale_.Twips(height));
                form_->UserSetWindowState(Value(WindowStateValue::Maximized));
            });
        return;
    }
    if (form_->WindowState() != Value(WindowStateValue::Normal))
        UserCall([&] { form_->UserSetWindowState(Value(WindowStateValue::Normal)); });
    if (scale_.Pixels(form_->Width()) != width || scale_.Pixels(form_->Height()) != height)
        UserCall([&] { form_->UserResize(scale_.Twips(width), scale_.Twips(height)); });
}

bool FormWindow::PreTranslate(MSG& msg) {
    HWND root = root_.get();
    if (msg.hwnd != root && !::IsChild(root, msg.hwnd)) return false;
    const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    const bool up = msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP;
    if (!down && !up) return false;
    const auto vk = static_cast<std::int16_t>(msg.wParam);
    const std::int16_t shift = ShiftState();
    std::int16_t left = vk;
    UserCall([&] { left = down ? form_->UserKeyDown(vk, shift) : form_->UserKeyUp(vk, shift); });
    if (!form_->Loaded() || left == 0) return true;  // a handler took the key
    if (!down) return false;

    Control* focused = form_->ActiveControl();
    if (left == VK_TAB && (shift & (forms::shift::kCtrl | forms::shift::kAlt)) == 0) {
        if (Control* next = forms::NextInTabOrder(*form_, focused, (shift & forms::shift::kShift) == 0))
            UserCall([&] { next->SetFocus(); });
        return true;
    }
    Mirror* mirror = focused != nullptr ? MirrorOf(*focused) : nullptr;
    return mirror != nullptr && mirror->OnKey(left, shift);
}

void FormWindow::SyncFocus() {
    if (!form_->Loaded()) return;
    HWND focus = ::GetFocus();
    Control* control = nullptr;
    for (HWND w = focus; w != nullptr && w != root_.get() && control == nullptr; w = ::GetParent(w)) control = ControlOf(w);
    if (control != nullptr && control != form_->ActiveControl() && control->EffectivelyEnabled() &&
        control->EffectivelyVisible())
        UserCall([&] { control->SetFocus(); });
}

void FormWindow::Thaw() {
    for (Mirror* mirror : frozen_) mirror->Thaw();
    frozen_.clear();
}

void FormWindow::RunModal() {
    if (root_.get() == nullptr) return;
    HWND owner = ActiveOwner();
    AttachTo(owner);
    {
        OwnerDisabled disabled(owner);
        CentreOver(owner);
        PrepareToShow();
        ShowAndFocus();
        PumpUntilUnloaded();
    }
    GiveBackTo(owner);
}

HWND FormWindow::ActiveOwner() const noexcept {
    HWND root = root_.get();
    HWND owner = ::GetActiveWindow();
    if (owner == root || (owner != nullptr && ::IsChild(root, owner))) return nullptr;
    return owner;
}

void FormWindow::AttachTo(HWND owner) {
    if (owner != nullptr) ::SetWindowLongPtrA(root_.get(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
}

void FormWindow::CentreOver(HWND owner) {
    // Centred over the owner, or on the screen's work area.
    HWND root = root_.get();
    RECT area, self;
    if (owner != nullptr) ::GetWindowRect(owner, &area);
    else ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    ::GetWindowRect(root, &self);
    const int width = self.right - self.left, height = self.bottom - self.top;
    const int x = std::max(0L, area.left + (area.right - area.left - width) / 2);
    const int y = std::max(0L, area.top + (area.bottom - area.top - height) / 2);
    Pushing([&] { ::SetWindowPos(root, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE); });
}

void FormWindow::PrepareToShow() {
    Pushing([&] {
        for (const auto& mirror : mirrors_)
            if (mirror->Model() != nullptr) mirror->BeforeShow();
    });
}

void FormWindow::ShowAndFocus() {
    HWND root = root_.get();
    ::ShowWindow(root, SW_SHOW);
    ::SetForegroundWindow(root);
    ::UpdateWindow(root);
    if (Control* first = form_->ActiveControl() ? form_->ActiveControl() : forms::NextInTabOrder(*form_, nullptr, true)) {
        if (HWND window = WindowOf(*first)) ::SetFocus(window);
        SyncFocus();
    }
}

void FormWindow::PumpUntilUnloaded() {
    MSG msg;
    int got = 1;
    while (form_->Loaded() && (got = ::GetMessageA(&msg, nullptr, 0, 0)) > 0) {
        if (!PreTranslate(msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        SyncFocus();
    }
    if (got == 0) ::PostQuitMessage(static_cast<int>(msg.wParam));  // for the host's own loop
}

void FormWindow::GiveBackTo(HWND owner) {
    ::ShowWindow(root_.get(), SW_HIDE);
    if (owner == nullptr) return;
    ::SetActiveWindow(owner);
    ::SetForegroundWindow(owner);
}

}  // namespace diags::win32ui
