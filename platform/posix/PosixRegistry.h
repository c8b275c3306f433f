#pragma once
// The Linux registry: the Win32-shaped Registry interface of the platform seam served by the
// file-backed registry store (see hostconfig/README.md for where the file lives).
#include "platform/Platform.h"

namespace diags::platform::posix {

// The process-wide registry over the machine's registry file. Lives for the whole process.
Registry& NativeRegistry();

}  // namespace diags::platform::posix
