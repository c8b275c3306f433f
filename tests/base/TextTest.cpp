#include <gtest/gtest.h>

#include <utility>

#include "base/RuntimeError.h"
#include "base/Text.h"
#include "tests/support/TestSupport.h"

namespace diags {
namespace {

using testing::ErrorOf;

TEST(ReadingNumbers, BlanksAroundAreIgnoredEmptyIsZeroAndJunkIsATypeMismatch) {
    EXPECT_EQ(ReadNumber(" 24"), 24.0);
    EXPECT_EQ(ReadNumber("24  "), 24.0);
    EXPECT_EQ(ReadNumber("   "), 0.0);
    EXPECT_EQ(ReadNumber("-2.5"), -2.5);
    EXPECT_EQ(ReadNumber(".5"), 0.5);
    for (const char* junk : {"abc", "12abc", "1 2", "0x10", "-", ".", "- 5", "inf", "nan", "1e", "\t24", "24,5"})
        EXPECT_EQ(ErrorOf([&] { ReadNumber(junk); }), err::kTypeMismatch) << junk;
}

TEST(ReadingNumbers, WholeNumbersRoundHalfToEvenAndOverflowOutside32Bits) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"2.5", 2}, {"3.5", 4}, {"0.5", 0}, {"-2.5", -2}, {"-3.5", -4}, {"2.51", 3}, {"2147483647", 2147483647}};
    for (const auto& [text, value] : cases) EXPECT_EQ(ReadInt32(text), value) << text;
    EXPECT_EQ(ReadInt32("-2147483648"), -2147483647 - 1);
    for (const char* big : {"2147483648", "-2147483649", "1e10"})
        EXPECT_EQ(ErrorOf([&] { ReadInt32(big); }), err::kOverflow) << big;
}

TEST(WritingNumbers, NonNegativeNumbersGetOneLeadingBlankAndReadBackExactly) {
    EXPECT_EQ(NumberToText(24), " 24");
    EXPECT_EQ(NumberToText(0), " 0");
    EXPECT_EQ(NumberToText(-0.0), " 0");
    EXPECT_EQ(NumberToText(24.5), " 24.5");
    EXPECT_EQ(NumberToText(-1), "-1");
    for (double value : {0.1, 1.0 / 3.0, -0.001, 2147483647.0})
        EXPECT_EQ(ReadNumber(NumberToText(value)), value) << NumberToText(value);
}

TEST(ComparingWithoutCase, AsciiAndLatin1LettersFoldOtherCharactersDoNot) {
    EXPECT_TRUE(EqualsNoCase("ZEL Errors", "zel errors"));
    EXPECT_FALSE(EqualsNoCase("ZEL Errors", "ZEL Error"));
    EXPECT_EQ(FoldCase("@[`{ report 2"), "@[`{ REPORT 2");
    EXPECT_TRUE(EqualsNoCase("caf\xE9 \xE0\xFE", "CAF\xC9 \xC0\xDE"));  // é à þ
    EXPECT_FALSE(EqualsNoCase("\xF7", "\xD7"));                         // ÷ and × are not letters
    EXPECT_EQ(FoldCase("stra\xDF" "e \xFF"), "STRA\xDF" "E \xFF");      // ß and ÿ stay
    // The order of folded texts, byte by byte as unsigned characters, a prefix first.
    for (auto [a, b] : {std::pair<const char*, const char*>{"report", "Report Editor"}, {"ZEL a", "zel B"},
                        {"[x", "a"}, {"Zeta", "\xE0lpha"}, {"_", "a"}, {"abc", "ABD"}}) {
        EXPECT_EQ(LessNoCase(a, b), FoldCase(a) < FoldCase(b)) << a << " / " << b;
        EXPECT_EQ(LessNoCase(b, a), FoldCase(b) < FoldCase(a)) << b << " / " << a;
    }
    EXPECT_FALSE(LessNoCase("Report", "rEPORT"));
    EXPECT_TRUE(ContainsNoCase("ZEL ReportServer - Report Source Tracing", "report source"));
    EXPECT_TRUE(ContainsNoCase("abc", ""));
    EXPECT_FALSE(ContainsNoCase("ab", "abc"));
    EXPECT_EQ(Trim("\t a \t"), "\t a \t");  // only spaces are blanks
    EXPECT_EQ(Trim("  a b  "), "a b");
}

}  // namespace
}  // namespace diags
