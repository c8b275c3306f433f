#pragma once
// Shell and help on Linux: documents, web addresses and the HTML help page open with the
// desktop's opener (xdg-open, or $DIAGS_OPENER), started detached so the caller never waits.
#include <string>

#include "platform/Platform.h"

namespace diags::platform::posix {

// WinHelp commands the component uses.
inline constexpr std::uint32_t kHelpContext = 0x1, kHelpQuit = 0x2, kHelpContents = 0x3,
                               kHelpFinder = 0xB;
// ShellExecute's answers: > 32 success; small numbers name the failure.
inline constexpr std::intptr_t kShellOk = 42, kShellFileNotFound = 2, kShellNoAssociation = 31,
                               kShellOutOfResources = 0;

class PosixShell final : public Shell {
public:
    // Opens `target` with the opener in a detached child; the verb, parameters, directory
    // and show state do not apply. 2 for an empty target, 31 when there is no opener.
    std::intptr_t Execute(WindowHandle owner, std::string_view verb, std::string_view target,
                          std::string_view parameters, std::string_view directory,
                          std::int32_t show) override;
    // Opens the help page: at the topic's anchor ("#topic-<data>") for HELP_CONTEXT, the page
    // itself for HELP_FINDER, HELP_CONTENTS and the rest; HELP_QUIT has nothing to close.
    bool Help(WindowHandle window, std::string_view helpFile, std::uint32_t command,
              std::uintptr_t data) override;
};

// The file:// address of a help page, at the anchor of `topic` when it is given.
std::string HelpAddress(std::string_view helpFile, std::optional<std::uintptr_t> topic);

}  // namespace diags::platform::posix
