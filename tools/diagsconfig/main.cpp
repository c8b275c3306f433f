// diagsconfig: shows and changes the host's log configuration from a console or a script.
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include "platform/win32/Owned.h"
#endif

#include "tools/diagsconfig/Commands.h"

// The arguments as UTF-8 (on Windows taken from the wide command line, so no character is lost
// to the ANSI code page).
static std::vector<std::string> Arguments(int argc, char** argv) {
#ifdef _WIN32
    int count = 0;
    const diags::platform::win32::OwnedLocalMem<LPWSTR> wide(CommandLineToArgvW(GetCommandLineW(), &count));
    if (wide) {
        std::vector<std::string> args;
        for (int i = 1; i < count; ++i) {
            const LPWSTR text = wide.get()[i];
            const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
            std::string arg(n > 0 ? static_cast<std::size_t>(n - 1) : 0, '\0');
            if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, arg.data(), n, nullptr, nullptr);
            args.push_back(std::move(arg));
        }
        return args;
    }
#endif
    return std::vector<std::string>(argv + 1, argv + argc);
}

int main(int argc, char** argv) {
    return diags::tools::RunDiagsConfig(Arguments(argc, argv), std::cout, std::cerr);
}
