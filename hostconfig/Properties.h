#pragma once
// How output properties are kept in the registry and converted to and from property values.
//   0 DebugMonitor, 2 LogToFile, 3 AppendToFile, 8 CircularLogFile: REG_DWORD 0 or 1
//   4 ErrorThreshold: REG_DWORD (a signed 16-bit number)
//   1 MessageDLL, 5 FileName, 6 Directory: REG_SZ
//   7 FileSize: REG_SZ holding the shortest decimal text that reads back to the same double
//     (so fractional sizes survive exactly); a REG_DWORD is read as well.
#include <cstdint>
#include <optional>

#include "hostconfig/LogConfiguration.h"
#include "platform/registry/RegTree.h"

namespace diags::hostconfig {

enum class PropertyKind { Boolean, Int16, Double, Text, Unknown };
PropertyKind KindOf(std::int32_t index) noexcept;

// Converts to the index's type; RuntimeError 13 (type mismatch) or 6 (overflow) when it cannot.
platform::registry::RegValue ToRegistry(std::int32_t index, const PropertyValue& value);
// Reads a stored value (nullopt or null: missing) as the index's type; RuntimeError on
// unreadable data.
PropertyValue FromRegistry(std::int32_t index, std::optional<platform::registry::RegValueView> value);
inline PropertyValue FromRegistry(std::int32_t index, const platform::registry::RegValue* value) {
    return FromRegistry(index, value ? std::optional<platform::registry::RegValueView>(*value) : std::nullopt);
}

// Shortest round-trip decimal text of a double, and its exact reading.
std::string DoubleToText(double value);
bool TextToDouble(std::string_view text, double& value);

}  // namespace diags::hostconfig
