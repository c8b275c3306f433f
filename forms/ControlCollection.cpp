#include "forms/ControlCollection.h"

#include <algorithm>

#include "base/RuntimeError.h"
#include "base/Text.h"
#include "forms/Errors.h"

namespace diags::forms {

Control& ControlCollection::Item(std::size_t position) const {
    if (position >= controls_.size()) throw RuntimeError(err::kElementMissing, "Control array element does not exist");
    return *controls_[position];
}

Control* ControlCollection::Find(std::string_view name, int index) const noexcept {
    for (Control* c : controls_)
        if (c->Index() == index && EqualsNoCase(c->Name(), name)) return c;
    return nullptr;
}

std::vector<FontTarget*> ControlCollection::FontTargets() const {
    return std::vector<FontTarget*>(controls_.begin(), controls_.end());
}

void ControlCollection::Add(Control& control) {
    if (std::find(controls_.begin(), controls_.end(), &control) != controls_.end())
        throw RuntimeError(err::kInvalidCall, "Control is already on the form");
    controls_.push_back(&control);
}

void ControlCollection::Remove(const Control& control) noexcept {
    std::erase(controls_, &control);
}

}  // namespace diags::forms
