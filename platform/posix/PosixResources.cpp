#include "platform/posix/PosixResources.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <unordered_map>

#include "base/Text.h"
#include "resources/strings.h"

namespace diags::platform::posix {
namespace {

constexpr std::int32_t kPictureIds[] = {102, 148, 171, 2006, 2008, 5022, 5023, 5024, 5025, 6703, 6704, 6705};

const std::unordered_map<std::int32_t, std::string_view>& StringsById() {
    static const auto table = [] {
        std::unordered_map<std::int32_t, std::string_view> byId;
        for (const auto& entry : resources::BuiltInStrings()) byId.emplace(entry.id, entry.text);
        return byId;
    }();
    return table;
}

}  // namespace

std::span<const std::int32_t> KnownPictureIds() noexcept { return kPictureIds; }

bool PosixResources::Open(std::string_view moduleName) {
    const auto slash = moduleName.find_last_of("/\\");
    const std::string_view file = slash == std::string_view::npos ? moduleName : moduleName.substr(slash + 1);
    const bool ours = EqualsNoCase(file, kResourceModule);
    if (ours) open_ = true;
    return ours;
}

std::optional<std::string> PosixResources::String(std::int32_t id) {
    if (!open_) return std::nullopt;
    const auto& table = StringsById();
    const auto found = table.find(id);
    if (found == table.end()) return std::nullopt;
    return std::string(found->second);
}

PicturePtr PosixResources::LoadPicture(std::int32_t id, std::int32_t width, std::int32_t height) {
    if (!open_ || width <= 0 || height <= 0) return nullptr;
    if (std::find(std::begin(kPictureIds), std::end(kPictureIds), id) == std::end(kPictureIds))
        return nullptr;
    return std::make_shared<const PosixPicture>(id, width, height);
}

std::string PosixResources::ModuleDirectory() {
    if (const char* forced = std::getenv("DIAGS_MODULE_DIR"); forced && *forced) return forced;
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path(ec).string();
    return exe.parent_path().string();
}

}  // namespace diags::platform::posix
