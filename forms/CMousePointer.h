#pragma once
// Busy-pointer guard: SetCursor remembers the screen's mouse pointer on its first call and
// sets the new one; destruction puts the remembered pointer back. Never reports an error.
// (Lives with the form models so that both the dialog and the entry class can use it.)
#include <cstdint>
#include <optional>

namespace diags {

class CMousePointer {
public:
    CMousePointer() = default;
    ~CMousePointer();
    CMousePointer(const CMousePointer&) = delete;
    CMousePointer& operator=(const CMousePointer&) = delete;

    // 11 = hourglass, 0 = default; narrowed to 16 bits.
    void SetCursor(const std::int32_t& pointer) noexcept;
    // Sets the screen's pointer without remembering the one it replaces.
    static void SetScreenPointer(std::int16_t pointer) noexcept;

private:
    std::optional<std::int16_t> remembered_;
};

}  // namespace diags
