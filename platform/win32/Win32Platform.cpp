// The platform in force on Windows: the real API parts, replaceable one by one by tests.
#include "platform/Platform.h"
#include "platform/win32/Win32Parts.h"

namespace diags::platform {

Platform& Current() {
    static win32::Win32Registry registry;
    static win32::Win32FileSystem fileSystem;
    static win32::Win32Windowing windowing;
    static win32::Win32Shell shell;
    static win32::Win32Interaction interaction;
    static win32::Win32Resources resources;
    static win32::Win32FileDialogs fileDialogs;
    static Platform platform{&registry, &fileSystem, &windowing, &shell, &interaction, &resources, &fileDialogs};
    return platform;
}

}  // namespace diags::platform
