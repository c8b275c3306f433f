#pragma once
// The form's Controls collection: every control model of a form, in the order they were
// added (design order), including each element of a control array. Non-owning: the form's
// controls are members of the form object and outlive the collection's use.
#include <cstddef>
#include <string_view>
#include <vector>

#include "forms/Control.h"

namespace diags::forms {

class ControlCollection {
public:
    using const_iterator = std::vector<Control*>::const_iterator;

    std::size_t Count() const noexcept { return controls_.size(); }
    // 0-based position, as the classic Controls collection counts.
    Control& Item(std::size_t position) const;
    // The control of that name (and control-array index, -1 = not an array element),
    // compared without regard to case; null when there is none.
    Control* Find(std::string_view name, int index = -1) const noexcept;

    const_iterator begin() const noexcept { return controls_.begin(); }
    const_iterator end() const noexcept { return controls_.end(); }

    // Every control as a font target (for ResourceStrings::ApplyControlFonts).
    std::vector<FontTarget*> FontTargets() const;

    void Add(Control& control);  // a control listed twice is a run-time error 5
    void Remove(const Control& control) noexcept;

private:
    std::vector<Control*> controls_;  // non-owning
};

}  // namespace diags::forms
