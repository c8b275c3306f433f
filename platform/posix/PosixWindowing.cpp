#include "platform/posix/PosixWindowing.h"

#include <cstdlib>
#include <string>

namespace diags::platform::posix {

std::intptr_t PosixWindowing::Send(WindowHandle window, std::uint32_t message,
                                   std::uintptr_t wParam, std::intptr_t lParam) {
    if (message != kWmSetIcon || window == 0 || wParam > kIconBig) return 0;
    std::lock_guard lock(mutex_);
    std::intptr_t& slot = windows_[window].icons[wParam];
    const std::intptr_t previous = slot;
    slot = lParam;
    return previous;
}

std::int32_t PosixWindowing::GetStyle(WindowHandle window) {
    std::lock_guard lock(mutex_);
    const auto found = windows_.find(window);
    return found == windows_.end() ? 0 : found->second.style;
}

std::int32_t PosixWindowing::SetStyle(WindowHandle window, std::int32_t style) {
    if (window == 0) return 0;  // like SetWindowLongA on an invalid handle
    std::lock_guard lock(mutex_);
    std::int32_t& slot = windows_[window].style;
    const std::int32_t previous = slot;
    slot = style;
    return previous;
}

std::intptr_t PosixWindowing::Icon(WindowHandle window, std::uintptr_t which) const {
    std::lock_guard lock(mutex_);
    const auto found = windows_.find(window);
    if (found == windows_.end() || which > kIconBig) return 0;
    return found->second.icons[which];
}

void PosixWindowing::Forget(WindowHandle window) {
    std::lock_guard lock(mutex_);
    windows_.erase(window);
}

std::uint16_t LangIdFromLocale(std::string_view locale) noexcept {
    const auto starts = [&](std::string_view prefix) { return locale.substr(0, prefix.size()) == prefix; };
    if (starts("ja")) return 0x0411;
    if (starts("ko")) return 0x0412;
    if (starts("zh")) {
        if (starts("zh_TW")) return 0x0404;
        if (starts("zh_HK")) return 0x0C04;
        if (starts("zh_SG")) return 0x1004;
        if (starts("zh_MO")) return 0x1404;
        return 0x0804;
    }
    return 0x0409;
}

std::uint16_t PosixWindowing::SystemDefaultLangId() {
    if (const char* forced = std::getenv("DIAGS_LANGID"); forced && *forced) {
        char* end = nullptr;
        const unsigned long id = std::strtoul(forced, &end, 16);
        if (end != forced && *end == '\0' && id > 0 && id <= 0xFFFF) return static_cast<std::uint16_t>(id);
    }
    // The system locale: LC_ALL overrides LANG, as for every POSIX program.
    for (const char* name : {"LC_ALL", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return LangIdFromLocale(value);
    }
    return 0x0409;
}

}  // namespace diags::platform::posix
