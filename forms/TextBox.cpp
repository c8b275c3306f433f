#include "forms/TextBox.h"

#include <algorithm>

#include "base/RuntimeError.h"
#include "forms/Errors.h"

namespace diags::forms {

TextBox::TextBox(std::string name, int index) : Control(ControlKind::TextBox, std::move(name), index) {}

void TextBox::TextChanged() {
    Touch(Prop::Text);
    Change();
}

void TextBox::SetText(std::string_view text) {
    if (edit_.Assign(text)) TextChanged();
}

void TextBox::SetSelStart(std::int32_t start) {
    if (start < 0) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    const std::int32_t oldStart = edit_.SelStart(), oldLength = edit_.SelLength();
    edit_.Select(start, 0);
    if (edit_.SelStart() != oldStart || edit_.SelLength() != oldLength) Touch(Prop::Selection);
}

void TextBox::SetSelLength(std::int32_t length) {
    if (length < 0) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    const std::int32_t oldLength = edit_.SelLength();
    edit_.Select(edit_.SelStart(), length);
    if (edit_.SelLength() != oldLength) Touch(Prop::Selection);
}

std::string TextBox::SelText() const { return edit_.Text().substr(edit_.SelStart(), edit_.SelLength()); }

void TextBox::SetSelText(std::string_view text) {
    if (edit_.ReplaceSelection(text)) TextChanged();
}

void TextBox::SetMaxLength(std::int32_t value) {
    if (value < 0) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    if (maxLength_ == value) return;
    maxLength_ = value;
    Touch(Prop::MaxLength);
}

void TextBox::SetLocked(bool value) {
    if (locked_ == value) return;
    locked_ = value;
    Touch(Prop::Locked);
}

void TextBox::UserType(std::string_view text) {
    for (const char ch : text) {
        std::int16_t keyAscii = static_cast<unsigned char>(ch);
        KeyPress(keyAscii);
        if (keyAscii == 0 || locked_) continue;
        if (edit_.Type(static_cast<char>(keyAscii), maxLength_)) TextChanged();
    }
}

void TextBox::UserFocus() { SetFocus(); }

void TextBox::UserEdited(std::string_view text, std::int32_t selStart, std::int32_t selLength) {
    const bool changed = edit_.Assign(text);
    edit_.Select(std::max(0, selStart), std::max(0, selLength));
    if (changed) TextChanged();
}

}  // namespace diags::forms
