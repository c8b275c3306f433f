// The bar control: its menu band becomes the window's menu (pop-up bands as sub-menus, with
// pictures, separators before group starts and the shortcut's text), its tool band a tool
// bar at the top of the client area. A chosen entry or button raises the model's click once.
// The mirror claims the form window's menu, so menu commands, pop-ups opening, tooltips and
// the form's size changes come to it.
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "forms/MenuBar.h"
#include "win32ui/Mirror.h"

namespace diags::win32ui {

namespace {

using platform::win32::OwnedImageList;
using platform::win32::OwnedMenu;

constexpr UINT kFirstCommand = 40000;
constexpr int kToolPicture = 16;  // design pixels
constexpr int kToolBarPadding = 4;  // design pixels below the buttons

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

class MenuMirror final : public Mirror {
public:
    using Mirror::Mirror;

    void Attach() override {
        Form().ClaimMenu(*this);
        HWND tools = Window();
        ::SendMessageA(tools, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        const int picture = Form().Scaling().DesignPixels(kToolPicture);
        toolImages_.reset(::ImageList_Create(picture, picture, ILC_COLOR32 | ILC_MASK, 2, 2));
        ::SendMessageA(tools, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolImages_.get()));
        ::SendMessageA(tools, TB_SETBITMAPSIZE, 0, MAKELPARAM(picture, picture));
    }

    void Push(forms::Prop property) override {
        if (property == forms::Prop::Bands) PushBands();
        else Mirror::Push(property);
    }

    // The menu band is the window's own menu (outside the client area); the tool band is
    // the tool bar window at the top of the client area.
    void ReportMetrics() override { ReportBandHeights(); }

    void OnCommand(UINT /*code*/, UINT id) override {
        if (id < kFirstCommand || id - kFirstCommand >= commands_.size()) return;
        const auto [band, tool] = commands_[id - kFirstCommand];
        forms::MenuBar& bar = Bar();
        Form().UserCall([&] { bar.UserClickTool(band, tool); });
    }

    LRESULT OnNotify(NMHDR& header) override {
        if (header.code == TTN_GETDISPINFOA || header.code == TTN_GETDISPINFOW) return OnToolTip(header);
        return 0;
    }

    std::optional<LRESULT> OnRootMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_SIZE) PlaceToolBar(false);
        else if (message == WM_INITMENUPOPUP) OnMenuOpening(reinterpret_cast<HMENU>(wParam));
        else if (message == WM_MEASUREITEM || message == WM_DRAWITEM) return OnMenuPicture(message, lParam);
        return std::nullopt;
    }

protected:
    void PushGeometry() override {}  // placed at the top of the client area (PlaceToolBar)
    void PushVisible() override {}   // shown when it has tools

private:
    forms::MenuBar& Bar() const noexcept { return static_cast<forms::MenuBar&>(*Model()); }

    // ---- the bands
    void PushBands() {
        const std::size_t count = ToolCount(Bar());
        if (count != builtTools_) {
            builtTools_ = count;
            commands_.clear();
            popupBands_.clear();
            RebuildMenu();
            RebuildToolBar();
        }
        PlaceToolBar(true);
        // The real heights: the menu is outside the client area, the tool bar inside it.
        Form().ReportNonClientSize(static_cast<bool>(menu_));
        ReportBandHeights();
    }

    void RebuildMenu() {
        forms::MenuBar& bar = Bar();
        HWND root = Form().Root();
        for (const auto& band : bar) {
            if (band->Kind() != forms::band_kind::kMenuBar) continue;
            OwnedMenu menu(BuildMenu(band->Name(), true));
            ::SetMenu(root, menu.get());
            menu_ = std::move(menu);  // the old menu goes after the window stopped using it
            ::DrawMenuBar(root);
        }
    }

    std::optional<LRESULT> OnMenuPicture(UINT message, LPARAM lParam);
    HMENU BuildMenu(const std::string& bandKey, bool isBar);
    void RebuildToolBar() {
        HWND tools = Window();
        while (::SendMessageA(tools, TB_BUTTONCOUNT, 0, 0) > 0) ::SendMessageA(tools, TB_DELETEBUTTON, 0, 0);
        ::ImageList_RemoveAll(toolImages_.get());
        for (const auto& band : Bar()) {
            if (band->Kind() != forms::band_kind::kToolBar) continue;
            bool first = true;
            for (const auto& tool : *band) {
                if (!tool->Visible) continue;
                if (tool->BeginGroup && !first) AddSeparator();
                first = false;
                AddButton(band->Name(), *tool);
            }
        }
        ::SendMessageA(tools, TB_AUTOSIZE, 0, 0);
    }

    void AddSeparator() {
        TBBUTTON separator{};
        separator.fsStyle = BTNS_SEP;
        ::SendMessageA(Window(), TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&separator));
    }

    void AddButton(const std::string& bandKey, const forms::Tool& tool) {
        TBBUTTON button{};
        button.iBitmap = tool.Picture() ? ::ImageList_AddIcon(toolImages_.get(), reinterpret_cast<HICON>(tool.Picture()->NativeHandle()))
                                        : I_IMAGENONE;
        button.idCommand = static_cast<int>(kFirstCommand + commands_.size());
        commands_.emplace_back(bandKey, tool.Name());
        button.fsState = tool.Enabled ? TBSTATE_ENABLED : 0;
        button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
        button.iString = reinterpret_cast<INT_PTR>(tool.Caption.c_str());
        ::SendMessageA(Window(), TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
    }

    // Across the top of the client area; `showOrHide` shows it when it has buttons, else
    // hides it.
    void PlaceToolBar(bool showOrHide) {
        RECT client;
        ::GetClientRect(Form().Root(), &client);
        UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
        if (showOrHide) flags |= ::SendMessageA(Window(), TB_BUTTONCOUNT, 0, 0) > 0 ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
        ::SetWindowPos(Window(), nullptr, 0, 0, client.right, ToolBarHeight(), flags);
    }

    int ToolBarHeight() const noexcept {
        const auto size = static_cast<DWORD>(::SendMessageA(Window(), TB_GETBUTTONSIZE, 0, 0));
        return HIWORD(size) + Form().Scaling().DesignPixels(kToolBarPadding);
    }

    void ReportBandHeights() { Bar().SetBandHeights(0, Form().Scaling().Twips(ToolBarHeight())); }

    // ---- input
    // A pop-up band about to open asks the bar's open query; a refused one is closed again.
    void OnMenuOpening(HMENU popup) {
        const auto band = popupBands_.find(popup);
        if (band == popupBands_.end()) return;
        bool opened = true;
        forms::MenuBar& bar = Bar();
        Form().UserCall([&] { opened = bar.UserOpenBand(band->second); });
        if (!opened) ::EndMenu();
    }

    // The tool bar's tooltip asks for a button's text: the tool's ToolTipText.
    LRESULT OnToolTip(NMHDR& header);

    OwnedMenu menu_;
    OwnedImageList toolImages_;
    std::vector<std::pair<std::string, std::string>> commands_;  // id - kFirstCommand -> band, tool
    std::unordered_map<HMENU, std::string> popupBands_;          // pop-up menu -> its band's key
    std::string tipText_;                                        // the text a tooltip was last given
    std::wstring tipWideText_;
    std::size_t builtTools_ = 0;
};

// An entry's picture, drawn by the menu's owner: the icon itself at the small-icon size, its
// transparent parts showing the entry's background whether it is highlighted or not (a bitmap
// handed to the menu would keep a square of one background colour, and some systems draw it
// inverted while its entry is highlighted).
std::optional<LRESULT> MenuMirror::OnMenuPicture(UINT message, LPARAM lParam) {
    const int size = ::GetSystemMetrics(SM_CXSMICON) > 0 ? ::GetSystemMetrics(SM_CXSMICON) : 16;
    if (message == WM_MEASUREITEM) {
        auto& measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure.CtlType != ODT_MENU) return std::nullopt;
        measure.itemWidth = static_cast<UINT>(size);
        measure.itemHeight = static_cast<UINT>(size);
        return TRUE;
    }
    const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (draw.CtlType != ODT_MENU || draw.itemData == 0) return std::nullopt;
    const int top = draw.rcItem.top + (draw.rcItem.bottom - draw.rcItem.top - size) / 2;
    ::DrawIconEx(draw.hDC, draw.rcItem.left, top, reinterpret_cast<HICON>(draw.itemData), size, size, 0, nullptr, DI_NORMAL);
    return TRUE;
}

HMENU MenuMirror::BuildMenu(const std::string& bandKey, bool isBar) {
    forms::MenuBar& bar = Bar();
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
            HMENU sub = BuildMenu(tool->SubBand, false);
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
            item.fMask = MIIM_BITMAP | MIIM_DATA;
            item.hbmpItem = HBMMENU_CALLBACK;  // drawn by OnMenuPicture, the icon in the item's data
            item.dwItemData = tool->Picture()->NativeHandle();
            ::SetMenuItemInfoA(menu, static_cast<UINT>(::GetMenuItemCount(menu) - 1), TRUE, &item);
        }
    }
    return menu;
}

LRESULT MenuMirror::OnToolTip(NMHDR& header) {
    const auto id = static_cast<UINT>(header.idFrom);
    if (id < kFirstCommand || id - kFirstCommand >= commands_.size()) return 0;
    const auto& [bandKey, toolKey] = commands_[id - kFirstCommand];
    const forms::Band* band = Bar().FindBand(bandKey);
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

}  // namespace

std::unique_ptr<Mirror> MakeMenuMirror(FormWindow& form, forms::Control& model, HWND window) {
    return std::make_unique<MenuMirror>(form, model, window);
}

}  // namespace diags::win32ui
