#pragma once
// Helpers shared by the test suites: a temporary directory removed with its contents, whole-file
// reads and writes, environment variables put back at the end, and a scripted person at the screen.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/RuntimeError.h"
#include "platform/Platform.h"

namespace diags::testing {

// A fresh directory under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("diags-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline std::string ReadBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// Waits until the file exists (another process writes it), up to `limit`.
inline bool WaitForFile(const std::string& path, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!std::filesystem::exists(path)) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// The run-time error a statement raises, or nothing when it raises none.
template <class Statement>
std::optional<RuntimeError> RaisedError(Statement&& statement) {
    try {
        statement();
    } catch (const RuntimeError& e) {
        return e;
    }
    return std::nullopt;
}

// The number of the run-time error a statement raises, 0 when it raises none.
template <class Statement>
std::int32_t ErrorOf(Statement&& statement) {
    const auto e = RaisedError(std::forward<Statement>(statement));
    return e ? e->Number() : 0;
}

// Sets (or, with nullopt, removes) an environment variable for the life of the guard.
class ScopedEnv {
public:
    ScopedEnv(std::string name, std::optional<std::string> value) : name_(std::move(name)) {
        if (const char* old = std::getenv(name_.c_str())) saved_ = old;
        Set(value);
    }
    ~ScopedEnv() { Set(saved_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void Set(const std::optional<std::string>& value) {
#ifdef _WIN32
        _putenv_s(name_.c_str(), value ? value->c_str() : "");
#else
        value ? ::setenv(name_.c_str(), value->c_str(), 1) : ::unsetenv(name_.c_str());
#endif
    }
    std::string name_;
    std::optional<std::string> saved_;
};

// The person at the screen, scripted: records every message box and gives the next scripted
// answer; with none left it answers `otherwise`, or fails the test when that is empty.
class ScriptedInteraction final : public platform::Interaction {
public:
    struct Box {
        std::string text;
        std::int32_t style;
        std::string title;
    };
    std::int32_t ShowMessage(std::string_view text, std::int32_t style, std::string_view title) override {
        if (auto raise = std::exchange(raiseOnNextBox, std::nullopt)) throw *raise;
        boxes.push_back({std::string(text), style, std::string(title)});
        if (answers.empty()) {
            if (otherwise) return *otherwise;
            ADD_FAILURE() << "unexpected message box: " << text;
            return platform::mb::kCancel;
        }
        const std::int32_t answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<std::string> BrowseForFolder(platform::WindowHandle, std::string_view, std::uint32_t) override {
        return folder;
    }
    void SendKeys(std::string_view keys) override { sentKeys.emplace_back(keys); }
    // The Shift key (0x10) is down while shiftDown is set; no other key is.
    std::int16_t AsyncKeyState(std::int32_t key) override {
        return key == 0x10 && shiftDown ? static_cast<std::int16_t>(0x8000) : 0;
    }
    std::int16_t MousePointer() override { return pointer; }
    void SetMousePointer(std::int16_t value) override { pointerHistory.push_back(pointer = value); }

    std::deque<std::int32_t> answers;
    std::optional<RuntimeError> raiseOnNextBox;  // the next box fails with it instead of showing
    std::optional<std::int32_t> otherwise = platform::mb::kOk;
    std::optional<std::string> folder;  // what the folder browser returns (nothing: cancelled)
    bool shiftDown = false;
    std::vector<Box> boxes;
    std::vector<std::string> sentKeys;
    std::int16_t pointer = 0;
    std::vector<std::int16_t> pointerHistory;
};

}  // namespace diags::testing
