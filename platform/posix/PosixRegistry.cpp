#include "platform/posix/PosixRegistry.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>

#include "platform/registry/Encoding.h"
#include "platform/registry/FileStore.h"

namespace diags::platform::posix {
namespace {

std::string_view HiveName(RootKey root) {
    switch (root) {
        case RootKey::ClassesRoot: return "HKEY_CLASSES_ROOT";
        case RootKey::CurrentUser: return "HKEY_CURRENT_USER";
        case RootKey::LocalMachine: return "HKEY_LOCAL_MACHINE";
        case RootKey::Users: return "HKEY_USERS";
    }
    return "HKEY_LOCAL_MACHINE";
}

std::string EnvOr(const char* name, std::string fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : std::move(fallback);
}

// The value as the ANSI registry call returns it: texts in the ANSI code page with their
// terminating NUL(s), everything else as stored.
std::string AnsiData(const registry::RegValue& value) {
    if (value.type != reg::kSz && value.type != reg::kExpandSz && value.type != reg::kMultiSz)
        return value.data;
    std::string utf8;
    if (!registry::Utf16LeToUtf8(value.data, utf8)) return value.data;
    std::string ansi = registry::Utf8ToCp1252(utf8);
    if (ansi.empty() || ansi.back() != '\0') ansi += '\0';
    return ansi;
}

class StoreRegistry final : public Registry {
public:
    explicit StoreRegistry(registry::Store& store) : store_(store) {}

    std::int32_t OpenKey(RootKey root, std::string_view subKey, std::uint32_t, RegKeyHandle& key) override {
        std::lock_guard lock(mutex_);
        key = 0;
        std::string path(HiveName(root));
        if (!subKey.empty()) path += "\\" + std::string(subKey);
        bool found = false;
        if (!Visit(path, [&](const registry::RegKey* k) { found = k != nullptr; }) || !found) return reg::kFileNotFound;
        key = next_++;
        open_.emplace(key, std::move(path));
        return reg::kSuccess;
    }

    std::int32_t QueryValue(RegKeyHandle key, std::string_view name, std::uint32_t* type, char* data,
                            std::uint32_t* size) override {
        std::lock_guard lock(mutex_);
        const auto it = open_.find(key);
        if (it == open_.end()) return reg::kInvalidHandle;
        if (data && !size) return kInvalidParameter;
        std::optional<registry::RegValue> value;
        const bool read = Visit(it->second, [&](const registry::RegKey* k) {
            if (const auto v = k ? k->FindValue(name) : std::nullopt) value = v->Copy();
        });
        if (!read || !value) return reg::kFileNotFound;
        const std::string bytes = AnsiData(*value);
        const auto needed = static_cast<std::uint32_t>(bytes.size());
        if (type) *type = value->type;
        if (!data) {
            if (size) *size = needed;
            return reg::kSuccess;
        }
        if (*size < needed) {
            *size = needed;
            return reg::kMoreData;
        }
        std::memcpy(data, bytes.data(), bytes.size());
        *size = needed;
        return reg::kSuccess;
    }

    std::int32_t CloseKey(RegKeyHandle key) override {
        std::lock_guard lock(mutex_);
        return open_.erase(key) ? reg::kSuccess : reg::kInvalidHandle;
    }

private:
    static constexpr std::int32_t kInvalidParameter = 87;

    bool Visit(const std::string& path, const std::function<void(const registry::RegKey*)>& visit) {
        const registry::Status s = store_.VisitTree(path, visit);
        if (!s && !reported_) {  // a damaged registry file reads as "no such key", reported once
            reported_ = true;
            std::fprintf(stderr, "registry: %s\n", s.message().c_str());
        }
        return s.ok();
    }

    registry::Store& store_;
    std::mutex mutex_;
    std::map<RegKeyHandle, std::string> open_;
    RegKeyHandle next_ = 0x1000;
    bool reported_ = false;
};

}  // namespace

std::string RegistryFilePath() {
    static const std::string path = [] {
        if (const char* file = std::getenv("DIAGS_REGISTRY_FILE"); file && *file) return std::string(file);
        const std::string config = EnvOr("XDG_CONFIG_HOME", EnvOr("HOME", ".") + "/.config");
        return config + "/diagsconfig/registry.reg";
    }();
    return path;
}

std::unique_ptr<Registry> MakeStoreRegistry(registry::Store& store) {
    return std::make_unique<StoreRegistry>(store);
}

Registry& NativeRegistry() {
    static StoreRegistry registry(registry::NativeStore());
    return registry;
}

}  // namespace diags::platform::posix

namespace diags::platform::registry {

Store& NativeStore() {
    static FileStore store(posix::RegistryFilePath());
    return store;
}

}  // namespace diags::platform::registry
