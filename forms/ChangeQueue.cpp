#include "forms/ChangeQueue.h"

#include <algorithm>

namespace diags::forms {

void ChangeQueue::Mark(Control& control, Prop property) {
    if (depth_ == 0) {
        push_(control, property);
        return;
    }
    const std::pair<Control*, Prop> entry{&control, property};
    if (std::find(dirty_.begin(), dirty_.end(), entry) == dirty_.end()) dirty_.push_back(entry);
}

void ChangeQueue::Forget(const Control& control) noexcept {
    std::erase_if(dirty_, [&](const auto& e) { return e.first == &control; });
}

void ChangeQueue::Flush() {
    // A push may change models again (and so mark more pairs): run until nothing is left.
    while (!dirty_.empty()) {
        const auto [control, property] = dirty_.front();
        dirty_.erase(dirty_.begin());
        push_(*control, property);
    }
}

ChangeQueue::UserCall::~UserCall() {
    if (--queue_->depth_ == 0) {
        try {
            queue_->Flush();
        } catch (...) {
            // A push that fails leaves the screen behind the model; the next change retries.
        }
    }
}

}  // namespace diags::forms
