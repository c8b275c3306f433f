#include "services/ResourceStrings.h"

#include "base/RuntimeError.h"
#include "base/Text.h"
#include "services/Logger.h"
#include "services/SharedGlobals.h"

namespace diags {
namespace {

constexpr std::string_view kDefaultModule = "KVUIEN.DLL";
constexpr std::int32_t kResourceNotFound = 326;  // resource with that identifier not found

// Process-wide: whether the resource module has been opened.
bool& ModuleOpen() {
    static bool open = false;
    return open;
}

platform::Resources& Resources() { return *platform::Current().resources; }

// Opens the default module once when a caller reads before anyone initialised us.
bool EnsureOpen() {
    bool& open = ModuleOpen();
    if (!open) open = Resources().Open(kDefaultModule);
    return open;
}

// The dialog font: far-east systems need a face that has their script.
struct DialogFont {
    std::string_view face;
    double points;
};

DialogFont FontForLanguage(std::uint16_t langId) noexcept {
    switch (langId) {
        case 0x0411: return {"MS UI Gothic", 9.0};
        case 0x0412: case 0x0812: return {"Gulim", 9.0};
        case 0x0404: case 0x0C04: case 0x1404: return {"PMingLiU", 9.0};
        case 0x0804: case 0x1004: return {"SimSun", 9.0};
        default: return {"MS Sans Serif", 8.25};
    }
}

}  // namespace

ResourceStrings& ResourceStrings::Instance() {
    static ResourceStrings instance;
    return instance;
}

ResultCode ResourceStrings::Initialize(std::string_view path, std::int16_t /*flags*/, ErrorRef& oError) {
    const std::string_view module = path.empty() ? kDefaultModule : path;
    if (Resources().Open(module)) {
        ModuleOpen() = true;
        return ResultCode::Success;
    }
    try {
        oError = SharedGlobals::Instance().HandleError(
            err::kFileNotFound, "The resource module " + std::string(module) + " could not be opened",
            kAppTitle, kComponentTitle, "ResourceStrings", "Initialize", 0, Logger::Existing());
    } catch (...) {
        oError = nullptr;  // out of memory: the result still says it failed
    }
    return ResultCode::Failure;
}

std::string ResourceStrings::GetString(std::int32_t id) {
    if (EnsureOpen()) {
        if (auto text = Resources().String(id)) return *std::move(text);
    }
    // Visible in the dialog, so a missing text is noticed rather than shown as a blank.
    return "<missing string " + std::to_string(id) + ">";
}

platform::PicturePtr ResourceStrings::LoadPictureRes(std::int32_t id, std::int32_t width, std::int32_t height) {
    platform::PicturePtr picture = EnsureOpen() ? Resources().LoadPicture(id, width, height) : nullptr;
    if (!picture)
        throw RuntimeError(kResourceNotFound,
                           "Resource with identifier '" + std::to_string(id) + "' not found");
    return picture;
}

void ResourceStrings::ApplyControlFonts(std::int32_t, std::int32_t, std::span<FontTarget* const> controls) {
    const DialogFont font = FontForLanguage(platform::Current().windowing->SystemDefaultLangId());
    for (FontTarget* control : controls)
        if (control) control->SetFont(font.face, font.points);
}

}  // namespace diags
