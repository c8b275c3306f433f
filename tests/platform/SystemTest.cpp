#include <gtest/gtest.h>

#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixResources.h"
#include "platform/posix/PosixWindowing.h"
#include "tests/support/TestSupport.h"

namespace diags::platform::posix {
namespace {

using namespace diags::testing;

TEST(FileSystem, TheWindowsDirectoryIsTheStandInPaddedWithNulsOrNothingWhenTooLong) {
    ScopedEnv home("HOME", "/home/someone");
    PosixFileSystem files;
    {
        ScopedEnv dir("DIAGS_WINDOWS_DIR", "/opt/windows");  // 12 characters
        EXPECT_EQ(files.WindowsDirectoryBuffer(16), std::string("/opt/windows\0\0\0\0", 16));
        EXPECT_EQ(files.WindowsDirectoryBuffer(12), std::string(12, '\0'));
    }
    ScopedEnv dir("DIAGS_WINDOWS_DIR", std::nullopt);
    EXPECT_EQ(files.WindowsDirectoryBuffer(256).c_str(), std::string("/home/someone"));
}

// Styles are read back by the form-font test; the icons are seen nowhere else.
TEST(Windows, IconsAreKeptPerWindowAndSettingAnswersTheOldValue) {
    PosixWindowing windows;
    EXPECT_EQ(windows.Send(5, kWmSetIcon, kIconSmall, 111), 0);
    EXPECT_EQ(windows.Send(5, kWmSetIcon, kIconBig, 222), 0);
    EXPECT_EQ(windows.Send(5, kWmSetIcon, kIconSmall, 333), 111);
    EXPECT_EQ(windows.Icon(5, kIconSmall), 333);
    EXPECT_EQ(windows.Icon(5, kIconBig), 222);
    EXPECT_EQ(windows.Send(5, 0x10 /* WM_CLOSE */, 0, 0), 0);
}

TEST(Windows, TheLanguageIdComesFromTheOverrideElseLcAllElseLang) {
    const std::pair<const char*, int> locales[] = {{"ja_JP.UTF-8", 0x0411}, {"ko_KR", 0x0412}, {"zh_TW", 0x0404},
                                                   {"zh_CN.UTF-8", 0x0804}, {"zh_HK", 0x0C04}, {"de_DE", 0x0409}, {"C", 0x0409}};
    for (const auto& [locale, id] : locales) EXPECT_EQ(LangIdFromLocale(locale), id) << locale;
    PosixWindowing windows;
    ScopedEnv lang("LANG", "ja_JP.UTF-8");
    std::optional<ScopedEnv> all(std::in_place, "LC_ALL", "zh_TW.UTF-8");
    std::optional<ScopedEnv> forced(std::in_place, "DIAGS_LANGID", "0x0804");
    EXPECT_EQ(windows.SystemDefaultLangId(), 0x0804);
    forced.emplace("DIAGS_LANGID", "not hex");
    EXPECT_EQ(windows.SystemDefaultLangId(), 0x0404);
    all.emplace("LC_ALL", std::nullopt);
    EXPECT_EQ(windows.SystemDefaultLangId(), 0x0411);
}

TEST(ResourceModule, OnlyKvuienOpensAndServesTextsAndKnownPicturesOnceOpen) {
    PosixResources resources;
    EXPECT_EQ(resources.String(9031), std::nullopt);
    for (const char* other : {"OTHER.DLL", "", "KVUIEN.DLL.bak"}) EXPECT_FALSE(resources.Open(other)) << other;
    EXPECT_EQ(resources.LoadPicture(2006, 16, 16), nullptr);
    EXPECT_TRUE(resources.Open("C:\\Program Files\\Common\\kvuien.dll"));
    EXPECT_TRUE(resources.String(9031));
    EXPECT_EQ(resources.String(1), std::nullopt);
    EXPECT_EQ(KnownPictureIds().size(), 12u);
    for (std::int32_t id : KnownPictureIds()) EXPECT_TRUE(resources.LoadPicture(id, 32, 32)) << id;
    EXPECT_EQ(resources.LoadPicture(101, 16, 16), nullptr);
    EXPECT_EQ(resources.LoadPicture(2006, 0, 16), nullptr);
}

// The configured directory is where the help page is looked for (services' ErrorHandlingTest).
TEST(ResourceModule, ItsDirectoryIsTheProgramsUnlessConfigured) {
    PosixResources resources;
    ScopedEnv dir("DIAGS_MODULE_DIR", std::nullopt);
    EXPECT_EQ(resources.ModuleDirectory(), std::filesystem::read_symlink("/proc/self/exe").parent_path().string());
}

}  // namespace
}  // namespace diags::platform::posix
