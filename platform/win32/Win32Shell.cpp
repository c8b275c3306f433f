// Shell open and help. A .hlp help file goes to WinHelpA; an .htm/.html help file (current
// Windows no longer opens .hlp) is opened in the browser at the topic's anchor.
#include "platform/win32/Win32Parts.h"

#include <windows.h>
#include <shellapi.h>

#include "base/Text.h"

namespace diags::platform::win32 {

namespace {

const char* OrNull(const std::string& text) noexcept { return text.empty() ? nullptr : text.c_str(); }

}  // namespace

bool IsHtmlHelp(std::string_view helpFile) {
    const std::string folded = FoldCase(helpFile);
    const auto endsWith = [&](std::string_view suffix) {
        return folded.size() >= suffix.size() && folded.compare(folded.size() - suffix.size(), suffix.size(), suffix) == 0;
    };
    return endsWith(".HTM") || endsWith(".HTML");
}

std::string HtmlHelpAddress(std::string_view helpFile, std::uint32_t command, std::uintptr_t data) {
    std::string address;
    const bool local = helpFile.size() >= 2 && helpFile[1] == ':';
    const bool unc = helpFile.starts_with("\\\\");
    if (local) address = "file:///";
    else if (unc) address = "file:";
    for (char c : helpFile) {
        if (c == '\\' && (local || unc)) address += '/';
        else if (c == ' ') address += "%20";
        else if (c == '#') address += "%23";
        else address += c;
    }
    if (command == HELP_CONTEXT && data != 0) address += "#topic-" + std::to_string(data);
    return address;
}

std::intptr_t Win32Shell::Execute(WindowHandle owner, std::string_view verb, std::string_view target,
                                  std::string_view parameters, std::string_view directory,
                                  std::int32_t show) {
    const std::string v(verb), t(target), p(parameters), d(directory);
    const HINSTANCE result = ::ShellExecuteA(reinterpret_cast<HWND>(owner), OrNull(v), t.c_str(), OrNull(p),
                                             OrNull(d), show);
    return reinterpret_cast<std::intptr_t>(result);
}

bool Win32Shell::Help(WindowHandle window, std::string_view helpFile, std::uint32_t command,
                      std::uintptr_t data) {
    if (IsHtmlHelp(helpFile)) {
        if (command == HELP_QUIT) return true;  // a browser page has nothing to close
        const std::string address = HtmlHelpAddress(helpFile, command, data);
        if (Execute(window, "open", address, "", "", SW_SHOWNORMAL) > 32) return true;
        // A shell that cannot open a file address with a topic still opens the page itself.
        return address != helpFile && Execute(window, "open", helpFile, "", "", SW_SHOWNORMAL) > 32;
    }
    const std::string file(helpFile);
    return ::WinHelpA(reinterpret_cast<HWND>(window), file.c_str(), command, data) != FALSE;
}

}  // namespace diags::platform::win32
