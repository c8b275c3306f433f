// Checking a log directory before a save, telling the user about a failure, and the value
// conversions of the output panel. Path checks run on real temporary directories.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/General.h"
#include "platform/Platform.h"
#include "services/MessageService.h"
#include "services/ResourceStrings.h"
#include "tests/support/TestSupport.h"

namespace diags {
namespace {

namespace fs = std::filesystem;
using namespace platform::mb;

using testing::ScriptedInteraction;

std::string Text(std::int32_t id, std::vector<std::string> args = {}) {
    return MessageService::FormatMessage(ResourceStrings::Instance().GetString(id), args);
}

#if !defined(_WIN32)
// Passes every call to the real file system and notes the directories made. It can also make one existing
// directory behave like a network share root: invisible to lookups and impossible to create,
// while directories below it can be created.
class NotingFiles final : public platform::FileSystem {
public:
    std::vector<std::string> makes;
    std::string shareRoot;
    char Separator() const noexcept override { return real.Separator(); }
    bool EntryExists(std::string_view p) override { return p != shareRoot && real.EntryExists(p); }
    std::optional<std::string> MakeDirectory(std::string_view p) override {
        if (makes.emplace_back(p) == shareRoot) return "The network path was not found";
        return real.MakeDirectory(p);
    }
    std::string WindowsDirectoryBuffer(std::size_t n) override { return real.WindowsDirectoryBuffer(n); }
    platform::FileSystem& real = *platform::Current().fileSystem;
};

class ValidPathTest : public ::testing::Test {
protected:
    std::string At(const char* relative) { return dir.File(relative); }
    ResultCode Check(std::string& path) { return ValidPath(path, "Report Editor", error); }

    testing::TempDir dir;
    const fs::path& root = dir.Path();
    ScriptedInteraction person;
    NotingFiles files;
    platform::ScopedPart<platform::Interaction> p{&platform::Platform::interaction, person};
    platform::ScopedPart<platform::FileSystem> f{&platform::Platform::fileSystem, files};
    ErrorRef error;
};

TEST_F(ValidPathTest, YesCreatesTheMissingDirectoriesShortestFirstAfterOneQuestion) {
    std::string path = At("A/B");
    person.answers = {kYes};
    EXPECT_EQ(Check(path), ResultCode::Success);
    ASSERT_EQ(person.boxes.size(), 1u);
    EXPECT_EQ(person.boxes[0].text, Text(resid::kCreateDirectory, {path, "Report Editor"}));
    EXPECT_EQ(person.boxes[0].style, kQuestionYesNoCancel);
    EXPECT_EQ(person.boxes[0].title, Text(resid::kErrorTitle));
    EXPECT_EQ(files.makes, (std::vector<std::string>{At("A"), At("A/B")}));
}

TEST_F(ValidPathTest, NoSwitchesToTheWindowsDirectoryAndSaysSo) {
    testing::ScopedEnv windowsDir("DIAGS_WINDOWS_DIR", root.string());
    std::string path = At("missing");
    person.answers = {kNo, kOk};
    EXPECT_EQ(Check(path), ResultCode::Success);
    EXPECT_EQ(path, root.string());
    ASSERT_EQ(person.boxes.size(), 2u);
    EXPECT_EQ(person.boxes[1].text, Text(resid::kWindowsDirectoryUsed, {root.string()}));
    EXPECT_EQ(person.boxes[1].style, kInformation);
    EXPECT_TRUE(files.makes.empty());
}

TEST_F(ValidPathTest, AStepThatFailsEarlyDoesNotFailADirectoryThatWasCreated) {
    fs::create_directory(At("share"));
    files.shareRoot = At("share");
    std::string path = At("share/logs");
    person.answers = {kYes};
    EXPECT_EQ(Check(path), ResultCode::Success);
    EXPECT_TRUE(fs::is_directory(At("share/logs")));
}

#endif

// The texts and the critical style are checked where the dialog's save stops (SavingTest).
TEST(NotifyUser, ShowsTheMessageUnderTheNotificationTitle) {
    ScriptedInteraction person;
    platform::ScopedPart<platform::Interaction> p{&platform::Platform::interaction, person};
    EXPECT_EQ(NotifyUser(1, "ZEL Errors"), ResultCode::Success);
    ASSERT_EQ(person.boxes.size(), 1u);
    EXPECT_EQ(person.boxes[0].title, Text(resid::kNotifyTitle));
}

TEST(Conversions, OnlyATickIsTrueAnyTrueIsATickAndNulsEndTexts) {
    EXPECT_FALSE(IntToBool(0) || IntToBool(2) || IntToBool(-1));
    EXPECT_EQ(BoolToInt(static_cast<std::int16_t>(-1)), 1);
    EXPECT_EQ(StripNull(std::string("  abc\0\0\0", 8)), "abc");
    EXPECT_EQ(StripNull(std::string("C:\\WINDOWS\0 x", 13)), "C:\\WINDOWS");
    EXPECT_EQ(StripNull(" plain "), "plain");
}

}  // namespace
}  // namespace diags
