// The Linux platform: every part a process-lifetime object, created on first use.
#include "platform/posix/ConsoleInteraction.h"
#include "platform/posix/ConsoleFileDialogs.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixRegistry.h"
#include "platform/posix/PosixResources.h"
#include "platform/posix/PosixShell.h"
#include "platform/posix/PosixWindowing.h"

namespace diags::platform {

Platform& Current() {
    static posix::PosixFileSystem fileSystem;
    static posix::PosixWindowing windowing;
    static posix::PosixShell shell;
    static posix::ConsoleInteraction interaction;
    static posix::PosixResources resources;
    static posix::ConsoleFileDialogs fileDialogs;
    static Platform current{&posix::NativeRegistry(), &fileSystem, &windowing, &shell, &interaction, &resources,
                            &fileDialogs};
    return current;
}

}  // namespace diags::platform
