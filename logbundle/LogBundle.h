#pragma once
// One zip file with everything support needs about the logs of a configuration: every log
// file it names (the error log included), the configuration as a registry file, and a
// manifest (when, which machine and user, the product folder, the component's version, which
// editors and tasks were on, each file's size and time, and why a file could not be read).
//
// Log files are read with sharing, so a logger writing one is never blocked; a file is copied
// as it is when read (a circular log whole, its end-of-log line included). A file that cannot be
// read is listed in the manifest and never fails the bundle. With several files, two of them
// are compressed at once.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry/Store.h"

namespace diags::logbundle {

struct BundleOptions {
    std::string zipPath;                  // UTF-8 (removed again when the bundle cannot be finished)
    std::optional<std::int64_t> since;    // only files written at or after (seconds since 1970)
    std::string machine, user, productFolder, version;
    // Called now and then from the calling thread: the file being added, bytes read so far
    // of all, and all bytes expected.
    std::function<void(const std::string& file, std::uint64_t done, std::uint64_t total)> progress;
    unsigned threads = 2;
};

struct BundledFile {
    std::string label;     // the outputs that write it ("A\\B, C\\D")
    std::string path;      // UTF-8
    std::string entry;     // name inside the zip; empty when not included
    std::uint64_t size = 0;
    std::optional<std::int64_t> lastWrite;
    std::string problem;   // why it was not read (or not whole); empty when fine
    bool skipped = false;  // older than --since
};

struct BundleResult {
    std::vector<BundledFile> files;
    std::vector<std::string> tracesOn;  // "Report Editor", "Metric Editor (partly)"
    std::uint64_t bytesIn = 0, bytesOut = 0;
};

// Makes the bundle. False and `why` when the zip file itself could not be made (a log file
// that cannot be read is only listed).
bool MakeBundle(platform::registry::Store& store, const std::string& rootKey, const BundleOptions& options,
                BundleResult& result, std::string& why);

// The editors and tasks whose outputs write (all of them: on; some: partly), from the
// configuration alone.
std::vector<std::string> TracesOn(platform::registry::Store& store, const std::string& rootKey);

// The product folder (the "Path" value of HKEY_LOCAL_MACHINE\SOFTWARE\Veltrane\Common Files),
// or a note that it is not set and where the logs go instead.
std::string ProductFolder(platform::registry::Store& store);

// This machine's name and the user's, for the manifest.
std::string MachineName();
std::string UserName();

}  // namespace diags::logbundle
