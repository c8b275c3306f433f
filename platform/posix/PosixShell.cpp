#include "platform/posix/PosixShell.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

extern char** environ;

namespace diags::platform::posix {
namespace {

std::string Opener() {
    const char* chosen = std::getenv("DIAGS_OPENER");
    return chosen && *chosen ? chosen : "xdg-open";
}

bool IsRunnable(const std::string& program) {
    if (program.find('/') != std::string::npos) return ::access(program.c_str(), X_OK) == 0;
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "/usr/bin:/bin";
    while (true) {
        const auto colon = rest.find(':');
        const std::string_view dir = rest.substr(0, colon);
        std::string candidate(dir.empty() ? std::string_view(".") : dir);  // an empty entry is "."
        candidate += '/';
        candidate += program;
        if (::access(candidate.c_str(), X_OK) == 0) return true;
        if (colon == std::string_view::npos) return false;
        rest.remove_prefix(colon + 1);
    }
}

}  // namespace

std::intptr_t PosixShell::Execute(WindowHandle, std::string_view, std::string_view target,
                                  std::string_view, std::string_view, std::int32_t) {
    if (target.empty()) return kShellFileNotFound;
    const std::string opener = Opener();
    if (!IsRunnable(opener)) return kShellNoAssociation;
    // A short-lived shell starts the opener in the background and exits at once, so the
    // opener is detached (re-parented) and the caller only waits for the shell. The target
    // is passed as an argument, never as part of the script.
    std::string script = "\"$0\" \"$1\" </dev/null >/dev/null 2>&1 &";
    std::string shell = "/bin/sh", dashC = "-c", targetText(target);
    std::vector<char*> argv{shell.data(), dashC.data(), script.data(), const_cast<char*>(opener.c_str()),
                            targetText.data(), nullptr};
    pid_t pid = 0;
    if (::posix_spawn(&pid, shell.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return kShellOutOfResources;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? kShellOk : kShellNoAssociation;
}

std::string HelpAddress(std::string_view helpFile, std::optional<std::uintptr_t> topic) {
    std::error_code ec;
    std::filesystem::path path(helpFile);
    const auto absolute = std::filesystem::absolute(path, ec);
    const std::string text = ec ? path.string() : absolute.string();
    std::string address = "file://";
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        const bool plain = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') ||
                           c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
        if (plain) {
            address += c;
        } else {
            address += '%';
            address += kHex[u >> 4];
            address += kHex[u & 0xF];
        }
    }
    if (topic) {
        address += "#topic-";
        address += std::to_string(*topic);
    }
    return address;
}

bool PosixShell::Help(WindowHandle window, std::string_view helpFile, std::uint32_t command,
                      std::uintptr_t data) {
    if (command == kHelpQuit) return true;
    if (helpFile.empty()) return false;
    const auto topic = command == kHelpContext ? std::optional<std::uintptr_t>(data) : std::nullopt;
    return Execute(window, "open", HelpAddress(helpFile, topic), "", "", 1) > 32;
}

}  // namespace diags::platform::posix
