#pragma once
// The help and web commands of the menu bar and the F1 key.
#include <cstdint>
#include <string_view>

#include "forms/Form.h"
#include "services/ErrorObject.h"
#include "services/ResultCode.h"

namespace diags {

// The vendor's web site; the home page is the site itself, the other pages are its paths.
inline constexpr std::string_view kWebSite = "https://www.veltrane.com";
inline constexpr std::string_view kSupportPath = "/Support/";
inline constexpr std::string_view kServicesPath = "/Services/";
inline constexpr std::string_view kNewsPath = "/News/";

// WinHelp commands.
inline constexpr std::int32_t kHelpContext = 1;
inline constexpr std::int32_t kHelpFinder = 11;

// Carries out one help or web command by tool key (compared without regard to case):
// mnuContentsAndIndex, TOOL_HELP_F1 (topic helpContextId), mnuQORHome, mnuOnlineSupport,
// mnuServices, mnuNewsEvents. 1, or 3 with oError replaced on a run-time failure.
ResultCode ProcessMenuHelp(std::string_view helpFile, forms::Form& dialog, std::int32_t& helpContextId,
                           std::string_view toolKey, ErrorRef& oError);

}  // namespace diags
