// Window procedures, control notifications and the modal loop: real input handed to the
// models' user entry points. Keys go to the form first (key preview, which passes the bar's
// shortcuts on), then to dialog navigation, then to the focused native control.
#include "platform/win32/CallbackGuard.h"
#include "win32ui/FormWindow.h"

#include <windowsx.h>

#include "forms/BarControls.h"
#include "forms/BasicControls.h"
#include "forms/MaskedBox.h"
#include "forms/MenuBar.h"
#include "forms/Navigation.h"
#include "forms/OptionButton.h"
#include "forms/TextBox.h"
#include "forms/TreeView.h"
#include "platform/Platform.h"
#include "win32ui/Win32FormHost.h"

namespace diags::win32ui {

using forms::Control;
using forms::ControlKind;

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
            if (!HIWORD(lParam)) OnMenuOpening(reinterpret_cast<HMENU>(wParam));  // not the window menu
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: return OnColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_SETCURSOR:
            if (OnSetCursor(reinterpret_cast<HWND>(wParam))) return TRUE;
            break;
        case WM_SIZE: OnSize(wParam); return 0;
        case WM_ACTIVATE:
            // As a dialog does: the control that had the focus gets it back when the window is
            // activated again (after a message box, or from another window).
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = ::GetFocus();
                if (focus != nullptr && ::IsChild(root, focus)) lastFocus_ = focus;
            } else {
                HWND target = lastFocus_;
                if (target == nullptr || !::IsWindow(target) || !::IsWindowVisible(target) || !::IsWindowEnabled(target))
                    target = form_->ActiveControl() != nullptr ? WindowOf(*form_->ActiveControl()) : nullptr;
                if (target != nullptr && ::IsWindowVisible(target) && ::IsWindowEnabled(target)) {
                    ::SetFocus(target);
                    return 0;
                }
            }
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

LRESULT FormWindow::OnContainerMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Control* control = ControlOf(window);
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
            // Contents of frames and picture boxes report to the form, as on a dialog.
            return ::SendMessageA(root_.get(), message, wParam, lParam);
        case WM_ERASEBKGND: return 1;
        case WM_PAINT:
            if (control != nullptr) {
                PaintContainer(window, *control);
                return 0;
            }
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
            if (control != nullptr && control->Kind() == ControlKind::PictureBox) {
                auto& box = static_cast<forms::PictureBox&>(*control);
                const float x = static_cast<float>(scale_.Twips(GET_X_LPARAM(lParam)));
                const float y = static_cast<float>(scale_.Twips(GET_Y_LPARAM(lParam)));
                std::int16_t button = 0;
                if (wParam & MK_LBUTTON) button |= forms::button::kLeft;
                if (wParam & MK_RBUTTON) button |= forms::button::kRight;
                const std::int16_t shift = ShiftState();
                if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) {
                    ::SetCapture(window);
                    UserCall([&] { box.UserMouseDown(message == WM_LBUTTONDOWN ? forms::button::kLeft : forms::button::kRight, shift, x, y); });
                } else if (message == WM_MOUSEMOVE) {
                    UserCall([&] { box.UserMouseMove(button, shift, x, y); });
                } else {
                    if (::GetCapture() == window) ::ReleaseCapture();
                    UserCall([&] { box.UserMouseUp(message == WM_LBUTTONUP ? forms::button::kLeft : forms::button::kRight, shift, x, y); });
                }
                return 0;
            }
            break;
        default: break;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

void FormWindow::PaintContainer(HWND window, Control& control) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window, &paint);
    RECT r;
    ::GetClientRect(window, &r);
    ::FillRect(dc, &r, BrushFor(ToColorRef(control.BackColor())));
    if (control.Kind() == ControlKind::Frame) {
        // A group box: an etched rectangle with the caption set into its top edge.
        auto& frame = static_cast<forms::Frame&>(control);
        HGDIOBJ oldFont = ::SelectObject(dc, FontFor(control.FontName(), control.FontSize(), control.FontBold()));
        TEXTMETRICA metrics;
        ::GetTextMetricsA(dc, &metrics);
        RECT edge = r;
        edge.top += metrics.tmHeight / 2;
        ::DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
        if (!frame.Caption().empty()) {
            ::SetBkColor(dc, ToColorRef(control.BackColor()));
            ::SetTextColor(dc, ToColorRef(control.ForeColor()));
            RECT text{r.left + 8, r.top, r.right - 8, r.top + metrics.tmHeight};
            ::DrawTextA(dc, frame.Caption().c_str(), -1, &text, DT_LEFT | DT_SINGLELINE | DT_NOCLIP | DT_CALCRECT);
            ::DrawTextA(dc, frame.Caption().c_str(), -1, &text, DT_LEFT | DT_SINGLELINE | DT_NOCLIP);
        }
        ::SelectObject(dc, oldFont);
    } else if (control.Kind() == ControlKind::PictureBox) {
        auto& box = static_cast<forms::PictureBox&>(control);
        if (box.BorderStyle() == 1) ::DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
        if (const auto picture = box.Picture())
            ::DrawIconEx(dc, 0, 0, reinterpret_cast<HICON>(picture->NativeHandle()), 0, 0, 0, nullptr, DI_NORMAL);
    } else if (control.Kind() == ControlKind::Image) {
        if (const auto picture = static_cast<forms::Image&>(control).Picture())
            ::DrawIconEx(dc, 0, 0, reinterpret_cast<HICON>(picture->NativeHandle()), r.right, r.bottom, 0, nullptr, DI_NORMAL);
    }
    ::EndPaint(window, &paint);
}

LRESULT FormWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
    HWND from = reinterpret_cast<HWND>(lParam);
    if (from == nullptr || (bar_ != nullptr && from == WindowOf(*bar_))) {
        if (HIWORD(wParam) == 0 || from != nullptr) OnMenuCommand(LOWORD(wParam));
        return 0;
    }
    Control* control = ControlOf(from);
    if (control == nullptr) return 0;
    const UINT code = HIWORD(wParam);
    if (code == BN_CLICKED) {
        switch (control->Kind()) {
            case ControlKind::CommandButton: UserCall([&] { static_cast<forms::CommandButton*>(control)->UserClick(); }); break;
            case ControlKind::CheckBox: UserCall([&] { static_cast<forms::CheckBox*>(control)->UserClick(); }); break;
            case ControlKind::OptionButton: UserCall([&] { static_cast<forms::OptionButton*>(control)->UserClick(); }); break;
            default: break;
        }
    } else if (code == EN_CHANGE) {
        const int length = ::GetWindowTextLengthA(from);
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        text.resize(static_cast<std::size_t>(std::max(0, ::GetWindowTextA(from, text.data(), length + 1))));
        DWORD start = 0, end = 0;
        ::SendMessageA(from, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        const auto selStart = static_cast<std::int32_t>(start), selLength = static_cast<std::int32_t>(end - start);
        if (control->Kind() == ControlKind::TextBox)
            UserCall([&] { static_cast<forms::TextBox*>(control)->UserEdited(text, selStart, selLength); });
        else if (control->Kind() == ControlKind::MaskedBox)
            UserCall([&] { static_cast<forms::MaskedBox*>(control)->UserEdited(text, selStart, selLength); });
    }
    return 0;
}

LRESULT FormWindow::OnNotify(NMHDR& header) {
    if (header.code == TTN_GETDISPINFOA || header.code == TTN_GETDISPINFOW) return OnToolTip(header);
    Control* control = ControlOf(header.hwndFrom);
    if (control == nullptr) return 0;
    if (control->Kind() == ControlKind::TreeView) return OnTreeNotify(static_cast<forms::TreeView&>(*control), header);
    if (control->Kind() == ControlKind::TabStrip && header.code == TCN_SELCHANGE) {
        const auto index = static_cast<std::int32_t>(::SendMessageA(header.hwndFrom, TCM_GETCURSEL, 0, 0)) + 1;
        UserCall([&] { static_cast<forms::TabStrip*>(control)->UserSelectTab(index); });
    }
    return 0;
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
    HWND root = root_.get();
    RECT client;
    ::GetClientRect(root, &client);
    if (bar_ != nullptr)
        if (HWND tools = WindowOf(*bar_))
            ::SetWindowPos(tools, nullptr, 0, 0, client.right, ToolBarHeight(), SWP_NOZORDER | SWP_NOACTIVATE);
    if (pushing_ > 0) return;
    if (kind == SIZE_MINIMIZED) {
        if (form_->WindowState() != 1) UserCall([&] { form_->UserSetWindowState(1); });
        return;
    }
    RECT outer;
    ::GetWindowRect(root, &outer);
    const int width = outer.right - outer.left, height = outer.bottom - outer.top;
    if (kind == SIZE_MAXIMIZED) {
        if (form_->WindowState() != 2)
            UserCall([&] {
                form_->UserResize(scale_.Twips(width), scale_.Twips(height));
                form_->UserSetWindowState(2);
            });
        return;
    }
    if (form_->WindowState() != 0) UserCall([&] { form_->UserSetWindowState(0); });
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
    if (focused != nullptr && focused->Kind() == ControlKind::OptionButton && shift == 0 &&
        (left == VK_UP || left == VK_DOWN || left == VK_LEFT || left == VK_RIGHT)) {
        auto& option = static_cast<forms::OptionButton&>(*focused);
        forms::OptionButton* next = forms::NextOption(option, left == VK_DOWN || left == VK_RIGHT);
        if (next != nullptr && next != &option) UserCall([&] { next->UserClick(); });
        return true;
    }
    if (focused != nullptr && focused->Kind() == ControlKind::TreeView && left == VK_SPACE) {
        // The tree's own action on space, once: the native control never sees the key.
        UserCall([&] { static_cast<forms::TreeView*>(focused)->UserKeyAction(VK_SPACE); });
        return true;
    }
    return false;
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

void FormWindow::RunModal() {
    HWND root = root_.get();
    if (root == nullptr) return;
    HWND owner = ::GetActiveWindow();
    if (owner == root || (owner != nullptr && ::IsChild(root, owner))) owner = nullptr;
    if (owner != nullptr) {
        ::SetWindowLongPtrA(root, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
        ::EnableWindow(owner, FALSE);
    }
    // Centred over the owner, or on the screen's work area.
    RECT area, self;
    if (owner != nullptr) ::GetWindowRect(owner, &area);
    else ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    ::GetWindowRect(root, &self);
    const int width = self.right - self.left, height = self.bottom - self.top;
    const int x = std::max(0L, area.left + (area.right - area.left - width) / 2);
    const int y = std::max(0L, area.top + (area.bottom - area.top - height) / 2);
    Pushing([&] {
        ::SetWindowPos(root, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        // Trees filled while hidden show the rows the models say are on top.
        for (Control* c : form_->Controls())
            if (c->Kind() == ControlKind::TreeView) PushTree(static_cast<forms::TreeView&>(*c), forms::Prop::TopRow);
    });
    ::ShowWindow(root, SW_SHOW);
    ::SetForegroundWindow(root);
    ::UpdateWindow(root);
    if (Control* first = form_->ActiveControl() ? form_->ActiveControl() : forms::NextInTabOrder(*form_, nullptr, true)) {
        if (HWND window = WindowOf(*first)) ::SetFocus(window);
        SyncFocus();
    }

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

    if (owner != nullptr) ::EnableWindow(owner, TRUE);
    ::ShowWindow(root, SW_HIDE);
    if (owner != nullptr) {
        ::SetActiveWindow(owner);
        ::SetForegroundWindow(owner);
    }
}

}  // namespace diags::win32ui
