// Checking a log directory before saving: existing paths pass silently, a missing one is
// created, replaced by the Windows directory, or the save is stopped, as the user answers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "common/General.h"
#include "platform/Platform.h"
#include "services/MessageService.h"
#include "services/ResourceStrings.h"
#include "tests/common/Doubles.h"

namespace diags {
namespace {

namespace fs = std::filesystem;
using platform::mb::kCancel;
using platform::mb::kNo;
using platform::mb::kYes;

std::string Text(std::int32_t id) { return ResourceStrings::Instance().GetString(id); }
std::string Format(std::int32_t id, std::vector<std::string> args) {
    return MessageService::FormatMessage(Text(id), args);
}

// Passes every call to the real file system and notes it. It can hide one existing entry
// from lookups and refuse to make it, as a network share root behaves: it cannot be looked
// up or created, yet directories below it can.
class NotingFileSystem final : public platform::FileSystem {
public:
    explicit NotingFileSystem(platform::FileSystem& real) : real_(real) {}
    std::vector<std::string> lookups, makes;
    std::string unreachable;

    char Separator() const noexcept override { return real_.Separator(); }
    bool EntryExists(std::string_view path) override {
        lookups.emplace_back(path);
        return path != unreachable && real_.EntryExists(path);
    }
    std::optional<std::string> MakeDirectory(std::string_view path) override {
        makes.emplace_back(path);
        if (path == unreachable) return std::string("The network path was not found");
        return real_.MakeDirectory(path);
    }
    std::string WindowsDirectoryBuffer(std::size_t capacity) override { return real_.WindowsDirectoryBuffer(capacity); }

private:
    platform::FileSystem& real_;
};

class PathCheck : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "pathcheck-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    std::string Under(const std::string& relative) const { return (root_ / relative).string(); }

    fs::path root_;
    testing::ScriptedInteraction person_;
    platform::ScopedPart<platform::Interaction> personInstalled_{&platform::Platform::interaction, person_};
    NotingFileSystem files_{*platform::Current().fileSystem};
    platform::ScopedPart<platform::FileSystem> filesInstalled_{&platform::Platform::fileSystem, files_};
    ErrorRef error_;
};

TEST_F(PathCheck, AnExistingDirectoryOrFilePassesWithoutAnyMessage) {
    std::string path = root_.string();
    EXPECT_EQ(ValidPath(path, "Report Editor", error_), ResultCode::Success);
    EXPECT_EQ(path, root_.string());
    std::ofstream(Under("file.log")) << "x";
    std::string file = Under("file.log");
    EXPECT_EQ(ValidPath(file, "Report Editor", error_), ResultCode::Success);
    EXPECT_TRUE(person_.boxes.empty());
    EXPECT_EQ(error_, nullptr);
}

TEST_F(PathCheck, YesCreatesEveryMissingDirectoryShortestPrefixFirst) {
    std::string path = Under("A/B");
    person_.answers = {kYes};
    EXPECT_EQ(ValidPath(path, "Report Editor", error_), ResultCode::Success);
    EXPECT_TRUE(fs::is_directory(Under("A/B")));
    EXPECT_EQ(path, Under("A/B"));

    ASSERT_EQ(person_.boxes.size(), 1u);
    EXPECT_EQ(person_.boxes[0].text, Format(resid::kCreateDirectory, {path, "Report Editor"}));
    EXPECT_EQ(person_.boxes[0].style, platform::mb::kQuestionYesNoCancel);
    EXPECT_EQ(person_.boxes[0].title, Text(resid::kErrorTitle));

    // The path itself is looked up first, then every prefix from the root down, each once.
    ASSERT_FALSE(files_.lookups.empty());
    EXPECT_EQ(files_.lookups[0], path);
    std::vector<std::string> prefixes;
    for (std::size_t i = 1; i < files_.lookups.size(); ++i)
        if (prefixes.empty() || prefixes.back() != files_.lookups[i]) prefixes.push_back(files_.lookups[i]);
    std::vector<std::string> expected{"/"};
    for (fs::path p = "/"; const auto& part : fs::path(path).relative_path()) expected.push_back((p /= part).string());
    EXPECT_EQ(prefixes, expected);
    EXPECT_EQ(files_.makes, (std::vector<std::string>{Under("A"), Under("A/B")}));
}

TEST_F(PathCheck, YesAcceptsATrailingSeparator) {
    std::string path = Under("C/");
    person_.answers = {kYes};
    EXPECT_EQ(ValidPath(path, "Filter Editor", error_), ResultCode::Success);
    EXPECT_TRUE(fs::is_directory(Under("C")));
}

TEST_F(PathCheck, NoUsesTheWindowsDirectoryAndSaysSo) {
    const std::string windows = Under("windows");
    fs::create_directory(windows);
    const char* saved = std::getenv("DIAGS_WINDOWS_DIR");
    const std::string restore = saved ? saved : "";
    setenv("DIAGS_WINDOWS_DIR", windows.c_str(), 1);

    std::string path = Under("missing");
    person_.answers = {kNo};
    EXPECT_EQ(ValidPath(path, "Report Editor", error_), ResultCode::Success);
    EXPECT_EQ(path, windows);
    EXPECT_FALSE(fs::exists(Under("missing")));
    ASSERT_EQ(person_.boxes.size(), 2u);
    EXPECT_EQ(person_.boxes[1].text, Format(resid::kWindowsDirectoryUsed, {windows}));
    EXPECT_EQ(person_.boxes[1].style, platform::mb::kInformation);
    EXPECT_EQ(person_.boxes[1].title, Text(resid::kErrorTitle));
    EXPECT_EQ(GetWindowsDir(), windows);

    if (saved) setenv("DIAGS_WINDOWS_DIR", restore.c_str(), 1);
    else unsetenv("DIAGS_WINDOWS_DIR");
}

TEST_F(PathCheck, CancelStopsWithThePathUnchangedAndNothingCreated) {
    std::string path = Under("A/B");
    person_.answers = {kCancel};
    EXPECT_EQ(ValidPath(path, "Report Editor", error_), ResultCode::Stopped);
    EXPECT_EQ(path, Under("A/B"));
    EXPECT_FALSE(fs::exists(Under("A")));
    EXPECT_TRUE(files_.makes.empty());
    EXPECT_EQ(error_, nullptr);
}

TEST_F(PathCheck, ADirectoryThatCannotBeCreatedFailsWithAnErrorAndNoSecondBox) {
    std::ofstream(Under("file")) << "a file where a directory should go";
    std::string path = Under("file/sub/leaf");
    person_.answers = {kYes};
    testing::CapturedTrace trace;
    EXPECT_EQ(ValidPath(path, "Report Editor", error_), ResultCode::Failure);
    ASSERT_NE(error_, nullptr);
    EXPECT_NE(error_->number, 0);
    EXPECT_EQ(error_->module, "General");
    EXPECT_EQ(error_->procedure, "ValidPath");
    EXPECT_EQ(error_->applicationTitle, "Veltrane Desktop");
    EXPECT_EQ(error_->componentTitle, "Diagnostics Configuration");
    EXPECT_NE(error_->description.find(path), std::string::npos) << error_->description;
    EXPECT_EQ(person_.boxes.size(), 1u);
    EXPECT_EQ(path, Under("file/sub/leaf"));
    const auto lines = trace.Texts();
    EXPECT_EQ(lines.front(), "[General][ValidPath] Function Enter");
    EXPECT_EQ(lines.back(), "[General][ValidPath] Function Leave");
}

// A step that cannot be taken early on (a share root cannot be "made") must not fail a
// directory that was then created below it.
TEST_F(PathCheck, AnEarlierStepsFailureDoesNotFailAPathThatWasCreated) {
    fs::create_directory(Under("share"));
    files_.unreachable = Under("share");
    std::string path = Under("share/logs");
    person_.answers = {kYes};
    EXPECT_EQ(ValidPath(path, "Report Editor", error_), ResultCode::Success);
    EXPECT_EQ(error_, nullptr);
    EXPECT_TRUE(fs::is_directory(Under("share/logs")));
    EXPECT_EQ(files_.makes, (std::vector<std::string>{Under("share"), Under("share/logs")}));
}

}  // namespace
}  // namespace diags
