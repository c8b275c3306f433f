// The calendar parts of a moment (seconds since 1970), in UTC or in the local zone, with the
// thread-safe call each platform has.
#pragma once

#include <cstdint>
#include <ctime>

namespace diags::base {

inline std::tm UtcParts(std::int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
#ifdef _WIN32
    gmtime_s(&parts, &t);
#else
    gmtime_r(&t, &parts);
#endif
    return parts;
}

inline std::tm LocalParts(std::int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
#ifdef _WIN32
    localtime_s(&parts, &t);
#else
    localtime_r(&t, &parts);
#endif
    return parts;
}

}  // namespace diags::base
