#pragma once
// Windows calls our callbacks (window procedures, subclass procedures, enumeration callbacks,
// hooks) from its own frames. No C++ exception may unwind through those frames: 32-bit code
// unwinds by tables that the system's frames do not have, so an exception leaving a callback
// ends the host process instead of reaching a handler. Every callback's body runs inside
// Guarded, which stops any exception at the callback's edge and gives Windows the fallback
// answer instead (for a window procedure, the default processing of the message).
#include <utility>

namespace diags::platform::win32 {

template <class Body, class Fallback>
auto Guarded(Body&& body, Fallback&& fallback) noexcept -> decltype(body()) {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        // Nothing to report to: the caller is the system. The fallback is the answer a
        // callback gives when it has nothing to do.
    }
    return std::forward<Fallback>(fallback)();
}

}  // namespace diags::platform::win32
