// The logger's sink: trace lines go to the outputs the host's log configuration gives the
// logger's component (Logger::Initialize's module), re-read by Logger::Refresh.
//
// Every switched-on output of the component receives every trace line, whatever its level
// (1 help, 32 start-up, 64 function enter/leave and errors): the log file in the output's
// mode (see hostconfig/LogFile.h) when "log to file" is on, and the debug monitor
// (OutputDebugStringA on Windows, standard error elsewhere) when "debug monitor" is on. The
// error threshold is the host's filter for its own error reports and does not filter traces.
//
// For developers the environment adds one more output, whatever the configuration says:
//   DIAGS_TRACE_FILE=<path>   append every line to that file
//   DIAGS_TRACE=<anything>    write every line to standard error (when no file is named)
//   DIAGS_TRACE_LEVELS=<mask> only levels whose bit is in the mask (decimal or 0x hex); this
//                             mask applies to the environment's output only
//
// A logger that cannot read its configuration or write an output never disturbs the host: it
// reports the problem once (standard error / the debug monitor) and goes on with the outputs
// that work. With no output switched on, Wants() is false and a trace costs one comparison.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "base/CalendarTime.h"
#include "hostconfig/LogConfiguration.h"
#include "hostconfig/LogFile.h"
#include "services/Logger.h"

namespace diags {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const noexcept {
        if (f) std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Unset, empty or unreadable masks mean every level.
unsigned ReadLevelMask(const std::string& text) {
    if (text.empty()) return ~0u;
    char* end = nullptr;
    const unsigned long mask = std::strtoul(text.c_str(), &end, 0);
    if (end == text.c_str() || *end != '\0') return ~0u;
    return static_cast<unsigned>(mask);
}

void ToDebugMonitor(const std::string& text) noexcept {
#ifdef _WIN32
    OutputDebugStringA(text.c_str());
#else
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
#endif
}

std::string Stamp() {
    char stamp[32] = "";
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    const std::tm parts = base::LocalParts(seconds);
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &parts);
    char withMillis[40];
    std::snprintf(withMillis, sizeof withMillis, "%s.%03d", stamp, static_cast<int>(millis));
    return withMillis;
}

class ConfiguredTraceSink final : public TraceSink {
public:
    void Bind(std::string_view module) override {
        std::lock_guard lock(mutex_);
        module_ = std::string(module);
        files_.clear();
        debugMonitor_ = false;
        BindEnvironment();
        BindConfiguration();
        active_ = envFile_ || envStderr_ || debugMonitor_ || !files_.empty();
    }

    bool Wants(int level) const noexcept override {
        if (!active_) return false;
        return debugMonitor_ || !files_.empty() || (static_cast<unsigned>(level) & envMask_) != 0;
    }

    void Write(int level, std::string_view line) noexcept override {
        try {
            std::lock_guard lock(mutex_);
            const std::string text =
                Stamp() + " [" + module_ + "][" + std::to_string(level) + "] " + std::string(line);
            if ((static_cast<unsigned>(level) & envMask_) != 0) {
                if (std::FILE* out = envFile_ ? envFile_.get() : (envStderr_ ? stderr : nullptr)) {
                    std::fprintf(out, "%s\n", text.c_str());
                    std::fflush(out);
                }
            }
            if (debugMonitor_) ToDebugMonitor(text + "\n");
            for (auto& file : files_)
                if (!file->WriteLine(text)) ReportOnce("cannot write the log file " + file->Path());
        } catch (...) {
            // Tracing never fails the host.
        }
    }

private:
    void BindEnvironment() {
        envFile_.reset();
        envStderr_ = false;
        const std::string path = Env("DIAGS_TRACE_FILE");
        if (!path.empty())
            envFile_.reset(std::fopen(path.c_str(), "a"));
        else
            envStderr_ = std::getenv("DIAGS_TRACE") != nullptr;
        envMask_ = ReadLevelMask(Env("DIAGS_TRACE_LEVELS"));
    }

    void BindConfiguration() {
        if (module_.empty()) return;
        std::vector<hostconfig::OutputSettings> outputs;
        const auto read = hostconfig::ReadComponentOutputs(platform::registry::NativeStore(),
                                                           hostconfig::DefaultRootKey(), module_, outputs);
        if (!read.ok()) {
            ReportOnce("the log configuration cannot be read: " + read.message());
            return;
        }
        for (const auto& output : outputs) {
            if (output.debugMonitor) debugMonitor_ = true;
            if (!output.logToFile) continue;
            std::string why;
            if (auto file = hostconfig::LogFile::Open(output, why))
                files_.push_back(std::move(file));
            else
                ReportOnce("the log file of \"" + module_ + " - " + output.name + "\" is not written: " + why);
        }
    }

    void ReportOnce(const std::string& problem) noexcept {
        try {
            if (!reported_.insert(problem).second) return;
            ToDebugMonitor("[" + module_ + "] logger: " + problem + "\n");
        } catch (...) {
        }
    }

    std::mutex mutex_;
    std::string module_;
    FilePtr envFile_;
    bool envStderr_ = false;
    unsigned envMask_ = ~0u;
    bool debugMonitor_ = false;
    std::vector<std::unique_ptr<hostconfig::LogFile>> files_;
    std::set<std::string> reported_;
    bool active_ = false;
};

}  // namespace

std::unique_ptr<TraceSink> MakeDefaultTraceSink() {
    auto sink = std::make_unique<ConfiguredTraceSink>();
    sink->Bind("");
    return sink;
}

}  // namespace diags
