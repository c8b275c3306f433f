// Window styles and icons, the system language, help, documents and the folder browser.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "common/General.h"
#include "common/modCommonFunctions.h"
#include "common/modWebFunctions.h"
#include "platform/Platform.h"
#include "services/ResourceStrings.h"
#include "tests/common/Doubles.h"

#if !defined(_WIN32)
#include "platform/posix/PosixWindowing.h"
#endif

namespace diags {
namespace {

#if !defined(_WIN32)
// The Linux window table stands in for real windows: styles and icons are kept per handle.
TEST(WindowStyles, TreeToolTipsBitIsAddedOrRemovedKeepingTheOtherBits) {
    auto& windows = *platform::Current().windowing;
    platform::WindowHandle tree = 0x5151;
    windows.SetStyle(tree, 0x50010007);
    EXPECT_EQ(SetTreeNoToolTips(tree, false), 1);
    EXPECT_EQ(windows.GetStyle(tree), 0x50010087);
    EXPECT_EQ(SetTreeNoToolTips(tree, false), 1);  // already set: unchanged
    EXPECT_EQ(windows.GetStyle(tree), 0x50010087);
    EXPECT_EQ(SetTreeNoToolTips(tree, true), 1);
    EXPECT_EQ(windows.GetStyle(tree), 0x50010007);
}

TEST(WindowStyles, TheFormIconIsSetSmallAndBig) {
    auto* windows = dynamic_cast<platform::posix::PosixWindowing*>(platform::Current().windowing);
    ASSERT_NE(windows, nullptr);
    SetFormIcon(0x6161, 0xABCD);
    EXPECT_EQ(windows->Icon(0x6161, platform::posix::kIconSmall), 0xABCD);
    EXPECT_EQ(windows->Icon(0x6161, platform::posix::kIconBig), 0xABCD);
    SetFormIcon(0, 0xABCD);  // no window: ignored
}

TEST(FarEastLanguage, ChineseJapaneseAndKoreanIdsOnlyReadOnceAndRemembered) {
    for (const std::uint16_t id : {0x0404, 0x0411, 0x0412, 0x0804, 0x0812, 0x0C04, 0x1004, 0x1404})
        EXPECT_TRUE(IsFarEastLanguageId(id)) << std::hex << id;
    for (const std::uint16_t id : {0x0409, 0x0407, 0x040C, 0x0410, 0x0413, 0x0419, 0x0000, 0x1411})
        EXPECT_FALSE(IsFarEastLanguageId(id)) << std::hex << id;

    const char* saved = std::getenv("DIAGS_LANGID");
    const std::string restore = saved ? saved : "";
    setenv("DIAGS_LANGID", "0411", 1);
    ForgetSystemLanguage();
    EXPECT_TRUE(IsFarEastLanguage());
    setenv("DIAGS_LANGID", "0409", 1);
    EXPECT_TRUE(IsFarEastLanguage());  // remembered from the first call
    ForgetSystemLanguage();
    EXPECT_FALSE(IsFarEastLanguage());
    if (saved) setenv("DIAGS_LANGID", restore.c_str(), 1);
    else unsetenv("DIAGS_LANGID");
    ForgetSystemLanguage();
}
#endif

TEST(Help, TracesTheFileAndTopicThenOpensTheHelp) {
    testing::RecordingShell shell;
    const platform::ScopedPart<platform::Shell> installed(&platform::Platform::shell, shell);
    testing::CapturedTrace trace;
    ShowHelp(0x77, "C:\\Help\\diags.hlp", 1, 820);
    ASSERT_EQ(shell.helps.size(), 1u);
    EXPECT_EQ(shell.helps[0].window, 0x77u);
    EXPECT_EQ(shell.helps[0].target, "C:\\Help\\diags.hlp");
    EXPECT_EQ(shell.helps[0].command, 1u);
    EXPECT_EQ(shell.helps[0].data, 820u);
    ASSERT_EQ(trace.Lines().size(), 1u);
    EXPECT_EQ(trace.Lines()[0].level, 1);
    EXPECT_EQ(trace.Lines()[0].text, "[Help File: C:\\Help\\diags.hlp][Help Topic: 820]");
}

TEST(Documents, OpenWithTheDefaultVerbShownNormallyAndReturnTheShellsResult) {
    testing::RecordingShell shell;
    shell.executeResult = 33;
    const platform::ScopedPart<platform::Shell> installed(&platform::Platform::shell, shell);
    EXPECT_EQ(OpenDocument("http://www.example.com/support"), 33);
    ASSERT_EQ(shell.executes.size(), 1u);
    const auto& call = shell.executes[0];
    EXPECT_EQ(call.window, 0u);
    EXPECT_EQ(call.verb, "");
    EXPECT_EQ(call.target, "http://www.example.com/support");
    EXPECT_EQ(call.parameters + call.directory, "");
    EXPECT_EQ(call.show, 1);
}

TEST(FolderBrowser, AsksForFileSystemDirectoriesAndReturnsTheChoiceOrNothing) {
    testing::ScriptedInteraction person;
    const platform::ScopedPart<platform::Interaction> installed(&platform::Platform::interaction, person);
    person.folderChoice = std::string("/var/log/diags\0garbage", 22);
    EXPECT_EQ(BrowseForFolder(0x99), "/var/log/diags");
    ASSERT_EQ(person.browses.size(), 1u);
    EXPECT_EQ(person.browses[0].owner, 0x99u);
    EXPECT_EQ(person.browses[0].title, ResourceStrings::Instance().GetString(resid::kBrowseTitle));
    EXPECT_EQ(person.browses[0].flags, 1u);
    person.folderChoice.reset();  // cancelled
    EXPECT_EQ(BrowseForFolder(0x99), "");
}

}  // namespace
}  // namespace diags
