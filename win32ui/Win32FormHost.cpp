#include "win32ui/Win32FormHost.h"

#include <commctrl.h>

#include "win32ui/FormWindow.h"

namespace diags::win32ui {

namespace {

void RegisterClassesOnce() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TREEVIEW_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES |
                                                            ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&controls);
        WNDCLASSEXA form{};
        form.cbSize = sizeof(form);
        form.lpfnWndProc = &FormWindow::RootProc;
        form.hInstance = Win32FormHost::Module();
        form.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
        form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        form.lpszClassName = Win32FormHost::kFormClass;
        ::RegisterClassExA(&form);
        WNDCLASSEXA container = form;
        container.style = CS_HREDRAW | CS_VREDRAW;
        container.lpfnWndProc = &FormWindow::ContainerProc;
        container.hbrBackground = nullptr;  // painted in full by the container itself
        container.lpszClassName = Win32FormHost::kContainerClass;
        ::RegisterClassExA(&container);
        return true;
    }();
    (void)registered;
}

}  // namespace

HINSTANCE Win32FormHost::Module() noexcept {
    HMODULE module = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCSTR>(&Win32FormHost::Module), &module);
    return module;
}

Win32FormHost::Win32FormHost(int dpi) : dpi_(dpi) {}
Win32FormHost::~Win32FormHost() = default;

Win32FormHost& Win32FormHost::Instance() {
    static Win32FormHost host;
    return host;
}

void Win32FormHost::Create(forms::Form& form) {
    RegisterClassesOnce();
    windows_[&form] = std::make_unique<FormWindow>(form, dpi_);
}

void Win32FormHost::RunModal(forms::Form& form) {
    if (FormWindow* window = WindowsOf(form)) window->RunModal();
}

void Win32FormHost::Destroy(forms::Form& form) noexcept { windows_.erase(&form); }

FormWindow* Win32FormHost::WindowsOf(const forms::Form& form) const noexcept {
    auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : it->second.get();
}

}  // namespace diags::win32ui
