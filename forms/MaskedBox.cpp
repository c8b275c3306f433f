#include "forms/MaskedBox.h"

#include <algorithm>
#include <cstdlib>

#include "base/RuntimeError.h"
#include "base/Text.h"
#include "forms/Errors.h"

namespace diags::forms {

MaskedBox::MaskedBox(std::string name, int index) : Control(ControlKind::MaskedBox, std::move(name), index) {}

void MaskedBox::TextChanged() {
    Touch(Prop::Text);
    Change();
}

void MaskedBox::SetText(std::string_view text) {
    if (edit_.Assign(text)) TextChanged();
}

void MaskedBox::SetEnable(bool value) {
    if (enable_ == value) return;
    enable_ = value;
    Touch(Prop::MaskEnable);
}

void MaskedBox::SetMaxCharPerCell(std::int32_t value) {
    if (value < 0) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    if (maxChars_ == value) return;
    maxChars_ = value;
    Touch(Prop::MaxLength);
}

void MaskedBox::SetValueRange(std::int32_t minValue, std::int32_t maxValue) {
    if (minValue > maxValue) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    minValue_ = minValue;
    maxValue_ = maxValue;
}

void MaskedBox::SetSelStart(std::int32_t start) {
    if (start < 0) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    const std::int32_t oldStart = edit_.SelStart(), oldLength = edit_.SelLength();
    edit_.Select(start, 0);
    if (edit_.SelStart() != oldStart || edit_.SelLength() != oldLength) Touch(Prop::Selection);
}

void MaskedBox::SelectCell() {
    if (edit_.SelStart() == 0 && edit_.SelLength() == edit_.Size()) return;
    edit_.Select(0, edit_.Size());
    Touch(Prop::Selection);
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

void MaskedBox::UserEdited(std::string_view text, std::int32_t selStart, std::int32_t selLength) {
    // The native field filters typing already; a paste is filtered here the same way, and a
    // refused edit is put back by the renderer from the unchanged model.
    std::string accepted;
    for (const char ch : text)
        if (ch >= '0' && ch <= '9') accepted.push_back(ch);
    if (maxChars_ > 0 && static_cast<std::int32_t>(accepted.size()) > maxChars_) accepted.resize(maxChars_);
    if (!enable_ || !EffectivelyEnabled()) accepted = edit_.Text();
    const bool changed = edit_.Assign(accepted);
    edit_.Select(std::max(0, selStart), std::max(0, selLength));
    if (changed) TextChanged();
    else if (accepted != text) Touch(Prop::Text);  // the screen shows what was refused
}

}  // namespace diags::forms
