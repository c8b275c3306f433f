#include "services/MessageService.h"

#include <memory>

namespace diags {
namespace {

std::unique_ptr<MessageService>& Instance() {
    static std::unique_ptr<MessageService> instance;
    return instance;
}

bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }

}  // namespace

MessageService* MessageService::Existing() noexcept { return Instance().get(); }

MessageService& MessageService::Create() {
    auto& instance = Instance();
    if (!instance) instance = std::make_unique<MessageService>(MessageService());
    return *instance;
}

void MessageService::Destroy() noexcept { Instance().reset(); }

void MessageService::Initialize(std::string_view resourceDll) {
    resourceDll_ = std::string(resourceDll);
    ++initializeCount_;
}

// One pass from left to right: the text of an argument is never scanned again, so an
// argument that itself contains "%1" comes out as it stands.
std::string MessageService::FormatMessage(std::string_view templateText,
                                          std::span<const std::string> args) {
    std::string out;
    out.reserve(templateText.size());
    std::size_t i = 0;
    while (i < templateText.size()) {
        const char c = templateText[i];
        if (c != '%' || i + 1 >= templateText.size() || !IsDigit(templateText[i + 1])) {
            out += c;
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        std::size_t index = 0;
        bool huge = false;
        while (end < templateText.size() && IsDigit(templateText[end])) {
            if (index > args.size()) huge = true;  // already past every argument; stop growing
            else index = index * 10 + static_cast<std::size_t>(templateText[end] - '0');
            ++end;
        }
        if (!huge && index >= 1 && index <= args.size())
            out += args[index - 1];
        else
            out.append(templateText.substr(i, end - i));  // no such argument: keep the placeholder
        i = end;
    }
    return out;
}

}  // namespace diags
