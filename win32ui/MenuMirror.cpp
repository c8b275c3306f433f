// The bar control: its menu band becomes the window's menu (pop-up bands as sub-menus, with
// pictures, separators before group starts and the shortcut's text), its tool band a tool
// bar at the top of the client area. A chosen entry or button raises the model's click once.
#include "win32ui/FormWindow.h"

#include <commctrl.h>

#include "forms/MenuBar.h"

namespace diags::win32ui {

namespace {

constexpr UINT kFirstCommand = 40000;

// The shortcut as a menu shows it: 1..26 Ctrl+A..Ctrl+Z, 27..38 F1..F12.
std::string ShortcutText(std::int32_t index) {
    if (index >= 1 && index <= 26) return std::string("Ctrl+") + static_cast<char>('A' + index - 1);
    if (index >= 27 && index <= 38) return "F" + std::to_string(index - 26);
    return {};
}

std::size_t ToolCount(const forms::MenuBar& bar) {
    std::size_t count = 0;
    for (const auto& band : bar) count += band->ToolCount();
    return count;
}

}  // namespace

void FormWindow::CreateToolBar(forms::MenuBar& bar) {
    bar_ = &bar;
    HWND window = ::CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                                    WS_CHILD | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TOOLTIPS |
                                        CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_TOP,
                                    0, 0, 0, 0, root_.get(), nullptr, nullptr, nullptr);
    if (window == nullptr) return;
    ::SendMessageA(window, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    const int picture = scale_.Pixels(16 * 15);
    toolImages_.reset(::ImageList_Create(picture, picture, ILC_COLOR32 | ILC_MASK, 2, 2));
    ::SendMessageA(window, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolImages_.get()));
    ::SendMessageA(window, TB_SETBITMAPSIZE, 0, MAKELPARAM(picture, picture));
    windows_[&bar] = window;
    controls_[window] = &bar;
    bar.SetHwnd(reinterpret_cast<platform::WindowHandle>(window));
}

int FormWindow::ToolBarHeight() const noexcept {
    if (bar_ == nullptr) return 0;
    HWND window = WindowOf(*bar_);
    if (window == nullptr) return 0;
    const auto size = static_cast<DWORD>(::SendMessageA(window, TB_GETBUTTONSIZE, 0, 0));
    return HIWORD(size) + scale_.Pixels(4 * 15);
}

HBITMAP FormWindow::MenuPicture(std::uintptr_t icon) {
    const int size = ::GetSystemMetrics(SM_CXMENUCHECK) > 0 ? ::GetSystemMetrics(SM_CXMENUCHECK) : 16;
    WindowDc screen(nullptr);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen.get(), size, size);
    if (bitmap == nullptr) return nullptr;
    menuPictures_.emplace_back(bitmap);
    OwnedMemoryDc dc(::CreateCompatibleDC(screen.get()));
    SelectedObject selected(dc.get(), bitmap);
    RECT all{0, 0, size, size};
    ::FillRect(dc.get(), &all, ::GetSysColorBrush(COLOR_MENU));
    ::DrawIconEx(dc.get(), 0, 0, reinterpret_cast<HICON>(icon), size, size, 0, nullptr, DI_NORMAL);
    return bitmap;
}

HMENU FormWindow::BuildMenu(forms::MenuBar& bar, const std::string& bandKey, bool isBar) {
    forms::Band* band = bar.FindBand(bandKey);
    HMENU menu = isBar ? ::CreateMenu() : ::CreatePopupMenu();
    if (band == nullptr || menu == nullptr) return menu;
    bool first = true;
    for (const auto& tool : *band) {
        if (!tool->Visible) continue;
        if (tool->BeginGroup && !first && !isBar) ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        first = false;
        std::string text = tool->Caption;
        const UINT enabled = tool->Enabled ? MF_ENABLED : MF_GRAYED;
        if (!tool->SubBand.empty() && bar.FindBand(tool->SubBand) != nullptr) {
            HMENU sub = BuildMenu(bar, tool->SubBand, false);
            popupBands_[sub] = tool->SubBand;
            ::AppendMenuA(menu, MF_POPUP | MF_STRING | enabled, reinterpret_cast<UINT_PTR>(sub), text.c_str());
        } else {
            const UINT id = kFirstCommand + static_cast<UINT>(commands_.size());
            commands_.emplace_back(band->Name(), tool->Name());
            if (const std::string keys = ShortcutText(tool->Shortcut()); !keys.empty()) text += "\t" + keys;
            ::AppendMenuA(menu, MF_STRING | enabled, id, text.c_str());
        }
        if (tool->Picture() && !isBar) {
            MENUITEMINFOA item{};
            item.cbSize = sizeof(item);
            item.fMask = MIIM_BITMAP;
            item.hbmpItem = MenuPicture(tool->Picture()->NativeHandle());
            ::SetMenuItemInfoA(menu, static_cast<UINT>(::GetMenuItemCount(menu) - 1), TRUE, &item);
        }
    }
    return menu;
}

void FormWindow::PushBands(forms::MenuBar& bar) {
    HWND tools = WindowOf(bar);
    const std::size_t count = ToolCount(bar);
    if (count != builtTools_) {
        builtTools_ = count;
        commands_.clear();
        popupBands_.clear();
        for (const auto& band : bar) {
            if (band->Kind() == forms::band_kind::kMenuBar) {
                UniqueMenu menu(BuildMenu(bar, band->Name(), true));
                ::SetMenu(root_.get(), menu.get());
                menu_ = std::move(menu);  // the old menu goes after the window stopped using it
                ::DrawMenuBar(root_.get());
            }
        }
        if (tools != nullptr) {
            while (::SendMessageA(tools, TB_BUTTONCOUNT, 0, 0) > 0) ::SendMessageA(tools, TB_DELETEBUTTON, 0, 0);
            ::ImageList_RemoveAll(toolImages_.get());
            for (const auto& band : bar) {
                if (band->Kind() != forms::band_kind::kToolBar) continue;
                bool first = true;
                for (const auto& tool : *band) {
                    if (!tool->Visible) continue;
                    if (tool->BeginGroup && !first) {
                        TBBUTTON separator{};
                        separator.fsStyle = BTNS_SEP;
                        ::SendMessageA(tools, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&separator));
                    }
                    first = false;
                    TBBUTTON button{};
                    button.iBitmap = tool->Picture()
                                         ? ::ImageList_AddIcon(toolImages_.get(), reinterpret_cast<HICON>(tool->Picture()->NativeHandle()))
                                         : I_IMAGENONE;
                    button.idCommand = static_cast<int>(kFirstCommand + commands_.size());
                    commands_.emplace_back(band->Name(), tool->Name());
                    button.fsState = tool->Enabled ? TBSTATE_ENABLED : 0;
                    button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
                    button.iString = reinterpret_cast<INT_PTR>(tool->Caption.c_str());
                    ::SendMessageA(tools, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
                }
            }
            ::SendMessageA(tools, TB_AUTOSIZE, 0, 0);
        }
    }
    if (tools != nullptr) {
        RECT client;
        ::GetClientRect(root_.get(), &client);
        const bool any = ::SendMessageA(tools, TB_BUTTONCOUNT, 0, 0) > 0;
        ::SetWindowPos(tools, nullptr, 0, 0, client.right, ToolBarHeight(),
                       SWP_NOZORDER | SWP_NOACTIVATE | (any ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    }
    // The real heights: the menu is outside the client area, the tool bar inside it.
    RECT frame{0, 0, 0, 0};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongA(root_.get(), GWL_STYLE)), static_cast<bool>(menu_), 0);
    form_->SetNonClientExtent(scale_.Twips(frame.right - frame.left), scale_.Twips(frame.bottom - frame.top));
    bar.SetBandHeights(0, scale_.Twips(ToolBarHeight()));
}

void FormWindow::OnMenuOpening(HMENU popup) {
    const auto band = popupBands_.find(popup);
    if (bar_ == nullptr || band == popupBands_.end()) return;
    bool opened = true;
    UserCall([&] { opened = bar_->UserOpenBand(band->second); });
    if (!opened) ::EndMenu();
}

LRESULT FormWindow::OnToolTip(NMHDR& header) {
    const auto id = static_cast<UINT>(header.idFrom);
    if (bar_ == nullptr || id < kFirstCommand || id - kFirstCommand >= commands_.size()) return 0;
    const auto& [bandKey, toolKey] = commands_[id - kFirstCommand];
    const forms::Band* band = bar_->FindBand(bandKey);
    const forms::Tool* tool = band ? band->FindTool(toolKey) : nullptr;
    tipText_ = tool ? std::string(tool->ToolTipText) : std::string();
    if (header.code == TTN_GETDISPINFOA) {
        auto& info = reinterpret_cast<NMTTDISPINFOA&>(header);
        info.hinst = nullptr;
        info.lpszText = tipText_.data();
    } else {
        const int length = ::MultiByteToWideChar(CP_ACP, 0, tipText_.c_str(), -1, nullptr, 0);
        tipWideText_.assign(static_cast<std::size_t>(length > 0 ? length : 1), L'\0');
        if (length > 0) ::MultiByteToWideChar(CP_ACP, 0, tipText_.c_str(), -1, tipWideText_.data(), length);
        auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
        info.hinst = nullptr;
        info.lpszText = tipWideText_.data();
    }
    return 0;
}

void FormWindow::OnMenuCommand(UINT id) {
    if (bar_ == nullptr || id < kFirstCommand || id - kFirstCommand >= commands_.size()) return;
    const auto [band, tool] = commands_[id - kFirstCommand];
    UserCall([&] { bar_->UserClickTool(band, tool); });
}

}  // namespace diags::win32ui
