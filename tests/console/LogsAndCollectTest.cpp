// diagsconfig logs and collect over configurations of the test's own: the warnings and the
// worst case, and a bundle that independent readers accept, made while a logger writes.
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "hostconfig/LogFile.h"
#include "logbundle/ZipWriter.h"
#include "tests/dialog/DialogHarness.h"
#include "tools/diagsconfig/Commands.h"

namespace diags::testing {
namespace {

namespace prop = hostconfig::prop;
namespace exitcode = tools::exitcode;

class LogsAndCollect : public DialogTest {
protected:
    // The harness's run, with both outputs in one text.
    static int Console(const std::vector<std::string>& args, std::string& out) {
        const ConsoleRun run = DialogTest::Console(args);
        out = run.out + run.err;
        return run.code;
    }
    static Settings File(const std::string& dir, const std::string& name, const char* mode, double kb = 24) {
        const bool circular = std::string(mode) == "circular", append = std::string(mode) == "append";
        return {{prop::kLogToFile, true}, {prop::kDirectory, dir}, {prop::kFileName, name},
                {prop::kAppendToFile, append || circular}, {prop::kCircularLogFile, circular}, {prop::kFileSize, kb}};
    }
    // A file in a folder, joined with the system's separator as the logger joins them.
    static std::string In(const std::string& folder, const std::string& name) {
        return (std::filesystem::path(folder) / name).string();
    }
    // Runs a shell command; true when it exits 0.
    static bool Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }
};

TEST_F(LogsAndCollect, LogsWarnsAboutSharedFilesMissingDirectoriesAndUnboundedAppends) {
    AddOutput("ZEL A", "One", File(LogDir(), "shared.log", "circular", 100));
    AddOutput("ZEL B", "Two", File(LogDir(), "shared.log", "circular", 50));
    AddOutput("ZEL C", "Three", File(TempPath("nowhere"), "c.log", "append"));
    AddOutput("ZEL D", "Four", {{prop::kDebugMonitor, true}});
    AddErrorLog({{prop::kCircularLogFile, true}, {prop::kAppendToFile, true}, {prop::kFileSize, 24.0}});
    const std::string shared = In(LogDir(), "shared.log");
    WriteBytes(shared, "0123456789");

    std::string out;
    ASSERT_EQ(Console({"logs"}, out), exitcode::kOk) << out;
    for (const std::string& part : {
             "  ZEL A\\One\n    " + shared + "\n    Circular, cap 100 KB; 10 bytes, last written",
             std::string("Debug monitor (1)\n  ZEL D\\Four\n"),
             "  2 outputs write one file, " + shared +
                 "; their modes or caps differ, so they corrupt each other's circular wrap\n      ZEL A\\One\n      ZEL B\\Two\n",
             "  the directory " + TempPath("nowhere") + " does not exist\n      ZEL C\\Three\n",
             "  appends to " + In(TempPath("nowhere"), "c.log") + " without any bound\n      ZEL C\\Three\n",
             // The shared file counts once, at its larger cap; the append is not capped.
             std::string("Worst-case disk use of the 2 capped logs together: 124 KB; 1 file has no cap (append or overwrite)")})
        EXPECT_NE(out.find(part), std::string::npos) << part << "\nin:\n" << out;

    ASSERT_EQ(Console({"logs", "--json"}, out), exitcode::kOk);
    EXPECT_NE(out.find("\"worstCaseBytes\":126976,"), std::string::npos) << out;
    std::string errorLog;  // as a JSON text: backslashes doubled
    for (const char c : In(LogDir(), "Errors.log")) errorLog += c == '\\' ? std::string("\\\\") : std::string(1, c);
    EXPECT_NE(out.find("{\"output\":\"ZEL Errors\",\"path\":\"" + errorLog +
                       "\",\"mode\":\"Circular\",\"capKB\":24,\"exists\":false,\"size\":0,\"lastWrite\":null}"),
              std::string::npos);
}

TEST_F(LogsAndCollect, TheBundleHoldsEveryLogTheConfigurationAndAManifestWhileALoggerWrites) {
    if (!Shell("command -v unzip") || !Shell("command -v python3")) GTEST_SKIP() << "unzip and python3 check the zip";
    AddOutput("ZEL A", "One", File(LogDir(), "busy.log", "append"));
    AddOutput("ZEL B", "Two", File(LogDir(), "wrapped.log", "circular", 24));
    AddOutput("ZEL C", "Three", File(LogDir(), "never.log", "overwrite"));
    AddErrorLog();
    WriteBytes(In(LogDir(), "Errors.log"), "an error\n");

    hostconfig::OutputSettings wrapped{"Two", false, true, hostconfig::FileMode::Circular, LogDir(), "wrapped.log", 24};
    std::string why;
    {
        auto log = hostconfig::LogFile::Open(wrapped, why);
        ASSERT_TRUE(log) << why;
        for (int i = 0; i < 2000; ++i) log->WriteLine("line " + std::to_string(i) + " of a log that wraps");
    }
    hostconfig::OutputSettings busy{"One", false, true, hostconfig::FileMode::Append, LogDir(), "busy.log", 24};
    auto writer = hostconfig::LogFile::Open(busy, why);
    ASSERT_TRUE(writer) << why;
    for (int i = 0; i < 20000; ++i) writer->WriteLine("before the collect " + std::to_string(i));
    std::atomic<bool> stop{false};
    std::thread logger([&] {
        for (int i = 0; !stop; ++i) writer->WriteLine("during the collect " + std::to_string(i));
    });

    const std::string zip = TempPath("bundle.zip");
    std::string out;
    const int code = Console({"collect", zip}, out);
    stop = true;
    logger.join();
    ASSERT_EQ(code, exitcode::kOk) << out;
    EXPECT_NE(out.find("not included: " + In(LogDir(), "never.log") + ": the file does not exist"), std::string::npos)
        << out;
    EXPECT_TRUE(Shell("python3 -m zipfile -t '" + zip + "'"));
    EXPECT_TRUE(Shell("unzip -t '" + zip + "'"));
    // The circular log whole, its end-of-log line included; the manifest names what is missing.
    const std::string extracted = TempPath("x");
    ASSERT_TRUE(Shell("unzip -o '" + zip + "' -d '" + extracted + "'"));
    EXPECT_EQ(ReadBytes(extracted + "/logs/ZEL B_Two/wrapped.log"), ReadBytes(In(LogDir(), "wrapped.log")));
    EXPECT_NE(ReadBytes(extracted + "/logs/ZEL B_Two/wrapped.log").find(hostconfig::kCircularMarker), std::string::npos);
    EXPECT_EQ(ReadBytes(extracted + "/logs/ZEL A_One/busy.log").substr(0, 22), "before the collect 0\nb");
    const std::string manifest = ReadBytes(extracted + "/manifest.txt");
    EXPECT_NE(manifest.find(In(LogDir(), "never.log") + "\r\n    written by ZEL C\\Three\r\n    not included: the file does not exist"),
              std::string::npos)
        << manifest;
    EXPECT_NE(manifest.find("Component version: "), std::string::npos);
    EXPECT_EQ(ReadBytes(extracted + "/configuration.reg").substr(0, 2), "\xFF\xFE");

    // --since leaves out what was written before.
    ASSERT_EQ(Console({"collect", TempPath("recent.zip"), "--since", "2999-01-01"}, out), exitcode::kOk);
    EXPECT_NE(out.find("left out (older than --since): " + In(LogDir(), "busy.log")), std::string::npos) << out;
    EXPECT_EQ(Console({"collect", TempPath("no/such/dir/x.zip")}, out), exitcode::kStoreFailure);
}

// What --since accepts, the argument mistakes, and a log that exists but cannot be read (a
// folder where the file should be): left out and named, the rest still collected.
TEST_F(LogsAndCollect, CollectChecksItsArgumentsAndLeavesOutALogItCannotRead) {
    AddOutput("ZEL A", "One", File(LogDir(), "folder.log", "append"));
    AddErrorLog();
    std::filesystem::create_directories(In(LogDir(), "folder.log"));
    const std::string zip = TempPath("c.zip");
    const std::vector<std::pair<std::vector<std::string>, int>> cases = {
        {{zip, "--since", "10s"}, exitcode::kOk},        {{zip, "--since", "30m"}, exitcode::kOk},
        {{zip, "--since", "1d"}, exitcode::kOk},         {{zip, "--since", "2026-12-07 08:00"}, exitcode::kOk},
        {{zip, "--since", "2026-12-07"}, exitcode::kOk}, {{zip, "--since", "2026-13-07"}, exitcode::kBadValue},
        {{zip, "--since", "2026-12-07x08:00:00"}, exitcode::kBadValue}, {{zip, "--since", "5w"}, exitcode::kBadValue},
        {{zip, "--since"}, exitcode::kUsage},            {{zip, "--zip"}, exitcode::kUsage},
        {{zip, zip}, exitcode::kUsage},
    };
    std::string out;
    for (const auto& [args, code] : cases) {
        std::vector<std::string> command{"collect"};
        command.insert(command.end(), args.begin(), args.end());
        EXPECT_EQ(Console(command, out), code) << args.back() << ": " << out;
    }
    ASSERT_EQ(Console({"collect", zip}, out), exitcode::kOk) << out;
    EXPECT_NE(out.find("wrote " + zip + ": 0 log files"), std::string::npos) << out;
    EXPECT_NE(out.find("not included: " + In(LogDir(), "folder.log") + ": "), std::string::npos) << out;
}

TEST_F(LogsAndCollect, ManyEntriesMakeAZip64Archive) {
    if (!Shell("command -v python3")) GTEST_SKIP() << "python3 checks the zip";
    const std::string zip = TempPath("many.zip");
    logbundle::ZipWriter writer;
    std::string why;
    ASSERT_TRUE(writer.Open(zip, why)) << why;
    for (int i = 0; i < 66000; ++i) ASSERT_TRUE(writer.AddBytes("f" + std::to_string(i), 0, "x", why)) << why;
    ASSERT_TRUE(writer.Finish(why)) << why;
    EXPECT_TRUE(Shell("python3 -c \"import zipfile,sys; z=zipfile.ZipFile(sys.argv[1]); "
                      "assert len(z.namelist())==66000 and z.testzip() is None\" '" + zip + "'"));
}

}  // namespace
}  // namespace diags::testing
