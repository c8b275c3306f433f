#include <gtest/gtest.h>

#include "platform/posix/ConsoleInteraction.h"
#include "tests/platform/TestSupport.h"

namespace diags::platform::posix {
namespace {

using diags::testing::ScopedEnv;

TEST(ConsoleMessageBoxes, ScriptedAnswersAreUsedOnePerBoxInOrder) {
    ScopedEnv answers("DIAGS_ANSWERS", "yes,No, cancel,ok");
    ConsoleInteraction console;
    EXPECT_EQ(console.ShowMessage("Create it?", mb::kQuestionYesNoCancel, "t"), mb::kYes);
    EXPECT_EQ(console.ShowMessage("Save?", mb::kQuestionYesNoCancel, "t"), mb::kNo);
    EXPECT_EQ(console.ShowMessage("Save?", mb::kQuestionYesNoCancel, "t"), mb::kCancel);
    EXPECT_EQ(console.ShowMessage("Done", mb::kInformation, "t"), mb::kOk);
    // The script is used up: the safe defaults follow.
    EXPECT_EQ(console.ShowMessage("Save?", mb::kQuestionYesNoCancel, "t"), mb::kCancel);
    EXPECT_EQ(console.ShowMessage("Failed", mb::kCritical, "t"), mb::kOk);
}

TEST(ConsoleMessageBoxes, WithoutAScriptNothingIsAgreedTo) {
    ScopedEnv answers("DIAGS_ANSWERS", std::nullopt);
    ConsoleInteraction console;
    EXPECT_EQ(console.ShowMessage("Save?", mb::kQuestionYesNoCancel, "t"), mb::kCancel);
    EXPECT_EQ(console.ShowMessage("Info", mb::kInformation, "t"), mb::kOk);
    EXPECT_EQ(console.ShowMessage("Error", mb::kCritical, "t"), mb::kOk);
}

TEST(ConsoleMessageBoxes, AnAnswerTheBoxHasNoButtonForGivesItsDefault) {
    EXPECT_EQ(AnswerFor(mb::kCritical, "yes"), mb::kOk);
    EXPECT_EQ(AnswerFor(mb::kQuestionYesNoCancel, "ok"), mb::kCancel);
    EXPECT_EQ(AnswerFor(mb::kQuestionYesNoCancel, "maybe"), mb::kCancel);
    EXPECT_EQ(AnswerFor(mb::kQuestionYesNoCancel, "6"), mb::kYes);
    EXPECT_EQ(AnswerFor(mb::kQuestionYesNoCancel, " 7 "), mb::kNo);
    EXPECT_EQ(AnswerFor(36 /* question, Yes/No */, ""), mb::kNo);
}

TEST(ConsoleMessageBoxes, ANewScriptStartsFromItsFirstAnswer) {
    ConsoleInteraction console;
    {
        ScopedEnv answers("DIAGS_ANSWERS", "yes,yes");
        EXPECT_EQ(console.ShowMessage("q", mb::kQuestionYesNoCancel, "t"), mb::kYes);
    }
    ScopedEnv answers("DIAGS_ANSWERS", "no");
    EXPECT_EQ(console.ShowMessage("q", mb::kQuestionYesNoCancel, "t"), mb::kNo);
    EXPECT_EQ(console.ShowMessage("q", mb::kQuestionYesNoCancel, "t"), mb::kCancel);
}

TEST(ConsoleUser, ThePointerIsRememberedAndNothingElseHappens) {
    ConsoleInteraction console;
    EXPECT_EQ(console.MousePointer(), pointer::kDefault);
    console.SetMousePointer(pointer::kHourglass);
    EXPECT_EQ(console.MousePointer(), pointer::kHourglass);
    EXPECT_EQ(console.BrowseForFolder(0, "Choose", 1), std::nullopt);
    EXPECT_EQ(console.AsyncKeyState(0x10), 0);
    console.SendKeys("{TAB}");
}

}  // namespace
}  // namespace diags::platform::posix
