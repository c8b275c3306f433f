// The installed file system as the dialog uses it, on whichever platform runs: files and
// directories alike count as entries, one directory level is made at a time, failures say why.
#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

namespace diags::platform {
namespace {

TEST(FileSystem, LooksUpEntriesAndMakesOneDirectoryLevelReportingWhyNot) {
    const testing::TempDir dir;
    FileSystem& files = *Current().fileSystem;
    const auto at = [&](const char* relative) {
        std::string path = dir.File(relative);
        for (char& c : path) c = c == '/' || c == '\\' ? files.Separator() : c;
        return path;
    };
    testing::WriteBytes(at("f"), "x");
    EXPECT_TRUE(files.EntryExists(at("f")) && files.EntryExists(at("")) && files.EntryExists(at(".")));
    EXPECT_FALSE(files.EntryExists(at("missing")) || files.EntryExists(""));
    EXPECT_EQ(files.MakeDirectory(at("a")), std::nullopt);
    EXPECT_TRUE(std::filesystem::is_directory(at("a")));
    for (const std::string& bad : {at("x/y"), at("a"), at("f"), std::string()}) {
        const auto reason = files.MakeDirectory(bad);
        EXPECT_TRUE(reason && !reason->empty()) << bad;
    }
    EXPECT_FALSE(std::filesystem::exists(at("x")));
#ifdef _WIN32
    EXPECT_TRUE(files.EntryExists("C:\\"));
    EXPECT_EQ(files.Separator(), '\\');
#endif
}

}  // namespace
}  // namespace diags::platform
