#pragma once
// The two tables compiled into the diagnostics map: which product modules each desktop
// editor or wizard uses, and which component traces each common task uses.
#include <array>
#include <cstddef>
#include <string_view>

namespace diags::maptables {

inline constexpr std::size_t kModuleCount = 68;
inline constexpr std::size_t kEditorCount = 22;
inline constexpr std::size_t kTraceCount = 21;
inline constexpr std::size_t kTaskCount = 5;

// A row name and its bit string: character k (1-based) is '1' when column k uses the row.
struct MapRow {
    std::string_view name;
    std::string_view bits;
};

extern const std::array<std::string_view, kEditorCount> kEditorNames;
extern const std::array<MapRow, kModuleCount> kModuleRows;
extern const std::array<std::string_view, kTaskCount> kTaskNames;
extern const std::array<MapRow, kTraceCount> kTraceRows;

}  // namespace diags::maptables
