#pragma once
// Text rules used everywhere: one case-folding rule for "compared without regard to case"
// and keyed-collection keys, trimming, and the one helper that reads numbers from texts.
// Texts are ANSI (code page 1252) byte strings.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace diags {

// Upper-cases ASCII letters and the Latin-1 letters 0xE0-0xFE (except 0xF7).
inline char FoldChar(char c) noexcept {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z') return static_cast<char>(u - 0x20);
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 0x20);
    return c;
}
// A hash of the folded text (texts equal without regard to case hash alike), made without a
// folded copy: eight bytes at a time, an ASCII word folded in one step.
inline std::uint64_t HashNoCase(std::string_view text) noexcept {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
    const auto fold = [](std::uint64_t word, std::size_t bytes) {
        if ((word & kHigh) == 0) {  // 'a'..'z' lanes lose 0x20; no lane carries into the next
            const std::uint64_t lower = (word + (0x80 - 'a') * kOnes) & ~(word + (0x80 - 'z' - 1) * kOnes) & kHigh;
            return word - (lower >> 2);
        }
        std::uint64_t folded = 0;
        for (std::size_t b = 0; b < bytes; ++b)
            folded |= static_cast<std::uint64_t>(static_cast<unsigned char>(FoldChar(static_cast<char>(word >> (8 * b)))))
                      << (8 * b);
        return folded;
    };
    const auto load = [&](std::size_t at, std::size_t bytes) {
        std::uint64_t word = 0;
        for (std::size_t b = 0; b < bytes; ++b)
            word |= static_cast<std::uint64_t>(static_cast<unsigned char>(text[at + b])) << (8 * b);
        return word;
    };
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ text.size();
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        h = (h ^ fold(load(i, 8), 8)) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 32;
    }
    h = (h ^ fold(load(i, text.size() - i), text.size() - i)) * 0xC4CEB9FE1A85EC53ull;
    return h ^ (h >> 33);
}
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
