#include <gtest/gtest.h>

#include "platform/posix/ConsoleInteraction.h"
#include "tests/support/TestSupport.h"

namespace diags::platform::posix {
namespace {

using diags::testing::ScopedEnv;

TEST(ConsoleMessageBoxes, ScriptedAnswersAreUsedOnePerBoxThenNothingIsAgreedTo) {
    ConsoleInteraction console;
    std::optional<ScopedEnv> answers(std::in_place, "DIAGS_ANSWERS", "yes,No, cancel,ok");
    EXPECT_EQ(console.ShowMessage("Create it?", mb::kQuestionYesNoCancel, "t"), mb::kYes);
    EXPECT_EQ(console.ShowMessage("Save?", mb::kQuestionYesNoCancel, "t"), mb::kNo);
    EXPECT_EQ(console.ShowMessage("Save?", mb::kQuestionYesNoCancel, "t"), mb::kCancel);
    EXPECT_EQ(console.ShowMessage("Done", mb::kInformation, "t"), mb::kOk);
    EXPECT_EQ(console.ShowMessage("Save?", mb::kQuestionYesNoCancel, "t"), mb::kCancel);
    EXPECT_EQ(console.ShowMessage("Failed", mb::kCritical, "t"), mb::kOk);
    answers.emplace("DIAGS_ANSWERS", "no");  // a new script starts from its first answer
    EXPECT_EQ(console.ShowMessage("Save?", mb::kQuestionYesNoCancel, "t"), mb::kNo);
    answers.emplace("DIAGS_ANSWERS", std::nullopt);
    EXPECT_EQ(console.ShowMessage("Save?", mb::kQuestionYesNoCancel, "t"), mb::kCancel);
}

TEST(ConsoleMessageBoxes, AnAnswerTheBoxHasNoButtonForGivesItsSafeDefault) {
    EXPECT_EQ(AnswerFor(mb::kCritical, "yes"), mb::kOk);
    EXPECT_EQ(AnswerFor(mb::kQuestionYesNoCancel, "ok"), mb::kCancel);
    EXPECT_EQ(AnswerFor(mb::kQuestionYesNoCancel, "maybe"), mb::kCancel);
    EXPECT_EQ(AnswerFor(mb::kQuestionYesNoCancel, " 6 "), mb::kYes);
    EXPECT_EQ(AnswerFor(36 /* question, Yes/No */, ""), mb::kNo);
}

}  // namespace
}  // namespace diags::platform::posix
