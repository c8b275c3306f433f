// The standard Save As dialog.
#include <windows.h>
#include <commdlg.h>

#include "platform/win32/Win32Parts.h"

namespace diags::platform::win32 {

std::optional<std::string> Win32FileDialogs::SaveAs(WindowHandle owner, std::string_view title,
                                                    std::string_view filter, std::string_view defaultName) {
    // "Description|*.zip" as the dialog wants it: pairs of NUL-ended texts, one more NUL at the end.
    std::string filters(filter);
    for (char& c : filters)
        if (c == '|') c = '\0';
    filters.append(2, '\0');
    const std::string extension = filter.rfind("*.") != std::string_view::npos
                                      ? std::string(filter.substr(filter.rfind("*.") + 2))
                                      : std::string();
    std::string file(defaultName);
    file.resize(MAX_PATH * 4, '\0');
    const std::string caption(title);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = reinterpret_cast<HWND>(owner);
    ofn.lpstrFilter = filters.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = caption.c_str();
    ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!::GetSaveFileNameA(&ofn)) return std::nullopt;
    file.resize(file.find('\0'));
    return file;
}

}  // namespace diags::platform::win32
