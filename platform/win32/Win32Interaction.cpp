// The person at the screen: message boxes, the folder browser, keystrokes, key state and the
// screen's mouse pointer.
#include "platform/win32/Win32Parts.h"

#include <windows.h>
#include <shlobj.h>

#include <cctype>
#include <utility>

#include "base/Text.h"

namespace diags::platform::win32 {

namespace {

struct NamedKey {
    std::string_view name;
    std::uint16_t virtualKey;
};

constexpr NamedKey kNamedKeys[] = {
    {"TAB", VK_TAB},       {"ENTER", VK_RETURN},  {"~", VK_RETURN},      {"ESC", VK_ESCAPE},
    {"ESCAPE", VK_ESCAPE}, {"BS", VK_BACK},       {"BACKSPACE", VK_BACK}, {"BKSP", VK_BACK},
    {"DEL", VK_DELETE},    {"DELETE", VK_DELETE}, {"INS", VK_INSERT},    {"INSERT", VK_INSERT},
    {"HOME", VK_HOME},     {"END", VK_END},       {"PGUP", VK_PRIOR},    {"PGDN", VK_NEXT},
    {"UP", VK_UP},         {"DOWN", VK_DOWN},     {"LEFT", VK_LEFT},     {"RIGHT", VK_RIGHT},
    {"SPACE", VK_SPACE},   {"+", VK_ADD},         {"F1", VK_F1},         {"F2", VK_F2},
    {"F3", VK_F3},         {"F4", VK_F4},         {"F5", VK_F5},         {"F6", VK_F6},
    {"F7", VK_F7},         {"F8", VK_F8},         {"F9", VK_F9},         {"F10", VK_F10},
    {"F11", VK_F11},       {"F12", VK_F12},
};

std::optional<std::uint16_t> KeyForChar(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (std::isalpha(u)) return static_cast<std::uint16_t>(std::toupper(u));
    if (std::isdigit(u)) return static_cast<std::uint16_t>(u);
    if (c == ' ') return VK_SPACE;
    return std::nullopt;
}

INPUT KeyInput(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

}  // namespace

std::optional<std::vector<KeyStroke>> ParseKeys(std::string_view keys) {
    std::vector<KeyStroke> strokes;
    KeyStroke pending;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const char c = keys[i];
        if (c == '+') { pending.shift = true; continue; }
        if (c == '^') { pending.control = true; continue; }
        if (c == '%') { pending.alt = true; continue; }
        if (c == '{') {
            // "{+}" names the plus key itself, so look for the closing brace after one character.
            const std::size_t close = keys.find('}', i + 2);
            if (close == std::string_view::npos) return std::nullopt;
            const std::string name = FoldCase(keys.substr(i + 1, close - i - 1));
            std::optional<std::uint16_t> key;
            for (const NamedKey& named : kNamedKeys)
                if (named.name == name) key = named.virtualKey;
            if (!key && name.size() == 1) key = KeyForChar(name[0]);
            if (!key) return std::nullopt;
            pending.virtualKey = *key;
            i = close;
        } else if (c == '~') {
            pending.virtualKey = VK_RETURN;
        } else {
            const auto key = KeyForChar(c);
            if (!key) return std::nullopt;
            pending.virtualKey = *key;
        }
        strokes.push_back(std::exchange(pending, KeyStroke{}));
    }
    if (pending.shift || pending.control || pending.alt) return std::nullopt;  // modifier without key
    return strokes;
}

const char* CursorFor(std::int16_t pointer) noexcept {
    switch (pointer) {
        case 2: return IDC_CROSS;
        case 3: return IDC_IBEAM;
        case 5: case 15: return IDC_SIZEALL;
        case 6: return IDC_SIZENESW;
        case 7: return IDC_SIZENS;
        case 8: return IDC_SIZENWSE;
        case 9: return IDC_SIZEWE;
        case 10: return IDC_UPARROW;
        case 11: return IDC_WAIT;
        case 12: return IDC_NO;
        case 13: return IDC_APPSTARTING;
        case 14: return IDC_HELP;
        default: return IDC_ARROW;
    }
}

std::int32_t Win32Interaction::ShowMessage(std::string_view text, std::int32_t style, std::string_view title) {
    const std::string body(text), caption(title);
    return ::MessageBoxA(::GetActiveWindow(), body.c_str(), caption.c_str(),
                         static_cast<UINT>(style) | MB_TASKMODAL);
}

std::optional<std::string> Win32Interaction::BrowseForFolder(WindowHandle owner, std::string_view title,
                                                             std::uint32_t flags) {
    const std::string caption(title);
    BROWSEINFOA info{};
    info.hwndOwner = reinterpret_cast<HWND>(owner);
    info.pidlRoot = nullptr;
    info.lpszTitle = caption.c_str();
    info.ulFlags = flags;
    const OwnedTaskMem<ITEMIDLIST> chosen(::SHBrowseForFolderA(&info));
    if (!chosen) return std::nullopt;
    std::string path(512, '\0');
    if (!::SHGetPathFromIDListA(chosen.get(), path.data())) return std::nullopt;
    path.resize(path.find('\0'));
    return path;
}

void Win32Interaction::SendKeys(std::string_view keys) {
    const auto strokes = ParseKeys(keys);
    if (!strokes) return;
    std::vector<INPUT> inputs;
    for (const KeyStroke& stroke : *strokes) {
        if (stroke.shift) inputs.push_back(KeyInput(VK_SHIFT, false));
        if (stroke.control) inputs.push_back(KeyInput(VK_CONTROL, false));
        if (stroke.alt) inputs.push_back(KeyInput(VK_MENU, false));
        inputs.push_back(KeyInput(stroke.virtualKey, false));
        inputs.push_back(KeyInput(stroke.virtualKey, true));
        if (stroke.alt) inputs.push_back(KeyInput(VK_MENU, true));
        if (stroke.control) inputs.push_back(KeyInput(VK_CONTROL, true));
        if (stroke.shift) inputs.push_back(KeyInput(VK_SHIFT, true));
    }
    if (!inputs.empty())
        ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

std::int16_t Win32Interaction::AsyncKeyState(std::int32_t virtualKey) {
    return ::GetAsyncKeyState(virtualKey);
}

void Win32Interaction::SetMousePointer(std::int16_t pointer) {
    pointer_ = pointer;
    ::SetCursor(::LoadCursorA(nullptr, CursorFor(pointer)));
}

}  // namespace diags::platform::win32
