// The logger writes each trace line to the switched-on outputs of its component, as the log
// configuration says: each file mode, the debug monitor, refused file names, and a logger
// that cannot write going on quietly after one report.
#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"
#include "hostconfig/LogFile.h"
#include "platform/registry/FileStore.h"
#include "services/Logger.h"

namespace diags::hostconfig {
namespace {

using namespace diags::testing;

// The process-wide registry file of this test program, chosen before anything reads it.
TempDir& Machine() {
    static TempDir dir;
    return dir;
}
const testing::ScopedEnv kRegistryFile("DIAGS_REGISTRY_FILE", Machine().File("registry.reg"));
const testing::ScopedEnv kRoot("DIAGS_LOG_CONFIG_ROOT", std::nullopt);
const testing::ScopedEnv kTraceFile("DIAGS_TRACE_FILE", std::nullopt);
const testing::ScopedEnv kTrace("DIAGS_TRACE", std::nullopt);

std::string Escaped(const std::string& path) {
    std::string out;
    for (char c : path) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
}

class LoggerOutputs : public ::testing::Test {
protected:
    // Configures one output of "ZEL Test" (and the rest of the configuration as given).
    void Configure(const std::string& values, const std::string& more = {}) {
        WriteBytes(Machine().File("registry.reg"),
                   "Windows Registry Editor Version 5.00\n[" + std::string(kBuiltInRootKey) +
                       "\\ZEL Test\\Function Level Tracing]\n\"Directory\"=\"" + Escaped(logs_.Path().string()) +
                       "\"\n" + values + more);
    }
    Logger& Start() {
        Logger::Destroy();
        Logger& logger = Logger::Create();
        logger.Initialize("ZEL Test", 0);
        return logger;
    }
    void TearDown() override { Logger::Destroy(); }
    std::string Log(const std::string& name = "Trace.log") { return ReadBytes(logs_.File(name)); }

    TempDir logs_;
};

// Append keeps what the file held and adds every level; overwrite starts the file afresh each
// time the logger opens it.
TEST_F(LoggerOutputs, AppendKeepsWhatTheFileHeldAndOverwriteStartsAfreshOnEachOpen) {
    for (const bool append : {true, false}) {
        WriteBytes(logs_.File("Trace.log"), "earlier\n");
        // A flag the store cannot read (an empty text) counts as off: this is no circular log.
        Configure("\"LogToFile\"=dword:1\n\"AppendToFile\"=dword:" + std::to_string(append) +
                  "\n\"FileName\"=\"Trace.log\"\n\"CircularLogFile\"=\"\"\n");
        Logger& logger = Start();
        for (int level : {1, 32, 64}) logger.Trace(level, "line %1", level);
        const std::string first = Log();
        logger.Refresh();
        logger.Trace(64, "after refresh");
        const std::string log = Log();
        EXPECT_EQ(first.find("earlier\n") == 0, append);
        for (const char* text : {"[ZEL Test][1] line 1\n", "[ZEL Test][32] line 32\n", "[ZEL Test][64] line 64\n"})
            EXPECT_NE(first.find(text), std::string::npos) << text;
        EXPECT_EQ(log.find("earlier\n") == 0, append);
        EXPECT_EQ(log.find("line 64\n") != std::string::npos, append);
        EXPECT_NE(log.find("after refresh\n"), std::string::npos);
    }
}

TEST_F(LoggerOutputs, ACircularLogNeverOutgrowsItsSizeAndMarksItsNewestLine) {
    Configure("\"LogToFile\"=dword:1\n\"CircularLogFile\"=dword:1\n\"AppendToFile\"=dword:1\n"
              "\"FileName\"=\"Ring.log\"\n\"FileSize\"=\"1.5\"\n");  // 1536 bytes
    Logger& logger = Start();
    for (int i = 0; i < 200; ++i) {
        logger.Trace(64, "line number %1", i);
        ASSERT_LE(Log("Ring.log").size(), 1536u) << "after line " << i;
    }
    auto check = [&](int newest) {
        const std::string log = Log("Ring.log");
        const auto marker = log.find(kCircularMarker);
        ASSERT_NE(marker, std::string::npos);
        EXPECT_EQ(log.find(kCircularMarker, marker + 1), std::string::npos) << "one marker only";
        const auto lineStart = log.rfind('\n', marker - 2) + 1;
        EXPECT_NE(log.substr(lineStart, marker - lineStart).find("line number " + std::to_string(newest) + "\n"),
                  std::string::npos);
        EXPECT_EQ(log.find("line number 0\n"), std::string::npos) << "the oldest lines were overwritten";
        EXPECT_NE(log.find("line number " + std::to_string(newest - 1) + "\n"), std::string::npos);
    };
    check(199);
    // A new logger continues after the newest line instead of starting over.
    Logger& again = Start();
    again.Trace(64, "line number %1", 200);
    check(200);
    EXPECT_NE(Log("Ring.log").find("line number 199\n"), std::string::npos);
}

TEST_F(LoggerOutputs, TheDebugMonitorReceivesTheLinesOnStandardError) {
    Configure("\"DebugMonitor\"=dword:1\n\"LogToFile\"=dword:0\n");
    Logger& logger = Start();
    ::testing::internal::CaptureStderr();
    logger.Trace(32, "to the monitor");
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("[ZEL Test][32] to the monitor\n"), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(logs_.File("Trace.log")));
}

TEST_F(LoggerOutputs, FileNamesThatLeaveTheLogDirectoryAreRefusedWithOneReport) {
    for (const char* name : {"..\\\\escape.log", "../escape.log", "sub/inner.log", "..", "NUL", "com1.txt", "Con .log"}) {
        Configure(std::string("\"LogToFile\"=dword:1\n\"AppendToFile\"=dword:1\n\"FileName\"=\"") + name + "\"\n");
        ::testing::internal::CaptureStderr();
        Logger& logger = Start();
        logger.Trace(64, "one");
        logger.Trace(64, "two");
        logger.Refresh();
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("is not written"), std::string::npos) << name << ": " << err;
        EXPECT_EQ(err.find("is not written"), err.rfind("is not written")) << name << ": reported more than once";
        EXPECT_TRUE(std::filesystem::is_empty(logs_.Path())) << name;
        EXPECT_FALSE(std::filesystem::exists(logs_.Path().parent_path() / "escape.log"));
    }
}

TEST_F(LoggerOutputs, AnOutputThatCannotBeWrittenDoesNotStopTheOthers) {
    WriteBytes(logs_.File("blocked"), "a file where a directory should be");
    Configure("\"LogToFile\"=dword:1\n\"AppendToFile\"=dword:1\n\"FileName\"=\"Good.log\"\n",
              "[" + std::string(kBuiltInRootKey) + "\\ZEL Test\\Second Tracing]\n\"LogToFile\"=dword:1\n"
              "\"FileName\"=\"x.log\"\n\"Directory\"=\"" + Escaped(logs_.File("blocked")) + "\"\n");
    ::testing::internal::CaptureStderr();
    Logger& logger = Start();
    logger.Trace(64, "still written");
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Second Tracing"), std::string::npos) << err;
    EXPECT_NE(Log("Good.log").find("still written"), std::string::npos);
}

TEST_F(LoggerOutputs, NobodyListensUntilAnOutputIsSwitchedOnAndRefreshed) {
    Configure("\"LogToFile\"=dword:0\n\"DebugMonitor\"=dword:0\n");
    Logger& logger = Start();
    for (int level : {1, 32, 64}) EXPECT_FALSE(logger.Listening(level));
    platform::registry::FileStore other(Machine().File("registry.reg"));
    platform::registry::KeyChange on;
    on.path = std::string(kBuiltInRootKey) + "\\ZEL Test\\Function Level Tracing";
    on.values.push_back({"LogToFile", platform::registry::RegValue::Dword(1)});
    on.values.push_back({"FileName", platform::registry::RegValue::Text("Late.log")});
    ASSERT_TRUE(other.Apply({on}).ok());
    std::vector<OutputSettings> outputs(1);  // a component the store lacks has no outputs
    EXPECT_TRUE(ReadComponentOutputs(other, kBuiltInRootKey, "ZEL Nobody", outputs).ok());
    EXPECT_TRUE(outputs.empty());
    EXPECT_FALSE(logger.Listening(64));
    logger.Refresh();
    EXPECT_TRUE(logger.Listening(64));
    logger.Trace(64, "now written");
    EXPECT_NE(Log("Late.log").find("now written"), std::string::npos);
}

}  // namespace
}  // namespace diags::hostconfig
