#pragma once
// Message formatting of the shared GUI library.
#include <span>
#include <string>
#include <string_view>

#ifdef FormatMessage  // <windows.h> maps the name to FormatMessageA/W
#undef FormatMessage
#endif

namespace diags {

class MessageService {
public:
    static MessageService* Existing() noexcept;
    static MessageService& Create();
    static void Destroy() noexcept;

    void Initialize(std::string_view resourceDll);
    const std::string& ResourceDll() const noexcept { return resourceDll_; }
    int InitializeCount() const noexcept { return initializeCount_; }

    // %1..%n are replaced by the arguments (%10 is argument 10); a placeholder without an
    // argument and a % not followed by a digit stay as they stand.
    static std::string FormatMessage(std::string_view templateText, std::span<const std::string> args);

private:
    MessageService() = default;
    std::string resourceDll_;
    int initializeCount_ = 0;
};

}  // namespace diags
