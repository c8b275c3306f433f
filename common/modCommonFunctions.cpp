#include "common/modCommonFunctions.h"

#include <atomic>
#include <vector>

#include "common/General.h"
#include "forms/Control.h"
#include "forms/ControlCollection.h"
#include "forms/TextBox.h"
#include "services/Logger.h"
#include "services/ResourceStrings.h"

namespace diags {

namespace {

constexpr std::uint32_t kSetIcon = 0x80;  // WM_SETICON
constexpr std::uintptr_t kIconSmall = 0, kIconBig = 1;
constexpr std::int32_t kNoToolTips = 0x80;  // TVS_NOTOOLTIPS
constexpr std::uint32_t kOnlyFileSystemDirs = 1;  // BIF_RETURNONLYFSDIRS
constexpr std::int32_t kButtonTop = 0x400;         // BS_TOP

// The system default language id, read on first use; 0 = not read yet (no real id is 0).
std::atomic<std::uint16_t> rememberedLanguage{0};

}  // namespace

void SetFormIcon(platform::WindowHandle window, std::uintptr_t icon) noexcept {
    try {
        platform::Windowing& windowing = *platform::Current().windowing;
        const auto lParam = static_cast<std::intptr_t>(icon);
        windowing.Send(window, kSetIcon, kIconSmall, lParam);
        windowing.Send(window, kSetIcon, kIconBig, lParam);
    } catch (...) {
    }
}

std::int32_t SetTreeNoToolTips(platform::WindowHandle& window, bool clear) noexcept {
    try {
        platform::Windowing& windowing = *platform::Current().windowing;
        std::int32_t style = windowing.GetStyle(window);
        style = clear ? (style & ~kNoToolTips) : (style | kNoToolTips);
        windowing.SetStyle(window, style);
    } catch (...) {
    }
    return 1;
}

void SelectAllText(forms::TextBox& box) noexcept {
    try {
        if (box.Text().empty()) return;
        box.SetSelStart(0);
        box.SetSelLength(static_cast<std::int32_t>(box.Text().size()));
    } catch (...) {
    }
}

void ApplyFormFont(const forms::ControlCollection& controls, std::int32_t& mode) noexcept {
    const auto applyResourceFonts = [&] {
        try {
            const std::vector<FontTarget*> targets = controls.FontTargets();
            ResourceStrings::Instance().ApplyControlFonts(0, 0, targets);
        } catch (...) {
        }
    };
    if (mode == 1) {
        // option-button style only
    } else if (mode == 2) {
        if (IsFarEastLanguage()) applyResourceFonts();
    } else {
        applyResourceFonts();
    }
    AddOptionButtonStyle(controls, kButtonTop);
}

void AddOptionButtonStyle(const forms::ControlCollection& controls, std::int32_t style) noexcept {
    try {
        for (const forms::Control* control : controls)
            if (control && control->Kind() == forms::ControlKind::OptionButton) AddWindowStyle(*control, style);
    } catch (...) {
    }
}

void AddWindowStyle(const forms::Control& control, std::int32_t style) noexcept {
    try {
        const platform::WindowHandle window = control.hWnd();
        if (window == 0) return;
        platform::Windowing& windowing = *platform::Current().windowing;
        windowing.SetStyle(window, windowing.GetStyle(window) | style);
    } catch (...) {
    }
}

bool IsFarEastLanguageId(std::uint16_t languageId) noexcept {
    switch (languageId) {
    case 0x0404: case 0x0411: case 0x0412: case 0x0804:
    case 0x0812: case 0x0C04: case 0x1004: case 0x1404:
        return true;
    default:
        return false;
    }
}

bool IsFarEastLanguage() noexcept {
    std::uint16_t language = rememberedLanguage.load();
    if (language == 0) {
        try {
            language = platform::Current().windowing->SystemDefaultLangId();
        } catch (...) {
            language = 0;
        }
        rememberedLanguage.store(language);
    }
    return IsFarEastLanguageId(language);
}

void ForgetSystemLanguage() noexcept { rememberedLanguage.store(0); }

void ShowHelp(platform::WindowHandle window, std::string_view helpFile, std::int32_t command,
              std::int32_t data) noexcept {
    TraceIfLogger(level::kHelp, "[Help File: %1][Help Topic: %2]", helpFile, data);
    try {
        platform::Current().shell->Help(window, helpFile, static_cast<std::uint32_t>(command),
                                        static_cast<std::uintptr_t>(static_cast<std::uint32_t>(data)));
    } catch (...) {
    }
}

std::string BrowseForFolder(platform::WindowHandle owner) noexcept {
    try {
        const std::string title = ResourceStrings::Instance().GetString(resid::kBrowseTitle);
        const auto chosen = platform::Current().interaction->BrowseForFolder(owner, title, kOnlyFileSystemDirs);
        if (!chosen) return {};
        return chosen->substr(0, chosen->find('\0'));
    } catch (...) {
        return {};
    }
}

}  // namespace diags
