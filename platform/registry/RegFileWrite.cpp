// Writing registry files: sections, values in the registry editor's notation, encodings, and
// the commits of the file store.
#include <cstdio>
#include <optional>

#include "platform/Platform.h"
#include "platform/registry/Encoding.h"
#include "platform/registry/RegFile.h"

namespace diags::platform::registry {
namespace {

std::string Hex8(std::uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08x", v);
    return buf;
}

// Quotes a name or text; line breaks and NULs are escaped so the line stays one line.
void AppendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '"': out += "\\\""; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\0': out += "\\0"; break;
            default: out += c;
        }
    }
    out += '"';
}

// A REG_SZ the "name"="text" form carries unchanged: well-formed UTF-16, one terminating NUL,
// no line breaks or other NULs.
std::optional<std::string> PlainText(RegValueView v) {
    if (v.type != reg::kSz || v.data.size() < 2 || v.data.size() % 2 != 0) return std::nullopt;
    if (v.data[v.data.size() - 1] != '\0' || v.data[v.data.size() - 2] != '\0') return std::nullopt;
    std::string text;
    if (!Utf16LeToUtf8(std::string_view(v.data).substr(0, v.data.size() - 2), text)) return std::nullopt;
    for (char c : text)
        if (c == '\0' || c == '\n' || c == '\r') return std::nullopt;
    return text;
}

void AppendValue(std::string& out, std::string_view name, RegValueView v) {
    std::size_t lineStart = out.size();
    if (name.empty()) out += '@';
    else AppendQuoted(out, name);
    out += '=';
    if (auto text = PlainText(v)) {
        AppendQuoted(out, *text);
    } else if (auto dw = v.AsDword()) {
        out += "dword:" + Hex8(*dw);
    } else {
        if (v.type == reg::kBinary) out += "hex:";
        else {
            char buf[24];
            std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(v.type));
            out += buf;
        }
        static constexpr char kDigits[] = "0123456789abcdef";
        for (std::size_t i = 0; i < v.data.size(); ++i) {
            const auto b = static_cast<unsigned char>(v.data[i]);
            out += kDigits[b >> 4];
            out += kDigits[b & 15];
            if (i + 1 < v.data.size()) {
                out += ',';
                if (out.size() - lineStart > 76) {  // wrapped as the registry editor wraps
                    out += "\\\n  ";
                    lineStart = out.size() - 2;
                }
            }
        }
    }
    out += '\n';
}

}  // namespace

std::string FormatChange(const KeyChange& change) {
    std::string out;
    out += change.deleteKey ? "[-" : "[";
    out += change.path;
    out += "]\n";
    for (const auto& v : change.values) {
        if (v.value) {
            AppendValue(out, v.name, *v.value);
        } else {
            if (v.name.empty()) out += '@';
            else AppendQuoted(out, v.name);
            out += "=-\n";
        }
    }
    out += '\n';
    return out;
}

void FormatTree(const RegKey& key, const std::string& path, std::string& out) {
    out += '[';
    out += path;
    out += "]\n";
    for (const auto& v : key.Values()) AppendValue(out, v.name, v.value);
    out += '\n';
    for (const auto& child : key.Children()) FormatTree(*child, path + "\\" + child->Name(), out);
}

std::string EncodeText(std::string_view utf8, FileEncoding encoding) {
    std::string crlf;
    crlf.reserve(utf8.size() + utf8.size() / 16);
    for (char c : utf8) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    if (encoding == FileEncoding::Utf8) return crlf;
    std::string wide;
    if (!Utf8ToUtf16Le(crlf, wide)) {
        wide.clear();
        Utf8ToUtf16Le(Cp1252ToUtf8(crlf), wide);
    }
    return wide;
}

std::string EncodedHeader(FileEncoding encoding) {
    std::string text = std::string(kHeader5) + "\n\n";
    std::string out;
    if (encoding == FileEncoding::Utf16Le) out = "\xFF\xFE";
    out += EncodeText(text, encoding);
    return out;
}

std::string FormatCommit(std::string_view sections) {
    std::string out = "\n";
    out += kCommitBegin;
    out += '\n';
    std::string body(sections);
    if (!body.empty() && body.back() != '\n') body += '\n';
    out += body;
    out += kCommitEnd;
    out += Hex8(Crc32(body));
    out += '\n';
    return out;
}

}  // namespace diags::platform::registry
