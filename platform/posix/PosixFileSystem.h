#pragma once
// File-system lookup and directory creation over std::filesystem.
#include "platform/Platform.h"

namespace diags::platform::posix {

class PosixFileSystem final : public FileSystem {
public:
    char Separator() const noexcept override { return '/'; }
    bool EntryExists(std::string_view path) override;
    std::optional<std::string> MakeDirectory(std::string_view path) override;
    // Linux has no Windows directory. The stand-in is $DIAGS_WINDOWS_DIR when set, else the
    // user's home ($HOME), else "/": a directory that exists and that the user may write to,
    // which is what callers falling back to it need.
    std::string WindowsDirectoryBuffer(std::size_t capacity) override;
};

// The stand-in directory itself, without padding.
std::string WindowsDirectoryStandIn();

}  // namespace diags::platform::posix
