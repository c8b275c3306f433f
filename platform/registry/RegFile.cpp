#include "platform/registry/RegFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <optional>

#include "platform/Platform.h"
#include "platform/registry/Encoding.h"

namespace diags::platform::registry {
namespace {

constexpr std::array<std::string_view, 5> kHives = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER",
                                                    "HKEY_CLASSES_ROOT", "HKEY_USERS",
                                                    "HKEY_CURRENT_CONFIG"};
constexpr std::array<std::string_view, 5> kHiveShort = {"HKLM", "HKCU", "HKCR", "HKU", "HKCC"};

struct RawLine {
    std::string_view bytes;  // without the line feed
    std::uint64_t end;       // file offset just after the line feed (or the end of data)
};

// Splits the bytes into lines at line feeds of the encoding.
std::vector<RawLine> SplitLines(std::string_view bytes, FileEncoding enc, std::uint64_t base) {
    std::vector<RawLine> lines;
    lines.reserve(bytes.size() / 40 + 1);
    std::size_t start = 0;
    if (enc == FileEncoding::Utf8) {
        while (start < bytes.size()) {
            std::size_t lf = bytes.find('\n', start);
            const std::size_t stop = lf == std::string_view::npos ? bytes.size() : lf;
            const std::size_t next = lf == std::string_view::npos ? bytes.size() : lf + 1;
            lines.push_back({bytes.substr(start, stop - start), base + next});
            start = next;
        }
        return lines;
    }
    while (start < bytes.size()) {
        // The first "\n\0" at an even distance from the line's start (a whole UTF-16 unit).
        std::size_t k = start;
        while (true) {
            const void* hit = std::memchr(bytes.data() + k, '\n', bytes.size() - k);
            k = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - bytes.data()) : bytes.size();
            if (k + 1 >= bytes.size() || ((k - start) % 2 == 0 && bytes[k + 1] == '\0')) break;
            ++k;
        }
        if (k + 1 < bytes.size()) {
            lines.push_back({bytes.substr(start, k - start), base + k + 2});
            start = k + 2;
        } else {
            lines.push_back({bytes.substr(start), base + bytes.size()});
            start = bytes.size();
        }
    }
    return lines;
}

// Decodes one line into UTF-8 without its carriage return; false when the bytes are not text.
bool DecodeLine(std::string_view raw, FileEncoding enc, std::string& out) {
    out.clear();
    if (enc == FileEncoding::Utf16Le) {
        // Most lines are ASCII: their units copy straight across.
        const std::size_t units = raw.size() / 2;
        bool ascii = raw.size() % 2 == 0;
        if (ascii) {
            out.resize(units);
            for (std::size_t k = 0; k < units; ++k) {
                const auto low = static_cast<unsigned char>(raw[2 * k]);
                if ((low & 0x80) != 0 || raw[2 * k + 1] != '\0') {
                    ascii = false;
                    break;
                }
                out[k] = static_cast<char>(low);
            }
        }
        if (!ascii) {
            out.clear();
            if (!Utf16LeToUtf8(raw, out)) return false;
        }
    } else if (IsValidUtf8(raw)) {
        out.assign(raw);
    } else {
        out = Cp1252ToUtf8(raw);  // an ANSI file (REGEDIT4 or a hand-made one)
    }
    if (!out.empty() && out.back() == '\r') out.pop_back();
    return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool AllNul(std::string_view s) {
    for (char c : s)
        if (c != '\0') return false;
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads a quoted text starting at s[pos] == '"'; pos ends after the closing quote.
std::optional<std::string> ReadQuoted(std::string_view s, std::size_t& pos, std::string& why) {
    std::string out;
    ++pos;
    while (pos < s.size()) {
        // Plain characters up to the next quote or escape go across in one piece.
        std::size_t special = pos;
        while (special < s.size() && s[special] != '"' && s[special] != '\\') ++special;
        out.append(s.substr(pos, special - pos));
        pos = special;
        if (pos >= s.size()) break;
        const char c = s[pos++];
        if (c == '"') return out;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (pos >= s.size()) break;
        const char e = s[pos++];
        switch (e) {
            case '\\': out += '\\'; break;
            case '"': out += '"'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case '0': out += '\0'; break;
            default:
                why = std::string("bad escape \"\\") + e + "\" in a quoted text";
                return std::nullopt;
        }
    }
    why = "a quoted text is not closed";
    return std::nullopt;
}

class Parser {
public:
    explicit Parser(bool regedit4) : regedit4_(regedit4) {}

    // Parses one logical line (continuations joined) into `sink`; empty `why` on success.
    void Line(std::string_view text, std::vector<KeyChange>& sink, std::string& why) {
        const std::string_view t = TrimBlanks(text);
        if (t.empty() || t.front() == ';') return;
        if (t.front() == '[') return KeyLine(t, sink, why);
        if (sink.empty() || sink.back().deleteKey) {
            why = sink.empty() ? "a value comes before any [key] line"
                               : "a value follows a key deletion";
            return;
        }
        ValueLine(t, sink.back(), why);
    }

private:
    void KeyLine(std::string_view t, std::vector<KeyChange>& sink, std::string& why) {
        if (t.back() != ']') {
            why = "a key line does not end with ']'";
            return;
        }
        std::string_view path = t.substr(1, t.size() - 2);
        KeyChange change;
        if (!path.empty() && path.front() == '-') {
            change.deleteKey = true;
            path.remove_prefix(1);
        }
        // The path is rebuilt part by part (empty parts dropped, the hive's name made
        // canonical) without a list of its parts: a load reads one key line per key.
        std::size_t start = 0;
        while (start < path.size() && path[start] == '\\') ++start;
        if (start == path.size()) {
            why = "a key line names no key";
            return;
        }
        std::size_t end = std::min(path.find('\\', start), path.size());
        const std::string_view first = path.substr(start, end - start);
        const std::string_view hive = CanonicalHive(first);
        if (hive.empty()) {
            why = "unknown root key \"" + std::string(first) + "\"";
            return;
        }
        change.path.reserve(path.size());
        change.path = hive;
        for (start = end + 1; start < path.size(); start = end + 1) {
            end = std::min(path.find('\\', start), path.size());
            if (end == start) continue;
            change.path += '\\';
            change.path += path.substr(start, end - start);
        }
        sink.push_back(std::move(change));
    }

    void ValueLine(std::string_view t, KeyChange& key, std::string& why) {
        std::string name;
        std::size_t pos = 0;
        if (t.front() == '@') {
            pos = 1;
        } else if (t.front() == '"') {
            auto quoted = ReadQuoted(t, pos, why);
            if (!quoted) return;
            name = std::move(*quoted);
        } else {
            why = "unrecognised line (expected a [key], a \"name\"=value or a comment)";
            return;
        }
        while (pos < t.size() && (t[pos] == ' ' || t[pos] == '\t')) ++pos;
        if (pos >= t.size() || t[pos] != '=') {
            why = "a value name is not followed by '='";
            return;
        }
        ++pos;
        while (pos < t.size() && (t[pos] == ' ' || t[pos] == '\t')) ++pos;
        const std::string_view data = TrimBlanks(t.substr(pos));
        if (data == "-") {
            key.values.push_back({std::move(name), std::nullopt});
            return;
        }
        auto value = ValueData(data, why);
        if (key.values.empty()) key.values.reserve(8);  // a saved output has eight values
        if (value) key.values.push_back({std::move(name), std::move(*value)});
    }

    std::optional<RegValue> ValueData(std::string_view data, std::string& why) {
        if (!data.empty() && data.front() == '"') {
            std::size_t pos = 0;
            auto text = ReadQuoted(data, pos, why);
            if (!text) return std::nullopt;
            if (!TrimBlanks(data.substr(pos)).empty()) {
                why = "text follows a quoted value";
                return std::nullopt;
            }
            return RegValue::Text(*text);
        }
        if (data.starts_with("dword:")) {
            const std::string_view digits = data.substr(6);
            if (digits.empty() || digits.size() > 8) {
                why = "a dword value needs 1 to 8 hexadecimal digits";
                return std::nullopt;
            }
            std::uint32_t v = 0;
            for (char c : digits) {
                const int d = HexDigit(c);
                if (d < 0) {
                    why = "a dword value has a character that is not hexadecimal";
                    return std::nullopt;
                }
                v = (v << 4) | static_cast<std::uint32_t>(d);
            }
            return RegValue::Dword(v);
        }
        if (data.starts_with("hex")) return HexData(data.substr(3), why);
        why = "unknown value type in \"" + std::string(data.substr(0, 20)) + "\"";
        return std::nullopt;
    }

    std::optional<RegValue> HexData(std::string_view rest, std::string& why) {
        RegValue value;
        value.type = reg::kBinary;
        if (!rest.empty() && rest.front() == '(') {
            const std::size_t close = rest.find(')');
            if (close == std::string_view::npos || close == 1 || close > 9) {
                why = "a hex(type) value has a bad type";
                return std::nullopt;
            }
            std::uint32_t type = 0;
            for (char c : rest.substr(1, close - 1)) {
                const int d = HexDigit(c);
                if (d < 0) {
                    why = "a hex(type) value has a bad type";
                    return std::nullopt;
                }
                type = (type << 4) | static_cast<std::uint32_t>(d);
            }
            value.type = type;
            rest.remove_prefix(close + 1);
        }
        if (rest.empty() || rest.front() != ':') {
            why = "a hex value lacks ':'";
            return std::nullopt;
        }
        rest.remove_prefix(1);
        std::size_t pos = 0;
        while (pos < rest.size()) {
            while (pos < rest.size() && (rest[pos] == ' ' || rest[pos] == '\t')) ++pos;
            if (pos >= rest.size()) break;
            const int hi = pos < rest.size() ? HexDigit(rest[pos]) : -1;
            const int lo = pos + 1 < rest.size() ? HexDigit(rest[pos + 1]) : -1;
            if (hi < 0 || lo < 0) {
                why = "a hex value has a byte that is not two hexadecimal digits";
                return std::nullopt;
            }
            value.data += static_cast<char>(hi * 16 + lo);
            pos += 2;
            while (pos < rest.size() && (rest[pos] == ' ' || rest[pos] == '\t')) ++pos;
            if (pos < rest.size()) {
                if (rest[pos] != ',') {
                    why = "hex bytes must be separated by commas";
                    return std::nullopt;
                }
                ++pos;
            }
        }
        // An ANSI file keeps string-typed data in the ANSI code page; the registry holds UTF-16.
        if (regedit4_ && (value.type == reg::kSz || value.type == reg::kExpandSz || value.type == reg::kMultiSz)) {
            std::string wide;
            Utf8ToUtf16Le(Cp1252ToUtf8(value.data), wide);
            value.data = std::move(wide);
        }
        return value;
    }

    bool regedit4_;
};

// The last line holds half a character of a line break, of a commit's first line or of a
// flush mark: a write cut off as it began a commit or marked a flush.
bool CutOffLineBreak(std::string_view raw, FileEncoding enc) {
    std::string text;
    if (enc != FileEncoding::Utf16Le || raw.size() % 2 != 1 || !DecodeLine(raw.substr(0, raw.size() - 1), enc, text))
        return false;
    const std::string_view t = TrimBlanks(text);
    return kCommitBegin.starts_with(t) || kFlushMark.starts_with(t) || t.starts_with(kFlushMark);
}

// True when every line from `from` on is blank or NUL padding.
bool OnlyPaddingFrom(const std::vector<RawLine>& lines, std::size_t from, FileEncoding enc) {
    std::string text;
    for (std::size_t k = from; k < lines.size(); ++k) {
        if (AllNul(lines[k].bytes)) continue;
        if (!DecodeLine(lines[k].bytes, enc, text) || !TrimBlanks(text).empty()) return false;
    }
    return true;
}

}  // namespace

std::string_view CanonicalHive(std::string_view name) noexcept {
    for (std::size_t i = 0; i < kHives.size(); ++i)
        if (SameName(name, kHives[i]) || SameName(name, kHiveShort[i])) return kHives[i];
    return {};
}

std::uint32_t Crc32(std::string_view data, std::uint32_t crc) noexcept {
    // Eight tables: eight bytes per step (the checksum covers every commit of a load).
    static const auto tables = [] {
        std::array<std::array<std::uint32_t, 256>, 8> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[0][i] = c;
        }
        for (std::size_t n = 1; n < 8; ++n)
            for (std::uint32_t i = 0; i < 256; ++i) t[n][i] = (t[n - 1][i] >> 8) ^ t[0][t[n - 1][i] & 0xFF];
        return t;
    }();
    const auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])); };
    crc = ~crc;
    std::size_t i = 0;
    for (; i + 8 <= data.size(); i += 8) {
        const std::uint32_t low = crc ^ (byte(i) | byte(i + 1) << 8 | byte(i + 2) << 16 | byte(i + 3) << 24);
        crc = tables[7][low & 0xFF] ^ tables[6][(low >> 8) & 0xFF] ^ tables[5][(low >> 16) & 0xFF] ^
              tables[4][low >> 24] ^ tables[3][byte(i + 4)] ^ tables[2][byte(i + 5)] ^ tables[1][byte(i + 6)] ^
              tables[0][byte(i + 7)];
    }
    for (; i < data.size(); ++i) crc = tables[0][(crc ^ byte(i)) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

Status ParseRegFile(std::string_view bytes, std::string_view fileName, ParsedFile& out,
                    const ParseOptions& options) {
    if (options.expectHeader && options.flushMarks)
        if (std::optional<Status> split = ParseAtLastFlush(bytes, fileName, out, options)) return *split;
    const std::uint64_t base = options.byteOffset;
    std::size_t skip = 0;
    FileEncoding enc = options.encoding;
    if (options.expectHeader) {
        if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
            enc = FileEncoding::Utf16Le;
            skip = 2;
        } else if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
            enc = FileEncoding::Utf8;
            skip = 3;
        } else {
            enc = FileEncoding::Utf8;
        }
    }
    out.encoding = enc;
    const auto lines = SplitLines(bytes.substr(skip), enc, base + skip);
    auto fail = [&](std::size_t index, const std::string& why) {
        return Status::Fail(std::string(fileName) + ", line " + std::to_string(options.firstLine + index) +
                            ": " + why);
    };

    std::size_t i = 0;
    std::string text;
    bool regedit4 = false;
    if (options.expectHeader) {
        if (lines.empty()) return Status::Fail(std::string(fileName) + ", line 1: the file is empty");
        if (!DecodeLine(lines[0].bytes, enc, text))
            return fail(0, "the header is not text in the file's encoding");
        const std::string_view header = TrimBlanks(text);
        if (header == kHeader4) regedit4 = true;
        else if (header != kHeader5)
            return fail(0, "not a registry file (the first line must be \"" + std::string(kHeader5) +
                               "\" or \"" + std::string(kHeader4) + "\")");
        i = 1;
        out.intactEnd = lines[0].end;
        out.intactLines = 1;
    } else {
        out.intactEnd = base;
    }
    out.regedit4 = regedit4;
    out.baseEnd = out.intactEnd;
    bool sawCommit = false;
    Parser parser(regedit4);

    // With options.applyTo: the sections read so far go into the tree, but the last `keep`
    // (the last may still receive values).
    const auto deliver = [&](std::size_t keep) {
        if (!options.applyTo || out.changes.size() <= keep) return;
        const auto stop = out.changes.end() - static_cast<std::ptrdiff_t>(keep);
        std::vector<KeyChange> ready(std::make_move_iterator(out.changes.begin()), std::make_move_iterator(stop));
        out.changes.erase(out.changes.begin(), stop);
        ApplyAll(*options.applyTo, std::move(ready));
    };
    bool inCommit = false;
    std::size_t commitLine = 0;
    std::vector<KeyChange> pending;
    std::string pendingError;
    std::uint32_t crc = 0;
    std::string logical;
    for (; i < lines.size(); ++i) {
        if (!DecodeLine(lines[i].bytes, enc, text)) {
            if (inCommit) {  // judged when the commit ends; a cut-off commit is dropped
                if (pendingError.empty())
                    pendingError = fail(i, "the bytes are not text in the file's encoding").message();
                crc = Crc32("\x01", crc);
                continue;
            }
            if (AllNul(lines[i].bytes) && OnlyPaddingFrom(lines, i + 1, enc)) break;
            if (i + 1 == lines.size() && CutOffLineBreak(lines[i].bytes, enc)) break;
            return fail(i, "the bytes are not text in the file's encoding");
        }
        if (text == kCommitBegin) {
            deliver(0);
            if (!sawCommit) out.baseEnd = i == 0 ? base + skip : lines[i - 1].end;
            sawCommit = true;
            inCommit = true;  // an unfinished commit before this one was never acknowledged
            commitLine = i;
            pending.clear();
            pendingError.clear();
            crc = 0;
            continue;
        }
        if (text.starts_with(kCommitEnd)) {
            if (!inCommit) return fail(i, "a commit end without its beginning");
            const std::string_view sum = TrimBlanks(std::string_view(text).substr(kCommitEnd.size()));
            bool good = sum.size() == 8;
            std::uint32_t expected = 0;
            for (char c : sum) {
                const int d = HexDigit(c);
                if (d < 0) good = false;
                expected = (expected << 4) | static_cast<std::uint32_t>(d < 0 ? 0 : d);
            }
            if (!good || expected != crc) {
                // Damage at the very end is a write that was cut off; anywhere else it is not.
                bool last = true;
                for (std::size_t k = i + 1; k < lines.size() && last; ++k) {
                    std::string rest;
                    if (!DecodeLine(lines[k].bytes, enc, rest) || !TrimBlanks(rest).empty()) last = false;
                }
                if (last) {
                    out.tornTail = true;
                    deliver(0);
                    return Status::Ok();
                }
                return fail(commitLine, "the commit starting here is damaged (checksum mismatch)");
            }
            if (!pendingError.empty()) return Status::Fail(pendingError);
            for (auto& c : pending) out.changes.push_back(std::move(c));
            pending.clear();
            // A value line after the end, outside any commit, still belongs to the commit's
            // last key (as in any registry file), so that one stays open.
            deliver(1);
            inCommit = false;
            ++out.commits;
            out.intactEnd = lines[i].end;
            out.intactLines = i + 1;
            continue;
        }
        if (inCommit) {
            crc = Crc32(text, crc);
            crc = Crc32("\n", crc);
        } else if (!text.empty() && AllNul(text)) {
            if (OnlyPaddingFrom(lines, i + 1, enc)) break;  // NUL padding left by a cut-off write
            return fail(i, "NUL characters in the middle of the file");
        }
        // Join continuation lines (a trailing backslash in hex data).
        std::string_view line = text;
        if (!text.empty() && text.back() == '\\') {
            logical = text;
            while (!logical.empty() && logical.back() == '\\' && TrimBlanks(logical).front() != '[' &&
                   i + 1 < lines.size()) {
                std::string next;
                if (!DecodeLine(lines[i + 1].bytes, enc, next) || next == kCommitBegin ||
                    next.starts_with(kCommitEnd))
                    break;
                ++i;
                if (inCommit) {
                    crc = Crc32(next, crc);
                    crc = Crc32("\n", crc);
                }
                logical.pop_back();
                logical += TrimBlanks(next);
            }
            line = logical;
        }
        std::string why;
        parser.Line(line, inCommit ? pending : out.changes, why);
        if (!why.empty()) {
            if (inCommit) {
                if (pendingError.empty()) pendingError = fail(i, why).message();
            } else {
                return fail(i, why);
            }
        }
        if (!inCommit) {
            out.intactEnd = lines[i].end;
            out.intactLines = i + 1;
            if (!sawCommit) out.baseEnd = out.intactEnd;
            if (out.changes.size() >= 256) deliver(1);
        }
    }
    if (inCommit || i < lines.size()) out.tornTail = true;
    deliver(0);
    return Status::Ok();
}

}  // namespace diags::platform::registry
