#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "services/MessageService.h"

namespace diags {
namespace {

std::string Format(std::string_view text, std::vector<std::string> args) {
    return MessageService::FormatMessage(text, args);
}

TEST(FormattingMessages, PlaceholdersTakeTheirArgumentsInAnyOrder) {
    EXPECT_EQ(Format("Saving %1 - %2", {"ZEL AuthServer", "Authentication Tracing"}),
              "Saving ZEL AuthServer - Authentication Tracing");
    EXPECT_EQ(Format("%2 before %1", {"a", "b"}), "b before a");
    EXPECT_EQ(Format("%1%1", {"x"}), "xx");
    EXPECT_EQ(Format("no placeholders", {"x"}), "no placeholders");
    EXPECT_EQ(Format("", {"x"}), "");
    EXPECT_EQ(Format("[%1]", {""}), "[]");
}

TEST(FormattingMessages, TwoDigitPlaceholdersNameArgumentsTenAndUp) {
    std::vector<std::string> args;
    for (int i = 1; i <= 11; ++i) args.push_back("a" + std::to_string(i));
    EXPECT_EQ(Format("%10|%11|%1", args), "a10|a11|a1");
    // With only one argument %10 is a placeholder without an argument, not %1 and a zero.
    EXPECT_EQ(Format("%10", {"x"}), "%10");
}

TEST(FormattingMessages, PlaceholdersWithoutArgumentsStayAsTheyAre) {
    EXPECT_EQ(Format("%1 and %3", {"one", "two"}), "one and %3");
    EXPECT_EQ(Format("%1", {}), "%1");
    EXPECT_EQ(Format("%0", {"x"}), "%0");
    EXPECT_EQ(Format("%99999999999999999999999", {"x"}), "%99999999999999999999999");
}

TEST(FormattingMessages, PercentNotFollowedByADigitStays) {
    EXPECT_EQ(Format("100%", {"x"}), "100%");
    EXPECT_EQ(Format("50% of %1", {"x"}), "50% of x");
    EXPECT_EQ(Format("%%1", {"x"}), "%x");
    EXPECT_EQ(Format("%s %d", {"x"}), "%s %d");
}

TEST(FormattingMessages, ArgumentTextIsNeverFormattedAgain) {
    EXPECT_EQ(Format("%1 %2", {"%2", "b"}), "%2 b");
    EXPECT_EQ(Format("[%1]", {"C:\\100%\\%1"}), "[C:\\100%\\%1]");
}

}  // namespace
}  // namespace diags
