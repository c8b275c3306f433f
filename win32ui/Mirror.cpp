// What every control's window shows of its model, and the window helpers the mirrors share.
#include "win32ui/Mirror.h"

namespace diags::win32ui {

using forms::Prop;

std::string WindowText(HWND window) {
    const int length = ::GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int got = ::GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

void SetTextIfDifferent(HWND window, const std::string& text) {
    if (WindowText(window) != text) ::SetWindowTextA(window, text.c_str());
}

void SetCheckIfDifferent(HWND window, WPARAM state) {
    if (static_cast<WPARAM>(::SendMessageA(window, BM_GETCHECK, 0, 0)) != state)
        ::SendMessageA(window, BM_SETCHECK, state, 0);
}

void Mirror::PushAll() {
    PushGeometry();
    PushFont();
    PushContents();
    PushEnabled();
}

void Mirror::Push(Prop property) {
    switch (property) {
        case Prop::Left:
        case Prop::Top:
        case Prop::Width:
        case Prop::Height: PushGeometry(); break;
        case Prop::Enabled: PushEnabled(); break;
        case Prop::Visible: PushVisible(); break;
        case Prop::TabStop: PushTabStop(); break;
        case Prop::Font:
        case Prop::FontBold: PushFont(); break;
        case Prop::Caption:
        case Prop::Text:
        case Prop::Selection:
        case Prop::MaxLength:
        case Prop::Locked:
        case Prop::MaskEnable:
        case Prop::Value:
        case Prop::Tabs:
        case Prop::SelectedTab:
        case Prop::Panels: PushContents(); break;
        case Prop::BackColor:
        case Prop::ForeColor:
        case Prop::FillColor:
        case Prop::BorderStyle:
        case Prop::Picture: ::InvalidateRect(window_, nullptr, TRUE); break;
        case Prop::ZOrder: PushZOrder(); break;
        case Prop::Refresh:
            ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            break;
        case Prop::Focus: PushFocus(); break;
        default: break;
    }
}

void Mirror::PushGeometry() {
    const RECT want = form_->PixelRect(*model_);
    RECT have;
    ::GetWindowRect(window_, &have);
    ::MapWindowPoints(nullptr, ::GetParent(window_), reinterpret_cast<POINT*>(&have), 2);
    if (::EqualRect(&want, &have)) return;
    ::SetWindowPos(window_, nullptr, want.left, want.top, want.right - want.left, want.bottom - want.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void Mirror::PushVisible() {
    if (((::GetWindowLongA(window_, GWL_STYLE) & WS_VISIBLE) != 0) != model_->Visible())
        ::ShowWindow(window_, model_->Visible() ? SW_SHOWNA : SW_HIDE);
}

void Mirror::PushEnabled() {
    if ((::IsWindowEnabled(window_) != FALSE) != model_->Enabled()) ::EnableWindow(window_, model_->Enabled());
}

void Mirror::PushTabStop() {
    const LONG style = ::GetWindowLongA(window_, GWL_STYLE);
    ::SetWindowLongA(window_, GWL_STYLE, model_->TabStop() ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
}

void Mirror::PushFont() {
    HFONT font = form_->FontFor(model_->FontName(), model_->FontSize(), model_->FontBold());
    if (reinterpret_cast<HFONT>(::SendMessageA(window_, WM_GETFONT, 0, 0)) != font)
        ::SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void Mirror::PushZOrder() {
    ::SetWindowPos(window_, model_->ZOrderRank() > 0 ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Mirror::PushFocus() {
    if (model_->HasFocus() && ::GetFocus() != window_) ::SetFocus(window_);
}

}  // namespace diags::win32ui
