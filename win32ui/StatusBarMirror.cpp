// The status bar as a status window of one part showing the first panel's text.
#include "forms/BarControls.h"
#include "win32ui/Mirror.h"

namespace diags::win32ui {

namespace {

class StatusBarMirror final : public Mirror {
public:
    using Mirror::Mirror;

    void Attach() override {
        int right = -1;  // one part, to the right edge
        ::SendMessageA(Window(), SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&right));
    }

    void PushContents() override {
        const auto& bar = static_cast<const forms::StatusBar&>(*Model());
        if (bar.PanelCount() > 0) ::SendMessageA(Window(), SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(bar.PanelText(1).c_str()));
    }
};

}  // namespace

std::unique_ptr<Mirror> MakeStatusBarMirror(FormWindow& form, forms::Control& model, HWND window) {
    return std::make_unique<StatusBarMirror>(form, model, window);
}

}  // namespace diags::win32ui
