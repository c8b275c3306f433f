#pragma once
// What the console's commands share: the failure that ends a command with an exit code and a
// text, and the store and options a command runs with.
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/registry/Store.h"

namespace diags::tools {

struct Failure {
    int code;
    std::string message;
};

// The store and the options given before the command's own arguments.
struct CommandContext {
    platform::registry::Store& store;
    std::string rootKey;
    std::optional<std::string> configFile;  // --config: a registry file instead of the system's store
    bool json = false;                      // --json: the same facts as one JSON object
    std::ostream& out;
    std::ostream& err;
};

}  // namespace diags::tools
