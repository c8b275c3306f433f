#include "hostconfig/Properties.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "base/RuntimeError.h"
#include "base/Text.h"
#include "platform/Platform.h"
#include "platform/registry/Encoding.h"

namespace diags::hostconfig {
namespace reg = platform::reg;
using platform::registry::RegValue;
using platform::registry::RegValueView;

namespace {

bool ToBool(const PropertyValue& v) {
    if (std::holds_alternative<std::monostate>(v)) return false;
    if (const bool* b = std::get_if<bool>(&v)) return *b;
    if (const auto* i = std::get_if<std::int16_t>(&v)) return *i != 0;
    if (const double* d = std::get_if<double>(&v)) return *d != 0.0;
    const std::string_view text = Trim(std::get<std::string>(v));
    if (EqualsNoCase(text, "True")) return true;
    if (EqualsNoCase(text, "False")) return false;
    if (text.empty()) throw RuntimeError(err::kTypeMismatch, "Type mismatch");
    return ReadNumber(text) != 0.0;
}

double ToDouble(const PropertyValue& v) {
    if (std::holds_alternative<std::monostate>(v)) return 0.0;
    if (const bool* b = std::get_if<bool>(&v)) return *b ? -1.0 : 0.0;
    if (const auto* i = std::get_if<std::int16_t>(&v)) return *i;
    if (const double* d = std::get_if<double>(&v)) return *d;
    return ReadNumber(std::get<std::string>(v));
}

std::int16_t ToInt16(const PropertyValue& v) {
    if (const auto* i = std::get_if<std::int16_t>(&v)) return *i;
    const double d = ToDouble(v);
    const double rounded = std::nearbyint(d);  // half to even, as the classic conversion does
    if (!(rounded >= -32768.0 && rounded <= 32767.0)) throw RuntimeError(err::kOverflow, "Overflow");
    return static_cast<std::int16_t>(rounded);
}

std::string ToText(const PropertyValue& v) {
    if (std::holds_alternative<std::monostate>(v)) return {};
    if (const bool* b = std::get_if<bool>(&v)) return *b ? "True" : "False";
    if (const auto* i = std::get_if<std::int16_t>(&v)) return std::to_string(*i);
    if (const double* d = std::get_if<double>(&v)) return DoubleToText(*d);
    return std::get<std::string>(v);
}

// The text of a string-typed value when it is plain ASCII (most stored texts are), read
// straight from its UTF-16 data: the same text AsText gives, in UTF-8 and in the ANSI code
// page alike, without decoding it twice. Null for any other value.
std::optional<std::string> AsciiText(RegValueView value) {
    if (value.type != reg::kSz && value.type != reg::kExpandSz && value.type != reg::kMultiSz) return std::nullopt;
    const std::string_view bytes = value.data;
    if (bytes.size() % 2 != 0) return std::nullopt;
    std::size_t length = 0;
    for (; length + 1 < bytes.size(); length += 2) {
        if (bytes[length + 1] != '\0' || static_cast<unsigned char>(bytes[length]) >= 0x80) {
            return std::nullopt;
        }
        if (bytes[length] == '\0') break;
    }
    std::string text(length / 2, '\0');
    for (std::size_t k = 0; k < text.size(); ++k) text[k] = bytes[2 * k];
    return text;
}

[[noreturn]] void Unreadable(std::int32_t index) {
    throw RuntimeError(err::kTypeMismatch,
                       "The stored value \"" + std::string(PropertyValueName(index)) + "\" cannot be read");
}

}  // namespace

PropertyKind KindOf(std::int32_t index) noexcept {
    switch (index) {
        case prop::kDebugMonitor: case prop::kLogToFile: case prop::kAppendToFile: case prop::kCircularLogFile:
            return PropertyKind::Boolean;
        case prop::kErrorThreshold: return PropertyKind::Int16;
        case prop::kFileSize: return PropertyKind::Double;
        case prop::kMessageDll: case prop::kFileName: case prop::kDirectory: return PropertyKind::Text;
        default: return PropertyKind::Unknown;
    }
}

std::string_view PropertyValueName(std::int32_t index) noexcept {
    switch (index) {
        case prop::kDebugMonitor: return "DebugMonitor";
        case prop::kMessageDll: return "MessageDLL";
        case prop::kLogToFile: return "LogToFile";
        case prop::kAppendToFile: return "AppendToFile";
        case prop::kErrorThreshold: return "ErrorThreshold";
        case prop::kFileName: return "FileName";
        case prop::kDirectory: return "Directory";
        case prop::kFileSize: return "FileSize";
        case prop::kCircularLogFile: return "CircularLogFile";
        default: return {};
    }
}

std::string DoubleToText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

bool TextToDouble(std::string_view text, double& value) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size() && !text.empty();
}

RegValue ToRegistry(std::int32_t index, const PropertyValue& value) {
    switch (KindOf(index)) {
        case PropertyKind::Boolean: return RegValue::Dword(ToBool(value) ? 1u : 0u);
        case PropertyKind::Int16:
            return RegValue::Dword(static_cast<std::uint32_t>(static_cast<std::int32_t>(ToInt16(value))));
        case PropertyKind::Double: return RegValue::Text(DoubleToText(ToDouble(value)));
        case PropertyKind::Text: return RegValue::Text(platform::registry::Cp1252ToUtf8(ToText(value)));
        case PropertyKind::Unknown: break;
    }
    throw RuntimeError(err::kInvalidCall, "Invalid property index " + std::to_string(index));
}

PropertyValue FromRegistry(std::int32_t index, std::optional<RegValueView> value) {
    const PropertyKind kind = KindOf(index);
    if (kind == PropertyKind::Unknown)
        throw RuntimeError(err::kInvalidCall, "Invalid property index " + std::to_string(index));
    const std::optional<std::uint32_t> dword = value ? value->AsDword() : std::nullopt;
    std::optional<std::string> text;
    if (value && !dword) {
        text = AsciiText(*value);
        if (!text) text = value->AsText();
        else if (kind == PropertyKind::Text) return std::move(*text);  // ASCII reads the same in the ANSI code page
    }
    if (value && !dword && !text) Unreadable(index);
    switch (kind) {
        case PropertyKind::Boolean:
            if (!value) return false;
            if (dword) return *dword != 0;
            try {
                return ToBool(PropertyValue(*text));
            } catch (const RuntimeError&) {
                Unreadable(index);
            }
        case PropertyKind::Int16:
            if (!value) return std::int16_t{0};
            if (dword) {
                // A 16-bit number kept in a dword, with or without its sign extended.
                const auto v = static_cast<std::int32_t>(*dword);
                if (v < -32768 || v > 65535) throw RuntimeError(err::kOverflow, "Overflow");
                return static_cast<std::int16_t>(static_cast<std::uint16_t>(v));
            }
            try {
                return ToInt16(PropertyValue(*text));
            } catch (const RuntimeError&) {
                Unreadable(index);
            }
        case PropertyKind::Double: {
            if (!value) return 0.0;
            if (dword) return static_cast<double>(*dword);
            double d = 0;
            if (!TextToDouble(*text, d)) Unreadable(index);
            return d;
        }
        case PropertyKind::Text:
            if (!value) return std::string();
            if (dword) return std::to_string(*dword);
            return platform::registry::Utf8ToCp1252(*text);
        case PropertyKind::Unknown: break;
    }
    return {};
}

}  // namespace diags::hostconfig
