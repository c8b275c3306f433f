#pragma once
// Windows stand-in for Linux: an in-process table of window styles and icons by handle, so
// that the style and icon routines run (and can be checked) without a window system.
#include <map>
#include <mutex>

#include "platform/Platform.h"

namespace diags::platform::posix {

inline constexpr std::uint32_t kWmSetIcon = 0x80;
inline constexpr std::uintptr_t kIconSmall = 0, kIconBig = 1;

class PosixWindowing final : public Windowing {
public:
    // WM_SETICON stores the icon (lParam) under wParam and answers the previous one; every
    // other message answers 0.
    std::intptr_t Send(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam) override;
    std::int32_t GetStyle(WindowHandle window) override;
    // Answers the previous style, like SetWindowLongA.
    std::int32_t SetStyle(WindowHandle window, std::int32_t style) override;
    // $DIAGS_LANGID (hex, "0411" or "0x0411") when set, else derived from the locale.
    std::uint16_t SystemDefaultLangId() override;

    // The icon last set for the window (kIconSmall or kIconBig); 0 when none.
    std::intptr_t Icon(WindowHandle window, std::uintptr_t which) const;
    // Forgets a window (its style and icons).
    void Forget(WindowHandle window);

private:
    struct WindowState {
        std::int32_t style = 0;
        std::intptr_t icons[2] = {0, 0};
    };
    mutable std::mutex mutex_;
    std::map<WindowHandle, WindowState> windows_;
};

// The Windows language id of a locale name such as "ja_JP.UTF-8": Japanese 0x0411, Korean
// 0x0412, Chinese 0x0804 (0x0404 Taiwan, 0x0C04 Hong Kong, 0x1004 Singapore, 0x1404 Macao),
// everything else US English 0x0409.
std::uint16_t LangIdFromLocale(std::string_view locale) noexcept;

}  // namespace diags::platform::posix
