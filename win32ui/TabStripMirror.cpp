// The tab strip as a tab control: the tabs' captions and the selected tab; the user's choice
// of a tab goes to the strip.
#include "forms/BarControls.h"
#include "win32ui/Mirror.h"

namespace diags::win32ui {

namespace {

class TabStripMirror final : public Mirror {
public:
    using Mirror::Mirror;

    void PushContents() override {
        PushTabs();
        const int selected = Strip().SelectedIndex() - 1;
        if (::SendMessageA(Window(), TCM_GETCURSEL, 0, 0) != selected) ::SendMessageA(Window(), TCM_SETCURSEL, selected, 0);
    }

    LRESULT OnNotify(NMHDR& header) override {
        if (header.code != TCN_SELCHANGE) return 0;
        const auto index = static_cast<std::int32_t>(::SendMessageA(Window(), TCM_GETCURSEL, 0, 0)) + 1;
        forms::TabStrip& strip = Strip();
        Form().UserCall([&] { strip.UserSelectTab(index); });
        return 0;
    }

private:
    forms::TabStrip& Strip() const noexcept { return static_cast<forms::TabStrip&>(*Model()); }

    // Each tab's caption, adding the tabs the window does not have yet.
    void PushTabs() {
        const forms::TabStrip& strip = Strip();
        const auto count = static_cast<std::size_t>(::SendMessageA(Window(), TCM_GETITEMCOUNT, 0, 0));
        for (std::size_t i = 0; i < strip.TabCount(); ++i) {
            const forms::Tab& tab = strip.TabAt(static_cast<std::int32_t>(i + 1));
            TCITEMA item{};
            item.mask = TCIF_TEXT;
            item.pszText = const_cast<char*>(tab.Caption.c_str());
            ::SendMessageA(Window(), i < count ? TCM_SETITEMA : TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
        }
    }
};

}  // namespace

std::unique_ptr<Mirror> MakeTabStripMirror(FormWindow& form, forms::Control& model, HWND window) {
    return std::make_unique<TabStripMirror>(form, model, window);
}

}  // namespace diags::win32ui
