#pragma once
// Process-wide trace logger, created on first use by InitSharedServices. Procedures trace
// only "when the Logger exists" (Logger::Existing() != nullptr). A trace whose level nobody
// listens to costs one comparison: arguments are formatted only when some output wants it.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace diags {

namespace level {
inline constexpr int kHelp = 1;       // the help opener
inline constexpr int kStartup = 32;   // Main, ProcessMenuHelp
inline constexpr int kFunction = 64;  // function enter/leave and error lines
}  // namespace level

// Where formatted trace lines go. The default sink honours the environment (see Logger.cpp);
// the log configuration supplies its own sink.
class TraceSink {
public:
    virtual ~TraceSink() = default;
    // Called by Logger::Initialize and Logger::Refresh with the bound module name.
    virtual void Bind(std::string_view module) = 0;
    // True when some output wants lines of this level.
    virtual bool Wants(int level) const noexcept = 0;
    virtual void Write(int level, std::string_view line) noexcept = 0;
};

// The sink Logger::Create installs: lines go to the file named by $DIAGS_TRACE_FILE, or to
// standard error when $DIAGS_TRACE is set, else nowhere (Wants() is false for every level).
// $DIAGS_TRACE_LEVELS, a bit mask of levels (decimal or 0x hex), narrows what is written.
std::unique_ptr<TraceSink> MakeDefaultTraceSink();

class Logger {
public:
    // The process-wide logger, or nullptr while none has been created.
    static Logger* Existing() noexcept;
    // Creates the process-wide logger on the first call; later calls return the same one.
    static Logger& Create();
    // Destroys the process-wide logger (component unload, tests).
    static void Destroy() noexcept;

    void Initialize(std::string_view module, std::int32_t options);
    void Refresh();
    const std::string& Module() const noexcept { return module_; }
    int InitializeCount() const noexcept { return initializeCount_; }

    bool Listening(int level) const noexcept { return sink_ && sink_->Wants(level); }

    // Trace(level, "[%1][%2] Function Enter", module, procedure): %1..%n replaced by the
    // arguments (texts or numbers), as MessageService::FormatMessage does.
    template <class... Args>
    void Trace(int level, std::string_view format, const Args&... args) noexcept {
        if (!Listening(level)) return;
        try {
            TraceFormatted(level, format, {ArgText(args)...});
        } catch (...) {
            // Out of memory while building the arguments: the line is dropped.
        }
    }

    void SetSink(std::unique_ptr<TraceSink> sink);
    TraceSink* Sink() const noexcept { return sink_.get(); }

private:
    Logger();
    void TraceFormatted(int level, std::string_view format, std::vector<std::string> args) noexcept;
    static std::string ArgText(std::string_view s) { return std::string(s); }
    static std::string ArgText(const std::string& s) { return s; }
    static std::string ArgText(const char* s) { return s ? s : ""; }
    // Booleans and numbers read as the classic run-time writes them: "True", "-5", "2.5".
    static std::string ArgText(bool b) { return b ? "True" : "False"; }
    template <class N>
        requires(std::is_arithmetic_v<N> && !std::is_same_v<N, bool>)
    static std::string ArgText(N n) {
        if constexpr (std::is_floating_point_v<N>)
            return FloatText(static_cast<double>(n));
        else
            return std::to_string(n);
    }
    static std::string FloatText(double value);

    std::string module_;
    int initializeCount_ = 0;
    std::unique_ptr<TraceSink> sink_;
};

// Traces through the process-wide logger when it exists; otherwise does nothing.
template <class... Args>
void TraceIfLogger(int level, std::string_view format, const Args&... args) noexcept {
    if (Logger* logger = Logger::Existing()) logger->Trace(level, format, args...);
}

}  // namespace diags
