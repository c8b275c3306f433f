#include "hostconfig/DefaultConfiguration.h"

#include <cstdlib>

#include "hostconfig/LogConfiguration.h"
#include "hostconfig/Properties.h"
#include "platform/registry/Encoding.h"
#include "platform/registry/RegFile.h"

namespace diags::hostconfig {
namespace registry = platform::registry;

namespace {

constexpr std::string_view kLogDirToken = "%LOGDIR%";
constexpr std::string_view kCommonFilesKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltrane\\Common Files";

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && registry::SameName(text.substr(0, prefix.size()), prefix);
}

// "%LOGDIR%\ZEL AuthServer" -> "<logDirectory>/ZEL AuthServer" with this system's separator.
std::string PlaceDirectory(std::string_view value, std::string_view logDirectory) {
    std::string rest(value.substr(kLogDirToken.size()));
    for (char& c : rest)
        if (c == '\\') c = kSeparator;
    std::string out(logDirectory);
    if (!rest.empty() && rest.front() == kSeparator && !out.empty() && out.back() == kSeparator) rest.erase(0, 1);
    return out + rest;
}

}  // namespace

extern const char kDefaultConfigurationData[];
extern const std::size_t kDefaultConfigurationSize;

std::string_view DefaultConfigurationFile() {
    return std::string_view(kDefaultConfigurationData, kDefaultConfigurationSize);
}

std::string DefaultLogDirectory(registry::Store& store) {
    std::optional<registry::RegKey> key;
    if (store.ReadTree(kCommonFilesKey, key).ok() && key) {
        if (const auto path = key->FindValue("Path")) {
            if (auto text = path->AsText(); text && !text->empty()) {
                const char last = text->back();
                return *text + (last == '\\' || last == '/' ? "" : std::string(1, kSeparator)) + "Log";
            }
        }
    }
#ifdef _WIN32
    const std::string data = Env("ProgramData");
    return (data.empty() ? std::string("C:\\ProgramData") : data) + "\\Veltrane\\Log";
#else
    std::string state = Env("XDG_STATE_HOME");
    if (state.empty()) state = (Env("HOME").empty() ? std::string(".") : Env("HOME")) + "/.local/state";
    return state + "/diagsconfig/Log";
#endif
}

registry::Status DefaultConfigurationChanges(std::string_view rootKey, std::string_view logDirectory,
                                             std::vector<registry::KeyChange>& out) {
    registry::ParsedFile parsed;
    if (auto s = registry::ParseRegFile(DefaultConfigurationFile(), "the built-in default configuration", parsed); !s)
        return s;
    const std::string_view dirName = PropertyValueName(prop::kDirectory);
    for (auto& change : parsed.changes) {
        if (StartsWithNoCase(change.path, kBuiltInRootKey))
            change.path = std::string(rootKey) + change.path.substr(kBuiltInRootKey.size());
        for (auto& v : change.values) {
            if (!v.value || !registry::SameName(v.name, dirName)) continue;
            const auto text = v.value->AsText();
            if (text && text->starts_with(kLogDirToken))
                v.value = registry::RegValue::Text(PlaceDirectory(*text, logDirectory));
        }
        out.push_back(std::move(change));
    }
    return registry::Status::Ok();
}

registry::Status InstallDefaultConfiguration(registry::Store& store, std::string_view rootKey, bool& installed) {
    installed = false;
    std::vector<registry::KeyChange> changes;
    if (auto s = DefaultConfigurationChanges(rootKey, DefaultLogDirectory(store), changes); !s) return s;
    return store.ApplyIfMissing(rootKey, changes, installed);
}

}  // namespace diags::hostconfig
