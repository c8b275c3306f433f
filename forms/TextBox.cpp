#include "forms/TextBox.h"

#include <algorithm>

#include "base/RuntimeError.h"
#include "forms/Errors.h"

namespace diags::forms {

TextBox::TextBox(std::string name, int index) : Control(ControlKind::TextBox, std::move(name), index) {}

void TextBox::TextChanged() {
    Touch("Text");
    Change();
}

void TextBox::SetText(std::string_view text) {
    if (edit_.Assign(text)) TextChanged();
}

void TextBox::SetSelStart(std::int32_t start) {
    if (start < 0) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    edit_.Select(start, 0);
    Touch("SelStart");
}

void TextBox::SetSelLength(std::int32_t length) {
    if (length < 0) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    edit_.Select(edit_.SelStart(), length);
    Touch("SelLength");
}

std::string TextBox::SelText() const { return edit_.Text().substr(edit_.SelStart(), edit_.SelLength()); }

void TextBox::SetSelText(std::string_view text) {
    if (edit_.ReplaceSelection(text)) TextChanged();
}

void TextBox::SetMaxLength(std::int32_t value) {
    if (value < 0) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    maxLength_ = value;
}

void TextBox::SetLocked(bool value) {
    locked_ = value;
    Touch("Locked");
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

}  // namespace diags::forms
