#include "forms/CMousePointer.h"

#include "platform/Platform.h"

namespace diags {

void CMousePointer::SetCursor(const std::int32_t& pointer) noexcept {
    try {
        auto* screen = platform::Current().interaction;
        if (!remembered_) remembered_ = screen->MousePointer();
        screen->SetMousePointer(static_cast<std::int16_t>(pointer));
    } catch (...) {
        // A pointer that cannot be changed is not worth a failure.
    }
}

CMousePointer::~CMousePointer() {
    if (remembered_) SetScreenPointer(*remembered_);
}

void CMousePointer::SetScreenPointer(std::int16_t pointer) noexcept {
    try {
        platform::Current().interaction->SetMousePointer(pointer);
    } catch (...) {
    }
}

}  // namespace diags
