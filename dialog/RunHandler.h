#pragma once
// A control notification handled as a dialog procedure: traced on entry and exit, and a
// run-time failure inside it is shown to the user at once (the rest of the handler skipped).
#include <string_view>
#include <utility>

#include "dialog/frmDiagsConfig.h"
#include "services/Procedure.h"

namespace diags {

template <class Body>
void RunHandler(std::string_view procedure, Body&& body) noexcept {
    ErrorRef handlerError;
    if (RunProcedure(kDialogModule, procedure, handlerError, std::forward<Body>(body)) == ResultCode::Failure)
        frmDiagsConfig::ReportError(handlerError);
}

}  // namespace diags
