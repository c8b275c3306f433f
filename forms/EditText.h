#pragma once
// The text and selection of an edit field, shared by the text box and the masked box: what
// code assignment and the user's typing do to them. The owning control raises its own
// notifications when an operation reports that the text changed.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace diags::forms {

class EditText {
public:
    const std::string& Text() const noexcept { return text_; }
    std::int32_t SelStart() const noexcept { return selStart_; }
    std::int32_t SelLength() const noexcept { return selLength_; }
    std::int32_t Size() const noexcept { return static_cast<std::int32_t>(text_.size()); }

    // Replaces the whole text; the selection collapses to the start. Assigning the text the
    // field already holds changes nothing, the caret included. True when the text changed.
    bool Assign(std::string_view text) {
        if (text_ == text) return false;
        selStart_ = selLength_ = 0;
        text_ = std::string(text);
        return true;
    }

    // Replaces the selection; the caret ends after the inserted text. True when the text changed.
    bool ReplaceSelection(std::string_view text) {
        std::string next = text_;
        next.replace(static_cast<std::size_t>(selStart_), static_cast<std::size_t>(selLength_), text);
        selStart_ += static_cast<std::int32_t>(text.size());
        selLength_ = 0;
        if (next == text_) return false;
        text_ = std::move(next);
        return true;
    }

    // Selection within the text: the start is cut to the text's end, the length to the rest.
    void Select(std::int32_t start, std::int32_t length) {
        selStart_ = std::min(start, Size());
        selLength_ = std::min(length, Size() - selStart_);
    }

    // One character typed by the user: a backspace (8) deletes the selection, or the character
    // before the caret; any other character replaces the selection unless the text would grow
    // beyond `maxChars` (0 = no limit). True when the text changed.
    bool Type(char ch, std::int32_t maxChars) {
        if (ch == '\b') {
            if (selLength_ == 0 && selStart_ > 0) {
                --selStart_;
                selLength_ = 1;
            }
            return selLength_ > 0 && ReplaceSelection("");
        }
        if (maxChars > 0 && Size() - selLength_ >= maxChars) return false;
        return ReplaceSelection(std::string_view(&ch, 1));
    }

private:
    std::string text_;
    std::int32_t selStart_ = 0;
    std::int32_t selLength_ = 0;
};

}  // namespace diags::forms
