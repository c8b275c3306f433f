// diagsconfig trace over a configuration of the test's own: what the console leaves in the
// store is what the dialog leaves for the same choices, byte for byte, and its stops, questions
// and unknown names end the command without saving.
#include <sstream>

#include "common/General.h"
#include "platform/registry/RegFile.h"
#include "services/MessageService.h"
#include "tests/dialog/DialogHarness.h"
#include "tools/diagsconfig/Commands.h"

namespace diags::testing {
namespace {

namespace prop = hostconfig::prop;
namespace exitcode = tools::exitcode;

class TraceVerbs : public DialogTest {
protected:
    // The configuration as the registry file would hold it.
    static std::string Exported() {
        std::optional<platform::registry::RegKey> key;
        EXPECT_TRUE(platform::registry::NativeStore().ReadTree(hostconfig::DefaultRootKey(), key).ok());
        std::string text;
        if (key) platform::registry::FormatTree(*key, hostconfig::DefaultRootKey(), text);
        return text;
    }
    // Runs the dialog's road from the default configuration (with two outputs switched on
    // outside the dialog when `someOn`) and saves; then from the same start, the console's
    // command, which must leave the store byte for byte as the dialog did.
    ConsoleRun ExpectAsTheDialog(const std::function<void(TestDialog&)>& road, const std::vector<std::string>& args,
                                 bool someOn = false) {
        const auto start = [&] {
            using platform::registry::KeyChange;
            ASSERT_TRUE(platform::registry::NativeStore().Apply({KeyChange{hostconfig::DefaultRootKey(), true, {}}}).ok());
            (void)Stored();  // the default configuration, installed afresh
            if (someOn) {
                Store("ZEL DateLib", kTracing, prop::kDebugMonitor, true);
                Store("ZEL MDServer", "SQL Tracing", prop::kLogToFile, true);
            }
        };
        start();
        Run([&](TestDialog& d) {
            road(d);
            Save(d);
            d.UserClose();
        });
        const std::string byDialog = Exported();
        start();
        const ConsoleRun r = Console(args);
        EXPECT_EQ(r.code, exitcode::kOk) << r.err;
        EXPECT_EQ(Exported(), byDialog);
        return r;
    }
};

TEST_F(TraceVerbs, TraceOnLeavesWhatTheDialogsRoadOfOneCheckLeaves) {
    const ConsoleRun r = ExpectAsTheDialog([](TestDialog& d) { d.tvTrace.UserToggleCheck(d.tvTrace.Item("Report Editor")); },
                                           {"trace", "on", "report EDITOR"});
    EXPECT_NE(r.out.find("ZEL DateLib\\Function Level Tracing\n  DebugMonitor    false -> true"), std::string::npos)
        << r.out;
    EXPECT_EQ(Console({"trace", "on", "Report Editor"}).out, "nothing changed\n");
}

TEST_F(TraceVerbs, TraceOffAllLeavesWhatClearAllLeaves) {
    ExpectAsTheDialog([](TestDialog& d) { d.abMenuBar.UserClickTool("mnuToolBar", "mnuClearAll"); },
                      {"trace", "off", "--all"}, /*someOn=*/true);
    EXPECT_EQ(StoredValue("ZEL Errors", "", prop::kLogToFile), hostconfig::PropertyValue(true));
}

// Log to file ticked, the file name emptied: the outputs keep the names the tick gave them.
TEST_F(TraceVerbs, PanelEditsLeaveWhatTheDialogLeaves) {
    ExpectAsTheDialog(
        [](TestDialog& d) {
            d.tvTrace.UserToggleCheck(d.tvTrace.Item("Report Editor"));
            d.chkLogfile.UserClick();
            Retype(d.txtFileName, "");
        },
        {"trace", "on", "Report Editor", "--file", ""});
}

TEST_F(TraceVerbs, TraceOffSwitchesOffAModuleThatIsOnlyPartlyOn) {
    (void)Stored();
    Store("ZEL DateLib", kTracing, prop::kDebugMonitor, true);  // one of Report Editor's outputs
    EXPECT_NE(Console({"trace"}).out.find("Report Editor                 partly"), std::string::npos);
    const ConsoleRun r = Console({"trace", "off", "Report Editor"});
    EXPECT_EQ(r.code, exitcode::kOk) << r.err;
    EXPECT_EQ(StoredValue("ZEL DateLib", kTracing, prop::kDebugMonitor), hostconfig::PropertyValue(false));
    EXPECT_NE(Console({"trace"}).out.find("Report Editor                 off"), std::string::npos);
}

TEST_F(TraceVerbs, UnknownNamesWrongArgumentsAndStopsChangeNothing) {
    (void)Stored();
    const std::string before = Exported();
    const ConsoleRun unknown = Console({"trace", "on", "Report Editor", "Repport Editor"});
    EXPECT_EQ(unknown.code, exitcode::kNotFound);
    EXPECT_NE(unknown.err.find("unknown editor or task \"Repport Editor\""), std::string::npos) << unknown.err;
    EXPECT_NE(unknown.err.find("\n  Warehouse Catalog Browser"), std::string::npos);  // the valid names follow
    EXPECT_NE(unknown.err.find("\n  Report Execution"), std::string::npos);
    for (const auto& args : std::vector<std::vector<std::string>>{{"trace", "on"},
                                                                  {"trace", "off"},
                                                                  {"trace", "off", "--all", "Report Editor"},
                                                                  {"trace", "off", "Report Editor", "--dir", "x"},
                                                                  {"trace", "on", "Report Editor", "--append", "--circular"},
                                                                  {"trace", "maybe"}})
        EXPECT_EQ(Console(args).code, exitcode::kUsage) << args.back();
    EXPECT_EQ(Console({"trace", "on", "Report Editor", "--size", "12"}).code, exitcode::kBadValue);
    // Neither a file nor the monitor: the dialog would stop, saying nothing would be written.
    const ConsoleRun stop = Console({"trace", "on", "Report Editor", "--no-monitor"});
    EXPECT_EQ(stop.code, exitcode::kStopped);
    EXPECT_EQ(stop.err, "diagsconfig: " + Text(dlgres::kNoOutputMessage) + "\n");
    EXPECT_EQ(Exported(), before);
}

TEST_F(TraceVerbs, AMissingDirectoryIsCreatedOnlyWithYes) {
    (void)Stored();
    const std::string before = Exported();
    const std::string missing = (std::filesystem::path(TempPath("new")) / "logs").string();
    const std::vector<std::string> args{"trace", "on", "Report Editor", "--dir", missing, "--file", "report.log",
                                        "--circular", "--size", "512"};
    const ConsoleRun asked = Console(args);
    EXPECT_EQ(asked.code, exitcode::kQuestion);
    EXPECT_NE(asked.err.find(missing), std::string::npos) << asked.err;
    EXPECT_NE(asked.err.find("--yes"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_EQ(Exported(), before);

    std::vector<std::string> yes = args;
    yes.push_back("--yes");
    const ConsoleRun done = Console(yes);
    EXPECT_EQ(done.code, exitcode::kOk) << done.err;
    EXPECT_TRUE(std::filesystem::is_directory(missing));
    EXPECT_EQ(StoredValue("ZEL DateLib", kTracing, prop::kLogToFile), hostconfig::PropertyValue(true));
    EXPECT_EQ(StoredValue("ZEL DateLib", kTracing, prop::kDirectory), hostconfig::PropertyValue(missing));
    EXPECT_EQ(StoredValue("ZEL DateLib", kTracing, prop::kFileName), hostconfig::PropertyValue(std::string("report.log")));
    EXPECT_EQ(StoredValue("ZEL DateLib", kTracing, prop::kCircularLogFile), hostconfig::PropertyValue(true));
    EXPECT_EQ(StoredValue("ZEL DateLib", kTracing, prop::kFileSize), hostconfig::PropertyValue(512.0));
}

TEST_F(TraceVerbs, JsonGivesTheSameFacts) {
    (void)Stored();
    const ConsoleRun list = Console({"--json", "trace"});
    EXPECT_EQ(list.code, exitcode::kOk);
    EXPECT_NE(list.out.find("{\"name\":\"Report Editor\",\"state\":\"off\"}"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("\"panel\":{\"logToFile\":false,\"debugMonitor\":false"), std::string::npos);
    const ConsoleRun on = Console({"trace", "on", "Report Editor", "--json"});
    EXPECT_NE(on.out.find("{\"saved\":true,\"exitCode\":0"), std::string::npos) << on.out;
    EXPECT_NE(on.out.find("{\"output\":\"ZEL DateLib\\\\Function Level Tracing\",\"property\":\"DebugMonitor\","
                          "\"before\":false,\"after\":true}"),
              std::string::npos);
    const ConsoleRun unknown = Console({"--json", "trace", "on", "Nothing"});
    EXPECT_EQ(unknown.out.substr(0, 27), "{\"exitCode\":2,\"message\":\"un");
}

}  // namespace
}  // namespace diags::testing
