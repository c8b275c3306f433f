#include "forms/MaskedBox.h"

#include <algorithm>
#include <cstdlib>

#include "base/RuntimeError.h"
#include "base/Text.h"
#include "forms/Errors.h"

namespace diags::forms {

MaskedBox::MaskedBox(std::string name, int index) : Control(ControlKind::MaskedBox, std::move(name), index) {}

void MaskedBox::TextChanged() {
    Touch("Text");
    Change();
}

void MaskedBox::SetText(std::string_view text) {
    if (edit_.Assign(text)) TextChanged();
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

void MaskedBox::SetSelStart(std::int32_t start) {
    if (start < 0) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    edit_.Select(start, 0);
    Touch("Selection");
}

void MaskedBox::SelectCell() {
    edit_.Select(0, edit_.Size());
    Touch("Selection");
}

bool MaskedBox::InRange() const {
    const std::string_view digits = Trim(edit_.Text());
    if (digits.empty()) return true;
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
    if (minValue_ == 0 && maxValue_ == 0) return true;
    if (digits.size() > 9) return false;
    const long value = std::strtol(std::string(digits).c_str(), nullptr, 10);
    return value >= minValue_ && value <= maxValue_;
}

void MaskedBox::UserType(std::string_view text) {
    if (!enable_ || !EffectivelyEnabled()) return;
    for (const char ch : text) {
        if (ch != '\b' && (ch < '0' || ch > '9')) continue;  // digits only
        if (edit_.Type(ch, maxChars_)) TextChanged();
    }
}

void MaskedBox::UserFocus() { SetFocus(); }

}  // namespace diags::forms
