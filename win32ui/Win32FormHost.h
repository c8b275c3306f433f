#pragma once
// The form host of the Win32 renderer: makes a FormWindow for a form when the form is handed
// to it (before the dialog's start-up reads a window handle), runs it modally, and destroys
// it after unload. The COM server installs the one instance on each entry object it makes.
#include <windows.h>

#include <memory>
#include <unordered_map>

#include "forms/Form.h"

namespace diags::win32ui {

class FormWindow;

class Win32FormHost final : public forms::FormHost {
public:
    // `dpi` 0 takes the screen's resolution; tests pass 96 or 144.
    explicit Win32FormHost(int dpi = 0);
    ~Win32FormHost() override;
    static Win32FormHost& Instance();

    void Create(forms::Form& form) override;
    void RunModal(forms::Form& form) override;
    void Destroy(forms::Form& form) noexcept override;
    // The windows of a form while it has them, else null.
    FormWindow* WindowsOf(const forms::Form& form) const noexcept;

    static constexpr const char* kFormClass = "DiagsForm";
    static constexpr const char* kContainerClass = "DiagsContainer";
    static constexpr const char* kFormProperty = "DiagsFormWindow";
    // The module the renderer lives in (the component's DLL, or a test executable).
    static HINSTANCE Module() noexcept;

private:
    int dpi_;
    std::unordered_map<const forms::Form*, std::unique_ptr<FormWindow>> windows_;
};

}  // namespace diags::win32ui
