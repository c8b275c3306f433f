#pragma once
// The one place that turns a Windows error code into the text shown to a user or written to a
// log: the system's message for it, on one line, without the closing full stop.
#include <windows.h>

#include <string>

namespace diags::platform::win32 {

// A Win32 error (GetLastError, an LSTATUS): "Access is denied", or "Windows error 1234" when
// the system has no text for it.
std::string Win32ErrorText(DWORD error);
// An HRESULT: the system's text (Win32 errors wrapped in an HRESULT read as the error itself),
// or "error 0x80004005" when there is none.
std::string HResultText(HRESULT result);
// The text of the calling thread's last Win32 error.
inline std::string LastErrorText() { return Win32ErrorText(::GetLastError()); }

}  // namespace diags::platform::win32
