#pragma once
// Where a component's trace lines go, as its log configuration says: the outputs of the
// component, and one log file per output in the mode the output chooses.
//
// File modes:
//   Append     lines are added at the end of the file.
//   Overwrite  the file is started afresh each time the logger opens it (Initialize, Refresh).
//   Circular   the file never grows beyond FileSize kilobytes (1 KB = 1024 bytes). When the
//              next line does not fit, writing wraps to the start of the file and overwrites
//              the oldest lines. The line kCircularMarker always follows the newest line, so
//              a reader finds the newest line just above it and the oldest just below it.
//
// A configured file name is a plain name inside the configured directory: a name with a path
// separator, "." or "..", or a reserved device name (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9,
// with or without an extension) is refused, so no configuration can make the host write
// outside its log directory.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hostconfig/LogConfiguration.h"

namespace diags::hostconfig {

enum class FileMode { Append, Overwrite, Circular };

inline constexpr std::string_view kCircularMarker = "---------- end of log: newest line above, oldest below ----------\n";

// One output's settings, as the logger needs them.
struct OutputSettings {
    std::string name;            // "Function Level Tracing"
    bool debugMonitor = false;
    bool logToFile = false;
    FileMode mode = FileMode::Overwrite;
    std::string directory;
    std::string fileName;
    double fileSizeKb = 24;
};

// The outputs of `component` in the configuration under `root`: its trace nodes, or the
// component node itself when it carries the settings (the error log). Empty when the
// component is not configured.
std::vector<OutputSettings> ComponentOutputs(const LogConfigNode& root, std::string_view component);

// The same, read straight from a store: only the component's key is looked at, and nothing is
// installed or written. Ok with no outputs when the component is not configured.
platform::registry::Status ReadComponentOutputs(platform::registry::Store& store, std::string_view rootKey,
                                                std::string_view component, std::vector<OutputSettings>& out);

// Empty when `fileName` is a plain file name; else why it is refused.
std::optional<std::string> CheckFileName(std::string_view fileName);

// An open log file. Writes never throw; a failure is reported by the result.
class LogFile {
public:
    // Opens (creating the directory when needed) as the mode says; nullopt and `why` on failure.
    static std::unique_ptr<LogFile> Open(const OutputSettings& output, std::string& why);
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Writes one line (a line feed is added). False when the line could not be written.
    bool WriteLine(std::string_view line) noexcept;
    const std::string& Path() const noexcept { return path_; }

private:
    LogFile() = default;
    bool WriteCircular(std::string_view line) noexcept;

    std::FILE* file_ = nullptr;
    std::string path_;
    FileMode mode_ = FileMode::Append;
    std::uint64_t capacity_ = 0;  // circular: the most bytes the file may hold
    std::uint64_t position_ = 0;  // circular: where the next line goes
};

}  // namespace diags::hostconfig
