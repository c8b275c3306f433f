#pragma once
// The Linux registry: the Win32-shaped Registry interface of the platform seam served by the
// file-backed registry store.
//
// The registry file is, in order of preference:
//   $DIAGS_REGISTRY_FILE
//   $XDG_CONFIG_HOME/diagsconfig/registry.reg
//   $HOME/.config/diagsconfig/registry.reg
// It holds every hive (HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, ...) in the registry export
// format; see hostconfig/README.md.
#include <string>

#include "platform/Platform.h"
#include "platform/registry/Store.h"

namespace diags::platform::posix {

// The process-wide registry over the registry file. Lives for the whole process.
Registry& NativeRegistry();

// The registry file this process uses (read from the environment once, at first use).
std::string RegistryFilePath();

// A Registry over any store (tests, tools). The store must outlive it.
std::unique_ptr<Registry> MakeStoreRegistry(registry::Store& store);

}  // namespace diags::platform::posix
