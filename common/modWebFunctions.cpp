#include "common/modWebFunctions.h"

#include "platform/Platform.h"

namespace diags {

std::intptr_t OpenDocument(std::string_view target) noexcept {
    constexpr std::int32_t kShowNormal = 1;
    try {
        // An empty verb stands for the default verb (a null verb to the shell).
        return platform::Current().shell->Execute(0, {}, target, {}, {}, kShowNormal);
    } catch (...) {
        return 0;
    }
}

}  // namespace diags
