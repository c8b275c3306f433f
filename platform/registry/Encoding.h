#pragma once
// Text encodings met in registry files and at the ANSI registry calls. Inside the store every
// name and text is UTF-8; string-typed value data is kept as the registry keeps it, UTF-16LE
// with its terminating NUL.
#include <cstdint>
#include <string>
#include <string_view>

namespace diags::platform::registry {

// UTF-16LE bytes to UTF-8. Returns false (and stops) at an unpaired surrogate or odd length.
bool Utf16LeToUtf8(std::string_view bytes, std::string& out);
// UTF-8 to UTF-16LE bytes. Returns false on malformed UTF-8 (nothing sensible to write).
bool Utf8ToUtf16Le(std::string_view text, std::string& out);
bool IsValidUtf8(std::string_view text) noexcept;
// Plain ASCII: the same bytes in UTF-8 and in code page 1252, and folded without a table.
bool IsAscii(std::string_view text) noexcept;

// Code page 1252 (the ANSI code page of the texts the component passes around).
std::string Cp1252ToUtf8(std::string_view text);
// Characters without a code-page-1252 form become '?'.
std::string Utf8ToCp1252(std::string_view text);

// The registry's case-insensitive name comparison: ASCII and Latin-1 letters folded to upper
// case, the same rule the rest of the component uses for names.
std::string FoldName(std::string_view utf8);
bool SameName(std::string_view a, std::string_view b);

}  // namespace diags::platform::registry
