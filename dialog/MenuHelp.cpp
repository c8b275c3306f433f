#include "dialog/MenuHelp.h"

#include <string>

#include "base/Text.h"
#include "dialog/DialogNames.h"
#include "common/modCommonFunctions.h"
#include "common/modWebFunctions.h"
#include "forms/CMousePointer.h"
#include "platform/Platform.h"
#include "services/Logger.h"
#include "services/Procedure.h"

namespace diags {

namespace {
// Help opening traces at the start-up level, as Main does.
constexpr std::string_view kModule = "General";
constexpr std::string_view kProcedure = "ProcessMenuHelp";
}  // namespace

ResultCode ProcessMenuHelp(std::string_view helpFile, forms::Form& dialog, std::int32_t& helpContextId,
                           std::string_view toolKey, ErrorRef& oError) {
    TraceIfLogger(level::kStartup, kFunctionEnter, kModule, kProcedure);
    const ResultCode result = CatchRuntimeErrors(
        [&]() -> ResultCode {
            CMousePointer busy;
            busy.SetCursor(platform::pointer::kHourglass);
            const std::string site(kWebSite);
            if (EqualsNoCase(toolKey, toolkey::kContents)) {
                ShowHelp(dialog.hWnd(), helpFile, kHelpFinder, 0);
            } else if (EqualsNoCase(toolKey, toolkey::kHelpF1)) {
                ShowHelp(dialog.hWnd(), helpFile, kHelpContext, helpContextId);
            } else if (EqualsNoCase(toolKey, toolkey::kHome)) {
                OpenDocument(site + "/");
            } else if (EqualsNoCase(toolKey, toolkey::kSupport)) {
                OpenDocument(site + std::string(kSupportPath));
            } else if (EqualsNoCase(toolKey, toolkey::kServices)) {
                OpenDocument(site + std::string(kServicesPath));
            } else if (EqualsNoCase(toolKey, toolkey::kNews)) {
                OpenDocument(site + std::string(kNewsPath));
            }
            return ResultCode::Success;
        },
        [&](std::int32_t number, std::string_view description, std::int32_t line) {
            oError = MakeError(kModule, kProcedure, number, description, line);
            return ResultCode::Failure;
        });
    TraceIfLogger(level::kStartup, kFunctionLeave, kModule, kProcedure);
    return result;
}

}  // namespace diags
