// Telling the user about a failed save, and the check-box and text conversions the panel uses.
#include <gtest/gtest.h>

#include <string>

#include "common/General.h"
#include "platform/Platform.h"
#include "services/ResourceStrings.h"
#include "tests/common/Doubles.h"

namespace diags {
namespace {

std::string Text(std::int32_t id) { return ResourceStrings::Instance().GetString(id); }

TEST(NotifyUser, ShowsTheNameABlankAndTheExplanationAsACriticalBox) {
    testing::ScriptedInteraction person;
    const platform::ScopedPart<platform::Interaction> installed(&platform::Platform::interaction, person);
    testing::CapturedTrace trace;
    EXPECT_EQ(NotifyUser(1, "ZEL ReportServerReport Source Tracing"), ResultCode::Success);
    ASSERT_EQ(person.boxes.size(), 1u);
    EXPECT_EQ(person.boxes[0].text, "ZEL ReportServerReport Source Tracing " + Text(resid::kNotifySuffix));
    EXPECT_EQ(person.boxes[0].style, platform::mb::kCritical);
    EXPECT_EQ(person.boxes[0].title, Text(resid::kNotifyTitle));
    EXPECT_EQ(trace.Texts(), (std::vector<std::string>{"[General][NotifyUser] TRACE ENTER",
                                                       "[General][NotifyUser] TRACE LEAVE"}));
    // Other kinds show the message alone.
    EXPECT_EQ(NotifyUser(2, "plain"), ResultCode::Success);
    EXPECT_EQ(person.boxes[1].text, "plain");
}

TEST(CheckBoxValues, OnlyATickIsTrueAndAnyTrueIsATick) {
    EXPECT_TRUE(IntToBool(1));
    EXPECT_FALSE(IntToBool(0));
    EXPECT_FALSE(IntToBool(2));  // greyed
    EXPECT_FALSE(IntToBool(-1));
    EXPECT_EQ(BoolToInt(true), 1);
    EXPECT_EQ(BoolToInt(false), 0);
    const std::int16_t classicTrue = -1;
    EXPECT_EQ(BoolToInt(classicTrue), 1);
}

TEST(CheckBoxValues, TraceTheirEntryAndExit) {
    testing::CapturedTrace trace;
    IntToBool(2);
    BoolToInt(true);
    EXPECT_EQ(trace.Texts(),
              (std::vector<std::string>{"[General][IntToBool] TRACE ENTER", "[General][IntToBool] TRACE LEAVE",
                                        "[General][BoolToInt] TRACE ENTER", "[General][BoolToInt] TRACE LEAVE"}));
    for (const auto& line : trace.Lines()) EXPECT_EQ(line.level, 64);
}

TEST(StripNull, KeepsTheTextBeforeTheFirstNulTrimmed) {
    EXPECT_EQ(StripNull(std::string("  abc\0\0\0", 8)), "abc");
    EXPECT_EQ(StripNull(std::string("C:\\WINDOWS\0 junk\0", 17)), "C:\\WINDOWS");
    EXPECT_EQ(StripNull("  no nul here "), "no nul here");
    EXPECT_EQ(StripNull(std::string(256, '\0')), "");
    EXPECT_EQ(StripNull(""), "");
}

}  // namespace
}  // namespace diags
