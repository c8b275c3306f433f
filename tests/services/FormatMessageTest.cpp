#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "services/MessageService.h"

namespace diags {
namespace {

std::string Format(std::string_view text, std::vector<std::string> args) {
    return MessageService::FormatMessage(text, args);
}

TEST(FormattingMessages, PlaceholdersTakeTheirArgumentsAndTwoDigitsNameArgumentTenAndUp) {
    EXPECT_EQ(Format("Saving %1 - %2", {"ZEL AuthServer", "Authentication Tracing"}),
              "Saving ZEL AuthServer - Authentication Tracing");
    EXPECT_EQ(Format("%2 before %1%1", {"a", "b"}), "b before aa");
    std::vector<std::string> eleven;
    for (int i = 1; i <= 11; ++i) eleven.push_back("a" + std::to_string(i));
    EXPECT_EQ(Format("%10|%11|%1", eleven), "a10|a11|a1");
}

TEST(FormattingMessages, PlaceholdersWithoutArgumentsAndLonePercentsStayAsTheyAre) {
    EXPECT_EQ(Format("%10", {"x"}), "%10");  // not argument 1 followed by a zero
    EXPECT_EQ(Format("%1 and %3", {"one", "two"}), "one and %3");
    EXPECT_EQ(Format("%0 %1", {}), "%0 %1");
    EXPECT_EQ(Format("%99999999999999999999999", {"x"}), "%99999999999999999999999");
    EXPECT_EQ(Format("100% of %1%", {"x"}), "100% of x%");
    EXPECT_EQ(Format("%%1 %s", {"x"}), "%x %s");
}

TEST(FormattingMessages, ArgumentTextIsNeverFormattedAgain) {
    EXPECT_EQ(Format("%1 %2", {"%2", "b"}), "%2 b");
    EXPECT_EQ(Format("[%1]", {"C:\\100%\\%1"}), "[C:\\100%\\%1]");
}

}  // namespace
}  // namespace diags
