#pragma once
// Run-time error numbers the control models raise (RuntimeError), as classic controls do.
#include <cstdint>

namespace diags::forms::err {
inline constexpr std::int32_t kInvalidCall = 5;              // e.g. focus to a hidden control
inline constexpr std::int32_t kElementMissing = 340;         // control-array element does not exist
inline constexpr std::int32_t kAlreadyLoaded = 360;          // control-array element already loaded
inline constexpr std::int32_t kInvalidPropertyValue = 380;
inline constexpr std::int32_t kElementNotFound = 35601;      // no node / tab / band / tool with that key
inline constexpr std::int32_t kKeyNotUnique = 35602;         // key already used in the collection
inline constexpr std::int32_t kInvalidKey = 35603;           // a key must not be a number
inline constexpr std::int32_t kIndexOutOfBounds = 35600;
}  // namespace diags::forms::err
