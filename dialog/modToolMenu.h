#pragma once
// Building the dialog's menu bar and tool bar.
#include <cstdint>
#include <string_view>

#include "forms/MenuBar.h"
#include "services/ErrorObject.h"
#include "services/ResultCode.h"

namespace diags {

// Builds the six bands and their tools on the bar; 1, or 3 with oError replaced (the bar is
// then left as far as it was built).
ResultCode SetMenuButtons(forms::MenuBar& bar, ErrorRef& oError);

// Sets up one existing tool (band by key, then tool by key): caption, the two always-true
// properties, picture (imageId > 0, 16 x 16), description, tip, shortcut (1..79) and
// begin-group (only when true). 1, or 3 when a step failed (the rest is then skipped).
std::int32_t SetMenuTool(forms::MenuBar& bar, std::string_view bandKey, std::string_view toolKey,
                         std::string_view caption, std::int32_t imageId, bool enabled, bool visible,
                         std::string_view description, std::string_view tip, std::int32_t shortcut,
                         bool beginGroup);

}  // namespace diags
