#include "common/modRegistry.h"

#include <algorithm>
#include <cstring>

namespace diags {

namespace {

constexpr std::uint32_t kOpenAccess = 0x3F;  // query, set, create sub-key, enumerate, notify, link

// Closes an opened key on every path out.
class OpenedKey {
public:
    OpenedKey(platform::Registry& registry, std::string_view keyPath) : registry_(registry) {
        registry_.OpenKey(platform::RootKey::LocalMachine, keyPath, kOpenAccess, handle_);
    }
    ~OpenedKey() {
        if (handle_ != 0) registry_.CloseKey(handle_);
    }
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;
    platform::RegKeyHandle Handle() const noexcept { return handle_; }

private:
    platform::Registry& registry_;
    platform::RegKeyHandle handle_ = 0;
};

}  // namespace

RegistryValue GetRegistryValue(std::string_view keyPath, std::string_view valueName) noexcept {
    RegistryValue value;
    try {
        platform::Registry& registry = *platform::Current().registry;
        // The result of the open is deliberately not examined: a key that is not there
        // leaves a null handle, and reading through it fails, giving the empty value.
        const OpenedKey key(registry, keyPath);
        QueryRegValue(key.Handle(), valueName, value);
    } catch (...) {
        value = std::monostate{};
    }
    return value;
}

std::int32_t QueryRegValue(platform::RegKeyHandle key, std::string_view valueName, RegistryValue& value) noexcept {
    try {
        platform::Registry& registry = *platform::Current().registry;
        std::uint32_t type = 0;
        std::uint32_t size = 0;
        std::int32_t result = registry.QueryValue(key, valueName, &type, nullptr, &size);
        if (result != platform::reg::kSuccess) return result;

        if (type == platform::reg::kSz) {
            std::string buffer(size, '\0');
            result = registry.QueryValue(key, valueName, &type, buffer.data(), &size);
            if (result == platform::reg::kSuccess) {
                // The reported size counts the terminating NUL, which is dropped.
                if (size > 0) value = buffer.substr(0, std::min<std::size_t>(size, buffer.size()) - 1);
            } else {
                value = std::monostate{};
            }
            return result;
        }
        if (type == platform::reg::kDword) {
            char bytes[4] = {};
            size = sizeof bytes;
            result = registry.QueryValue(key, valueName, &type, bytes, &size);
            if (result == platform::reg::kSuccess) {
                std::uint32_t number = 0;
                std::memcpy(&number, bytes, sizeof number);  // little-endian, as stored
                value = static_cast<std::int32_t>(number);
            }
            return result;
        }
        return -1;
    } catch (...) {
        return -1;
    }
}

}  // namespace diags
