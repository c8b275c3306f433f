#pragma once
// Path checking, user notification and check-box conversions shared by the dialog.
#include <cstdint>
#include <string>
#include <string_view>

#include "services/ErrorObject.h"
#include "services/ResultCode.h"

namespace diags {

// Resource texts these routines show.
namespace resid {
inline constexpr std::int32_t kNotifySuffix = 9018;        // appended to a kind-1 notification
inline constexpr std::int32_t kNoDirectorySuffix = 9019;   // appended to a kind-2 notification
inline constexpr std::int32_t kNotifyTitle = 9022;
inline constexpr std::int32_t kCreateDirectory = 9053;     // %1 path, %2 label
inline constexpr std::int32_t kWindowsDirectoryUsed = 9054;  // %1 new path
inline constexpr std::int32_t kErrorTitle = 13503;
inline constexpr std::int32_t kBrowseTitle = 13520;
}  // namespace resid

// Checks a log directory. 1 when it exists; otherwise asks whether to create it:
// Yes creates every missing directory along the path and returns 1, or 3 with oError
// filled when the directory still does not exist afterwards; No replaces the path with the
// Windows directory, says so, and returns 1; Cancel returns 2 with the path unchanged.
ResultCode ValidPath(std::string& path, std::string_view label, ErrorRef& oError) noexcept;

// Shows a critical message box titled with resource text 9022; kind 1 (no file name) appends a
// blank and resource text 9018 to the message, kind 2 (no directory) a blank and text 9019.
// 1, or 3 when it could not be shown.
ResultCode NotifyUser(std::int16_t kind, std::string_view message) noexcept;

// Check-box values: 0 clear, 1 ticked, 2 greyed; only 1 is true.
std::int16_t BoolToInt(bool value) noexcept;
bool IntToBool(std::int16_t value) noexcept;

// The Windows directory (on Linux the platform's stand-in for it).
std::string GetWindowsDir();
// The text before the first NUL, trimmed of blanks.
std::string StripNull(std::string_view text);

}  // namespace diags
