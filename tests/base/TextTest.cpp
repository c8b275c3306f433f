#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "base/RuntimeError.h"
#include "base/Text.h"

namespace diags {
namespace {

std::int32_t ErrorNumberOf(auto&& call) {
    try {
        call();
    } catch (const RuntimeError& e) {
        return e.Number();
    }
    return 0;
}

// ---------------------------------------------------------------- reading numbers

TEST(ReadingNumbers, SurroundingBlanksAreIgnoredAndEmptyReadsAsZero) {
    EXPECT_EQ(ReadNumber(" 24"), 24.0);
    EXPECT_EQ(ReadNumber("24  "), 24.0);
    EXPECT_EQ(ReadNumber(""), 0.0);
    EXPECT_EQ(ReadNumber("    "), 0.0);
    EXPECT_EQ(ReadNumber("-2.5"), -2.5);
    EXPECT_EQ(ReadNumber("+7"), 7.0);
    EXPECT_EQ(ReadNumber(".5"), 0.5);
    EXPECT_EQ(ReadNumber("1e3"), 1000.0);
}

TEST(ReadingNumbers, AnythingElseIsATypeMismatch) {
    for (const char* junk : {"abc", "12abc", "1 2", "0x10", "-", "+", ".", "--5", "- 5", "inf", "nan",
                             "1e", "\t24", "24,5"}) {
        SCOPED_TRACE(junk);
        EXPECT_EQ(ErrorNumberOf([&] { ReadNumber(junk); }), err::kTypeMismatch);
    }
}

TEST(ReadingNumbers, WholeNumbersRoundHalfToEven) {
    EXPECT_EQ(ReadInt32("2.5"), 2);
    EXPECT_EQ(ReadInt32("3.5"), 4);
    EXPECT_EQ(ReadInt32("0.5"), 0);
    EXPECT_EQ(ReadInt32("-2.5"), -2);
    EXPECT_EQ(ReadInt32("-3.5"), -4);
    EXPECT_EQ(ReadInt32("2.51"), 3);
    EXPECT_EQ(ReadInt32(" 99999 "), 99999);
}

TEST(ReadingNumbers, WholeNumbersOutside32BitsOverflow) {
    EXPECT_EQ(ReadInt32("2147483647"), 2147483647);
    EXPECT_EQ(ReadInt32("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ErrorNumberOf([] { ReadInt32("2147483648"); }), err::kOverflow);
    EXPECT_EQ(ErrorNumberOf([] { ReadInt32("-2147483649"); }), err::kOverflow);
    EXPECT_EQ(ErrorNumberOf([] { ReadInt32("1e10"); }), err::kOverflow);
    EXPECT_EQ(ErrorNumberOf([] { ReadInt32("x"); }), err::kTypeMismatch);
}

// ---------------------------------------------------------------- writing numbers

TEST(WritingNumbers, NonNegativeNumbersGetOneLeadingBlank) {
    EXPECT_EQ(NumberToText(24), " 24");
    EXPECT_EQ(NumberToText(0), " 0");
    EXPECT_EQ(NumberToText(-0.0), " 0");
    EXPECT_EQ(NumberToText(99999), " 99999");
    EXPECT_EQ(NumberToText(24.5), " 24.5");
    EXPECT_EQ(NumberToText(-1), "-1");
    EXPECT_EQ(NumberToText(-24.25), "-24.25");
}

TEST(WritingNumbers, WrittenTextReadsBackToTheSameValue) {
    for (double value : {0.1, 1.0 / 3.0, 123456.789, -0.001, 2147483647.0}) {
        EXPECT_EQ(ReadNumber(NumberToText(value)), value) << NumberToText(value);
    }
}

// ---------------------------------------------------------------- case folding

TEST(ComparingWithoutCase, AsciiLettersFold) {
    EXPECT_TRUE(EqualsNoCase("ZEL Errors", "zel errors"));
    EXPECT_TRUE(EqualsNoCase("", ""));
    EXPECT_FALSE(EqualsNoCase("ZEL Errors", "ZEL Error"));
    EXPECT_FALSE(EqualsNoCase("a", "b"));
    EXPECT_EQ(FoldCase("Report Editor 2"), "REPORT EDITOR 2");
    // Neighbours of the letter ranges stay as they are.
    EXPECT_EQ(FoldCase("@[`{"), "@[`{");
}

TEST(ComparingWithoutCase, Latin1LettersFoldButDivisionSignAndSharpSDoNot) {
    EXPECT_TRUE(EqualsNoCase("caf\xE9", "CAF\xC9"));      // é / É
    EXPECT_TRUE(EqualsNoCase("\xE0\xFE", "\xC0\xDE"));     // à þ / À Þ (the range ends)
    EXPECT_FALSE(EqualsNoCase("\xF7", "\xD7"));            // ÷ is not a letter, × neither
    EXPECT_EQ(FoldCase("stra\xDF" "e"), "STRA\xDF" "E");   // ß has no single upper case
    EXPECT_EQ(FoldCase("\xFF"), "\xFF");                   // ÿ stays (its capital is outside Latin-1)
}

TEST(ComparingWithoutCase, ContainsFindsTheNeedleAnywhere) {
    EXPECT_TRUE(ContainsNoCase("ZEL ReportServer - Report Source Tracing", "report source"));
    EXPECT_TRUE(ContainsNoCase("abc", ""));
    EXPECT_TRUE(ContainsNoCase("abc", "ABC"));
    EXPECT_FALSE(ContainsNoCase("ab", "abc"));
    EXPECT_FALSE(ContainsNoCase("", "a"));
    EXPECT_TRUE(ContainsNoCase("xx\xE9t\xE9", "\xC9T\xC9"));
}

// ---------------------------------------------------------------- trimming

TEST(Trimming, OnlySpacesAreBlanks) {
    EXPECT_EQ(Trim("  abc  "), "abc");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(Trim("\tabc\t"), "\tabc\t");
    EXPECT_EQ(TrimLeft("  a b  "), "a b  ");
    EXPECT_EQ(TrimRight("  a b  "), "  a b");
}

}  // namespace
}  // namespace diags
