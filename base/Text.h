#pragma once
// Text rules used everywhere: one case-folding rule for "compared without regard to case"
// and keyed-collection keys, trimming, and the one helper that reads numbers from texts.
// Texts are ANSI (code page 1252) byte strings.
#include <cstdint>
#include <string>
#include <string_view>

namespace diags {

// Upper-cases ASCII letters and the Latin-1 letters 0xE0-0xFE (except 0xF7).
char FoldChar(char c) noexcept;
std::string FoldCase(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b) noexcept;
// The order of the folded texts (FoldCase(a) < FoldCase(b)) without making folded copies.
bool LessNoCase(std::string_view a, std::string_view b) noexcept;
// True when `needle` occurs anywhere in `haystack`, compared without regard to case.
bool ContainsNoCase(std::string_view haystack, std::string_view needle) noexcept;

// Blanks are spaces only, as the classic Trim functions treat them.
std::string_view Trim(std::string_view text) noexcept;
std::string_view TrimLeft(std::string_view text) noexcept;
std::string_view TrimRight(std::string_view text) noexcept;

// Reads a number: surrounding blanks ignored, an empty text reads as 0, anything else
// that is not a decimal number throws RuntimeError(err::kTypeMismatch).
double ReadNumber(std::string_view text);
// ReadNumber, rounded half to even into 32 bits; out of range throws err::kOverflow.
std::int32_t ReadInt32(std::string_view text);
// Decimal text of a number with one leading blank when it is not negative (24 -> " 24",
// 24.5 -> " 24.5", -1 -> "-1"); the shortest text that reads back to the same double.
std::string NumberToText(double value);

}  // namespace diags
