#pragma once
// The Save As dialog on a console: the file named by $DIAGS_SAVE_AS is the user's choice
// (relative to the current directory); without it the user cancelled.
#include "platform/Platform.h"

namespace diags::platform::posix {

class ConsoleFileDialogs final : public FileDialogs {
public:
    std::optional<std::string> SaveAs(WindowHandle owner, std::string_view title, std::string_view filter,
                                      std::string_view defaultName) override;
};

}  // namespace diags::platform::posix
