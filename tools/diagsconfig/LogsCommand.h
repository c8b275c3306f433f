#pragma once
// diagsconfig logs: every output that writes a file (its path, mode, circular cap, the file's
// size and last write), the outputs that write to the debug monitor, warnings (one file written
// by several outputs, a missing directory, appending without a bound) and the worst-case disk
// use of the capped logs together. Read through the host's log configuration only.
#include <string>
#include <vector>

#include "tools/diagsconfig/Failure.h"

namespace diags::tools {

int RunLogsCommand(CommandContext& context, const std::vector<std::string>& args);
int RunCollectCommand(CommandContext& context, const std::vector<std::string>& args);

}  // namespace diags::tools
