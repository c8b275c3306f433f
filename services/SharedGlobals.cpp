#include "services/SharedGlobals.h"

#include <cstdlib>
#include <memory>

#include "platform/Platform.h"
#include "services/Logger.h"
#include "services/Procedure.h"

namespace diags {
namespace {

constexpr std::int32_t kThisProduct = 6;
constexpr std::string_view kHelpFileName = "DiagsConfig.htm";

ErrorRef HelpError(std::int32_t number, std::string description) {
    return SharedGlobals::Instance().HandleError(number, description, kAppTitle, kComponentTitle,
                                                 "SharedGlobals", "GetHelpFile", 0, Logger::Existing());
}

}  // namespace

SharedGlobals& SharedGlobals::Instance() {
    static SharedGlobals instance;
    return instance;
}

ResultCode SharedGlobals::GetHelpFile(std::int32_t product, std::string& path, ErrorRef& oError) {
    if (product != kThisProduct) {
        oError = HelpError(err::kInvalidCall, "No help file is known for product " + std::to_string(product));
        return ResultCode::Failure;
    }
    auto& current = platform::Current();
    std::string candidate;
    if (const char* forced = std::getenv("DIAGS_HELP_FILE"); forced && *forced) {
        candidate = forced;
    } else {
        candidate = current.resources->ModuleDirectory();
        if (!candidate.empty() && candidate.back() != current.fileSystem->Separator())
            candidate += current.fileSystem->Separator();
        candidate += kHelpFileName;
    }
    if (!current.fileSystem->EntryExists(candidate)) {
        oError = HelpError(err::kFileNotFound, "The help file " + candidate + " was not found");
        return ResultCode::Failure;
    }
    path = std::move(candidate);
    return ResultCode::Success;
}

ErrorRef SharedGlobals::HandleError(std::int32_t number, std::string_view description,
                                    std::string_view applicationTitle, std::string_view componentTitle,
                                    std::string_view module, std::string_view procedure, std::int32_t line,
                                    Logger* logger) {
    auto error = std::make_shared<ErrorObject>();
    error->number = number;
    error->description = std::string(description);
    error->applicationTitle = std::string(applicationTitle);
    error->componentTitle = std::string(componentTitle);
    error->module = std::string(module);
    error->procedure = std::string(procedure);
    error->line = line;
    if (logger) logger->Trace(level::kFunction, kErrorLine, module, procedure, number, description, line);
    return error;
}

void SharedGlobals::ShowError(const ErrorRef& error, std::int32_t style, std::string_view title,
                              std::string_view message) {
    std::string caption(title);
    std::string text(message);
    if (error) {
        if (caption.empty()) {
            caption = error->applicationTitle;
            if (!error->componentTitle.empty())
                caption += (caption.empty() ? "" : " - ") + error->componentTitle;
        }
        if (!text.empty()) text += "\n\n";
        text += "Error " + std::to_string(error->number);
        if (!error->description.empty()) text += ": " + error->description;
        if (!error->module.empty() || !error->procedure.empty())
            text += "\nin " + error->module + (error->procedure.empty() ? "" : "." + error->procedure);
        if (error->line != 0) text += ", line " + std::to_string(error->line);
    }
    if (caption.empty()) caption = std::string(kAppTitle) + " - " + std::string(kComponentTitle);
    platform::Current().interaction->ShowMessage(text, style, caption);
}

}  // namespace diags
