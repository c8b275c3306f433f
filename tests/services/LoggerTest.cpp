#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"
#include "tests/support/RecordingSink.h"

namespace diags {
namespace {

using testing::ReadBytes;
using testing::ScopedEnv;
using testing::TraceLine;

using TraceLines = testing::FreshServices;

TEST_F(TraceLines, ArgumentsFillTheFormatAndUnwantedLevelsAreDropped) {
    RecordTraces(/*levels=*/1 | 64);
    Logger& logger = *Logger::Existing();
    logger.Trace(64, "[%1][%2] Function Enter", "frmDiags", std::string("FormLoad"));
    logger.Trace(1, "[Help File: %1][Help Topic: %2]", "DiagsConfig.htm", 820);
    logger.Trace(64, "%1 %2 %3", true, -5, 2.5);
    logger.Trace(32, "not wanted");
    EXPECT_EQ(lines, (std::vector<TraceLine>{{64, "[frmDiags][FormLoad] Function Enter"},
                                             {1, "[Help File: DiagsConfig.htm][Help Topic: 820]"},
                                             {64, "True -5 2.5"}}));
}

TEST_F(TraceLines, GoToTheEnvironmentsFileByItsLevelMaskRefreshFollowsANewOneAndWithoutOneNobodyListens) {
    testing::TempDir dir;
    testing::WriteBytes(dir.File("second.log"), "earlier line\n");
    ScopedEnv levels("DIAGS_TRACE_LEVELS", "0x41");
    std::optional<ScopedEnv> to(std::in_place, "DIAGS_TRACE_FILE", dir.File("first.log"));
    Logger& logger = Logger::Create();
    logger.Initialize("ZEL DiagnosticsConfiguration", 0);
    logger.Trace(64, "[%1][%2] Function Enter", "General", "ValidPath");
    logger.Trace(32, "startup");
    std::string first = ReadBytes(dir.File("first.log"));
    std::erase(first, '\r');  // a text file: lines end in CR LF on Windows
    EXPECT_NE(first.find("[ZEL DiagnosticsConfiguration][64] [General][ValidPath] Function Enter\n"),
              std::string::npos) << first;
    EXPECT_EQ(first.find("startup"), std::string::npos);
    to.emplace("DIAGS_TRACE_FILE", dir.File("second.log"));
    logger.Refresh();
    logger.Trace(64, "two");
    EXPECT_EQ(ReadBytes(dir.File("first.log")).find("two"), std::string::npos);
    EXPECT_EQ(ReadBytes(dir.File("second.log")).rfind("earlier line\n", 0), 0u);
    EXPECT_NE(ReadBytes(dir.File("second.log")).find("two"), std::string::npos);

    // Without a usable destination nobody listens.
    for (std::optional<std::string> file : {std::optional<std::string>(), std::optional<std::string>("/no/such/dir/t.log")}) {
        to.emplace("DIAGS_TRACE_FILE", file);
        logger.Refresh();
        for (int level : {1, 32, 64}) EXPECT_FALSE(logger.Listening(level));
    }
}

}  // namespace
}  // namespace diags
