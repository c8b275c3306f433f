// The default configuration: installed when a user has none (never over an existing one:
// LogConfigurationTest opens one), with every component of the module and task maps and the
// error log.
#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"
#include "hostconfig/DefaultConfiguration.h"
#include "hostconfig/LogConfiguration.h"
#include "platform/registry/FileStore.h"

namespace diags::hostconfig {
namespace {

using namespace diags::testing;
namespace registry = platform::registry;

const std::string kRoot = "HKEY_CURRENT_USER\\Software\\Elsewhere\\Logging";

TEST(DefaultConfiguration, IsInstalledOnFirstUseWithEveryComponentAndTheErrorLog) {
    TempDir dir;
    WriteBytes(dir.File("r.reg"), "Windows Registry Editor Version 5.00\n"
                                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltrane\\Common Files]\n"
                                  "\"Path\"=\"/opt/veltrane/\"\n");
    registry::FileStore store(dir.File("r.reg"));
    const auto root = LogConfiguration::Open(store, kRoot);
    EXPECT_EQ(root->Children().Count(), 68 + 14 + 1);
    const std::string logs = "/opt/veltrane/Log" + std::string(1, platform::Current().fileSystem->Separator());
    for (const auto& component : root->Children()) {
        if (component->Name() == "ZEL Errors") continue;
        EXPECT_GE(component->Children().Count(), 1) << component->Name();
        for (const auto& output : component->Children()) {
            EXPECT_EQ(output->Property(prop::kLogToFile), PropertyValue(false));
            EXPECT_EQ(output->Property(prop::kFileName), PropertyValue(std::string("Trace.log")));
            EXPECT_EQ(output->Property(prop::kFileSize), PropertyValue(24.0));
            EXPECT_EQ(output->Property(prop::kDirectory), PropertyValue(logs + std::string(component->Name())));
        }
    }
    const auto report = root->Children().Item("ZEL ReportServer")->Children().Item("Report Source Tracing");
    EXPECT_EQ(report->Property(prop::kCircularLogFile), PropertyValue(true));
    EXPECT_EQ(report->Property(prop::kAppendToFile), PropertyValue(true));  // circular is reported as appending
    // Modules of the editors' map and traces of the tasks' map, at both ends of each.
    for (const auto& [component, output] : {std::pair{"ZEL AdminEditorContainer", "Function Level Tracing"},
                                            {"ZEL PromptStyles", "Function Level Tracing"},
                                            {"ZEL DiagnosticsConfiguration", "Function Level Tracing"},
                                            {"ZEL AuthServer", "Authentication Tracing"},
                                            {"ZEL ClientConnection", "Session Tracing"},
                                            {"ZEL SourceNetServer", "Content Source Tracing"}}) {
        ASSERT_NE(root->Children().Find(component), nullptr) << component;
        EXPECT_NE(root->Children().Find(component)->Children().Find(output), nullptr) << component;
    }
    const auto errors = root->Children().Item("zel errors");
    EXPECT_EQ(errors->Children().Count(), 0);
    EXPECT_EQ(errors->Property(prop::kLogToFile), PropertyValue(true));
    EXPECT_EQ(errors->Property(prop::kDirectory), PropertyValue(std::string("/opt/veltrane/Log")));
}

}  // namespace
}  // namespace diags::hostconfig
