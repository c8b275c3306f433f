// Check boxes, option buttons and command buttons as BUTTON controls: the caption and the
// check state; a click goes to the button's model, and the arrow keys move between options.
#include <type_traits>

#include "forms/BasicControls.h"
#include "forms/Navigation.h"
#include "forms/OptionButton.h"
#include "win32ui/Mirror.h"

namespace diags::win32ui {

namespace {

WPARAM CheckStateOf(const forms::CheckBox& box) noexcept {
    switch (static_cast<forms::CheckValue>(box.Value())) {
        case forms::CheckValue::Checked: return BST_CHECKED;
        case forms::CheckValue::Grayed: return BST_INDETERMINATE;
        case forms::CheckValue::Unchecked: break;
    }
    return BST_UNCHECKED;
}

WPARAM CheckStateOf(const forms::OptionButton& option) noexcept { return option.Value() ? BST_CHECKED : BST_UNCHECKED; }

bool IsArrow(std::int16_t key) noexcept { return key == VK_UP || key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT; }

template <class Button>
class ButtonMirror final : public Mirror {
public:
    using Mirror::Mirror;

    void PushContents() override {
        const Button& button = Model();
        SetTextIfDifferent(Window(), button.Caption());
        if constexpr (!std::is_same_v<Button, forms::CommandButton>) SetCheckIfDifferent(Window(), CheckStateOf(button));
    }

    void OnCommand(UINT code, UINT /*id*/) override {
        if (code != BN_CLICKED) return;
        Button& button = Model();
        Form().UserCall([&] { button.UserClick(); });
    }

    // An option button passes the choice to the next option of its group with the arrows.
    bool OnKey(std::int16_t key, std::int16_t shift) override {
        if constexpr (std::is_same_v<Button, forms::OptionButton>) {
            if (shift != 0 || !IsArrow(key)) return false;
            forms::OptionButton& option = Model();
            forms::OptionButton* next = forms::NextOption(option, key == VK_DOWN || key == VK_RIGHT);
            if (next != nullptr && next != &option) Form().UserCall([&] { next->UserClick(); });
            return true;
        } else {
            return false;
        }
    }

private:
    Button& Model() const noexcept { return static_cast<Button&>(*Mirror::Model()); }
};

template <class Button>
std::unique_ptr<Mirror> Make(FormWindow& form, forms::Control& model, HWND window) {
    return std::make_unique<ButtonMirror<Button>>(form, model, window);
}

}  // namespace

std::unique_ptr<Mirror> MakeCheckBoxMirror(FormWindow& form, forms::Control& model, HWND window) {
    return Make<forms::CheckBox>(form, model, window);
}

std::unique_ptr<Mirror> MakeOptionButtonMirror(FormWindow& form, forms::Control& model, HWND window) {
    return Make<forms::OptionButton>(form, model, window);
}

std::unique_ptr<Mirror> MakeCommandButtonMirror(FormWindow& form, forms::Control& model, HWND window) {
    return Make<forms::CommandButton>(form, model, window);
}

}  // namespace diags::win32ui
