#include <gtest/gtest.h>

#include "services/Logger.h"
#include "services/MessageService.h"
#include "tests/platform/TestSupport.h"
#include "tests/services/RecordingSink.h"

namespace diags {
namespace {

using testing::FreshServices;
using testing::ReadFile;
using testing::ScopedEnv;
using testing::TempDir;
using testing::RecordingSink;
using testing::TraceLine;

// ---------------------------------------------------------------- process-wide services

using SharedServiceLifetime = FreshServices;

TEST_F(SharedServiceLifetime, NoLoggerExistsUntilOneIsCreatedAndThereIsOnlyEverOne) {
    EXPECT_EQ(Logger::Existing(), nullptr);
    Logger& first = Logger::Create();
    EXPECT_EQ(Logger::Existing(), &first);
    EXPECT_EQ(&Logger::Create(), &first);
    Logger::Destroy();
    EXPECT_EQ(Logger::Existing(), nullptr);
    Logger::Destroy();  // destroying nothing is harmless
}

TEST_F(SharedServiceLifetime, EveryInitializeRebindsTheLoggerToItsModule) {
    RecordingSink& sink = RecordTraces();
    Logger& logger = *Logger::Existing();
    logger.Initialize("ZEL DiagnosticsConfiguration", 0);
    logger.Initialize("ZEL DiagnosticsConfiguration", 0);
    EXPECT_EQ(logger.InitializeCount(), 2);
    EXPECT_EQ(logger.Module(), "ZEL DiagnosticsConfiguration");
    logger.Refresh();
    EXPECT_EQ(sink.bound, (std::vector<std::string>(3, "ZEL DiagnosticsConfiguration")));
}

TEST_F(SharedServiceLifetime, MessageServiceIsCreatedOnceAndKeepsItsResourceModule) {
    EXPECT_EQ(MessageService::Existing(), nullptr);
    MessageService& service = MessageService::Create();
    service.Initialize("KVUIEN.DLL");
    EXPECT_EQ(&MessageService::Create(), &service);
    EXPECT_EQ(MessageService::Existing()->ResourceDll(), "KVUIEN.DLL");
    EXPECT_EQ(service.InitializeCount(), 1);
    MessageService::Destroy();
    EXPECT_EQ(MessageService::Existing(), nullptr);
}

TEST_F(SharedServiceLifetime, TracingWithoutALoggerDoesNothing) {
    TraceIfLogger(64, "[%1][%2] Function Enter", "General", "Main");
    EXPECT_EQ(Logger::Existing(), nullptr);
}

// ---------------------------------------------------------------- trace lines

using TraceLines = FreshServices;

TEST_F(TraceLines, ArgumentsFillTheFormatAndTheLevelIsKept) {
    RecordTraces();
    Logger& logger = *Logger::Existing();
    logger.Trace(64, "[%1][%2] Function Enter", "frmDiags", std::string("FormLoad"));
    logger.Trace(1, "[Help File: %1][Help Topic: %2]", "DiagsConfig.htm", 820);
    logger.Trace(32, "%1 %2 %3", true, -5, 2.5);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], (TraceLine{64, "[frmDiags][FormLoad] Function Enter"}));
    EXPECT_EQ(lines[1], (TraceLine{1, "[Help File: DiagsConfig.htm][Help Topic: 820]"}));
    EXPECT_EQ(lines[2], (TraceLine{32, "True -5 2.5"}));
}

TEST_F(TraceLines, LevelsNobodyListensToAreNeitherFormattedNorWritten) {
    RecordTraces(/*levels=*/64);
    Logger& logger = *Logger::Existing();
    EXPECT_FALSE(logger.Listening(1));
    EXPECT_TRUE(logger.Listening(64));
    logger.Trace(1, "[Help File: %1]", "x");
    logger.Trace(64, "kept");
    EXPECT_EQ(lines, (std::vector<TraceLine>{{64, "kept"}}));
}

TEST_F(TraceLines, GoToTheFileNamedInTheEnvironment) {
    TempDir dir;
    const std::string file = dir / "trace.log";
    ScopedEnv to(std::string("DIAGS_TRACE_FILE"), file);
    ScopedEnv levels("DIAGS_TRACE_LEVELS", std::nullopt);
    Logger& logger = Logger::Create();
    logger.Initialize("ZEL DiagnosticsConfiguration", 0);
    logger.Trace(64, "[%1][%2] Function Enter", "General", "ValidPath");
    logger.Trace(1, "[Help File: %1][Help Topic: %2]", "help.htm", 821);
    const std::string text = ReadFile(file);
    EXPECT_NE(text.find("[ZEL DiagnosticsConfiguration][64] [General][ValidPath] Function Enter\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("[ZEL DiagnosticsConfiguration][1] [Help File: help.htm][Help Topic: 821]\n"),
              std::string::npos) << text;
}

TEST_F(TraceLines, TheLevelMaskOfTheEnvironmentNarrowsWhatIsWritten) {
    TempDir dir;
    const std::string file = dir / "trace.log";
    ScopedEnv to(std::string("DIAGS_TRACE_FILE"), file);
    ScopedEnv levels(std::string("DIAGS_TRACE_LEVELS"), std::string("0x40"));
    Logger& logger = Logger::Create();
    logger.Initialize("M", 0);
    EXPECT_FALSE(logger.Listening(32));
    logger.Trace(32, "startup");
    logger.Trace(64, "function");
    const std::string text = ReadFile(file);
    EXPECT_EQ(text.find("startup"), std::string::npos);
    EXPECT_NE(text.find("function"), std::string::npos);
}

TEST_F(TraceLines, WithNoDestinationConfiguredNobodyListens) {
    ScopedEnv file("DIAGS_TRACE_FILE", std::nullopt);
    ScopedEnv console("DIAGS_TRACE", std::nullopt);
    Logger& logger = Logger::Create();
    logger.Initialize("M", 0);
    for (int level : {1, 32, 64}) EXPECT_FALSE(logger.Listening(level));
}

TEST_F(TraceLines, RefreshFollowsAChangedDestinationAndAppendsToExistingLogs) {
    TempDir dir;
    const std::string first = dir / "first.log", second = dir / "second.log";
    testing::WriteFile(second, "earlier line\n");
    ScopedEnv levels("DIAGS_TRACE_LEVELS", std::nullopt);
    auto to = std::make_unique<ScopedEnv>("DIAGS_TRACE_FILE", first);
    Logger& logger = Logger::Create();
    logger.Initialize("M", 0);
    logger.Trace(64, "one");
    to.reset();
    ScopedEnv now("DIAGS_TRACE_FILE", second);
    logger.Refresh();
    logger.Trace(64, "two");
    EXPECT_NE(ReadFile(first).find("one"), std::string::npos);
    EXPECT_EQ(ReadFile(first).find("two"), std::string::npos);
    EXPECT_EQ(ReadFile(second).rfind("earlier line\n", 0), 0u);
    EXPECT_NE(ReadFile(second).find("two"), std::string::npos);
}

TEST_F(TraceLines, AnUnwritableTraceFileIsNotAFailure) {
    ScopedEnv to("DIAGS_TRACE_FILE", "/nonexistent-dir/for/sure/trace.log");
    Logger& logger = Logger::Create();
    logger.Initialize("M", 0);
    EXPECT_FALSE(logger.Listening(64));
    logger.Trace(64, "dropped");
}

}  // namespace
}  // namespace diags
