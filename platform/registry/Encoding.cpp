#include "platform/registry/Encoding.h"

#include <algorithm>
#include <array>

namespace diags::platform::registry {
namespace {

// Code points of bytes 0x80-0x9F in code page 1252; 0 where the code page leaves a hole.
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one code point at text[i]; advances i. Returns false on malformed input.
bool NextCodePoint(std::string_view text, std::size_t& i, char32_t& cp) noexcept {
    const auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80) {
        cp = b0;
        ++i;
        return true;
    }
    int extra = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) { extra = 1; cp = b0 & 0x1F; min = 0x80; }
    else if ((b0 & 0xF0) == 0xE0) { extra = 2; cp = b0 & 0x0F; min = 0x800; }
    else if ((b0 & 0xF8) == 0xF0) { extra = 3; cp = b0 & 0x07; min = 0x10000; }
    else return false;
    if (i + static_cast<std::size_t>(extra) >= text.size()) return false;
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80) return false;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += static_cast<std::size_t>(extra) + 1;
    return true;
}

char32_t FoldCodePoint(char32_t cp) noexcept {
    if (cp >= 'a' && cp <= 'z') return cp - 32;
    if (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7) return cp - 32;
    return cp;
}

}  // namespace

bool Utf16LeToUtf8(std::string_view bytes, std::string& out) {
    if (bytes.size() % 2 != 0) return false;
    const std::size_t units = bytes.size() / 2;
    // Written in place: a unit gives at most three bytes (a surrogate pair four for two).
    const std::size_t start = out.size();
    out.resize(start + 3 * units);
    char* p = out.data() + start;
    const auto done = [&](bool ok) {
        out.resize(static_cast<std::size_t>(p - out.data()));
        return ok;
    };
    auto unit = [&](std::size_t k) {
        return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * k]) |
                                     (static_cast<unsigned char>(bytes[2 * k + 1]) << 8));
    };
    for (std::size_t k = 0; k < units; ++k) {
        const char16_t u = unit(k);
        char32_t cp = u;
        if (u < 0x80) {
            *p++ = static_cast<char>(u);
            continue;
        }
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (k + 1 >= units) return done(false);
            const char16_t low = unit(k + 1);
            if (low < 0xDC00 || low > 0xDFFF) return done(false);
            cp = 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (low - 0xDC00);
            ++k;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            return done(false);
        }
        if (cp < 0x800) {
            *p++ = static_cast<char>(0xC0 | (cp >> 6));
        } else if (cp < 0x10000) {
            *p++ = static_cast<char>(0xE0 | (cp >> 12));
            *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        } else {
            *p++ = static_cast<char>(0xF0 | (cp >> 18));
            *p++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        }
        *p++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return done(true);
}

bool Utf8ToUtf16Le(std::string_view text, std::string& out) {
    // Written in place: every byte of UTF-8 gives at most two bytes of UTF-16.
    const std::size_t start = out.size();
    out.resize(start + 2 * text.size());
    char* p = out.data() + start;
    const auto put = [&](char16_t u) {
        *p++ = static_cast<char>(u & 0xFF);
        *p++ = static_cast<char>(u >> 8);
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            *p++ = static_cast<char>(b);
            *p++ = '\0';
            ++i;
            continue;
        }
        char32_t cp = 0;
        if (!NextCodePoint(text, i, cp)) {
            out.resize(static_cast<std::size_t>(p - out.data()));
            return false;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            put(static_cast<char16_t>(0xD800 + (cp >> 10)));
            put(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            put(static_cast<char16_t>(cp));
        }
    }
    out.resize(static_cast<std::size_t>(p - out.data()));
    return true;
}

bool IsValidUtf8(std::string_view text) noexcept {
    for (std::size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) { ++i; continue; }
        char32_t cp = 0;
        if (!NextCodePoint(text, i, cp)) return false;
    }
    return true;
}

std::string Cp1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) out += c;
        else if (b < 0xA0) AppendUtf8(out, kCp1252High[b - 0x80] ? kCp1252High[b - 0x80] : b);
        else AppendUtf8(out, b);
    }
    return out;
}

bool IsAscii(std::string_view text) noexcept {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string Utf8ToCp1252(std::string_view text) {
    // Plain ASCII (nearly every name) reads the same in both.
    if (IsAscii(text)) return std::string(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        if (!NextCodePoint(text, i, cp)) {
            out += '?';
            ++i;
            continue;
        }
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += static_cast<char>(cp);
            continue;
        }
        char mapped = '?';
        for (std::size_t k = 0; k < kCp1252High.size(); ++k)
            if (kCp1252High[k] == cp && cp != 0) mapped = static_cast<char>(0x80 + k);
        if (cp >= 0x80 && cp < 0xA0 && kCp1252High[cp - 0x80] == 0) mapped = static_cast<char>(cp);
        out += mapped;
    }
    return out;
}

std::string FoldName(std::string_view utf8) {
    std::string out(utf8);
    bool plain = true;
    for (char& c : out) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80) {
            plain = false;
            break;
        }
        if (b >= 'a' && b <= 'z') c = static_cast<char>(b - 32);
    }
    if (plain) return out;
    out.clear();
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out += (b >= 'a' && b <= 'z') ? static_cast<char>(b - 32) : static_cast<char>(b);
            ++i;
            continue;
        }
        const std::size_t start = i;
        char32_t cp = 0;
        if (!NextCodePoint(utf8, i, cp)) {
            out += utf8[start];
            i = start + 1;
            continue;
        }
        AppendUtf8(out, FoldCodePoint(cp));
    }
    return out;
}

bool SameName(std::string_view a, std::string_view b) {
    // Folding keeps every name's length (ASCII and Latin-1 letters keep their UTF-8 size).
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] == b[i] && static_cast<unsigned char>(a[i]) < 0x80) continue;
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 0x80 || y >= 0x80) return FoldName(a) == FoldName(b);
        const auto fx = (x >= 'a' && x <= 'z') ? x - 32 : x;
        const auto fy = (y >= 'a' && y <= 'z') ? y - 32 : y;
        if (fx != fy) return false;
    }
    return true;
}

}  // namespace diags::platform::registry
