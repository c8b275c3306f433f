#pragma once
// Echo suppression for a renderer. Every StateChanged of a mirrored control marks the pair
// (control, property) dirty. Outside a user call the pair is pushed at once; while a user
// call runs (the renderer handing real input to a model: typed text, a click), pushes wait
// until the outermost call returns and then run once per pair. The renderer's push compares
// the model's value with what the native control shows and writes only a difference, so the
// value the user just typed is not written back over itself, while a handler's correction
// of it (a minimum size, a trimmed text) still reaches the screen.
#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

#include "forms/Control.h"

namespace diags::forms {

class ChangeQueue {
public:
    using Push = std::function<void(Control&, Prop)>;
    explicit ChangeQueue(Push push) : push_(std::move(push)) {}
    ChangeQueue(const ChangeQueue&) = delete;
    ChangeQueue& operator=(const ChangeQueue&) = delete;

    // Connected to StateChanged of each mirrored control.
    void Mark(Control& control, Prop property);
    // A control that goes away must not be pushed any more.
    void Forget(const Control& control) noexcept;
    bool InUserCall() const noexcept { return depth_ > 0; }
    std::size_t Pending() const noexcept { return dirty_.size(); }

    class UserCall {
    public:
        explicit UserCall(ChangeQueue& queue) noexcept : queue_(&queue) { ++queue_->depth_; }
        ~UserCall();
        UserCall(const UserCall&) = delete;
        UserCall& operator=(const UserCall&) = delete;

    private:
        ChangeQueue* queue_;  // non-owning; the queue outlives the call
    };
    // Brackets one hand-over of real input to the models.
    [[nodiscard]] UserCall EnterUserCall() noexcept { return UserCall(*this); }

private:
    void Flush();
    Push push_;
    std::vector<std::pair<Control*, Prop>> dirty_;  // non-owning; see Forget
    int depth_ = 0;
};

}  // namespace diags::forms
