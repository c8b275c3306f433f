#include "platform/posix/PosixFileSystem.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace diags::platform::posix {

namespace fs = std::filesystem;

bool PosixFileSystem::EntryExists(std::string_view path) {
    if (path.empty()) return false;
    std::error_code ec;
    return fs::exists(fs::path(path), ec);
}

std::optional<std::string> PosixFileSystem::MakeDirectory(std::string_view path) {
    if (path.empty()) return std::string("Path not found");
    std::error_code ec;
    const fs::path target(path);
    if (fs::create_directory(target, ec)) return std::nullopt;
    if (ec) return ec.message();
    // create_directory reports an existing entry as "nothing to do"; making a directory
    // that is already there is a failure, as it is on Windows.
    return std::string("Path/File access error: the entry already exists");
}

std::string WindowsDirectoryStandIn() {
    for (const char* name : {"DIAGS_WINDOWS_DIR", "HOME"}) {
        const char* value = std::getenv(name);
        if (value && *value) return value;
    }
    return "/";
}

std::string PosixFileSystem::WindowsDirectoryBuffer(std::size_t capacity) {
    std::string buffer(capacity, '\0');
    const std::string directory = WindowsDirectoryStandIn();
    // As with GetWindowsDirectoryA, a buffer too small for the text and its NUL gets nothing.
    if (directory.size() + 1 <= capacity) buffer.replace(0, directory.size(), directory);
    return buffer;
}

}  // namespace diags::platform::posix
