#pragma once
// The default log configuration shipped with the product (resources/defaultconfig), built into
// the program, and its installation into a store that has none.
#include <string>
#include <string_view>

#include "platform/registry/Store.h"

namespace diags::hostconfig {

// The shipped registry file, as built in.
std::string_view DefaultConfigurationFile();

// The product's log folder: the "Path" value under HKEY_LOCAL_MACHINE\SOFTWARE\Veltrane\Common
// Files followed by "Log"; without it, a per-user folder ($XDG_STATE_HOME or ~/.local/state,
// then diagsconfig/Log) on Linux and %ProgramData%\Veltrane\Log on Windows.
std::string DefaultLogDirectory(platform::registry::Store& store);

// The default configuration's changes, moved under `rootKey`, with its directories placed
// under `logDirectory`.
platform::registry::Status DefaultConfigurationChanges(std::string_view rootKey, std::string_view logDirectory,
                                                       std::vector<platform::registry::KeyChange>& out);

// Installs the default configuration under `rootKey` unless that key exists (decided
// atomically with the write). `installed` tells whether it did.
platform::registry::Status InstallDefaultConfiguration(platform::registry::Store& store, std::string_view rootKey,
                                                       bool& installed);

}  // namespace diags::hostconfig
