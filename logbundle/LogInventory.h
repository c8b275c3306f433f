#pragma once
// Where the logs of a configuration go, read through the host's log configuration (never
// through the dialog): every output as the Logger sees it, the file it writes with that file's
// size and last write, and what is worth a warning.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hostconfig/LogFile.h"
#include "platform/registry/Store.h"

namespace diags::logbundle {

struct LogOutput {
    std::string label;  // "Component\Output", or the component that carries its settings (UTF-8)
    hostconfig::OutputSettings settings;  // ANSI texts, as the Logger reads them
    std::string path;                     // the file it writes (UTF-8); empty without a file
    bool exists = false;                  // the file exists now
    std::uint64_t size = 0;
    std::optional<std::int64_t> lastWrite;  // seconds since 1970 (UTC)
};

// Something worth a look, and the outputs it concerns.
struct Warning {
    std::string text;
    std::vector<std::string> outputs;
};

struct Inventory {
    bool configured = false;         // the root key exists
    std::vector<LogOutput> files;    // outputs that write a file, in configuration order
    std::vector<std::string> monitors;  // outputs that write to the debug monitor
    std::vector<Warning> warnings;
    std::uint64_t cappedBytes = 0;      // worst case of the circular logs together
    std::size_t cappedFiles = 0, uncappedFiles = 0;
};

// Reads the configuration under `rootKey` (nothing is installed or written) and looks at the
// files; the reason when the store cannot be read.
platform::registry::Status TakeInventory(platform::registry::Store& store, const std::string& rootKey,
                                         Inventory& out);
// The file an output writes, joined as the Logger joins it (ANSI).
std::string AnsiPathOf(const hostconfig::OutputSettings& settings);

std::string ModeText(hostconfig::FileMode mode);
// "2026-12-07 01:02:03" (UTC).
std::string TimeText(std::int64_t secondsSince1970);
// The last write of a file as seconds since 1970, or nullopt.
std::optional<std::int64_t> LastWriteOf(const std::string& utf8Path);

}  // namespace diags::logbundle
