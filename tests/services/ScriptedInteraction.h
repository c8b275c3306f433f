#pragma once
// The person at the screen, scripted: records every message box and answers OK.
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace diags::testing {

struct ScriptedInteraction final : platform::Interaction {
    struct Box {
        std::string text;
        std::int32_t style;
        std::string title;
    };
    std::int32_t ShowMessage(std::string_view text, std::int32_t style, std::string_view title) override {
        boxes.push_back({std::string(text), style, std::string(title)});
        return platform::mb::kOk;
    }
    std::optional<std::string> BrowseForFolder(platform::WindowHandle, std::string_view, std::uint32_t) override {
        return std::nullopt;
    }
    void SendKeys(std::string_view) override {}
    std::int16_t AsyncKeyState(std::int32_t) override { return 0; }
    std::int16_t MousePointer() override { return 0; }
    void SetMousePointer(std::int16_t) override {}
    std::vector<Box> boxes;
};

}  // namespace diags::testing
