#pragma once
// Owners for the Win32 handles the platform layer opens. Each closes its handle exactly once
// when it goes out of scope, so no early return can leak one.
#include <windows.h>
#include <objbase.h>

#include <memory>
#include <type_traits>

namespace diags::platform::win32 {

struct KeyCloser {
    void operator()(HKEY key) const noexcept { if (key) ::RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

struct ModuleFreer {
    void operator()(HMODULE module) const noexcept { if (module) ::FreeLibrary(module); }
};
using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFreer>;

struct IconDestroyer {
    void operator()(HICON icon) const noexcept { if (icon) ::DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer>;

// Memory the shell hands out (item id lists) goes back through the COM task allocator.
struct TaskMemFreer {
    void operator()(void* memory) const noexcept { if (memory) ::CoTaskMemFree(memory); }
};
template <class T>
using UniqueTaskMem = std::unique_ptr<T, TaskMemFreer>;

}  // namespace diags::platform::win32
