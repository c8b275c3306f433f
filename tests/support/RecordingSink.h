#pragma once
// A trace sink that keeps every line, and a fixture giving each test fresh shared services.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "services/Logger.h"
#include "services/MessageService.h"

namespace diags::testing {

struct TraceLine {
    int level;
    std::string text;
    bool operator==(const TraceLine&) const = default;
    friend void PrintTo(const TraceLine& line, std::ostream* out) { *out << line.level << ": " << line.text; }
};

class RecordingSink final : public TraceSink {
public:
    RecordingSink(std::vector<TraceLine>& lines, unsigned levels) : lines_(lines), levels_(levels) {}
    void Bind(std::string_view module) override { bound.emplace_back(module); }
    bool Wants(int level) const noexcept override { return (static_cast<unsigned>(level) & levels_) != 0; }
    void Write(int level, std::string_view line) noexcept override { lines_.push_back({level, std::string(line)}); }
    std::vector<std::string> bound;

private:
    std::vector<TraceLine>& lines_;
    unsigned levels_;
};

class FreshServices : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        Logger::Destroy();
        MessageService::Destroy();
    }
    // Creates the process-wide logger writing into `lines`; the sink stays owned by the logger.
    RecordingSink& RecordTraces(unsigned levels = ~0u) {
        auto sink = std::make_unique<RecordingSink>(lines, levels);
        RecordingSink& observer = *sink;
        Logger::Create().SetSink(std::move(sink));
        return observer;
    }
    std::vector<TraceLine> lines;
};

}  // namespace diags::testing
