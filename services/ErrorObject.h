#pragma once
// The shared GUI library's error description. Procedures receive the caller's reference
// (ErrorRef&) and, on failure, replace it with the object HandleError builds. The dialog
// never looks inside; the host and ShowError do.
#include <cstdint>
#include <memory>
#include <string>

namespace diags {

struct ErrorObject {
    std::int32_t number = 0;
    std::string description;
    std::string applicationTitle;  // "Veltrane Desktop"
    std::string componentTitle;    // "Diagnostics Configuration"
    std::string module;            // "frmDiags", "CDiagnosticsConfig", "modToolMenu", "General"
    std::string procedure;
    std::int32_t line = 0;
};

// An in/out error reference; may be empty (the host may pass nothing).
using ErrorRef = std::shared_ptr<ErrorObject>;

}  // namespace diags
