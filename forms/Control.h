#pragma once
// The base of every control model: kind, name, control-array index, enabled, visible,
// geometry in twips, tab order, font, container, focus, and the window handle "hWnd" that a
// renderer sets (0 while the control has no window, e.g. headless).
//
// Enabled, visible, position and size changes raise no notification of the control's own.
// Every change of state the control shows raises `StateChanged` with the property, once and
// only on a real change; only a renderer listens to it (to mirror the model onto a real
// window). Dialog procedures use the control's own notifications.
#include <cstdint>
#include <string>
#include <string_view>

#include "forms/Property.h"
#include "forms/Signal.h"
#include "platform/Platform.h"
#include "services/ResourceStrings.h"

namespace diags::forms {

class Control;
class Form;

// A property that reads and assigns like a plain member and raises its control's
// StateChanged when it is assigned a different value (tool tip, tag, image sizes).
template <class T>
class Notified {
public:
    Notified(Control& owner, Prop property, T value = T()) : owner_(&owner), property_(property), value_(std::move(value)) {}
    Notified(const Notified&) = delete;
    Notified& operator=(const Notified&) = delete;
    Notified& operator=(const T& value);
    operator const T&() const noexcept { return value_; }
    const T& get() const noexcept { return value_; }
    friend bool operator==(const Notified& a, const T& b) { return a.value_ == b; }

private:
    Control* owner_;  // non-owning; the property is a member of its owner
    Prop property_;
    T value_;
};

enum class ControlKind {
    Form,
    TreeView,
    ImageList,
    TabStrip,
    StatusBar,
    Frame,
    Label,
    TextBox,
    MaskedBox,
    CheckBox,
    OptionButton,
    CommandButton,
    PictureBox,
    Image,
    MenuBar,
};

// "TreeView", "OptionButton", ... (traces and test messages).
std::string_view KindName(ControlKind kind) noexcept;

class Control : public FontTarget {
public:
    // `index` is the control-array index, or -1 for a control that is not an array element.
    Control(ControlKind kind, std::string name, int index = -1);
    ~Control() override;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    ControlKind Kind() const noexcept { return kind_; }
    const std::string& Name() const noexcept { return name_; }
    int Index() const noexcept { return index_; }

    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const noexcept { return visible_; }
    void SetVisible(bool visible);

    // Geometry in twips, relative to the container's client area.
    std::int32_t Left() const noexcept { return left_; }
    std::int32_t Top() const noexcept { return top_; }
    std::int32_t Width() const noexcept { return width_; }
    std::int32_t Height() const noexcept { return height_; }
    void SetLeft(std::int32_t value);
    void SetTop(std::int32_t value);
    // A negative width or height is an invalid property value (run-time error 380).
    void SetWidth(std::int32_t value);
    void SetHeight(std::int32_t value);
    void Move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);

    std::int32_t TabIndex() const noexcept { return tabIndex_; }
    void SetTabIndex(std::int32_t value);
    bool TabStop() const noexcept { return tabStop_; }
    void SetTabStop(bool value);

    // The frame or picture box the control sits in; null for a control placed on the form.
    Control* Container() const noexcept { return container_; }
    void SetContainer(Control* container) noexcept { container_ = container; }
    // Enabled and visible up the container chain (what a user can actually reach).
    bool EffectivelyEnabled() const noexcept;
    bool EffectivelyVisible() const noexcept;

    // The form that lists this control in its Controls collection; null until added.
    Form* Parent() const noexcept { return form_; }

    // "hWnd": the window of the control, set by a renderer; 0 when headless.
    platform::WindowHandle hWnd() const noexcept { return hwnd_; }
    void SetHwnd(platform::WindowHandle window) noexcept { hwnd_ = window; }

    const std::string& FontName() const noexcept { return fontName_; }
    double FontSize() const noexcept { return fontSize_; }
    void SetFont(std::string_view faceName, double points) override;

    bool FontBold() const noexcept { return fontBold_; }
    void SetFontBold(bool value);

    // Colours as Windows COLORREF values (0x00BBGGRR) or system colours (0x800000nn).
    std::uint32_t BackColor() const noexcept { return backColor_; }
    void SetBackColor(std::uint32_t colour);
    std::uint32_t ForeColor() const noexcept { return foreColor_; }
    void SetForeColor(std::uint32_t colour);

    // The pointer shown over the control (0 default, 9 west-east arrow, 11 hourglass ...).
    std::int16_t MousePointer() const noexcept { return mousePointer_; }
    void SetMousePointer(std::int16_t value);

    // ZOrder(0) brings the control in front of its siblings; 1 sends it to the back.
    // ZOrderRank orders siblings: higher is nearer the front.
    void ZOrder(std::int16_t position = 0);
    std::int64_t ZOrderRank() const noexcept { return zOrderRank_; }

    // Repaint at once (counted, so tests can see that a repaint was asked for).
    void Refresh();
    std::int32_t RefreshCount() const noexcept { return refreshCount_; }

    Notified<std::string> ToolTipText{*this, Prop::ToolTipText};
    Notified<std::string> Tag{*this, Prop::Tag};

    // Focus. SetFocus on a control that is disabled or hidden (itself or its container) is
    // the run-time error 5, as for classic controls. Moving focus raises LostFocus on the
    // control that had it, then GotFocus on this one.
    bool HasFocus() const noexcept;
    void SetFocus();
    Signal<> GotFocus;
    Signal<> LostFocus;

    // Key notifications that reach the focused control after the form's preview; controls
    // with key notifications of their own raise them here.
    virtual void RaiseKeyDown(std::int16_t& keyCode, std::int16_t shiftState);
    virtual void RaiseKeyUp(std::int16_t& keyCode, std::int16_t shiftState);

    // Renderer hook: raised with the property after any change of state the control shows.
    Signal<Prop> StateChanged;
    // Renderer hook: raised first thing when the control is destroyed (a form's controls may
    // go before the form does), so a renderer stops reaching for it.
    Signal<> Destroying;

protected:
    void Touch(Prop property) { StateChanged(property); }
    // Position and size changes call this first; a form refuses them while minimised or
    // maximised (run-time error 384).
    virtual void CheckMovable() const {}

private:
    friend class Form;
    template <class T>
    friend class Notified;
    ControlKind kind_;
    std::string name_;
    int index_;
    bool enabled_ = true;
    bool visible_ = true;
    std::int32_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    std::int32_t tabIndex_ = 0;
    bool tabStop_ = true;
    Control* container_ = nullptr;  // non-owning; containers outlive their contents
    Form* form_ = nullptr;          // non-owning; the form owns or outlives its controls
    platform::WindowHandle hwnd_ = 0;
    std::string fontName_ = "MS Sans Serif";
    double fontSize_ = 8.25;
    bool fontBold_ = false;
    std::uint32_t backColor_ = 0x8000000F;  // button face
    std::uint32_t foreColor_ = 0x80000012;  // button text
    std::int16_t mousePointer_ = 0;
    std::int64_t zOrderRank_ = 0;
    std::int32_t refreshCount_ = 0;
};

template <class T>
Notified<T>& Notified<T>::operator=(const T& value) {
    if (value_ == value) return *this;
    value_ = value;
    owner_->Touch(property_);
    return *this;
}

}  // namespace diags::forms
