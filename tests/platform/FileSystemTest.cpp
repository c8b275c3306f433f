#include <gtest/gtest.h>

#include <filesystem>

#include "platform/posix/PosixFileSystem.h"
#include "tests/platform/TestSupport.h"

namespace diags::platform::posix {
namespace {

using diags::testing::ScopedEnv;
using diags::testing::TempDir;

TEST(FileSystemLookup, FindsFilesAndDirectoriesButNotMissingOrEmptyPaths) {
    TempDir dir;
    diags::testing::WriteFile(dir / "file.txt", "x");
    PosixFileSystem files;
    EXPECT_EQ(files.Separator(), '/');
    EXPECT_TRUE(files.EntryExists(dir.Path().string()));
    EXPECT_TRUE(files.EntryExists(dir / "file.txt"));
    EXPECT_FALSE(files.EntryExists(dir / "missing"));
    EXPECT_FALSE(files.EntryExists(""));
}

TEST(MakingDirectories, CreatesOneLevelAndReportsWhyItCouldNot) {
    TempDir dir;
    PosixFileSystem files;
    EXPECT_EQ(files.MakeDirectory(dir / "a"), std::nullopt);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "a"));

    const auto parentMissing = files.MakeDirectory(dir / "x/y");
    ASSERT_TRUE(parentMissing);
    EXPECT_FALSE(parentMissing->empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "x"));

    const auto existing = files.MakeDirectory(dir / "a");
    ASSERT_TRUE(existing);
    EXPECT_FALSE(existing->empty());

    diags::testing::WriteFile(dir / "f", "x");
    EXPECT_TRUE(files.MakeDirectory(dir / "f"));
    EXPECT_TRUE(files.MakeDirectory(""));
}

TEST(WindowsDirectory, IsTheConfiguredStandInPaddedWithNuls) {
    ScopedEnv dir("DIAGS_WINDOWS_DIR", "/opt/windows");
    PosixFileSystem files;
    const std::string buffer = files.WindowsDirectoryBuffer(256);
    ASSERT_EQ(buffer.size(), 256u);
    EXPECT_EQ(buffer.substr(0, 12), "/opt/windows");
    EXPECT_EQ(buffer.find_first_not_of('\0', 12), std::string::npos);
}

TEST(WindowsDirectory, FallsBackToTheHomeDirectory) {
    ScopedEnv dir("DIAGS_WINDOWS_DIR", std::nullopt);
    ScopedEnv home("HOME", "/home/someone");
    PosixFileSystem files;
    EXPECT_EQ(files.WindowsDirectoryBuffer(64).c_str(), std::string("/home/someone"));
}

TEST(WindowsDirectory, ABufferTooSmallForTheTextAndItsNulGetsNothing) {
    ScopedEnv dir("DIAGS_WINDOWS_DIR", "/opt/windows");  // 12 characters
    PosixFileSystem files;
    EXPECT_EQ(files.WindowsDirectoryBuffer(12), std::string(12, '\0'));
    EXPECT_EQ(files.WindowsDirectoryBuffer(13).c_str(), std::string("/opt/windows"));
    EXPECT_EQ(files.WindowsDirectoryBuffer(0), "");
}

}  // namespace
}  // namespace diags::platform::posix
