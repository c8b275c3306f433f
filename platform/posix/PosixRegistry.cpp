#include "platform/posix/PosixRegistry.h"

#include <mutex>

namespace diags::platform::posix {
namespace {

// Until the file store is wired in, no key exists: every open reports "not found", which is
// what the callers see on a machine without the product's registry entries.
class FileRegistry final : public Registry {
public:
    std::int32_t OpenKey(RootKey, std::string_view, std::uint32_t, RegKeyHandle& key) override {
        key = 0;
        return reg::kFileNotFound;
    }
    std::int32_t QueryValue(RegKeyHandle, std::string_view, std::uint32_t*, char*, std::uint32_t*) override {
        return reg::kInvalidHandle;
    }
    std::int32_t CloseKey(RegKeyHandle) override { return reg::kInvalidHandle; }
};

}  // namespace

Registry& NativeRegistry() {
    static FileRegistry registry;
    return registry;
}

}  // namespace diags::platform::posix
