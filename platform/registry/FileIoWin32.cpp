#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <thread>
#include <utility>

#include "platform/registry/FileIo.h"
#include "platform/win32/ErrorText.h"
#include "platform/win32/Owned.h"

namespace diags::platform::registry::io {
namespace {

HANDLE H(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }
std::intptr_t I(HANDLE h) { return reinterpret_cast<std::intptr_t>(h); }

Status LastError(const std::string& what, const std::string& path, DWORD error = GetLastError()) {
    return Status::Fail(what + " " + path + ": " + ErrorText(static_cast<int>(error)));
}

OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED o{};
    o.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    o.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return o;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

std::string ErrorText(int error) { return win32::Win32ErrorText(static_cast<DWORD>(error)); }

// The handles live as integers in the portable header; the one owner of kernel handles takes
// each over to close it (INVALID_HANDLE_VALUE, the "none" value, owns nothing).
File::~File() { win32::OwnedHandle closing(H(handle_)); }

File::File(File&& other) noexcept : handle_(std::exchange(other.handle_, kNone)), path_(std::move(other.path_)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        win32::OwnedHandle closing(H(std::exchange(handle_, std::exchange(other.handle_, kNone))));
        path_ = std::move(other.path_);
    }
    return *this;
}

Status File::OpenRead(const std::string& path, File& out, bool& missing) {
    missing = false;
    win32::OwnedHandle h(CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            missing = true;
            return Status::Ok();
        }
        return LastError("cannot open", path, error);
    }
    out = File();
    out.handle_ = I(h.release());
    out.path_ = path;
    return Status::Ok();
}

Status File::OpenWrite(const std::string& path, bool create, File& out) {
    win32::OwnedHandle h(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
                                     create ? CREATE_NEW : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return LastError(create ? "cannot create" : "cannot open for writing", path);
    out = File();
    out.handle_ = I(h.release());
    out.path_ = path;
    return Status::Ok();
}

Status File::Id(FileId& id) const {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(H(handle_), &info)) return LastError("cannot examine", path_);
    // The file index alone names the file: a store's path stays on one volume, and the volume
    // serial is not a stable part of a file's identity under Wine, which reports 0 while its
    // mount manager is not answering (as while a session's services start) and the drive's
    // serial once it is, so two looks at one file in one process could disagree and a save
    // would fail as if the file had been replaced.
    id.device = 0;
    id.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    id.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return Status::Ok();
}

Status File::ReadFrom(std::uint64_t offset, std::string& out) const {
    out.clear();
    return ReadPieces(offset, UINT64_MAX, [&](std::string_view piece) { out.append(piece); });
}

Status File::ReadPieces(std::uint64_t offset, std::uint64_t length,
                        const std::function<void(std::string_view)>& piece) const {
    char buffer[1 << 16];
    while (length > 0) {
        OVERLAPPED o = At(offset);
        DWORD got = 0;
        const auto want = static_cast<DWORD>(std::min<std::uint64_t>(length, sizeof buffer));
        if (!ReadFile(H(handle_), buffer, want, &got, &o)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;
            return LastError("cannot read", path_);
        }
        if (got == 0) break;
        piece(std::string_view(buffer, got));
        offset += got;
        length -= got;
    }
    return Status::Ok();
}

Status File::WriteAt(std::uint64_t offset, std::string_view bytes) {
    while (!bytes.empty()) {
        OVERLAPPED o = At(offset);
        DWORD wrote = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        if (!WriteFile(H(handle_), bytes.data(), chunk, &wrote, &o)) return LastError("cannot write", path_);
        bytes.remove_prefix(wrote);
        offset += wrote;
    }
    return Status::Ok();
}

Status File::Truncate(std::uint64_t size) {
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(H(handle_), to, nullptr, FILE_BEGIN) || !SetEndOfFile(H(handle_)))
        return LastError("cannot truncate", path_);
    return Status::Ok();
}

Status File::Sync() {
    if (!FlushFileBuffers(H(handle_))) return LastError("cannot flush", path_);
    return Status::Ok();
}

ExclusiveLock::~ExclusiveLock() {
    Release();
    win32::OwnedHandle file(H(handle_));  // closes the lock file
}

void ExclusiveLock::Release() noexcept {
    if (held_) {
        OVERLAPPED o{};
        UnlockFileEx(H(handle_), 0, 1, 0, &o);
    }
    held_ = false;
}

Status ExclusiveLock::Acquire(const std::string& lockPath, int timeoutMs) {
    if (held_) return Status::Ok();
    if (handle_ == -1) {
        win32::OwnedHandle h(CreateFileA(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h) return LastError("cannot open the lock file", lockPath);
        handle_ = I(h.release());
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    auto pause = std::chrono::microseconds(100);
    for (;;) {
        OVERLAPPED o{};
        if (LockFileEx(H(handle_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &o)) break;
        if (std::chrono::steady_clock::now() > deadline)
            return Status::Fail("the registry file is locked by another program for too long: " + lockPath);
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(20000));
    }
    held_ = true;
    return Status::Ok();
}

Status IdOfPath(const std::string& path, FileId& id, bool& missing) {
    File file;
    if (Status s = File::OpenRead(path, file, missing); !s || missing) return s;
    return file.Id(id);
}

Status RenameOver(const std::string& from, const std::string& to) {
    if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return LastError("cannot replace", to);
    return Status::Ok();
}

Status SyncDirectory(const std::string&) { return Status::Ok(); }  // MOVEFILE_WRITE_THROUGH did it

void RemoveFile(const std::string& path) noexcept { DeleteFileA(path.c_str()); }

std::string TemporaryNameFor(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return path + ".tmp-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
}

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    return path.substr(0, slash == 0 ? 1 : slash);
}

Status EnsureDirectoryFor(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(DirectoryOf(path), ec);
    if (ec) return Status::Fail("cannot create the directory " + DirectoryOf(path) + ": " + ec.message());
    return Status::Ok();
}

}  // namespace diags::platform::registry::io
#endif
