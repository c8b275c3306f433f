#pragma once
// The resource module on Linux: KVUIEN.DLL's texts come from the built-in table generated
// from the same list as the Windows STRINGTABLE; its pictures are described by id and size
// (there is nothing to draw them with here).
#include <atomic>
#include <cstdint>
#include <span>

#include "platform/Platform.h"

namespace diags::platform::posix {

inline constexpr std::string_view kResourceModule = "KVUIEN.DLL";

// Every picture id the resource module carries.
std::span<const std::int32_t> KnownPictureIds() noexcept;

class PosixPicture final : public Picture {
public:
    PosixPicture(std::int32_t id, std::int32_t width, std::int32_t height) noexcept
        : id_(id), width_(width), height_(height) {}
    std::int32_t Id() const noexcept override { return id_; }
    std::int32_t Width() const noexcept override { return width_; }
    std::int32_t Height() const noexcept override { return height_; }
    std::uintptr_t NativeHandle() const noexcept override { return 0; }

private:
    std::int32_t id_, width_, height_;
};

class PosixResources final : public Resources {
public:
    // Only the resource module itself ("KVUIEN.DLL", any case, with or without a directory)
    // opens. Strings and pictures are served once it is open, as from a loaded module.
    bool Open(std::string_view moduleName) override;
    std::optional<std::string> String(std::int32_t id) override;
    PicturePtr LoadPicture(std::int32_t id, std::int32_t width, std::int32_t height) override;
    // $DIAGS_MODULE_DIR when set, else the directory of the running executable.
    std::string ModuleDirectory() override;

private:
    std::atomic<bool> open_{false};
};

}  // namespace diags::platform::posix
