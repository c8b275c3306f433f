#pragma once
// Reading one value from the registry (under HKEY_LOCAL_MACHINE).
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "platform/Platform.h"

namespace diags {

// A registry value as the routines return it: empty, a string (REG_SZ) or a 32-bit number
// (REG_DWORD).
using RegistryValue = std::variant<std::monostate, std::string, std::int32_t>;

// Opens keyPath under HKEY_LOCAL_MACHINE (access 0x3F) and reads valueName. A key that
// cannot be opened, a missing value and an unsupported type all give an empty value.
RegistryValue GetRegistryValue(std::string_view keyPath, std::string_view valueName) noexcept;

// Reads valueName of an open key into `value`. 0 when read; -1 when the type is neither
// REG_SZ nor REG_DWORD (value untouched); otherwise the platform's error code (a failed
// first query leaves the value untouched, a failed string read empties it).
std::int32_t QueryRegValue(platform::RegKeyHandle key, std::string_view valueName, RegistryValue& value) noexcept;

}  // namespace diags
