#include "forms/TextBox.h"

#include <algorithm>

#include "base/RuntimeError.h"
#include "forms/Errors.h"

namespace diags::forms {

namespace {
constexpr std::int16_t kBackspace = 8;
}

TextBox::TextBox(std::string name, int index) : Control(ControlKind::TextBox, std::move(name), index) {}

void TextBox::SetText(std::string_view text) {
    selStart_ = 0;
    selLength_ = 0;
    if (text_ == text) return;
    text_ = std::string(text);
    Touch("Text");
    Change();
}

void TextBox::SetSelStart(std::int32_t start) {
    if (start < 0) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    selStart_ = std::min<std::int32_t>(start, static_cast<std::int32_t>(text_.size()));
    selLength_ = 0;
    Touch("SelStart");
}

void TextBox::SetSelLength(std::int32_t length) {
    if (length < 0) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    selLength_ = std::min<std::int32_t>(length, static_cast<std::int32_t>(text_.size()) - selStart_);
    Touch("SelLength");
}

std::string TextBox::SelText() const { return text_.substr(selStart_, selLength_); }

void TextBox::SetSelText(std::string_view text) {
    std::string next = text_;
    next.replace(selStart_, selLength_, text);
    const std::int32_t caret = selStart_ + static_cast<std::int32_t>(text.size());
    if (next != text_) {
        text_ = std::move(next);
        selStart_ = caret;
        selLength_ = 0;
        Touch("Text");
        Change();
    } else {
        selStart_ = caret;
        selLength_ = 0;
    }
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
        if (keyAscii == kBackspace) {
            if (selLength_ == 0 && selStart_ > 0) {
                --selStart_;
                selLength_ = 1;
            }
            if (selLength_ > 0) SetSelText("");
            continue;
        }
        const auto remaining = static_cast<std::int32_t>(text_.size()) - selLength_;
        if (maxLength_ > 0 && remaining >= maxLength_) continue;
        SetSelText(std::string(1, static_cast<char>(keyAscii)));
    }
}

void TextBox::UserFocus() { SetFocus(); }

}  // namespace diags::forms
