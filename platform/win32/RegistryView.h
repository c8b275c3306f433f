#pragma once
// The registry view of the product's settings. The desktop client is a 32-bit program, and
// its installer writes the product folder (HKLM\SOFTWARE\Veltrane\Common Files) into the
// 32-bit view of a 64-bit machine. Every reader and writer of the product's settings (the
// component of either bitness, the console tool, the Logger) opens keys in that view, so all
// of them see one product folder and one log configuration. On 32-bit Windows, and for keys
// the system does not redirect (HKEY_CURRENT_USER\Software), the flag changes nothing.
// The COM registration is the exception: each build registers in its own view.
#include <windows.h>

namespace diags::platform::win32 {

inline constexpr REGSAM kProductView = KEY_WOW64_32KEY;

}  // namespace diags::platform::win32
