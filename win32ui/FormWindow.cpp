// Creating the form's windows, geometry, and pushing model state onto them.
#include "win32ui/FormWindow.h"

#include <commctrl.h>

#include <cmath>

#include "forms/BarControls.h"
#include "forms/BasicControls.h"
#include "forms/MaskedBox.h"
#include "forms/MenuBar.h"
#include "forms/OptionButton.h"
#include "forms/TextBox.h"
#include "forms/TreeView.h"
#include "services/ResourceStrings.h"
#include "win32ui/Win32FormHost.h"

namespace diags::win32ui {

using forms::Control;
using forms::ControlKind;
using forms::Prop;

int Scale::Pixels(std::int32_t twips) const noexcept {
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

std::int32_t Scale::Twips(int pixels) const noexcept {
    return static_cast<std::int32_t>(std::lround(pixels * 1440.0 / dpi));
}

COLORREF ToColorRef(std::uint32_t colour) noexcept {
    if ((colour & 0x80000000u) != 0) return ::GetSysColor(static_cast<int>(colour & 0xFF));
    return static_cast<COLORREF>(colour & 0x00FFFFFFu);
}

namespace {

std::string TextOf(HWND window) {
    const int length = ::GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int got = ::GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

void SetTextIfDifferent(HWND window, const std::string& text) {
    if (TextOf(window) != text) ::SetWindowTextA(window, text.c_str());
}

int ScreenDpi() {
    WindowDc screen(nullptr);
    const int dpi = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
    return dpi > 0 ? dpi : 96;
}

constexpr DWORD kRootStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr UINT kFirstControlId = 100;

}  // namespace

FormWindow::FormWindow(forms::Form& form, int dpi)
    : form_(&form), queue_([this](Control& c, Prop p) { Push(c, p); }) {
    scale_.dpi = dpi > 0 ? dpi : ScreenDpi();
    CreateRoot();
    // Containers first, so every control finds its parent window.
    for (Control* c : form.Controls())
        if (c != &form) CreateFor(*c);
    Watch(form);
    for (Control* c : form.Controls())
        if (c != &form) Watch(*c);
    ReportMetrics();
    // Mirror what the models hold now.
    Pushing([&] {
        PushForm(Prop::Caption);
        PushForm(Prop::Width);
        for (Control* c : form.Controls()) {
            if (c == &form) continue;
            PushGeometry(*c);
            PushFont(*c);
            PushText(*c);
            Push(*c, Prop::Enabled);
        }
        PushZOrder();
    });
}

FormWindow::~FormWindow() {
    for (auto& disconnect : disconnect_) disconnect();
    for (Control* c : form_->Controls()) c->SetHwnd(0);
    form_->SetHwnd(0);
    // The menu is ours to destroy, not the window's.
    if (root_) ::SetMenu(root_.get(), nullptr);
    root_.reset();
}

HWND FormWindow::WindowOf(const Control& control) const noexcept {
    if (&control == form_) return root_.get();
    auto it = windows_.find(&control);
    return it == windows_.end() ? nullptr : it->second;
}

Control* FormWindow::ControlOf(HWND window) const noexcept {
    auto it = controls_.find(window);
    return it == controls_.end() ? nullptr : it->second;
}

void FormWindow::CreateRoot() {
    HWND window = ::CreateWindowExA(0, Win32FormHost::kFormClass, form_->Caption().c_str(), kRootStyle, CW_USEDEFAULT,
                                    CW_USEDEFAULT, scale_.Pixels(form_->Width()), scale_.Pixels(form_->Height()),
                                    nullptr, nullptr, Win32FormHost::Module(), this);
    root_.reset(window);
    if (window == nullptr) return;
    ::SetPropA(window, Win32FormHost::kFormProperty, this);
    form_->SetHwnd(reinterpret_cast<platform::WindowHandle>(window));
}

HWND FormWindow::CreateFor(Control& control) {
    if (HWND existing = WindowOf(control)) return existing;
    HWND parent = root_.get();
    if (Control* container = control.Container()) parent = CreateFor(*container);
    if (parent == nullptr) return nullptr;

    const char* windowClass = nullptr;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD exStyle = 0;
    if (control.Visible()) style |= WS_VISIBLE;
    if (control.TabStop()) style |= WS_TABSTOP;
    switch (control.Kind()) {
        case ControlKind::Form:
        case ControlKind::ImageList: return nullptr;  // no window of its own
        case ControlKind::MenuBar: CreateToolBar(static_cast<forms::MenuBar&>(control)); return WindowOf(control);
        case ControlKind::TreeView:
            windowClass = WC_TREEVIEWA;
            style |= TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
            exStyle = WS_EX_CLIENTEDGE;
            break;
        case ControlKind::TabStrip: windowClass = WC_TABCONTROLA; break;
        case ControlKind::StatusBar:
            windowClass = STATUSCLASSNAMEA;
            style |= CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER;
            style &= ~WS_TABSTOP;
            break;
        case ControlKind::Frame:
        case ControlKind::PictureBox:
        case ControlKind::Image:
            windowClass = Win32FormHost::kContainerClass;
            style |= WS_CLIPCHILDREN;
            style &= ~WS_TABSTOP;
            break;
        case ControlKind::Label:
            windowClass = "STATIC";
            style |= SS_LEFT;
            style &= ~WS_TABSTOP;
            break;
        case ControlKind::TextBox:
            windowClass = "EDIT";
            style |= ES_AUTOHSCROLL;
            exStyle = WS_EX_CLIENTEDGE;
            break;
        case ControlKind::MaskedBox:
            windowClass = "EDIT";
            style |= ES_AUTOHSCROLL | ES_NUMBER;
            exStyle = WS_EX_CLIENTEDGE;
            break;
        case ControlKind::CheckBox: windowClass = "BUTTON"; style |= BS_3STATE; break;
        case ControlKind::OptionButton: windowClass = "BUTTON"; style |= BS_RADIOBUTTON; break;
        case ControlKind::CommandButton: windowClass = "BUTTON"; style |= BS_PUSHBUTTON; break;
    }
    const RECT r = PixelRect(control);
    const auto id = static_cast<UINT_PTR>(kFirstControlId + windows_.size());
    HWND window = ::CreateWindowExA(exStyle, windowClass, "", style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                    parent, reinterpret_cast<HMENU>(id), Win32FormHost::Module(), nullptr);
    if (window == nullptr) return nullptr;
    windows_[&control] = window;
    controls_[window] = &control;
    control.SetHwnd(reinterpret_cast<platform::WindowHandle>(window));
    if (control.Kind() == ControlKind::TreeView) WatchTree(static_cast<forms::TreeView&>(control));
    if (control.Kind() == ControlKind::StatusBar) {
        int right = -1;
        ::SendMessageA(window, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&right));
    }
    return window;
}

void FormWindow::Watch(Control& control) {
    const auto id = control.StateChanged.Connect([this, &control](Prop p) { queue_.Mark(control, p); });
    const auto gone = control.Destroying.Connect([this, &control] {
        // The control goes before its form: its window stays until the form's windows go,
        // but nothing reaches for the control any more.
        gone_.insert(&control);
        queue_.Forget(control);
        if (control.Kind() == ControlKind::TreeView) staleNodes_.erase(static_cast<const forms::TreeView*>(&control));
        if (HWND window = WindowOf(control)) controls_.erase(window);
        windows_.erase(&control);
        if (bar_ == &control) bar_ = nullptr;
    });
    disconnect_.push_back([this, &control, id, gone] {
        if (gone_.contains(&control)) return;
        control.StateChanged.Disconnect(id);
        control.Destroying.Disconnect(gone);
        queue_.Forget(control);
    });
}

void FormWindow::ReportMetrics() {
    const double tpp = scale_.TwipsPerPixel();
    form_->SetTwipsPerPixel(tpp, tpp);
    RECT frame{0, 0, 0, 0};
    ::AdjustWindowRectEx(&frame, kRootStyle, bar_ != nullptr, 0);
    form_->SetNonClientExtent(scale_.Twips(frame.right - frame.left), scale_.Twips(frame.bottom - frame.top));
    // The menu band is the window's own menu (outside the client area); the tool band is
    // the tool bar window at the top of the client area.
    if (bar_ != nullptr) bar_->SetBandHeights(0, scale_.Twips(ToolBarHeight()));
}

RECT FormWindow::PixelRect(const Control& control) const noexcept {
    int top = scale_.Pixels(control.Top());
    if (control.Container() == nullptr) top += scale_.Pixels(form_->ReservedTop());
    const int left = scale_.Pixels(control.Left());
    return RECT{left, top, left + scale_.Pixels(control.Width()), top + scale_.Pixels(control.Height())};
}

void FormWindow::Push(Control& control, Prop property) {
    Pushing([&] {
        if (&control == form_) {
            PushForm(property);
            return;
        }
        HWND window = WindowOf(control);
        if (window == nullptr) return;
        switch (property) {
            case Prop::Left:
            case Prop::Top:
            case Prop::Width:
            case Prop::Height: PushGeometry(control); break;
            case Prop::Enabled:
                if ((::IsWindowEnabled(window) != FALSE) != control.Enabled()) ::EnableWindow(window, control.Enabled());
                break;
            case Prop::Visible:
                if (control.Kind() == ControlKind::MenuBar) break;  // shown when it has tools
                if (control.Kind() == ControlKind::TreeView && control.Visible())
                    CatchUp(static_cast<forms::TreeView&>(control));
                if (((::GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0) != control.Visible())
                    ::ShowWindow(window, control.Visible() ? SW_SHOWNA : SW_HIDE);
                break;
            case Prop::TabStop: {
                const LONG style = ::GetWindowLongA(window, GWL_STYLE);
                ::SetWindowLongA(window, GWL_STYLE, control.TabStop() ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
                break;
            }
            case Prop::Font:
            case Prop::FontBold: PushFont(control); break;
            case Prop::Caption:
            case Prop::Text:
            case Prop::Selection:
            case Prop::MaxLength:
            case Prop::Locked:
            case Prop::MaskEnable:
            case Prop::Value:
            case Prop::Tabs:
            case Prop::SelectedTab:
            case Prop::Panels: PushText(control); break;
            case Prop::BackColor:
            case Prop::ForeColor:
            case Prop::FillColor:
            case Prop::BorderStyle:
            case Prop::Picture: ::InvalidateRect(window, nullptr, TRUE); break;
            case Prop::ZOrder:
                ::SetWindowPos(window, control.ZOrderRank() > 0 ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
                break;
            case Prop::Refresh:
                ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
                break;
            case Prop::Focus:
                if (control.HasFocus() && ::GetFocus() != window) ::SetFocus(window);
                break;
            case Prop::Sorted:
            case Prop::Checkboxes:
            case Prop::ImageList:
            case Prop::TopRow:
                if (control.Kind() == ControlKind::TreeView) PushTree(static_cast<forms::TreeView&>(control), property);
                break;
            case Prop::Bands:
                if (control.Kind() == ControlKind::MenuBar) PushBands(static_cast<forms::MenuBar&>(control));
                break;
            default: break;
        }
    });
    if (control.Kind() == ControlKind::ImageList && (property == Prop::ListImages || property == Prop::ImageSize)) {
        for (Control* c : form_->Controls())
            if (c->Kind() == ControlKind::TreeView &&
                static_cast<forms::TreeView*>(c)->ImageListControl() == &control)
                Pushing([&] { RefreshTreeImages(*static_cast<forms::TreeView*>(c)); });
    }
}

void FormWindow::PushGeometry(Control& control) {
    HWND window = WindowOf(control);
    if (window == nullptr || control.Kind() == ControlKind::MenuBar) return;
    const RECT want = PixelRect(control);
    RECT have;
    ::GetWindowRect(window, &have);
    ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&have), 2);
    if (::EqualRect(&want, &have)) return;
    ::SetWindowPos(window, nullptr, want.left, want.top, want.right - want.left, want.bottom - want.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::PushForm(Prop property) {
    HWND root = root_.get();
    if (root == nullptr) return;
    switch (property) {
        case Prop::Caption: SetTextIfDifferent(root, form_->Caption()); break;
        case Prop::Width:
        case Prop::Height: {
            if (form_->WindowState() != 0) break;
            RECT have;
            ::GetWindowRect(root, &have);
            const int width = scale_.Pixels(form_->Width()), height = scale_.Pixels(form_->Height());
            if (have.right - have.left != width || have.bottom - have.top != height)
                ::SetWindowPos(root, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            break;
        }
        case Prop::Enabled: ::EnableWindow(root, form_->Enabled()); break;
        case Prop::Visible:
            // Shown by the modal loop (over its owner); hidden here when the form unloads.
            if (!form_->Visible() && ::IsWindowVisible(root)) ::ShowWindow(root, SW_HIDE);
            break;
        case Prop::Icon:
            if (const auto icon = form_->Icon()) {
                ::SendMessageA(root, WM_SETICON, ICON_SMALL, static_cast<LPARAM>(icon->NativeHandle()));
                bigIcon_ = ResourceStrings::Instance().LoadPictureRes(icon->Id(), 32, 32);
                if (bigIcon_)
                    ::SendMessageA(root, WM_SETICON, ICON_BIG, static_cast<LPARAM>(bigIcon_->NativeHandle()));
            }
            break;
        case Prop::WindowState: {
            const int show = form_->WindowState() == 1 ? SW_MINIMIZE : form_->WindowState() == 2 ? SW_MAXIMIZE : SW_RESTORE;
            const bool now = form_->WindowState() == 1 ? ::IsIconic(root) : form_->WindowState() == 2 ? ::IsZoomed(root)
                                                                                                   : !::IsIconic(root) && !::IsZoomed(root);
            if (!now && ::IsWindowVisible(root)) ::ShowWindow(root, show);
            break;
        }
        case Prop::ReservedTop:
            for (Control* c : form_->Controls())
                if (c != form_ && c->Container() == nullptr) PushGeometry(*c);
            break;
        case Prop::Refresh:
            ::RedrawWindow(root, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            break;
        default: break;
    }
}

HFONT FormWindow::FontFor(const std::string& face, double points, bool bold) {
    const std::string key = face + "/" + std::to_string(points) + (bold ? "/b" : "");
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second.get();
    const int height = -static_cast<int>(std::lround(points * scale_.dpi / 72.0));
    HFONT font = ::CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                               face.c_str());
    return fonts_.emplace(key, UniqueFont(font)).first->second.get();
}

HBRUSH FormWindow::BrushFor(COLORREF colour) {
    auto it = brushes_.find(colour);
    if (it != brushes_.end()) return it->second.get();
    return brushes_.emplace(colour, UniqueBrush(::CreateSolidBrush(colour))).first->second.get();
}

void FormWindow::PushFont(Control& control) {
    HWND window = WindowOf(control);
    if (window == nullptr) return;
    HFONT font = FontFor(control.FontName(), control.FontSize(), control.FontBold());
    if (reinterpret_cast<HFONT>(::SendMessageA(window, WM_GETFONT, 0, 0)) != font)
        ::SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void FormWindow::PushText(Control& control) {
    HWND window = WindowOf(control);
    if (window == nullptr) return;
    switch (control.Kind()) {
        case ControlKind::Label:
        case ControlKind::CommandButton:
            SetTextIfDifferent(window, static_cast<forms::CaptionedControl&>(control).Caption());
            break;
        case ControlKind::Frame:
            SetTextIfDifferent(window, static_cast<forms::CaptionedControl&>(control).Caption());
            ::InvalidateRect(window, nullptr, TRUE);
            break;
        case ControlKind::CheckBox: {
            auto& box = static_cast<forms::CheckBox&>(control);
            SetTextIfDifferent(window, box.Caption());
            const WPARAM state = box.Value() == 1 ? BST_CHECKED : box.Value() == 2 ? BST_INDETERMINATE : BST_UNCHECKED;
            if (static_cast<WPARAM>(::SendMessageA(window, BM_GETCHECK, 0, 0)) != state)
                ::SendMessageA(window, BM_SETCHECK, state, 0);
            break;
        }
        case ControlKind::OptionButton: {
            auto& option = static_cast<forms::OptionButton&>(control);
            SetTextIfDifferent(window, option.Caption());
            const WPARAM state = option.Value() ? BST_CHECKED : BST_UNCHECKED;
            if (static_cast<WPARAM>(::SendMessageA(window, BM_GETCHECK, 0, 0)) != state)
                ::SendMessageA(window, BM_SETCHECK, state, 0);
            break;
        }
        case ControlKind::TextBox: {
            auto& box = static_cast<forms::TextBox&>(control);
            SetTextIfDifferent(window, box.Text());
            ::SendMessageA(window, EM_LIMITTEXT, static_cast<WPARAM>(box.MaxLength()), 0);
            ::SendMessageA(window, EM_SETREADONLY, box.Locked(), 0);
            DWORD start = 0, end = 0;
            ::SendMessageA(window, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            if (static_cast<std::int32_t>(start) != box.SelStart() || static_cast<std::int32_t>(end - start) != box.SelLength())
                ::SendMessageA(window, EM_SETSEL, box.SelStart(), box.SelStart() + box.SelLength());
            break;
        }
        case ControlKind::MaskedBox: {
            auto& box = static_cast<forms::MaskedBox&>(control);
            SetTextIfDifferent(window, box.Text());
            ::SendMessageA(window, EM_LIMITTEXT, static_cast<WPARAM>(box.MaxCharPerCell()), 0);
            // The cell's own switch: the text stays readable, the user cannot edit it.
            ::SendMessageA(window, EM_SETREADONLY, !box.Enable(), 0);
            DWORD start = 0, end = 0;
            ::SendMessageA(window, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            if (static_cast<std::int32_t>(start) != box.SelStart() || static_cast<std::int32_t>(end - start) != box.SelLength())
                ::SendMessageA(window, EM_SETSEL, box.SelStart(), box.SelStart() + box.SelLength());
            break;
        }
        case ControlKind::TabStrip: {
            auto& strip = static_cast<forms::TabStrip&>(control);
            const auto count = static_cast<std::size_t>(::SendMessageA(window, TCM_GETITEMCOUNT, 0, 0));
            for (std::size_t i = 0; i < strip.TabCount(); ++i) {
                const forms::Tab& tab = strip.TabAt(static_cast<std::int32_t>(i + 1));
                TCITEMA item{};
                item.mask = TCIF_TEXT;
                item.pszText = const_cast<char*>(tab.Caption.c_str());
                if (i < count) ::SendMessageA(window, TCM_SETITEMA, i, reinterpret_cast<LPARAM>(&item));
                else ::SendMessageA(window, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
            }
            const int selected = strip.SelectedIndex() - 1;
            if (::SendMessageA(window, TCM_GETCURSEL, 0, 0) != selected) ::SendMessageA(window, TCM_SETCURSEL, selected, 0);
            break;
        }
        case ControlKind::StatusBar: {
            auto& bar = static_cast<forms::StatusBar&>(control);
            if (bar.PanelCount() > 0) ::SendMessageA(window, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(bar.PanelText(1).c_str()));
            break;
        }
        default: break;
    }
}

void FormWindow::PushZOrder() {
    // Design order is front to back: the status panel over everything, the tab strip behind
    // the trees and the output frame.
    for (Control* c : form_->Controls())
        if (HWND window = WindowOf(*c); window != nullptr && c != form_)
            ::SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace diags::win32ui
