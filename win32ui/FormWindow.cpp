// Creating the form's windows from the creation table, geometry, and pushing the form's own
// state onto its window.
#include "win32ui/FormWindow.h"

#include <commctrl.h>

#include <cmath>

#include "forms/BasicControls.h"
#include "forms/TreeView.h"
#include "services/ResourceStrings.h"
#include "win32ui/Mirror.h"
#include "win32ui/Win32FormHost.h"

namespace diags::win32ui {

using forms::Control;
using forms::Prop;
using forms::WindowStateValue;

int Scale::Pixels(std::int32_t twips) const noexcept {
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

int Scale::DesignPixels(std::int32_t designPixels) const noexcept {
    return Pixels(designPixels * forms::kTwipsPerPixel);
}

std::int32_t Scale::Twips(int pixels) const noexcept {
    return static_cast<std::int32_t>(std::lround(pixels * 1440.0 / dpi));
}

COLORREF ToColorRef(std::uint32_t colour) noexcept {
    if ((colour & 0x80000000u) != 0) return ::GetSysColor(static_cast<int>(colour & 0xFF));
    return static_cast<COLORREF>(colour & 0x00FFFFFFu);
}

namespace {

int ScreenDpi() {
    platform::win32::WindowDc screen(nullptr);
    const int dpi = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
    return dpi > 0 ? dpi : 96;
}

constexpr DWORD kRootStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr UINT kFirstControlId = 100;

WindowStateValue StateOf(const forms::Form& form) noexcept { return static_cast<WindowStateValue>(form.WindowState()); }

int ShowCommandFor(WindowStateValue state) noexcept {
    switch (state) {
        case WindowStateValue::Minimized: return SW_MINIMIZE;
        case WindowStateValue::Maximized: return SW_MAXIMIZE;
        case WindowStateValue::Normal: break;
    }
    return SW_RESTORE;
}

bool WindowIsIn(HWND window, WindowStateValue state) noexcept {
    switch (state) {
        case WindowStateValue::Minimized: return ::IsIconic(window) != FALSE;
        case WindowStateValue::Maximized: return ::IsZoomed(window) != FALSE;
        case WindowStateValue::Normal: break;
    }
    return !::IsIconic(window) && !::IsZoomed(window);
}

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
    MirrorCurrentState();
}

FormWindow::~FormWindow() {
    connections_.clear();
    for (const auto& mirror : mirrors_)
        if (mirror->Model() != nullptr) mirror->Unwatch();
    for (Control* c : form_->Controls()) c->SetHwnd(0);
    form_->SetHwnd(0);
    // The menu is ours to destroy (its mirror's), not the window's.
    if (root_) ::SetMenu(root_.get(), nullptr);
    root_.reset();
}

HWND FormWindow::WindowOf(const Control& control) const noexcept {
    if (&control == form_) return root_.get();
    const Mirror* mirror = MirrorOf(control);
    return mirror != nullptr ? mirror->Window() : nullptr;
}

Control* FormWindow::ControlOf(HWND window) const noexcept {
    const Mirror* mirror = MirrorOf(window);
    return mirror != nullptr ? mirror->Model() : nullptr;
}

Mirror* FormWindow::MirrorOf(const Control& control) const noexcept {
    auto it = byControl_.find(&control);
    return it == byControl_.end() ? nullptr : it->second;
}

Mirror* FormWindow::MirrorOf(HWND window) const noexcept {
    auto it = byWindow_.find(window);
    return it == byWindow_.end() ? nullptr : it->second;
}

HTREEITEM FormWindow::ItemOf(const forms::Node& node) noexcept {
    return reinterpret_cast<HTREEITEM>(node.NativeHandle());
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

HWND FormWindow::ParentFor(Control& control) {
    if (Control* container = control.Container()) return CreateFor(*container);
    return root_.get();
}

HWND FormWindow::CreateFor(Control& control) {
    if (HWND existing = WindowOf(control)) return existing;
    HWND parent = ParentFor(control);
    const WindowRecipe* recipe = RecipeFor(control.Kind());
    if (parent == nullptr || recipe == nullptr || recipe->windowClass == nullptr) return nullptr;

    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | recipe->style;
    RECT r{0, 0, 0, 0};
    UINT_PTR id = 0;
    if (recipe->placesItself) {
        parent = root_.get();
    } else {
        if (control.Visible()) style |= WS_VISIBLE;
        if (recipe->tabStop && control.TabStop()) style |= WS_TABSTOP;
        r = PixelRect(control);
        id = kFirstControlId + byControl_.size();
    }
    HWND window = ::CreateWindowExA(recipe->exStyle, recipe->windowClass, "", style, r.left, r.top, r.right - r.left,
                                    r.bottom - r.top, parent, reinterpret_cast<HMENU>(id), Win32FormHost::Module(), nullptr);
    if (window == nullptr) return nullptr;
    Register(recipe->make(*this, control, window));
    return window;
}

void FormWindow::Register(std::unique_ptr<Mirror> mirror) {
    Mirror& m = *mirrors_.emplace_back(std::move(mirror));
    byControl_[m.Model()] = &m;
    byWindow_[m.Window()] = &m;
    m.Model()->SetHwnd(reinterpret_cast<platform::WindowHandle>(m.Window()));
    m.Attach();
}

void FormWindow::Watch(Control& control) {
    connections_.emplace_back(control.StateChanged.Connect([this, &control](Prop p) { queue_.Mark(control, p); }));
    connections_.emplace_back(control.Destroying.Connect([this, &control] { Forget(control); }));
}

void FormWindow::Forget(Control& control) noexcept {
    // The control goes before its form: its window stays until the form's windows go, but
    // nothing reaches for the control any more.
    queue_.Forget(control);
    Mirror* mirror = MirrorOf(control);
    if (mirror == nullptr) return;
    byWindow_.erase(mirror->Window());
    byControl_.erase(&control);
    if (menuOwner_ == mirror) menuOwner_ = nullptr;
    mirror->ModelGone();
}

void FormWindow::ReportMetrics() {
    const double tpp = scale_.TwipsPerPixel();
    form_->SetTwipsPerPixel(tpp, tpp);
    // Until the bar's bands are built, a form with a bar counts on a menu band.
    ReportNonClientSize(menuOwner_ != nullptr);
    for (const auto& mirror : mirrors_) mirror->ReportMetrics();
}

void FormWindow::ReportNonClientSize(bool withMenu) {
    HWND root = root_.get();
    const DWORD style = root != nullptr ? static_cast<DWORD>(::GetWindowLongA(root, GWL_STYLE)) : kRootStyle;
    RECT frame{0, 0, 0, 0};
    ::AdjustWindowRectEx(&frame, style, withMenu, 0);
    form_->SetNonClientExtent(scale_.Twips(frame.right - frame.left), scale_.Twips(frame.bottom - frame.top));
}

void FormWindow::MirrorCurrentState() {
    Pushing([&] {
        PushForm(Prop::Caption);
        PushForm(Prop::Width);
        for (Control* c : form_->Controls())
            if (Mirror* mirror = c != form_ ? MirrorOf(*c) : nullptr) mirror->PushAll();
        PushZOrder();
    });
}

RECT FormWindow::PixelRect(const Control& control) const noexcept {
    int top = scale_.Pixels(control.Top());
    if (control.Container() == nullptr) top += scale_.Pixels(form_->ReservedTop());
    const int left = scale_.Pixels(control.Left());
    return RECT{left, top, left + scale_.Pixels(control.Width()), top + scale_.Pixels(control.Height())};
}

void FormWindow::Push(Control& control, Prop property) {
    if (&control == form_) {
        Pushing([&] { PushForm(property); });
    } else if (Mirror* mirror = MirrorOf(control)) {
        Pushing([&] { mirror->Push(property); });
    } else {
        // A control without a window of its own (an image list) reaches the mirrors using it.
        Pushing([&] {
            for (const auto& m : mirrors_)
                if (m->Model() != nullptr) m->OnOtherChanged(control, property);
        });
    }
}

void FormWindow::PushForm(Prop property) {
    HWND root = root_.get();
    if (root == nullptr) return;
    switch (property) {
        case Prop::Caption: SetTextIfDifferent(root, form_->Caption()); break;
        case Prop::Width:
        case Prop::Height: PushFormSize(); break;
        case Prop::Enabled: ::EnableWindow(root, form_->Enabled()); break;
        case Prop::Visible:
            // Shown by the modal loop (over its owner); hidden here when the form unloads.
            if (!form_->Visible() && ::IsWindowVisible(root)) ::ShowWindow(root, SW_HIDE);
            break;
        case Prop::Icon: PushFormIcon(); break;
        case Prop::WindowState: PushWindowState(); break;
        case Prop::ReservedTop:
            for (Control* c : form_->Controls())
                if (Mirror* mirror = c != form_ && c->Container() == nullptr ? MirrorOf(*c) : nullptr)
                    mirror->Push(Prop::Top);
            break;
        case Prop::Refresh:
            ::RedrawWindow(root, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            break;
        default: break;
    }
}

void FormWindow::PushFormSize() {
    if (StateOf(*form_) != WindowStateValue::Normal) return;
    HWND root = root_.get();
    RECT have;
    ::GetWindowRect(root, &have);
    const int width = scale_.Pixels(form_->Width()), height = scale_.Pixels(form_->Height());
    if (have.right - have.left != width || have.bottom - have.top != height)
        ::SetWindowPos(root, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::PushWindowState() {
    HWND root = root_.get();
    const WindowStateValue state = StateOf(*form_);
    if (!WindowIsIn(root, state) && ::IsWindowVisible(root)) ::ShowWindow(root, ShowCommandFor(state));
}

void FormWindow::PushFormIcon() {
    const auto icon = form_->Icon();
    if (!icon) return;
    HWND root = root_.get();
    ::SendMessageA(root, WM_SETICON, ICON_SMALL, static_cast<LPARAM>(icon->NativeHandle()));
    bigIcon_ = ResourceStrings::Instance().LoadPictureRes(icon->Id(), 32, 32);
    if (bigIcon_) ::SendMessageA(root, WM_SETICON, ICON_BIG, static_cast<LPARAM>(bigIcon_->NativeHandle()));
}

HFONT FormWindow::FontFor(const std::string& face, double points, bool bold) {
    const std::string key = face + "/" + std::to_string(points) + (bold ? "/b" : "");
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second.get();
    const int height = -static_cast<int>(std::lround(points * scale_.dpi / 72.0));
    HFONT font = ::CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                               face.c_str());
    return fonts_.emplace(key, platform::win32::OwnedFont(font)).first->second.get();
}

HBRUSH FormWindow::BrushFor(COLORREF colour) {
    auto it = brushes_.find(colour);
    if (it != brushes_.end()) return it->second.get();
    return brushes_.emplace(colour, platform::win32::OwnedBrush(::CreateSolidBrush(colour))).first->second.get();
}

void FormWindow::PushZOrder() {
    // Design order is front to back: the status panel over everything, the tab strip behind
    // the trees and the output frame.
    for (Control* c : form_->Controls())
        if (HWND window = WindowOf(*c); window != nullptr && c != form_)
            ::SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace diags::win32ui
