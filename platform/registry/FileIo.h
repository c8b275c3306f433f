#pragma once
// The few file operations the file store needs, with durable-write guarantees, as RAII types.
// Two implementations: POSIX (FileIoPosix.cpp) and Windows (FileIoWin32.cpp).
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/registry/Status.h"

namespace diags::platform::registry::io {

struct FileId {
    std::uint64_t device = 0, inode = 0, size = 0;
};

class File {
public:
    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens for reading; `missing` is set (and Ok returned) when the file does not exist.
    static Status OpenRead(const std::string& path, File& out, bool& missing);
    // Opens for reading and writing, creating it when `create` (fails if it exists then).
    static Status OpenWrite(const std::string& path, bool create, File& out);

    Status Id(FileId& id) const;
    // Reads from `offset` to the end.
    Status ReadFrom(std::uint64_t offset, std::string& out) const;
    // Reads up to `length` bytes from `offset` (fewer where the file ends) in pieces of at most
    // 64 KiB, handing each to `piece` in order: a large file is checked without holding it whole.
    Status ReadPieces(std::uint64_t offset, std::uint64_t length,
                      const std::function<void(std::string_view)>& piece) const;
    // Writes all of `bytes` at `offset`.
    Status WriteAt(std::uint64_t offset, std::string_view bytes);
    Status Truncate(std::uint64_t size);
    // Flushes data and size to the disk.
    Status Sync();
    bool IsOpen() const noexcept { return handle_ != kNone; }

private:
    static constexpr std::intptr_t kNone = -1;
    std::intptr_t handle_ = kNone;
    std::string path_;
};

// An exclusive lock on a lock file, held until Release or destruction. Acquire fails (does
// not wait forever) after `timeoutMs`. The lock file stays open from the first Acquire to
// destruction, so taking the lock again after Release costs no new open.
class ExclusiveLock {
public:
    ExclusiveLock() = default;
    ~ExclusiveLock();
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;
    // Locks `lockPath` (the same path on every call).
    Status Acquire(const std::string& lockPath, int timeoutMs);
    void Release() noexcept;
    bool Held() const noexcept { return held_; }

private:
    std::intptr_t handle_ = -1;
    bool held_ = false;
};

// The identity and size of the file at `path`; `missing` is set (and Ok returned) when there
// is none.
Status IdOfPath(const std::string& path, FileId& id, bool& missing);
// Renames over an existing file atomically.
Status RenameOver(const std::string& from, const std::string& to);
// Makes a completed rename in `dir` durable (no-op where the system does that itself).
Status SyncDirectory(const std::string& dir);
void RemoveFile(const std::string& path) noexcept;
// A new unique name in the directory of `path` for a temporary file.
std::string TemporaryNameFor(const std::string& path);
std::string DirectoryOf(const std::string& path);
// Creates the directory of `path` and its parents when missing.
Status EnsureDirectoryFor(const std::string& path);
std::string ErrorText(int error);

}  // namespace diags::platform::registry::io
