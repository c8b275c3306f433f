#include "base/Text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "base/RuntimeError.h"

namespace diags {

std::string FoldCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = FoldChar(c);
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    // Equal bytes fold alike: only where they differ is folding needed.
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && FoldChar(a[i]) != FoldChar(b[i])) return false;
    return true;
}

bool LessNoCase(std::string_view a, std::string_view b) noexcept {
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i) {
        if (a[i] == b[i]) continue;  // sorted names share long beginnings
        const auto x = static_cast<unsigned char>(FoldChar(a[i])), y = static_cast<unsigned char>(FoldChar(b[i]));
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

bool ContainsNoCase(std::string_view haystack, std::string_view needle) noexcept {
    if (needle.empty()) return true;
    if (needle.size() > haystack.size()) return false;
    const std::size_t last = haystack.size() - needle.size();
    for (std::size_t i = 0; i <= last; ++i)
        if (EqualsNoCase(haystack.substr(i, needle.size()), needle)) return true;
    return false;
}

std::string_view TrimLeft(std::string_view text) noexcept {
    const auto first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

std::string_view TrimRight(std::string_view text) noexcept {
    const auto last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

std::string_view Trim(std::string_view text) noexcept { return TrimRight(TrimLeft(text)); }

double ReadNumber(std::string_view text) {
    std::string_view t = Trim(text);
    if (t.empty()) return 0.0;
    bool negative = false;
    if (t.front() == '+' || t.front() == '-') {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    // Only plain decimal notation (digits, one point, optional exponent) is a number.
    if (t.empty() || !(std::isdigit(static_cast<unsigned char>(t.front())) || t.front() == '.'))
        throw RuntimeError(err::kTypeMismatch, "Type mismatch");
    double value = 0.0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value,
                                           std::chars_format::general);
    if (ec != std::errc{} || end != t.data() + t.size() || !std::isfinite(value))
        throw RuntimeError(err::kTypeMismatch, "Type mismatch");
    return negative ? -value : value;
}

std::int32_t ReadInt32(std::string_view text) {
    const double rounded = std::nearbyint(ReadNumber(text));  // default mode: half to even
    if (rounded < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        throw RuntimeError(err::kOverflow, "Overflow");
    return static_cast<std::int32_t>(rounded);
}

std::string NumberToText(double value) {
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string digits(buffer, ec == std::errc{} ? end : buffer);
    if (digits == "-0") digits = "0";
    return value < 0 ? digits : " " + digits;
}

}  // namespace diags
