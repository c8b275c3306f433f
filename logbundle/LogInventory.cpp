#include "logbundle/LogInventory.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <map>

#include "base/CalendarTime.h"
#include "base/Text.h"
#include "hostconfig/LogConfiguration.h"
#include "platform/registry/Encoding.h"

namespace diags::logbundle {
namespace {

namespace fs = std::filesystem;
namespace registry = platform::registry;

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

}  // namespace

std::string AnsiPathOf(const hostconfig::OutputSettings& s) {
    std::string path = s.directory;
    if (!path.empty() && path.back() != kSeparator && path.back() != '/') path += kSeparator;
    return path + s.fileName;
}

namespace {

// The most bytes a circular log holds, as the Logger caps it.
std::uint64_t CircularCap(const hostconfig::OutputSettings& s) {
    const double kb = s.fileSizeKb > 0 && std::isfinite(s.fileSizeKb) ? s.fileSizeKb : 24;
    return static_cast<std::uint64_t>(std::floor(std::min(kb, 1e6) * 1024));
}

}  // namespace

std::string ModeText(hostconfig::FileMode mode) {
    switch (mode) {
        case hostconfig::FileMode::Append: return "Append";
        case hostconfig::FileMode::Circular: return "Circular";
        case hostconfig::FileMode::Overwrite: return "Overwrite";
    }
    return "";
}

std::string TimeText(std::int64_t seconds) {
    const std::tm tm = base::UtcParts(seconds);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &tm);
    return buffer;
}

std::optional<std::int64_t> LastWriteOf(const std::string& ansiPath) {
    std::error_code ec;
    const auto when = fs::last_write_time(fs::path(ansiPath), ec);
    if (ec) return std::nullopt;
    const auto system = std::chrono::file_clock::to_sys(when);
    return std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
}

registry::Status TakeInventory(registry::Store& store, const std::string& rootKey, Inventory& inventory) {
    inventory = Inventory{};
    hostconfig::LogConfigNodePtr root;
    if (auto s = hostconfig::LogConfiguration::TryOpen(store, rootKey, false, root); !s) return s;
    inventory.configured = root->Children().Count() > 0;

    // path (folded) -> indices into files, for the shared-file warning and the worst case
    std::map<std::string, std::vector<std::size_t>> byFile;
    std::map<std::string, std::vector<std::string>> missingDirectories;
    for (const auto& component : root->Children()) {
        for (hostconfig::OutputSettings& s : hostconfig::ComponentOutputs(*root, component->Name())) {
            const std::string label = registry::Cp1252ToUtf8(
                component->Children().Count() == 0 ? std::string(component->Name()) : std::string(component->Name()) + "\\" + s.name);
            if (s.debugMonitor) inventory.monitors.push_back(label);
            if (!s.logToFile) continue;
            LogOutput out;
            out.label = label;
            const std::string ansi = AnsiPathOf(s);
            out.path = registry::Cp1252ToUtf8(ansi);
            std::error_code ec;
            const fs::path file(ansi);
            out.exists = fs::is_regular_file(file, ec);
            if (out.exists) {
                out.size = fs::file_size(file, ec);
                out.lastWrite = LastWriteOf(ansi);
            }
            if (!s.directory.empty() && !fs::is_directory(fs::path(s.directory), ec))
                missingDirectories[registry::Cp1252ToUtf8(s.directory)].push_back(label);
            if (s.mode == hostconfig::FileMode::Append)
                inventory.warnings.push_back({"appends to " + out.path + " without any bound", {label}});
            out.settings = std::move(s);
#ifdef _WIN32
            byFile[FoldCase(fs::path(ansi).lexically_normal().string())].push_back(inventory.files.size());
#else
            byFile[fs::path(ansi).lexically_normal().string()].push_back(inventory.files.size());
#endif
            inventory.files.push_back(std::move(out));
        }
    }
    for (const auto& [directory, labels] : missingDirectories)
        inventory.warnings.push_back({"the directory " + directory + " does not exist", labels});
    for (const auto& [key, indices] : byFile) {
        const LogOutput& first = inventory.files[indices.front()];
        std::uint64_t cap = 0;
        bool circular = false, differ = false;
        std::vector<std::string> labels;
        for (const std::size_t i : indices) {
            const LogOutput& o = inventory.files[i];
            labels.push_back(o.label);
            const bool isCircular = o.settings.mode == hostconfig::FileMode::Circular;
            circular = circular || isCircular;
            if (isCircular) cap = std::max(cap, CircularCap(o.settings));
            differ = differ || o.settings.mode != first.settings.mode ||
                     (isCircular && CircularCap(o.settings) != CircularCap(first.settings));
        }
        if (circular) {
            inventory.cappedBytes += cap;
            ++inventory.cappedFiles;
        } else {
            ++inventory.uncappedFiles;
        }
        if (indices.size() < 2) continue;
        std::string warning = std::to_string(indices.size()) + " outputs write one file, " + first.path;
        if (differ && circular)
            warning += "; their modes or caps differ, so they corrupt each other's circular wrap";
        else if (circular)
            warning += "; each writer keeps its own place in the circular wrap, so they overwrite each other's lines";
        inventory.warnings.push_back({warning, labels});
    }
    return registry::Status::Ok();
}

}  // namespace diags::logbundle
