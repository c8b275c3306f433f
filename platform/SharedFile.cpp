#include "platform/SharedFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>
#endif

namespace diags::platform {

#ifdef _WIN32
namespace {
std::string LastError() {
    char text[256] = {};
    const DWORD code = GetLastError();
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, sizeof text,
                   nullptr);
    std::string out(text);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ')) out.pop_back();
    return out.empty() ? "error " + std::to_string(code) : out;
}
}  // namespace

bool SharedFile::Open(const std::string& ansiPath, std::string& why) {
    HANDLE h = CreateFileA(ansiPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        why = LastError();
        return false;
    }
    handle_ = h;
    return true;
}

SharedFile::~SharedFile() {
    if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
}

std::int64_t SharedFile::Read(char* buffer, std::size_t capacity, std::string& why) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(capacity > 0x40000000 ? 0x40000000 : capacity);
    if (!ReadFile(static_cast<HANDLE>(handle_), buffer, want, &got, nullptr)) {
        why = LastError();
        return -1;
    }
    return got;
}
#else
bool SharedFile::Open(const std::string& ansiPath, std::string& why) {
    fd_ = ::open(ansiPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        why = std::strerror(errno);
        return false;
    }
    return true;
}

SharedFile::~SharedFile() {
    if (fd_ >= 0) ::close(fd_);
}

std::int64_t SharedFile::Read(char* buffer, std::size_t capacity, std::string& why) {
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, capacity);
        if (got >= 0) return got;
        if (errno == EINTR) continue;
        why = std::strerror(errno);
        return -1;
    }
}
#endif

#ifdef _WIN32
std::string MachineName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) ? std::string(name) : std::string();
}

std::string UserName() {
    char name[256] = {};
    DWORD size = sizeof name;
    return GetUserNameA(name, &size) ? std::string(name) : std::string();
}
#else
std::string MachineName() {
    char name[256] = {};
    return gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
}

std::string UserName() {
    for (const char* variable : {"USER", "LOGNAME"})
        if (const char* value = std::getenv(variable); value && *value) return value;
    if (const passwd* entry = getpwuid(getuid())) return entry->pw_name;
    return std::to_string(getuid());
}
#endif

}  // namespace diags::platform
