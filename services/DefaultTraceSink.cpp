// The trace sink used until the log configuration supplies its own: driven by the
// environment so a developer can watch the component's traces without any set-up.
//   DIAGS_TRACE_FILE=<path>   append every line to that file
//   DIAGS_TRACE=<anything>    write every line to standard error (when no file is named)
//   DIAGS_TRACE_LEVELS=<mask> only levels whose bit is in the mask (decimal or 0x hex)
// With none of them set, Wants() is false and a trace costs one comparison.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>

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

class EnvironmentTraceSink final : public TraceSink {
public:
    // Re-reads the environment, so Refresh picks up a changed destination.
    void Bind(std::string_view module) override {
        std::lock_guard lock(mutex_);
        module_ = std::string(module);
        file_.reset();
        toStderr_ = false;
        const std::string path = Env("DIAGS_TRACE_FILE");
        if (!path.empty())
            file_.reset(std::fopen(path.c_str(), "a"));
        else
            toStderr_ = std::getenv("DIAGS_TRACE") != nullptr;
        mask_ = ReadLevelMask(Env("DIAGS_TRACE_LEVELS"));
        active_ = file_ != nullptr || toStderr_;
    }

    bool Wants(int level) const noexcept override {
        return active_ && (static_cast<unsigned>(level) & mask_) != 0;
    }

    void Write(int level, std::string_view line) noexcept override {
        std::lock_guard lock(mutex_);
        std::FILE* out = file_ ? file_.get() : (toStderr_ ? stderr : nullptr);
        if (!out) return;
        char stamp[32] = "";
        const auto now = std::chrono::system_clock::now();
        const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
        const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(
                                now.time_since_epoch()).count() % 1000;
        std::tm parts{};
#ifdef _WIN32
        localtime_s(&parts, &seconds);
#else
        localtime_r(&seconds, &parts);
#endif
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &parts);
        std::fprintf(out, "%s.%03d [%s][%d] %.*s\n", stamp, static_cast<int>(millis),
                     module_.c_str(), level, static_cast<int>(line.size()), line.data());
        std::fflush(out);
    }

private:
    std::mutex mutex_;
    std::string module_;
    FilePtr file_;
    bool toStderr_ = false;
    unsigned mask_ = ~0u;
    bool active_ = false;
};

}  // namespace

std::unique_ptr<TraceSink> MakeDefaultTraceSink() {
    auto sink = std::make_unique<EnvironmentTraceSink>();
    sink->Bind("");
    return sink;
}

}  // namespace diags
