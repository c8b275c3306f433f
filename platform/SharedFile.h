#pragma once
// Files read for collecting them, and who collects them.
//
// SharedFile: a file opened for reading without getting in a writer's way: on Windows every share mode is
// granted (a logger may go on writing, truncating or even deleting it); elsewhere files never
// lock each other.
#include <cstdint>
#include <string>

namespace diags::platform {

class SharedFile {
public:
    // Opens the ANSI path (as the Logger names its files). False and `why` on failure.
    bool Open(const std::string& ansiPath, std::string& why);
    ~SharedFile();
    SharedFile() = default;
    SharedFile(const SharedFile&) = delete;
    SharedFile& operator=(const SharedFile&) = delete;
    // Reads up to `capacity` bytes: how many, 0 at the end, -1 on failure (`why`).
    std::int64_t Read(char* buffer, std::size_t capacity, std::string& why);

private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

// This machine's name and the name of the user running the program.
std::string MachineName();
std::string UserName();

}  // namespace diags::platform
