#include "forms/BasicControls.h"

#include "base/RuntimeError.h"
#include "forms/Errors.h"

namespace diags::forms {

void CaptionedControl::SetCaption(std::string_view caption) {
    if (caption_ == caption) return;
    caption_ = std::string(caption);
    Touch("Caption");
}

void CommandButton::UserClick() {
    if (!EffectivelyEnabled() || !EffectivelyVisible()) return;
    if (Parent() != nullptr) SetFocus();
    Click();
}

void CheckBox::SetValue(std::int16_t value) {
    if (value < 0 || value > 2) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    if (value_ == value) return;
    value_ = value;
    Touch("Value");
    Click();
}

void CheckBox::UserClick() {
    if (!EffectivelyEnabled() || !EffectivelyVisible()) return;
    if (Parent() != nullptr) SetFocus();
    SetValue(value_ == 0 ? 1 : 0);
}

void PictureBox::SetPicture(platform::PicturePtr picture) {
    picture_ = std::move(picture);
    Touch("Picture");
}

void PictureBox::SetFillColor(std::uint32_t colour) {
    fillColor_ = colour;
    Touch("FillColor");
}

void PictureBox::SetBorderStyle(std::int16_t style) {
    if (style < 0 || style > 1) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    borderStyle_ = style;
    Touch("BorderStyle");
}

void PictureBox::UserMouseDown(std::int16_t button, std::int16_t shift, float x, float y) {
    if (EffectivelyEnabled()) MouseDown(button, shift, x, y);
}

void PictureBox::UserMouseMove(std::int16_t button, std::int16_t shift, float x, float y) {
    if (EffectivelyEnabled()) MouseMove(button, shift, x, y);
}

void PictureBox::UserMouseUp(std::int16_t button, std::int16_t shift, float x, float y) {
    if (EffectivelyEnabled()) MouseUp(button, shift, x, y);
}

void Image::SetPicture(platform::PicturePtr picture) {
    picture_ = std::move(picture);
    if (picture_) {
        SetWidth(picture_->Width() * kTwipsPerPixel);
        SetHeight(picture_->Height() * kTwipsPerPixel);
    }
    Touch("Picture");
}

}  // namespace diags::forms
