#pragma once
// Texts and pictures of the resource DLL (KVUIEN.DLL), by numeric id.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/Platform.h"
#include "services/ErrorObject.h"
#include "services/ResultCode.h"

namespace diags {

// A control whose font the resource DLL decides (implemented by the form models).
class FontTarget {
public:
    virtual ~FontTarget() = default;
    virtual void SetFont(std::string_view faceName, double points) = 0;
};

class ResourceStrings {
public:
    static ResourceStrings& Instance();

    // Opens the resource DLL; 3 (with oError filled) when it cannot be found.
    ResultCode Initialize(std::string_view path, std::int16_t flags, ErrorRef& oError);
    // The text with that id; a visible placeholder ("<missing string 1234>") when there is none.
    std::string GetString(std::int32_t id);
    // The picture with that id at that pixel size; throws RuntimeError when there is none.
    platform::PicturePtr LoadPictureRes(std::int32_t id, std::int32_t width, std::int32_t height);
    // Gives every control the dialog font of the resource DLL.
    void ApplyControlFonts(std::int32_t a, std::int32_t b, std::span<FontTarget* const> controls);

private:
    ResourceStrings() = default;
};

}  // namespace diags
