#pragma once
// The outcome of a store operation: success, or a message a person can act on (it names the
// file, the line and what is wrong). Errors are values; the store never throws.
#include <string>
#include <utility>

namespace diags::platform::registry {

class [[nodiscard]] Status {
public:
    static Status Ok() { return Status(); }
    static Status Fail(std::string message) {
        Status s;
        s.message_ = message.empty() ? std::string("failed") : std::move(message);
        return s;
    }
    bool ok() const noexcept { return message_.empty(); }
    explicit operator bool() const noexcept { return ok(); }
    const std::string& message() const noexcept { return message_; }

private:
    std::string message_;
};

}  // namespace diags::platform::registry
