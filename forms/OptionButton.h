#pragma once
// Option buttons as a control array (optFileOptions(0..2)): selecting one element deselects
// the others; Click(Index) is raised for the element that becomes selected, inside the
// setter, and only when it was not selected before. Deselection raises nothing.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "forms/Control.h"

namespace diags::forms {

class OptionButtonArray;

class OptionButton : public Control {
public:
    OptionButton(OptionButtonArray& owner, std::string name, int index);

    bool Value() const noexcept { return value_; }
    // true selects this element (deselecting the others); false only clears it.
    void SetValue(bool value);
    const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(std::string_view caption);

    // The user clicks the button: it becomes selected (Click when it was not).
    void UserClick();
    // The control array the button belongs to.
    OptionButtonArray& Group() const noexcept { return *owner_; }

private:
    friend class OptionButtonArray;
    OptionButtonArray* owner_;  // non-owning; the array owns this element
    std::string caption_;
    bool value_ = false;
};

class OptionButtonArray {
public:
    explicit OptionButtonArray(std::string name);
    OptionButtonArray(const OptionButtonArray&) = delete;
    OptionButtonArray& operator=(const OptionButtonArray&) = delete;

    const std::string& Name() const noexcept { return name_; }
    // Adds the element with that index (indices need not be contiguous); a duplicate index
    // is a run-time error 360 ("object already loaded").
    OptionButton& Load(int index);
    // The element with that index; a missing one is a run-time error 340.
    OptionButton& operator()(int index) const;
    OptionButton* Find(int index) const noexcept;
    std::size_t Count() const noexcept { return elements_.size(); }
    // Lowest and highest index (0 and -1 when empty).
    int LBound() const noexcept;
    int UBound() const noexcept;
    // The selected element's index, or -1 when none is selected.
    int SelectedIndex() const noexcept;

    auto begin() const noexcept { return elements_.begin(); }
    auto end() const noexcept { return elements_.end(); }

    Signal<int /*index*/> Click;

private:
    friend class OptionButton;
    void Select(OptionButton& chosen);
    std::string name_;
    std::vector<std::unique_ptr<OptionButton>> elements_;  // ordered by index
};

}  // namespace diags::forms
