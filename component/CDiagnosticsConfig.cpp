#include "component/CDiagnosticsConfig.h"

#include "base/RuntimeError.h"
#include "dialog/frmDiagsConfig.h"
#include "services/Logger.h"
#include "services/MessageService.h"
#include "services/Procedure.h"
#include "services/ResourceStrings.h"

namespace diags {

namespace {
constexpr std::string_view kModule = "CDiagnosticsConfig";
// Spelled so in every trace and error text of the operation; hosts match on it.
constexpr std::string_view kProcedure = "ConfigureDiagnistics";
}  // namespace

CDiagnosticsConfig::CDiagnosticsConfig() : dialog_(std::make_unique<frmDiagsConfig>()) {
    std::string moduleName = "ZEL DiagnosticsConfiguration";
    std::string resourceDll = "KVUIEN.DLL";
    std::string traceName = "Function Level Tracing";
    std::int32_t traceLevel = 64;
    (void)InitSharedServices(moduleName, resourceDll, traceName, traceLevel);
    if (forms::FormHost* host = forms::CurrentFormHost()) SetFormHost(host);
}

CDiagnosticsConfig::~CDiagnosticsConfig() = default;

void CDiagnosticsConfig::SetModalLoop(forms::ModalLoop loop) {
    if (dialog_) dialog_->SetModalLoop(std::move(loop));
}

void CDiagnosticsConfig::SetFormHost(forms::FormHost* host) {
    if (dialog_) dialog_->SetFormHost(host);
}

ResultCode CDiagnosticsConfig::ConfigureDiagnostics(ErrorRef& oError) noexcept {
    const ResultCode result = RunProcedure(kModule, kProcedure, oError, [&] {
        if (!dialog_) ThrowObjectRequired();
        const ResultCode outcome = dialog_->FormLoad(oError);
        dialog_.reset();  // released before the leave trace
        return static_cast<ResultCode>(static_cast<std::int16_t>(outcome));
    });
    dialog_.reset();  // the error path releases it here
    return result;
}

std::int16_t InitSharedServices(std::string& moduleName, std::string& resourceDll, std::string& /*traceName*/,
                                std::int32_t& /*traceLevel*/) noexcept {
    try {
        std::int16_t result = -1;
        Logger& logger = Logger::Existing() ? *Logger::Existing() : Logger::Create();
        logger.Initialize(moduleName, 0);
        if (MessageService::Existing() == nullptr) MessageService::Create().Initialize(resourceDll);
        ErrorRef none;
        if (ResourceStrings::Instance().Initialize("", 0, none) == ResultCode::Failure) result = 0;
        return result;
    } catch (...) {
        return 0;
    }
}

void Main() noexcept {
    TraceIfLogger(level::kStartup, kFunctionEnter, "General", "Main");
    TraceIfLogger(level::kStartup, kFunctionLeave, "General", "Main");
}

}  // namespace diags
