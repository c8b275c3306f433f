#pragma once
// Help-file lookup, error objects and error display of the shared GUI library.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/RuntimeError.h"
#include "services/ErrorObject.h"
#include "services/ResultCode.h"

namespace diags {

class Logger;

inline constexpr std::string_view kAppTitle = "Veltrane Desktop";
inline constexpr std::string_view kComponentTitle = "Diagnostics Configuration";

class SharedGlobals {
public:
    static SharedGlobals& Instance();

    // The help file of a product (6 = this component): its path and 1, or 3 with oError filled.
    ResultCode GetHelpFile(std::int32_t product, std::string& path, ErrorRef& oError);
    // Builds the error object for a run-time failure and traces it through the logger.
    ErrorRef HandleError(std::int32_t number, std::string_view description,
                         std::string_view applicationTitle, std::string_view componentTitle,
                         std::string_view module, std::string_view procedure, std::int32_t line,
                         Logger* logger);
    // Shows the error to the user in a message box with the given style and message.
    void ShowError(const ErrorRef& error, std::int32_t style, std::string_view title,
                   std::string_view message);

private:
    SharedGlobals() = default;
};

}  // namespace diags
