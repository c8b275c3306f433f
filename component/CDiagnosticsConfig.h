#pragma once
// The component's entry class: holds the dialog from construction until its one
// ConfigureDiagnostics call has run the dialog; starts the shared services on construction.
//
// "The user": while the dialog is shown modally, control passes to a modal loop. A host sets
// it with SetModalLoop (or installs a process-wide one with forms::ScopedModalLoop); headless
// tests script the user there. The Win32 renderer is a form host instead: the COM server
// hands it over with SetFormHost when it creates the entry object (or a process-wide one is
// installed with forms::ScopedFormHost before), so the dialog's windows exist before its
// start-up first reads a window handle.
#include <cstdint>
#include <memory>
#include <string>

#include "forms/Form.h"
#include "services/ErrorObject.h"
#include "services/ResultCode.h"

namespace diags {

class frmDiagsConfig;

class CDiagnosticsConfig {
public:
    CDiagnosticsConfig();
    ~CDiagnosticsConfig();
    CDiagnosticsConfig(const CDiagnosticsConfig&) = delete;
    CDiagnosticsConfig& operator=(const CDiagnosticsConfig&) = delete;

    // Runs the dialog and returns its outcome: 0 closed with nothing pending, 1 saved and
    // closed, 2 closed without saving, 3 failure (oError describes it). One call per object:
    // a second call returns 3 with oError filled. Never throws.
    ResultCode ConfigureDiagnostics(ErrorRef& oError) noexcept;

    // The modal loop for this object's dialog (see above); empty = the process-wide one.
    void SetModalLoop(forms::ModalLoop loop);
    // The renderer that creates, runs and destroys the dialog's windows (non-owning).
    void SetFormHost(forms::FormHost* host);
    // The dialog while it exists (before and during ConfigureDiagnostics), else null.
    frmDiagsConfig* Dialog() const noexcept { return dialog_.get(); }

private:
    std::unique_ptr<frmDiagsConfig> dialog_;
};

// Starts the process-wide services: the Logger (created once, initialised with the module
// name on every call), the MessageService (created and initialised once with the resource
// DLL name) and ResourceStrings. The trace name and level are accepted and not used.
// -1 (true) when every service started, 0 otherwise; never reports.
std::int16_t InitSharedServices(std::string& moduleName, std::string& resourceDll, std::string& traceName,
                                std::int32_t& traceLevel) noexcept;

// The component's start-up procedure: nothing beyond tracing its entry and exit.
void Main() noexcept;

}  // namespace diags
