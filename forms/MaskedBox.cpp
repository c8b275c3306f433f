#include "forms/MaskedBox.h"

#include <algorithm>
#include <cstdlib>

#include "base/RuntimeError.h"
#include "base/Text.h"
#include "forms/Errors.h"

namespace diags::forms {

MaskedBox::MaskedBox(std::string name, int index) : Control(ControlKind::MaskedBox, std::move(name), index) {}

void MaskedBox::SetText(std::string_view text) {
    selStart_ = 0;
    selLength_ = 0;
    if (text_ == text) return;
    text_ = std::string(text);
    Touch("Text");
    Change();
}

void MaskedBox::SetEnable(bool value) {
    if (enable_ == value) return;
    enable_ = value;
    Touch("enable");
}

void MaskedBox::SetMaxCharPerCell(std::int32_t value) {
    if (value < 0) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    maxChars_ = value;
}

void MaskedBox::SetValueRange(std::int32_t minValue, std::int32_t maxValue) {
    if (minValue > maxValue) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    minValue_ = minValue;
    maxValue_ = maxValue;
}

void MaskedBox::SelectCell() {
    selStart_ = 0;
    selLength_ = static_cast<std::int32_t>(text_.size());
    Touch("Selection");
}

bool MaskedBox::InRange() const {
    const std::string_view digits = Trim(text_);
    if (digits.empty()) return true;
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
    if (minValue_ == 0 && maxValue_ == 0) return true;
    if (digits.size() > 9) return false;
    const long value = std::strtol(std::string(digits).c_str(), nullptr, 10);
    return value >= minValue_ && value <= maxValue_;
}

void MaskedBox::ReplaceSelection(std::string_view text) {
    std::string next = text_;
    next.replace(selStart_, selLength_, text);
    selStart_ += static_cast<std::int32_t>(text.size());
    selLength_ = 0;
    if (next == text_) return;
    text_ = std::move(next);
    Touch("Text");
    Change();
}

void MaskedBox::UserType(std::string_view text) {
    if (!enable_ || !EffectivelyEnabled()) return;
    for (const char ch : text) {
        if (ch == '\b') {
            if (selLength_ == 0 && selStart_ > 0) {
                --selStart_;
                selLength_ = 1;
            }
            if (selLength_ > 0) ReplaceSelection("");
            continue;
        }
        if (ch < '0' || ch > '9') continue;
        const auto kept = static_cast<std::int32_t>(text_.size()) - selLength_;
        if (maxChars_ > 0 && kept >= maxChars_) continue;
        ReplaceSelection(std::string_view(&ch, 1));
    }
}

void MaskedBox::UserFocus() { SetFocus(); }

}  // namespace diags::forms
