#pragma once
// Masked number box: a one-cell numeric entry field. Its own "enable" switch decides whether
// the user may edit (it is not the container's Enabled state); the cell limits say how many
// characters the user may type and which range the value should keep. Only the user's typing
// is filtered (digits only, at most MaxCharPerCell); text set from code is taken as it is.
#include <cstdint>
#include <string>
#include <string_view>

#include "forms/Control.h"
#include "forms/EditText.h"

namespace diags::forms {

class MaskedBox : public Control {
public:
    explicit MaskedBox(std::string name, int index = -1);

    const std::string& Text() const noexcept { return edit_.Text(); }
    // Raises Change on a real change; the selection collapses to the start.
    void SetText(std::string_view text);

    // "enable": whether the cell accepts the user's input.
    bool Enable() const noexcept { return enable_; }
    void SetEnable(bool value);

    std::int32_t MaxCharPerCell() const noexcept { return maxChars_; }
    void SetMaxCharPerCell(std::int32_t value);
    std::int32_t MinValuePerCell() const noexcept { return minValue_; }
    std::int32_t MaxValuePerCell() const noexcept { return maxValue_; }
    void SetValueRange(std::int32_t minValue, std::int32_t maxValue);

    std::int32_t SelStart() const noexcept { return edit_.SelStart(); }
    std::int32_t SelLength() const noexcept { return edit_.SelLength(); }
    // Moves the caret (the selection collapses); negative is run-time error 380.
    void SetSelStart(std::int32_t start);

    // The argument-less method the focus handler calls first: puts the caret into the cell
    // and selects the cell's whole text, so typing replaces the value.
    void SelectCell();

    // True when the text is empty or a whole number within the cell's range.
    bool InRange() const;

    Signal<> Change;

    // The user types into the cell: ignored while "enable" is off; non-digits and characters
    // beyond MaxCharPerCell are refused (a backspace, 8, deletes).
    void UserType(std::string_view text);
    // The user tabs or clicks into the box.
    void UserFocus();
    // The native field's text and selection after the user edited it: only digits, at most
    // MaxCharPerCell of them, and nothing while "enable" is off. Change once on a real change.
    void UserEdited(std::string_view text, std::int32_t selStart, std::int32_t selLength);

private:
    void TextChanged();
    EditText edit_;
    bool enable_ = true;
    std::int32_t maxChars_ = 0;  // 0 = no limit
    std::int32_t minValue_ = 0;
    std::int32_t maxValue_ = 0;  // min == max == 0: no range
};

}  // namespace diags::forms
