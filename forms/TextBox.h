#pragma once
// Text box model: text, selection (start and length, clamped to the text), max length,
// locked, and the Change notification raised inside SetText only when the text changes.
// User entry points stand for typing and pasting at the keyboard.
#include <cstdint>
#include <string>
#include <string_view>

#include "forms/Control.h"
#include "forms/EditText.h"

namespace diags::forms {

class TextBox : public Control {
public:
    explicit TextBox(std::string name, int index = -1);

    const std::string& Text() const noexcept { return edit_.Text(); }
    // Replaces the text; the selection collapses to the start. Raises Change on a real change.
    void SetText(std::string_view text);

    // Selection in characters. A start beyond the text moves to its end; a length beyond the
    // text is cut to the rest of the text; negative values are run-time error 380.
    std::int32_t SelStart() const noexcept { return edit_.SelStart(); }
    std::int32_t SelLength() const noexcept { return edit_.SelLength(); }
    void SetSelStart(std::int32_t start);
    void SetSelLength(std::int32_t length);
    std::string SelText() const;
    // Replaces the selected text (raises Change when that changes the text).
    void SetSelText(std::string_view text);

    // 0 = no limit. Only limits what the user types, as with classic text boxes.
    std::int32_t MaxLength() const noexcept { return maxLength_; }
    void SetMaxLength(std::int32_t value);
    bool Locked() const noexcept { return locked_; }
    void SetLocked(bool value);

    Signal<> Change;
    // Key notifications of the box itself (after the form's own when it previews keys).
    Signal<std::int16_t& /*keyCode*/, std::int16_t /*shift*/> KeyDown;
    Signal<std::int16_t& /*keyAscii*/> KeyPress;
    void RaiseKeyDown(std::int16_t& keyCode, std::int16_t shiftState) override { KeyDown(keyCode, shiftState); }

    // The user types `text` over the selection: each character goes through KeyPress (which
    // may change or cancel it with 0) and is then inserted; the text respects MaxLength and
    // Locked. Raises Change once per inserted character, as a real box does.
    void UserType(std::string_view text);
    // The user clicks into the box (focus moves to it).
    void UserFocus();
    // The native edit box's text and selection after the user edited it (typing, pasting,
    // deleting, undo): Change once when the text differs from the model's.
    void UserEdited(std::string_view text, std::int32_t selStart, std::int32_t selLength);

private:
    void TextChanged();
    EditText edit_;
    std::int32_t maxLength_ = 0;
    bool locked_ = false;
};

}  // namespace diags::forms
