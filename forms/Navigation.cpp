#include "forms/Navigation.h"

#include <algorithm>
#include <vector>

#include "forms/MaskedBox.h"

namespace diags::forms {

namespace {

bool TakesFocus(ControlKind kind) noexcept {
    switch (kind) {
        case ControlKind::TreeView:
        case ControlKind::TabStrip:
        case ControlKind::TextBox:
        case ControlKind::MaskedBox:
        case ControlKind::CheckBox:
        case ControlKind::OptionButton:
        case ControlKind::CommandButton: return true;
        default: return false;
    }
}

bool Reachable(const Control& c) noexcept { return c.EffectivelyEnabled() && c.EffectivelyVisible(); }

}  // namespace

bool CanTabTo(const Control& control) noexcept {
    if (!TakesFocus(control.Kind()) || !control.TabStop() || !Reachable(control)) return false;
    if (control.Kind() == ControlKind::MaskedBox && !static_cast<const MaskedBox&>(control).Enable()) return false;
    if (control.Kind() == ControlKind::OptionButton) {
        const auto& option = static_cast<const OptionButton&>(control);
        const OptionButtonArray& group = option.Group();
        const int selected = group.SelectedIndex();
        if (selected >= 0 && Reachable(group(selected))) return option.Value();
        // None selected (or the selected one unreachable): the first reachable button.
        for (const auto& e : group)
            if (Reachable(*e)) return e.get() == &option;
    }
    return true;
}

Control* NextInTabOrder(const Form& form, const Control* from, bool forward) noexcept {
    std::vector<Control*> order;
    for (Control* c : form.Controls())
        if (c != &form && (c == from || CanTabTo(*c))) order.push_back(c);
    std::stable_sort(order.begin(), order.end(),
                     [](const Control* a, const Control* b) { return a->TabIndex() < b->TabIndex(); });
    if (order.empty()) return nullptr;
    const auto at = std::find(order.begin(), order.end(), from);
    const auto n = static_cast<std::ptrdiff_t>(order.size());
    std::ptrdiff_t i = at == order.end() ? (forward ? -1 : n) : at - order.begin();
    for (std::ptrdiff_t step = 0; step < n; ++step) {
        i = ((forward ? i + 1 : i - 1) % n + n) % n;
        if (order[static_cast<std::size_t>(i)] != from) return order[static_cast<std::size_t>(i)];
    }
    return nullptr;
}

OptionButton* NextOption(const OptionButton& from, bool forward) noexcept {
    std::vector<OptionButton*> buttons;
    for (const auto& e : from.Group())
        if (e.get() == &from || Reachable(*e)) buttons.push_back(e.get());
    // In the order the user sees them: top to bottom.
    std::stable_sort(buttons.begin(), buttons.end(), [](const OptionButton* a, const OptionButton* b) {
        return a->Top() != b->Top() ? a->Top() < b->Top() : a->Left() < b->Left();
    });
    const auto at = std::find(buttons.begin(), buttons.end(), &from);
    const auto n = static_cast<std::ptrdiff_t>(buttons.size());
    const std::ptrdiff_t i = at - buttons.begin();
    return buttons[static_cast<std::size_t>(((forward ? i + 1 : i - 1) % n + n) % n)];
}

}  // namespace diags::forms
