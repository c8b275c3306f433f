#include <gtest/gtest.h>

#include "platform/posix/PosixWindowing.h"
#include "tests/platform/TestSupport.h"

namespace diags::platform::posix {
namespace {

using diags::testing::ScopedEnv;

TEST(WindowStyles, AreKeptPerWindowAndSettingAnswersTheOldStyle) {
    PosixWindowing windows;
    EXPECT_EQ(windows.GetStyle(10), 0);
    EXPECT_EQ(windows.SetStyle(10, 0x50010000), 0);
    EXPECT_EQ(windows.SetStyle(10, windows.GetStyle(10) | 0x80), 0x50010000);
    EXPECT_EQ(windows.GetStyle(10), 0x50010080);
    EXPECT_EQ(windows.GetStyle(11), 0);
    EXPECT_EQ(windows.SetStyle(0, 1), 0);
    EXPECT_EQ(windows.GetStyle(0), 0);
    windows.Forget(10);
    EXPECT_EQ(windows.GetStyle(10), 0);
}

TEST(WindowIcons, SmallAndBigIconsAreKeptApartAndSettingAnswersThePreviousOne) {
    PosixWindowing windows;
    EXPECT_EQ(windows.Send(5, kWmSetIcon, kIconSmall, 111), 0);
    EXPECT_EQ(windows.Send(5, kWmSetIcon, kIconBig, 222), 0);
    EXPECT_EQ(windows.Send(5, kWmSetIcon, kIconSmall, 333), 111);
    EXPECT_EQ(windows.Icon(5, kIconSmall), 333);
    EXPECT_EQ(windows.Icon(5, kIconBig), 222);
    EXPECT_EQ(windows.Send(5, 0x0010 /* WM_CLOSE */, 0, 0), 0);
    EXPECT_EQ(windows.Send(5, kWmSetIcon, 7, 1), 0);  // no such icon kind
    EXPECT_EQ(windows.Icon(6, kIconSmall), 0);
}

TEST(SystemLanguage, LocaleNamesMapToWindowsLanguageIds) {
    EXPECT_EQ(LangIdFromLocale("ja_JP.UTF-8"), 0x0411);
    EXPECT_EQ(LangIdFromLocale("ko_KR.UTF-8"), 0x0412);
    EXPECT_EQ(LangIdFromLocale("zh_TW.UTF-8"), 0x0404);
    EXPECT_EQ(LangIdFromLocale("zh_CN.UTF-8"), 0x0804);
    EXPECT_EQ(LangIdFromLocale("zh_HK"), 0x0C04);
    EXPECT_EQ(LangIdFromLocale("zh_SG"), 0x1004);
    EXPECT_EQ(LangIdFromLocale("zh_MO"), 0x1404);
    EXPECT_EQ(LangIdFromLocale("de_DE.UTF-8"), 0x0409);
    EXPECT_EQ(LangIdFromLocale("C"), 0x0409);
    EXPECT_EQ(LangIdFromLocale(""), 0x0409);
}

TEST(SystemLanguage, TheEnvironmentOverrideWinsOverTheLocale) {
    ScopedEnv all("LC_ALL", std::nullopt);
    ScopedEnv lang("LANG", "ja_JP.UTF-8");
    PosixWindowing windows;
    {
        ScopedEnv forced("DIAGS_LANGID", "0x0804");
        EXPECT_EQ(windows.SystemDefaultLangId(), 0x0804);
    }
    {
        ScopedEnv forced("DIAGS_LANGID", "412");
        EXPECT_EQ(windows.SystemDefaultLangId(), 0x0412);
    }
    {
        ScopedEnv forced("DIAGS_LANGID", "not hex");
        EXPECT_EQ(windows.SystemDefaultLangId(), 0x0411);
    }
    ScopedEnv forced("DIAGS_LANGID", std::nullopt);
    EXPECT_EQ(windows.SystemDefaultLangId(), 0x0411);
}

TEST(SystemLanguage, LcAllOverridesLangAndNoLocaleMeansUsEnglish) {
    ScopedEnv forced("DIAGS_LANGID", std::nullopt);
    ScopedEnv lang("LANG", "ja_JP.UTF-8");
    PosixWindowing windows;
    {
        ScopedEnv all("LC_ALL", "zh_TW.UTF-8");
        EXPECT_EQ(windows.SystemDefaultLangId(), 0x0404);
    }
    ScopedEnv all("LC_ALL", std::nullopt);
    ScopedEnv noLang("LANG", std::nullopt);
    EXPECT_EQ(windows.SystemDefaultLangId(), 0x0409);
}

}  // namespace
}  // namespace diags::platform::posix
