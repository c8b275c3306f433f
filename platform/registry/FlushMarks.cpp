// Flush marks in the registry file (see RegFile.h): finding the last one whose bytes verify,
// and reading a file in two parts around it.
#include <cstdio>
#include <vector>

#include "platform/registry/Encoding.h"
#include "platform/registry/RegFile.h"

namespace diags::platform::registry {
namespace {

struct Line {
    std::size_t start, end;  // end: just after the line feed (or the end of the bytes)
    std::string text;        // UTF-8 without the line break
    bool text_ok;            // false: the bytes are not text in the encoding
    bool ended = true;       // false: the bytes end before the line's line feed
};

// The line starting at `at`.
Line LineAt(std::string_view bytes, std::size_t at, FileEncoding enc) {
    std::size_t stop = at, next = bytes.size();
    if (enc == FileEncoding::Utf8) {
        const std::size_t lf = bytes.find('\n', at);
        stop = lf == std::string_view::npos ? bytes.size() : lf;
        next = lf == std::string_view::npos ? bytes.size() : lf + 1;
    } else {
        while (stop + 1 < bytes.size() && !(bytes[stop] == '\n' && bytes[stop + 1] == '\0')) stop += 2;
        if (stop + 1 < bytes.size()) next = stop + 2;
        else stop = bytes.size();
    }
    Line line{at, next, {}, true, stop < bytes.size()};
    const std::string_view raw = bytes.substr(at, stop - at);
    if (enc == FileEncoding::Utf16Le) line.text_ok = Utf16LeToUtf8(raw, line.text);
    else line.text.assign(raw);
    if (!line.text.empty() && line.text.back() == '\r') line.text.pop_back();
    return line;
}

bool Blank(std::string_view text) { return text.find_first_not_of(" \t\r") == std::string_view::npos; }

bool ReadHex8(std::string_view text, std::uint32_t& value) {
    if (text.size() != 8) return false;
    value = 0;
    for (char c : text) {
        int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (d < 0) return false;
        value = (value << 4) | static_cast<std::uint32_t>(d);
    }
    return true;
}

// A well-formed mark line: its length and checksum.
bool ReadMark(std::string_view text, std::uint64_t& length, std::uint32_t& crc) {
    if (!text.starts_with(kFlushMark)) return false;
    text.remove_prefix(kFlushMark.size());
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    const std::size_t space = text.find(' ');
    if (space == 0 || space == std::string_view::npos || space > 20) return false;
    length = 0;
    for (char c : text.substr(0, space)) {
        if (c < '0' || c > '9') return false;
        length = length * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return ReadHex8(text.substr(space + 1), crc);
}

// Where the last mark whose covered bytes verify ends; 0 when there is none. Marks are found
// by their encoded text at the start of a line.
std::size_t LastTrustedMark(std::string_view bytes, FileEncoding enc, std::size_t skip) {
    std::string pattern;
    if (enc == FileEncoding::Utf8) {
        pattern.assign(kFlushMark);
    } else {
        for (char c : kFlushMark) pattern += {c, '\0'};
    }
    std::vector<std::size_t> starts;
    for (std::size_t at = bytes.find(pattern, skip); at != std::string_view::npos; at = bytes.find(pattern, at + 1)) {
        const bool aligned = enc == FileEncoding::Utf8 || (at - skip) % 2 == 0;
        const bool lineStart = at == skip || (enc == FileEncoding::Utf8 ? bytes[at - 1] == '\n'
                                                                        : at >= 2 && bytes[at - 2] == '\n' && bytes[at - 1] == '\0');
        if (aligned && lineStart) starts.push_back(at);
    }
    // Only the last few are tried: each covers its own stretch, so a trusted one is near the end
    // (and a file full of marks with made-up lengths costs no more than a few passes).
    constexpr std::size_t kTried = 16;
    std::size_t tried = 0;
    for (auto it = starts.rbegin(); it != starts.rend() && tried++ < kTried; ++it) {
        const Line line = LineAt(bytes, *it, enc);
        std::uint64_t length = 0;
        std::uint32_t crc = 0;
        if (!line.text_ok || !line.ended || !ReadMark(line.text, length, crc) || length > *it - skip) continue;
        if (Crc32(bytes.substr(*it - length, length)) == crc) return line.end;
    }
    return 0;
}

// How many bytes at the start of `tail` hold whole commits whose checksums match (with the
// blank lines around them), read in order up to the first damage.
std::size_t IntactCommits(std::string_view tail, FileEncoding enc) {
    std::size_t good = 0, at = 0;
    while (at < tail.size()) {
        Line line = LineAt(tail, at, enc);
        if (line.text_ok && Blank(line.text)) {
            at = line.end;
            continue;
        }
        if (!line.text_ok || line.text != kCommitBegin) return good;
        std::uint32_t crc = 0;
        for (at = line.end;; at = line.end) {
            if (at >= tail.size()) return good;
            line = LineAt(tail, at, enc);
            if (!line.text_ok || line.text == kCommitBegin) return good;
            if (line.text.starts_with(kCommitEnd)) break;
            crc = Crc32("\n", Crc32(line.text, crc));
        }
        std::uint32_t expected = 0;
        std::string_view sum(line.text);
        sum.remove_prefix(kCommitEnd.size());
        while (!sum.empty() && (sum.back() == ' ' || sum.back() == '\t')) sum.remove_suffix(1);
        // As for any commit, the end line counts once its text is whole (the line break may
        // still be missing).
        if (!ReadHex8(sum, expected) || expected != crc) return good;
        good = at = line.end;
    }
    return good;
}

// Blank lines or NUL padding only.
bool NothingFrom(std::string_view tail, FileEncoding enc) {
    for (std::size_t at = 0; at < tail.size();) {
        const Line line = LineAt(tail, at, enc);
        if (!(line.text_ok && Blank(line.text)) && tail.substr(at, line.end - at).find_first_not_of('\0') != std::string_view::npos)
            return false;
        at = line.end;
    }
    return true;
}

}  // namespace

std::string FormatFlushMark(std::uint64_t length, std::uint32_t crc) {
    char sum[9];
    std::snprintf(sum, sizeof sum, "%08x", crc);
    return std::string(kFlushMark) + std::to_string(length) + " " + sum + "\n";
}

std::optional<Status> ParseAtLastFlush(std::string_view bytes, std::string_view fileName, ParsedFile& out,
                                       const ParseOptions& options) {
    FileEncoding enc = FileEncoding::Utf8;
    std::size_t skip = 0;
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        enc = FileEncoding::Utf16Le;
        skip = 2;
    } else if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        skip = 3;
    }
    const std::size_t flushed = LastTrustedMark(bytes, enc, skip);
    if (flushed == 0) return std::nullopt;

    // Up to the mark: everything was on disk, so any damage is corruption.
    ParseOptions head = options;
    head.flushMarks = false;
    if (Status s = ParseRegFile(bytes.substr(0, flushed), fileName, out, head); !s) return s;
    if (out.tornTail || out.intactEnd != flushed)
        return Status::Fail(std::string(fileName) + ", line " + std::to_string(out.intactLines + 1) +
                            ": the commit starting here is not finished, though a later flush is recorded");
    out.flushedEnd = flushed;

    // After it: the whole commits that verify, up to the first damage.
    const std::string_view tail = bytes.substr(flushed);
    const std::size_t intact = IntactCommits(tail, enc);
    if (intact > 0) {
        ParsedFile rest;
        ParseOptions more;
        more.expectHeader = false;
        more.encoding = enc;
        more.firstLine = out.intactLines + 1;
        more.byteOffset = flushed;
        if (Status s = ParseRegFile(tail.substr(0, intact), fileName, rest, more); !s) return s;
        for (auto& change : rest.changes) out.changes.push_back(std::move(change));
        if (out.commits == 0) out.baseEnd = rest.commits > 0 ? rest.baseEnd : out.baseEnd;
        out.commits += rest.commits;
        out.intactEnd = rest.intactEnd;
        out.intactLines += rest.intactLines;
    }
    out.tornTail = !NothingFrom(tail.substr(intact), enc);
    return Status::Ok();
}

}  // namespace diags::platform::registry
