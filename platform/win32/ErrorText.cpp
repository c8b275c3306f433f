#include "platform/win32/ErrorText.h"

#include <cstdio>
#include <optional>

#include "platform/win32/Owned.h"

namespace diags::platform::win32 {
namespace {

// The system's message, joined onto one line and trimmed of trailing spaces and full stops;
// nullopt when the system has none.
std::optional<std::string> SystemText(DWORD code) {
    OwnedLocalMem<char> buffer;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        0, reinterpret_cast<char*>(buffer.put()), 0, nullptr);
    if (length == 0 || !buffer) return std::nullopt;
    std::string text;
    text.reserve(length);
    bool pendingSpace = false;
    for (DWORD i = 0; i < length; ++i) {
        const char c = buffer.get()[i];
        if (c == '\r' || c == '\n' || c == '\t' || c == ' ') {
            pendingSpace = !text.empty();
            continue;
        }
        if (pendingSpace) text += ' ';
        pendingSpace = false;
        text += c;
    }
    while (!text.empty() && text.back() == '.') text.pop_back();
    if (text.empty()) return std::nullopt;
    return text;
}

}  // namespace

std::string Win32ErrorText(DWORD error) {
    if (auto text = SystemText(error)) return *text;
    return "Windows error " + std::to_string(error);
}

std::string HResultText(HRESULT result) {
    const DWORD code = static_cast<DWORD>(result);
    std::optional<std::string> text = SystemText(code);
    if (!text && HRESULT_FACILITY(result) == FACILITY_WIN32) text = SystemText(HRESULT_CODE(result));
    if (text) return *text;
    char number[16];
    std::snprintf(number, sizeof number, "0x%08lX", static_cast<unsigned long>(code));
    return std::string("error ") + number;
}

}  // namespace diags::platform::win32
