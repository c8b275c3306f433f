#pragma once
#include <cstdint>

namespace diags {

// Result of ConfigureDiagnostics and of nearly every dialog procedure. The dialog's outcome
// also uses None (closed with nothing pending); any other value is passed through unchanged.
enum class ResultCode : std::int32_t {
    None = 0,     // dialog outcome: closed while nothing was pending
    Success = 1,  // success; dialog outcome: saved and closed
    Stopped = 2,  // stopped after telling the user or after the user cancelled; outcome: closed unsaved
    Failure = 3,  // failure; the caller's ErrorObject describes it
};

}  // namespace diags
