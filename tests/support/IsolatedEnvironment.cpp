// Every test of the program that links this file sees an empty registry of its own (a file on
// Linux), so nothing comes from or goes to the developer's own configuration.
#include "tests/support/TestSupport.h"

namespace {

struct IsolatedRegistry {
    diags::testing::TempDir dir;
    diags::testing::ScopedEnv file{"DIAGS_REGISTRY_FILE", dir.File("registry.reg")};
    diags::testing::ScopedEnv traceFile{"DIAGS_TRACE_FILE", std::nullopt};
    diags::testing::ScopedEnv traceConsole{"DIAGS_TRACE", std::nullopt};
};

const IsolatedRegistry isolated;

}  // namespace
