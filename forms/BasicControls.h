#pragma once
// The simple control models: label, frame, command button, check box, picture box, image.
#include <cstdint>
#include <string>
#include <string_view>

#include "forms/Control.h"

namespace diags::forms {

// Mouse buttons of mouse notifications.
namespace button {
inline constexpr std::int16_t kLeft = 1, kRight = 2, kMiddle = 4;
}

// A control that shows a caption (label, frame, command button, check box).
class CaptionedControl : public Control {
public:
    using Control::Control;
    const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(std::string_view caption);

private:
    std::string caption_;
};

class Label : public CaptionedControl {
public:
    explicit Label(std::string name, int index = -1)
        : CaptionedControl(ControlKind::Label, std::move(name), index) {}
};

// A frame: a container whose contents move and hide with it.
class Frame : public CaptionedControl {
public:
    explicit Frame(std::string name, int index = -1)
        : CaptionedControl(ControlKind::Frame, std::move(name), index) {}
};

class CommandButton : public CaptionedControl {
public:
    explicit CommandButton(std::string name, int index = -1)
        : CaptionedControl(ControlKind::CommandButton, std::move(name), index) {}
    Signal<> Click;
    // The user presses the button (nothing happens while it cannot be reached).
    void UserClick();
};

// Check box values.
enum class CheckValue : std::int16_t { Unchecked = 0, Checked = 1, Grayed = 2 };

class CheckBox : public CaptionedControl {
public:
    explicit CheckBox(std::string name, int index = -1)
        : CaptionedControl(ControlKind::CheckBox, std::move(name), index) {}

    std::int16_t Value() const noexcept { return value_; }
    // Raises Click when the value changes; a value other than 0, 1, 2 is error 380.
    void SetValue(std::int16_t value);
    Signal<> Click;
    // The user clicks the box, as an automatic check box: clear -> ticked, ticked or
    // greyed -> clear.
    void UserClick();

private:
    std::int16_t value_ = 0;
};

// Picture box: a container that can show a picture and report the mouse.
class PictureBox : public Control {
public:
    explicit PictureBox(std::string name, int index = -1) : Control(ControlKind::PictureBox, std::move(name), index) {}

    platform::PicturePtr Picture() const noexcept { return picture_; }
    void SetPicture(platform::PicturePtr picture);
    std::uint32_t FillColor() const noexcept { return fillColor_; }
    void SetFillColor(std::uint32_t colour);
    // 0 none, 1 fixed single.
    std::int16_t BorderStyle() const noexcept { return borderStyle_; }
    void SetBorderStyle(std::int16_t style);

    Signal<std::int16_t /*button*/, std::int16_t /*shift*/, float /*x*/, float /*y*/> MouseDown;
    Signal<std::int16_t, std::int16_t, float, float> MouseMove;
    Signal<std::int16_t, std::int16_t, float, float> MouseUp;
    // The user's mouse over the control; x and y relative to the control, in twips.
    void UserMouseDown(std::int16_t button, std::int16_t shift, float x, float y);
    void UserMouseMove(std::int16_t button, std::int16_t shift, float x, float y);
    void UserMouseUp(std::int16_t button, std::int16_t shift, float x, float y);

private:
    platform::PicturePtr picture_;
    std::uint32_t fillColor_ = 0;
    std::int16_t borderStyle_ = 1;
};

// Image: shows a picture and takes the picture's size (pixels at 15 twips each).
class Image : public Control {
public:
    explicit Image(std::string name, int index = -1) : Control(ControlKind::Image, std::move(name), index) {}
    platform::PicturePtr Picture() const noexcept { return picture_; }
    void SetPicture(platform::PicturePtr picture);

private:
    platform::PicturePtr picture_;
};

// Twips per pixel at 96 DPI.
inline constexpr std::int32_t kTwipsPerPixel = 15;

}  // namespace diags::forms
