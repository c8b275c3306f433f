#pragma once
// Scripted stand-ins for the person at the screen and for effects outside the machine (the
// shell), plus a trace sink that keeps the lines. Storage is never replaced.
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "services/Logger.h"

namespace diags::testing {

class ScriptedInteraction final : public platform::Interaction {
public:
    struct Box {
        std::string text;
        std::int32_t style;
        std::string title;
    };
    struct Browse {
        platform::WindowHandle owner;
        std::string title;
        std::uint32_t flags;
    };

    std::deque<std::int32_t> answers;         // next message-box answers; OK when none left
    std::optional<std::string> folderChoice;  // what the folder browser returns
    std::vector<Box> boxes;
    std::vector<Browse> browses;

    std::int32_t ShowMessage(std::string_view text, std::int32_t style, std::string_view title) override {
        boxes.push_back({std::string(text), style, std::string(title)});
        if (answers.empty()) return platform::mb::kOk;
        const std::int32_t answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<std::string> BrowseForFolder(platform::WindowHandle owner, std::string_view title,
                                               std::uint32_t flags) override {
        browses.push_back({owner, std::string(title), flags});
        return folderChoice;
    }
    void SendKeys(std::string_view) override {}
    std::int16_t AsyncKeyState(std::int32_t) override { return 0; }
    std::int16_t MousePointer() override { return 0; }
    void SetMousePointer(std::int16_t) override {}
};

class RecordingShell final : public platform::Shell {
public:
    struct Call {
        platform::WindowHandle window;
        std::string verb, target, parameters, directory;
        std::int32_t show;
        std::uint32_t command;
        std::uintptr_t data;
    };
    std::vector<Call> executes, helps;
    std::intptr_t executeResult = 42;

    std::intptr_t Execute(platform::WindowHandle owner, std::string_view verb, std::string_view target,
                          std::string_view parameters, std::string_view directory, std::int32_t show) override {
        executes.push_back({owner, std::string(verb), std::string(target), std::string(parameters),
                            std::string(directory), show, 0, 0});
        return executeResult;
    }
    bool Help(platform::WindowHandle window, std::string_view helpFile, std::uint32_t command,
              std::uintptr_t data) override {
        helps.push_back({window, {}, std::string(helpFile), {}, {}, 0, command, data});
        return true;
    }
};

// Installs a process-wide logger whose lines are kept; removes it again on destruction.
class CapturedTrace {
public:
    struct Line {
        int level;
        std::string text;
    };
    CapturedTrace() {
        auto sink = std::make_unique<Sink>(lines_);
        Logger::Create().SetSink(std::move(sink));
    }
    ~CapturedTrace() { Logger::Destroy(); }
    CapturedTrace(const CapturedTrace&) = delete;
    CapturedTrace& operator=(const CapturedTrace&) = delete;

    const std::vector<Line>& Lines() const { return *lines_; }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& line : *lines_) texts.push_back(line.text);
        return texts;
    }

private:
    class Sink final : public TraceSink {
    public:
        explicit Sink(std::shared_ptr<std::vector<Line>> lines) : lines_(std::move(lines)) {}
        void Bind(std::string_view) override {}
        bool Wants(int) const noexcept override { return true; }
        void Write(int level, std::string_view line) noexcept override {
            try {
                lines_->push_back({level, std::string(line)});
            } catch (...) {
            }
        }

    private:
        std::shared_ptr<std::vector<Line>> lines_;
    };
    std::shared_ptr<std::vector<Line>> lines_ = std::make_shared<std::vector<Line>>();
};

}  // namespace diags::testing
