#pragma once
// Opening a document or web address with the shell's default handler.
#include <cstdint>
#include <string_view>

namespace diags {

// ShellExecute with the default verb and SW_SHOWNORMAL; the shell's result (> 32 = opened).
std::intptr_t OpenDocument(std::string_view target) noexcept;

}  // namespace diags
