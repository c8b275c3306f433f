#include "forms/Form.h"

#include <algorithm>

#include "base/RuntimeError.h"
#include "forms/Errors.h"

namespace diags::forms {

namespace {
ModalLoop& ProcessModalLoop() {
    static ModalLoop loop;
    return loop;
}
}  // namespace

ScopedModalLoop::ScopedModalLoop(ModalLoop loop) : saved_(std::move(ProcessModalLoop())) {
    ProcessModalLoop() = std::move(loop);
}

ScopedModalLoop::~ScopedModalLoop() { ProcessModalLoop() = std::move(saved_); }

namespace {
FormHost*& ProcessFormHost() noexcept {
    static FormHost* host = nullptr;
    return host;
}
}  // namespace

ScopedFormHost::ScopedFormHost(FormHost& host) noexcept : saved_(ProcessFormHost()) { ProcessFormHost() = &host; }
ScopedFormHost::~ScopedFormHost() { ProcessFormHost() = saved_; }
FormHost* CurrentFormHost() noexcept { return ProcessFormHost(); }

Form::Form(std::string name) : Control(ControlKind::Form, std::move(name)) {
    form_ = this;
    SetVisible(false);
}

Form::~Form() {
    if (host_ != nullptr) host_->Destroy(*this);
    // Controls that outlive the form must not reach back into it.
    for (Control* c : controls_) c->form_ = nullptr;
}

void Form::AddControl(Control& control) {
    controls_.Add(control);
    control.form_ = this;
}

void Form::SetFormHost(FormHost* host) {
    if (host_ == host) return;
    if (host_ != nullptr) host_->Destroy(*this);
    host_ = host;
    if (host_ != nullptr) host_->Create(*this);
}

void Form::SetCaption(std::string_view caption) {
    if (caption_ == caption) return;
    caption_ = std::string(caption);
    Touch(Prop::Caption);
}

std::int32_t Form::ClientWidth() const noexcept { return std::max(0, Width() - nonClientWidth_); }
std::int32_t Form::ClientHeight() const noexcept { return std::max(0, Height() - nonClientHeight_); }

void Form::SetClientSize(std::int32_t width, std::int32_t height) {
    SetWidth(width + nonClientWidth_);
    SetHeight(height + nonClientHeight_);
}

void Form::SetNonClientExtent(std::int32_t width, std::int32_t height) {
    const std::int32_t clientWidth = ClientWidth(), clientHeight = ClientHeight();
    nonClientWidth_ = width;
    nonClientHeight_ = height;
    SetClientSize(clientWidth, clientHeight);
    Touch(Prop::Metrics);
}

void Form::SetTwipsPerPixel(double x, double y) {
    if (x <= 0 || y <= 0) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    if (x == twipsPerPixelX_ && y == twipsPerPixelY_) return;
    twipsPerPixelX_ = x;
    twipsPerPixelY_ = y;
    Touch(Prop::Metrics);
}

std::int32_t Form::ScaleWidth() const noexcept { return windowState_ == 1 ? 0 : ClientWidth(); }
std::int32_t Form::ScaleHeight() const noexcept {
    return windowState_ == 1 ? 0 : std::max(0, ClientHeight() - reservedTop_);
}

void Form::CheckMovable() const {
    if (windowState_ != 0)
        throw RuntimeError(384, "A form can't be moved or sized while minimized or maximized");
}

void Form::SetReservedTop(std::int32_t height) {
    if (height < 0) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    if (reservedTop_ == height) return;
    reservedTop_ = height;
    Touch(Prop::ReservedTop);
}

void Form::SetIcon(platform::PicturePtr icon) {
    icon_ = std::move(icon);
    Touch(Prop::Icon);
}

void Form::SetWindowState(std::int16_t value) {
    if (value < 0 || value > 2) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    if (windowState_ == value) return;
    windowState_ = value;
    Touch(Prop::WindowState);
}

void Form::ShowModal() {
    if (modal_) throw RuntimeError(400, "Form already displayed; can't show modally");
    loaded_ = true;
    modal_ = true;
    SetVisible(true);
    Activate();
    if (modalLoop_) {
        if (loaded_) modalLoop_(*this);
    } else if (host_ != nullptr) {
        if (loaded_) host_->RunModal(*this);
    } else if (ModalLoop loop = ProcessModalLoop(); loop && loaded_) {
        loop(*this);
    }
    if (loaded_ && !CloseWith(unload_mode::kAppWindows)) {
        // The loop ended without closing the form and it refused: unload it regardless,
        // so the caller never waits on a form nobody can reach any more.
        std::int16_t ignored = 0;
        UnloadEvent(ignored);
        loaded_ = false;
        SetVisible(false);
    }
    modal_ = false;
    // The windows go with the unload; the models stay readable.
    if (host_ != nullptr) {
        FormHost* host = host_;
        host_ = nullptr;
        host->Destroy(*this);
    }
}

bool Form::Unload() { return CloseWith(unload_mode::kFormCode); }

bool Form::UserClose() { return CloseWith(unload_mode::kFormControlMenu); }

bool Form::CloseWith(std::int16_t unloadMode) {
    if (!loaded_) return true;
    std::int16_t cancel = 0;
    QueryUnload(cancel, unloadMode);
    // A QueryUnload handler may itself have unloaded the form (nested Unload): done.
    if (!loaded_) return true;
    if (cancel != 0) return false;
    UnloadEvent(cancel);
    if (!loaded_) return true;
    if (cancel != 0) return false;
    loaded_ = false;
    SetVisible(false);
    return true;
}

void Form::UserResize(std::int32_t width, std::int32_t height) {
    if (windowState_ != 0) SetWindowState(0);  // dragging the border restores the window
    SetWidth(std::max(0, width));
    SetHeight(std::max(0, height));
    Resize();
}

void Form::UserSetWindowState(std::int16_t state) {
    SetWindowState(state);
    Resize();
}

std::int16_t Form::UserKeyDown(std::int16_t keyCode, std::int16_t shiftState) {
    if (!loaded_) return 0;
    if (keyPreview_) KeyDown(keyCode, shiftState);
    if (keyCode != 0 && activeControl_ != nullptr && loaded_) activeControl_->RaiseKeyDown(keyCode, shiftState);
    return loaded_ ? keyCode : 0;
}

std::int16_t Form::UserKeyUp(std::int16_t keyCode, std::int16_t shiftState) {
    if (!loaded_) return 0;
    if (keyPreview_) KeyUp(keyCode, shiftState);
    if (keyCode != 0 && activeControl_ != nullptr && loaded_) activeControl_->RaiseKeyUp(keyCode, shiftState);
    return loaded_ ? keyCode : 0;
}

void Form::MoveFocus(Control* next) {
    if (activeControl_ == next) return;
    Control* previous = activeControl_;
    activeControl_ = next;
    if (previous != nullptr) previous->Touch(Prop::Focus);
    if (next != nullptr) next->Touch(Prop::Focus);
    if (previous != nullptr) previous->LostFocus();
    if (next != nullptr) next->GotFocus();
}

}  // namespace diags::forms
