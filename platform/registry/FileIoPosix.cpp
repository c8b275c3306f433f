#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <thread>

#include "platform/registry/FileIo.h"

namespace diags::platform::registry::io {
namespace {

Status Errno(const std::string& what, const std::string& path, int error = errno) {
    return Status::Fail(what + " " + path + ": " + ErrorText(error));
}

int Fd(std::intptr_t h) { return static_cast<int>(h); }

}  // namespace

std::string ErrorText(int error) { return std::strerror(error); }

File::~File() {
    if (handle_ != kNone) ::close(Fd(handle_));
}

File::File(File&& other) noexcept : handle_(other.handle_), path_(std::move(other.path_)) {
    other.handle_ = kNone;
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (handle_ != kNone) ::close(Fd(handle_));
        handle_ = other.handle_;
        path_ = std::move(other.path_);
        other.handle_ = kNone;
    }
    return *this;
}

Status File::OpenRead(const std::string& path, File& out, bool& missing) {
    missing = false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            missing = true;
            return Status::Ok();
        }
        return Errno("cannot open", path);
    }
    out = File();
    out.handle_ = fd;
    out.path_ = path;
    return Status::Ok();
}

Status File::OpenWrite(const std::string& path, bool create, File& out) {
    const int flags = O_RDWR | O_CLOEXEC | (create ? O_CREAT | O_EXCL : 0);
    const int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) return Errno(create ? "cannot create" : "cannot open for writing", path);
    out = File();
    out.handle_ = fd;
    out.path_ = path;
    return Status::Ok();
}

Status File::Id(FileId& id) const {
    struct stat st {};
    if (::fstat(Fd(handle_), &st) != 0) return Errno("cannot examine", path_);
    id.device = static_cast<std::uint64_t>(st.st_dev);
    id.inode = static_cast<std::uint64_t>(st.st_ino);
    id.size = static_cast<std::uint64_t>(st.st_size);
    return Status::Ok();
}

Status File::ReadFrom(std::uint64_t offset, std::string& out) const {
    out.clear();
    FileId id;
    if (Status s = Id(id); !s) return s;
    if (id.size > offset) out.reserve(id.size - offset);
    return ReadPieces(offset, UINT64_MAX, [&](std::string_view piece) { out.append(piece); });
}

Status File::ReadPieces(std::uint64_t offset, std::uint64_t length,
                        const std::function<void(std::string_view)>& piece) const {
    char buffer[1 << 16];
    auto at = static_cast<off_t>(offset);
    while (length > 0) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(length, sizeof buffer));
        const ssize_t n = ::pread(Fd(handle_), buffer, want, at);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Errno("cannot read", path_);
        }
        if (n == 0) break;
        piece(std::string_view(buffer, static_cast<std::size_t>(n)));
        at += n;
        length -= static_cast<std::uint64_t>(n);
    }
    return Status::Ok();
}

Status File::WriteAt(std::uint64_t offset, std::string_view bytes) {
    auto at = static_cast<off_t>(offset);
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(Fd(handle_), bytes.data(), bytes.size(), at);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Errno("cannot write", path_);
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
        at += n;
    }
    return Status::Ok();
}

Status File::Truncate(std::uint64_t size) {
    if (::ftruncate(Fd(handle_), static_cast<off_t>(size)) != 0) return Errno("cannot truncate", path_);
    return Status::Ok();
}

Status File::Sync() {
    if (::fsync(Fd(handle_)) != 0) return Errno("cannot flush", path_);
    return Status::Ok();
}

ExclusiveLock::~ExclusiveLock() {
    Release();
    if (handle_ != -1) ::close(Fd(handle_));
}

void ExclusiveLock::Release() noexcept {
    if (held_) ::flock(Fd(handle_), LOCK_UN);
    held_ = false;
}

Status ExclusiveLock::Acquire(const std::string& lockPath, int timeoutMs) {
    if (held_) return Status::Ok();
    if (handle_ == -1) {
        const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) return Errno("cannot open the lock file", lockPath);
        handle_ = fd;
    }
    const int fd = Fd(handle_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    auto pause = std::chrono::microseconds(100);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) return Errno("cannot lock", lockPath);
        if (std::chrono::steady_clock::now() > deadline)
            return Status::Fail("the registry file is locked by another program for too long: " + lockPath);
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(20000));
    }
    held_ = true;
    return Status::Ok();
}

Status IdOfPath(const std::string& path, FileId& id, bool& missing) {
    missing = false;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) {
            missing = true;
            return Status::Ok();
        }
        return Errno("cannot examine", path);
    }
    id.device = static_cast<std::uint64_t>(st.st_dev);
    id.inode = static_cast<std::uint64_t>(st.st_ino);
    id.size = static_cast<std::uint64_t>(st.st_size);
    return Status::Ok();
}

Status RenameOver(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) return Errno("cannot replace", to);
    return Status::Ok();
}

Status SyncDirectory(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return Errno("cannot open the directory", dir);
    const int rc = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    if (rc != 0 && error != EINVAL) return Errno("cannot flush the directory", dir, error);
    return Status::Ok();
}

void RemoveFile(const std::string& path) noexcept { ::unlink(path.c_str()); }

std::string TemporaryNameFor(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

Status EnsureDirectoryFor(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(DirectoryOf(path), ec);
    if (ec) return Status::Fail("cannot create the directory " + DirectoryOf(path) + ": " + ec.message());
    return Status::Ok();
}

}  // namespace diags::platform::registry::io
#endif
