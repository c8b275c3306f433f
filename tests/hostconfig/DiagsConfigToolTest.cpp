// The diagsconfig tool as a support engineer's script uses it: switching tracing on, reading
// it back, moving configurations between files, and clear refusals with distinct exit codes.
#include <sstream>

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"
#include "tools/diagsconfig/Commands.h"

namespace diags::tools {
namespace {

using namespace diags::testing;

struct Result {
    int code;
    std::string out, err;
};

class DiagsConfigTool : public ::testing::Test {
protected:
    Result Run(std::vector<std::string> args, const std::string& config = "c.reg") {
        args.insert(args.begin(), {"--config", dir_.File(config)});
        std::ostringstream out, err;
        const int code = RunDiagsConfig(args, out, err);
        return {code, out.str(), err.str()};
    }
    TempDir dir_;
};

TEST_F(DiagsConfigTool, SwitchesAnOutputOnAndReadsItBackFromANewConfiguration) {
    EXPECT_EQ(Run({"set", "ZEL ReportServer", "report source tracing", "LogToFile=on", "FileMode=Circular",
                   "FileSize=48.5", "Directory=/var/log/zel"})
                  .code,
              exitcode::kOk);
    const Result all = Run({"get", "zel reportserver", "Report Source Tracing"});
    EXPECT_EQ(all.code, exitcode::kOk);
    for (const char* line : {"LogToFile=true\n", "CircularLogFile=true\n", "AppendToFile=true\n", "FileSize=48.5\n",
                             "Directory=/var/log/zel\n", "FileMode=Circular\n"})
        EXPECT_NE(all.out.find(line), std::string::npos) << line << all.out;
    EXPECT_EQ(Run({"get", "ZEL Errors", "LogToFile"}).out, "true\n");  // the error log has no output level
    const Result table = Run({"show", "ZEL ReportServer"});
    EXPECT_NE(table.out.find("Report Source Tracing"), std::string::npos);
    EXPECT_NE(table.out.find("on   Circular   48.5"), std::string::npos) << table.out;
}

TEST_F(DiagsConfigTool, RefusesUnknownNamesAndBadValuesWithDistinctCodesAndSavesNothing) {
    ASSERT_EQ(Run({"show"}).code, exitcode::kOk);  // installs the defaults
    const std::string before = ReadBytes(dir_.File("c.reg"));
    const struct {
        std::vector<std::string> args;
        int code;
        const char* message;
    } cases[] = {
        {{"set", "ZEL Nobody", "X", "LogToFile=1"}, exitcode::kNotFound, "unknown component \"ZEL Nobody\""},
        {{"set", "ZEL ReportServer", "Nothing", "LogToFile=1"}, exitcode::kNotFound, "unknown output"},
        {{"set", "ZEL Errors", "Colour=red"}, exitcode::kNotFound, "unknown property \"Colour\""},
        {{"set", "ZEL Errors", "FileSize=23"}, exitcode::kBadValue, "from 24 to 99999"},
        {{"set", "ZEL Errors", "FileSize=100000"}, exitcode::kBadValue, "from 24 to 99999"},
        {{"set", "ZEL Errors", "FileSize=48abc"}, exitcode::kBadValue, "from 24 to 99999"},
        {{"set", "ZEL Errors", "LogToFile=perhaps"}, exitcode::kBadValue, "true or false"},
        {{"set", "ZEL Errors", "FileMode=Sideways"}, exitcode::kBadValue, "Append, Circular or Overwrite"},
        {{"set", "ZEL Errors", "FileName=..\\up.log"}, exitcode::kBadValue, "not a plain file name"},
        {{"set", "ZEL Errors", "LogToFile=1", "FileSize=2"}, exitcode::kBadValue, "from 24 to 99999"},
        {{"frobnicate"}, exitcode::kUsage, "unknown command"},
        {{"get"}, exitcode::kUsage, "name a component"},
        {{"set", "ZEL Errors", "ErrorThreshold=40000"}, exitcode::kBadValue, "whole number"},
        {{"set", "ZEL Errors", "=1"}, exitcode::kUsage, "expected PROPERTY=VALUE"},
        {{"set", "ZEL Errors"}, exitcode::kUsage, "set needs PROPERTY=VALUE"},
        {{"get", "ZEL Errors", "LogToFile", "FileSize"}, exitcode::kUsage, "one property at most"},
        {{"get", "ZEL Errors", "Colour"}, exitcode::kNotFound, "unknown property"},
        {{"get", "ZEL ReportServer"}, exitcode::kUsage, "name an output"},
        {{"show", "ZEL Errors", "ZEL ReportServer"}, exitcode::kUsage, "at most one component"},
        {{"export"}, exitcode::kUsage, "export takes one file name"},
        {{"export", dir_.Path().string()}, exitcode::kStoreFailure, ""},  // a folder where the file should go
        {{"import", "vanished.reg"}, exitcode::kStoreFailure, "cannot read vanished.reg"},
        {{"repair", "now"}, exitcode::kUsage, "repair takes no arguments"},
        {{"--colour", "show"}, exitcode::kUsage, "unknown option --colour"},
        {{}, exitcode::kUsage, "no command given"},
    };
    for (const auto& c : cases) {
        const Result r = Run(c.args);
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_EQ(ReadBytes(dir_.File("c.reg")), before);
}

TEST_F(DiagsConfigTool, ExportedConfigurationsImportUnchangedIntoAnotherStore) {
    ASSERT_EQ(Run({"set", "ZEL MDServer", "SQL Tracing", "DebugMonitor=yes", "FileName=Sql.log"}).code, exitcode::kOk);
    ASSERT_EQ(Run({"export", dir_.File("out.reg")}).code, exitcode::kOk);
    EXPECT_EQ(ReadBytes(dir_.File("out.reg")).substr(0, 2), "\xFF\xFE");
    ASSERT_EQ(Run({"import", dir_.File("out.reg")}, "other.reg").code, exitcode::kOk);
    EXPECT_EQ(Run({"get", "ZEL MDServer", "SQL Tracing", "FileName"}, "other.reg").out, "Sql.log\n");
    EXPECT_EQ(Run({"get", "ZEL MDServer", "SQL Tracing", "DebugMonitor"}, "other.reg").out, "true\n");
    EXPECT_EQ(Run({"show"}, "other.reg").out, Run({"show"}).out);
}

TEST_F(DiagsConfigTool, AMalformedOrForeignImportIsRefusedWithItsLineAndChangesNothing) {
    ASSERT_EQ(Run({"show"}).code, exitcode::kOk);
    const std::string before = ReadBytes(dir_.File("c.reg"));
    WriteBytes(dir_.File("bad.reg"), "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\X]\n\"a\"=hex:zz\n");
    Result r = Run({"import", dir_.File("bad.reg")});
    EXPECT_EQ(r.code, exitcode::kBadValue);
    EXPECT_NE(r.err.find("bad.reg, line 4"), std::string::npos) << r.err;
    WriteBytes(dir_.File("foreign.reg"), "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n");
    r = Run({"import", dir_.File("foreign.reg")});
    EXPECT_EQ(r.code, exitcode::kBadValue);
    EXPECT_NE(r.err.find("outside the log configuration"), std::string::npos) << r.err;
    EXPECT_EQ(ReadBytes(dir_.File("c.reg")), before);
    WriteBytes(dir_.File("c.reg"), "not a registry file");
    r = Run({"show"});
    EXPECT_EQ(r.code, exitcode::kStoreFailure);
    EXPECT_NE(r.err.find("c.reg, line 1: not a registry file"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace diags::tools
