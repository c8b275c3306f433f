#include "forms/Control.h"

#include "base/RuntimeError.h"
#include "forms/Errors.h"
#include "forms/Form.h"

namespace diags::forms {

std::string_view KindName(ControlKind kind) noexcept {
    switch (kind) {
        case ControlKind::Form: return "Form";
        case ControlKind::TreeView: return "TreeView";
        case ControlKind::ImageList: return "ImageList";
        case ControlKind::TabStrip: return "TabStrip";
        case ControlKind::StatusBar: return "StatusBar";
        case ControlKind::Frame: return "Frame";
        case ControlKind::Label: return "Label";
        case ControlKind::TextBox: return "TextBox";
        case ControlKind::MaskedBox: return "MaskedBox";
        case ControlKind::CheckBox: return "CheckBox";
        case ControlKind::OptionButton: return "OptionButton";
        case ControlKind::CommandButton: return "CommandButton";
        case ControlKind::PictureBox: return "PictureBox";
        case ControlKind::Image: return "Image";
        case ControlKind::MenuBar: return "MenuBar";
    }
    return "Control";
}

Control::Control(ControlKind kind, std::string name, int index)
    : kind_(kind), name_(std::move(name)), index_(index) {}

Control::~Control() {
    try {
        Destroying();
    } catch (...) {
    }
    if (form_ != nullptr && form_ != this) {
        if (form_->activeControl_ == this) form_->activeControl_ = nullptr;
        form_->controls_.Remove(*this);
    }
}

void Control::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Touch(Prop::Enabled);
}

void Control::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    Touch(Prop::Visible);
}

void Control::SetLeft(std::int32_t value) {
    CheckMovable();
    if (left_ == value) return;
    left_ = value;
    Touch(Prop::Left);
}

void Control::SetTop(std::int32_t value) {
    CheckMovable();
    if (top_ == value) return;
    top_ = value;
    Touch(Prop::Top);
}

void Control::SetWidth(std::int32_t value) {
    CheckMovable();
    if (value < 0) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    if (width_ == value) return;
    width_ = value;
    Touch(Prop::Width);
}

void Control::SetHeight(std::int32_t value) {
    CheckMovable();
    if (value < 0) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    if (height_ == value) return;
    height_ = value;
    Touch(Prop::Height);
}

void Control::Move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
    if (width < 0 || height < 0) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    SetLeft(left);
    SetTop(top);
    SetWidth(width);
    SetHeight(height);
}

void Control::SetTabIndex(std::int32_t value) {
    if (value < 0) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    if (tabIndex_ == value) return;
    tabIndex_ = value;
    Touch(Prop::TabIndex);
}

void Control::SetTabStop(bool value) {
    if (tabStop_ == value) return;
    tabStop_ = value;
    Touch(Prop::TabStop);
}

bool Control::EffectivelyEnabled() const noexcept {
    for (const Control* c = this; c != nullptr; c = c->container_)
        if (!c->enabled_) return false;
    return form_ == nullptr || form_ == this || form_->Enabled();
}

bool Control::EffectivelyVisible() const noexcept {
    for (const Control* c = this; c != nullptr; c = c->container_)
        if (!c->visible_) return false;
    return true;
}

void Control::SetFont(std::string_view faceName, double points) {
    if (fontName_ == faceName && fontSize_ == points) return;
    fontName_ = std::string(faceName);
    fontSize_ = points;
    Touch(Prop::Font);
}

void Control::SetFontBold(bool value) {
    if (fontBold_ == value) return;
    fontBold_ = value;
    Touch(Prop::FontBold);
}

void Control::SetBackColor(std::uint32_t colour) {
    if (backColor_ == colour) return;
    backColor_ = colour;
    Touch(Prop::BackColor);
}

void Control::SetForeColor(std::uint32_t colour) {
    if (foreColor_ == colour) return;
    foreColor_ = colour;
    Touch(Prop::ForeColor);
}

void Control::SetMousePointer(std::int16_t value) {
    if (value < 0 || value > 99) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    if (mousePointer_ == value) return;
    mousePointer_ = value;
    Touch(Prop::MousePointer);
}

void Control::ZOrder(std::int16_t position) {
    static std::int64_t front = 0, back = 0;
    if (position == 0) zOrderRank_ = ++front;
    else if (position == 1) zOrderRank_ = --back;
    else throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    Touch(Prop::ZOrder);
}

void Control::Refresh() {
    ++refreshCount_;
    Touch(Prop::Refresh);
}

bool Control::HasFocus() const noexcept { return form_ != nullptr && form_->activeControl_ == this; }

void Control::SetFocus() {
    if (!EffectivelyEnabled() || !EffectivelyVisible())
        throw RuntimeError(err::kInvalidCall, "Invalid procedure call or argument");
    if (form_ == nullptr || form_ == this) {
        GotFocus();
        return;
    }
    form_->MoveFocus(this);
}

void Control::RaiseKeyDown(std::int16_t&, std::int16_t) {}
void Control::RaiseKeyUp(std::int16_t&, std::int16_t) {}

}  // namespace diags::forms
