#include "forms/BasicControls.h"

#include "base/RuntimeError.h"
#include "forms/Errors.h"
#include "forms/Form.h"

namespace diags::forms {

void CaptionedControl::SetCaption(std::string_view caption) {
    if (caption_ == caption) return;
    caption_ = std::string(caption);
    Touch(Prop::Caption);
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
    Touch(Prop::Value);
    Click();
}

void CheckBox::UserClick() {
    if (!EffectivelyEnabled() || !EffectivelyVisible()) return;
    if (Parent() != nullptr) SetFocus();
    SetValue(value_ == 0 ? 1 : 0);
}

void PictureBox::SetPicture(platform::PicturePtr picture) {
    if (picture_ == picture) return;
    picture_ = std::move(picture);
    Touch(Prop::Picture);
}

void PictureBox::SetFillColor(std::uint32_t colour) {
    if (fillColor_ == colour) return;
    fillColor_ = colour;
    Touch(Prop::FillColor);
}

void PictureBox::SetBorderStyle(std::int16_t style) {
    if (style < 0 || style > 1) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    if (borderStyle_ == style) return;
    borderStyle_ = style;
    Touch(Prop::BorderStyle);
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
    const bool changed = picture_ != picture;
    picture_ = std::move(picture);
    if (picture_) {
        // The picture's size in twips at the form's resolution.
        const double x = Parent() != nullptr ? Parent()->TwipsPerPixelX() : kTwipsPerPixel;
        const double y = Parent() != nullptr ? Parent()->TwipsPerPixelY() : kTwipsPerPixel;
        SetWidth(static_cast<std::int32_t>(picture_->Width() * x + 0.5));
        SetHeight(static_cast<std::int32_t>(picture_->Height() * y + 0.5));
    }
    if (changed) Touch(Prop::Picture);
}

}  // namespace diags::forms
