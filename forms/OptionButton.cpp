#include "forms/OptionButton.h"

#include <algorithm>

#include "base/RuntimeError.h"
#include "forms/Errors.h"

namespace diags::forms {

OptionButton::OptionButton(OptionButtonArray& owner, std::string name, int index)
    : Control(ControlKind::OptionButton, std::move(name), index), owner_(&owner) {}

void OptionButton::SetValue(bool value) {
    if (value) {
        owner_->Select(*this);
        return;
    }
    if (!value_) return;
    value_ = false;
    Touch(Prop::Value);
}

void OptionButton::SetCaption(std::string_view caption) {
    if (caption_ == caption) return;
    caption_ = std::string(caption);
    Touch(Prop::Caption);
}

void OptionButton::UserClick() {
    if (!EffectivelyEnabled()) return;
    if (Parent() != nullptr && EffectivelyVisible()) SetFocus();
    SetValue(true);
}

OptionButtonArray::OptionButtonArray(std::string name) : name_(std::move(name)) {}

OptionButton& OptionButtonArray::Load(int index) {
    if (Find(index) != nullptr) throw RuntimeError(err::kAlreadyLoaded, "Object already loaded");
    auto at = std::lower_bound(elements_.begin(), elements_.end(), index,
                               [](const std::unique_ptr<OptionButton>& e, int i) { return e->Index() < i; });
    return **elements_.insert(at, std::make_unique<OptionButton>(*this, name_, index));
}

OptionButton& OptionButtonArray::operator()(int index) const {
    OptionButton* element = Find(index);
    if (element == nullptr) throw RuntimeError(err::kElementMissing, "Control array element does not exist");
    return *element;
}

OptionButton* OptionButtonArray::Find(int index) const noexcept {
    for (const auto& e : elements_)
        if (e->Index() == index) return e.get();
    return nullptr;
}

int OptionButtonArray::LBound() const noexcept { return elements_.empty() ? 0 : elements_.front()->Index(); }
int OptionButtonArray::UBound() const noexcept { return elements_.empty() ? -1 : elements_.back()->Index(); }

int OptionButtonArray::SelectedIndex() const noexcept {
    for (const auto& e : elements_)
        if (e->value_) return e->Index();
    return -1;
}

void OptionButtonArray::Select(OptionButton& chosen) {
    if (chosen.value_) return;
    for (const auto& e : elements_) {
        if (e.get() != &chosen && e->value_) {
            e->value_ = false;
            e->Touch(Prop::Value);
        }
    }
    chosen.value_ = true;
    chosen.Touch(Prop::Value);
    Click(chosen.Index());
}

}  // namespace diags::forms
