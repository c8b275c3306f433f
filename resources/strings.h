#pragma once
// The texts of the resource module, compiled in. Generated from resources/strings.txt by
// resources/strings.cmake; the same list becomes the STRINGTABLE of KVUIEN.DLL, so the
// portable build and the Windows resource module always carry the same texts.
#include <cstdint>
#include <span>
#include <string_view>

namespace diags::resources {

struct StringEntry {
    std::int32_t id;
    std::string_view text;  // may hold %1, %2 ... placeholders
};

// Every text, in the order of strings.txt.
std::span<const StringEntry> BuiltInStrings() noexcept;

}  // namespace diags::resources
