#pragma once
// The registry export file format: reading what the registry editor writes ("Windows
// Registry Editor Version 5.00" in UTF-16LE or UTF-8, and "REGEDIT4" in the ANSI code page)
// and writing files the registry import takes unchanged.
//
// The file store appends saved keys to a file as commits: a comment line ";diags:commit",
// the sections, and a comment line ";diags:end <crc32>" whose checksum covers the lines in
// between. Registry import ignores the comments and applies later sections over earlier
// ones, exactly as this reader does. A commit whose end line is missing or whose checksum
// does not match at the very end of the file was cut off while being written: the reader
// drops it and reports where the intact part ends.
//
// Flush marks: after each flush to disk the file store appends a comment line
// ";diags:flushed <length> <crc32>" whose checksum covers the <length> bytes before the line
// (everything appended since the writer's previous flush). A power cut may keep later blocks
// of the unflushed part and lose earlier ones, or leave zero-filled blocks, so only a mark
// whose bytes verify is trusted. Everything up to the last trusted mark was on disk: damage
// there is corruption, reported with its line. After it, the whole commits that verify, in
// order, are read, and the first damage ends the file: it and everything after it (however
// valid it looks) is a cut-off tail and dropped. A file without a trusted mark (one written
// by an earlier version) is read as before.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/RegTree.h"
#include "platform/registry/Status.h"

namespace diags::platform::registry {

enum class FileEncoding { Utf16Le, Utf8 };

inline constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
inline constexpr std::string_view kHeader4 = "REGEDIT4";
inline constexpr std::string_view kCommitBegin = ";diags:commit";
inline constexpr std::string_view kCommitEnd = ";diags:end ";
inline constexpr std::string_view kFlushMark = ";diags:flushed ";

struct ParsedFile {
    FileEncoding encoding = FileEncoding::Utf16Le;
    std::vector<KeyChange> changes;
    std::uint64_t intactEnd = 0;    // bytes of the file that were read as intact
    std::uint64_t baseEnd = 0;      // where the first commit begins (intactEnd when none)
    std::size_t intactLines = 0;    // lines in the intact part
    std::size_t commits = 0;        // complete commits read
    bool tornTail = false;          // an unfinished commit (or NUL padding) was dropped
    bool regedit4 = false;          // an ANSI "REGEDIT4" file
    std::uint64_t flushedEnd = 0;   // just after the last trusted flush mark; 0 when none
};

struct ParseOptions {
    // When set, the changes are applied to this tree as they are read (a commit's when it ends
    // intact) instead of being collected in `changes`, so a large file's changes never exist
    // all at once. After a failure the tree holds part of the file.
    RegKey* applyTo = nullptr;
    bool expectHeader = true;                       // false: a continuation of a known file
    FileEncoding encoding = FileEncoding::Utf16Le;  // used when expectHeader is false
    std::size_t firstLine = 1;                      // line number of the first line
    std::uint64_t byteOffset = 0;                   // offset of `bytes` inside the file
    bool flushMarks = true;                         // false: read as a file without flush marks
};

// Parses a registry file. On failure the message reads "<fileName>, line N: <what>".
Status ParseRegFile(std::string_view bytes, std::string_view fileName, ParsedFile& out,
                    const ParseOptions& options = {});

// Writing. Text is produced as UTF-8 with "\n" line ends and encoded by EncodeText.
std::string FormatChange(const KeyChange& change);
// Every key of the subtree as sections, parents before children, in creation order.
void FormatTree(const RegKey& key, const std::string& path, std::string& out);
// The file header (with its blank line) in the given encoding, byte-order mark included.
std::string EncodedHeader(FileEncoding encoding);
// "\n" becomes "\r\n"; UTF-16LE without a byte-order mark.
std::string EncodeText(std::string_view utf8, FileEncoding encoding);
// A commit around the given sections (UTF-8 text), ready for EncodeText.
std::string FormatCommit(std::string_view sections);

// A flush mark line (UTF-8 text, ready for EncodeText) covering the `length` bytes before it.
std::string FormatFlushMark(std::uint64_t length, std::uint32_t crc);
// A whole file read up to its last trusted flush mark and then up to its first damage (see
// above); none when the file has no trusted mark.
std::optional<Status> ParseAtLastFlush(std::string_view bytes, std::string_view fileName, ParsedFile& out,
                                       const ParseOptions& options);

std::uint32_t Crc32(std::string_view data, std::uint32_t crc = 0) noexcept;
// "HKLM"/"HKEY_LOCAL_MACHINE"... to the full hive name; empty when unknown.
std::string_view CanonicalHive(std::string_view name) noexcept;

}  // namespace diags::platform::registry
