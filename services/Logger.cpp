#include "services/Logger.h"

#include <charconv>

#include "services/MessageService.h"

namespace diags {
namespace {

std::unique_ptr<Logger>& Instance() {
    static std::unique_ptr<Logger> instance;
    return instance;
}

}  // namespace

Logger::Logger() = default;

Logger* Logger::Existing() noexcept { return Instance().get(); }

Logger& Logger::Create() {
    auto& instance = Instance();
    if (!instance) {
        // The constructor is private; the (public, implicit) move builds the owned copy.
        instance = std::make_unique<Logger>(Logger());
        instance->sink_ = MakeDefaultTraceSink();
    }
    return *instance;
}

void Logger::Destroy() noexcept { Instance().reset(); }

void Logger::Initialize(std::string_view module, std::int32_t /*options*/) {
    module_ = std::string(module);
    ++initializeCount_;
    if (sink_) sink_->Bind(module_);
}

void Logger::Refresh() {
    if (sink_) sink_->Bind(module_);
}

void Logger::SetSink(std::unique_ptr<TraceSink> sink) {
    sink_ = std::move(sink);
    if (sink_ && initializeCount_ > 0) sink_->Bind(module_);
}

std::string Logger::FloatText(double value) {
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc{} ? std::string(buffer, end) : std::string("?");
}

void Logger::TraceFormatted(int level, std::string_view format, std::vector<std::string> args) noexcept {
    try {
        const std::string line = MessageService::FormatMessage(format, args);
        sink_->Write(level, line);
    } catch (...) {
        // A trace that cannot be built (out of memory) is dropped; tracing never fails a caller.
    }
}

}  // namespace diags
