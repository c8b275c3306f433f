#include "platform/posix/ConsoleFileDialogs.h"

#include <cstdlib>

namespace diags::platform::posix {

std::optional<std::string> ConsoleFileDialogs::SaveAs(WindowHandle, std::string_view, std::string_view,
                                                       std::string_view) {
    const char* chosen = std::getenv("DIAGS_SAVE_AS");
    if (!chosen || !*chosen) return std::nullopt;
    return std::string(chosen);
}

}  // namespace diags::platform::posix
