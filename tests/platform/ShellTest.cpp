#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>

#include "platform/posix/PosixShell.h"
#include "tests/platform/TestSupport.h"

namespace diags::platform::posix {
namespace {

using diags::testing::ReadFile;
using diags::testing::ScopedEnv;
using diags::testing::TempDir;
using diags::testing::WaitForFile;

// An opener that records the one argument it is given, after `delay` seconds.
class RecordingOpener {
public:
    explicit RecordingOpener(int delaySeconds = 0) {
        const std::string script = dir_ / "opener.sh";
        diags::testing::WriteFile(script, "#!/bin/sh\nsleep " + std::to_string(delaySeconds) +
                                              "\nprintf '%s\\n' \"$1\" > '" + Output() + ".part'\nmv '" +
                                              Output() + ".part' '" + Output() + "'\n");
        ::chmod(script.c_str(), 0755);
        env_.emplace("DIAGS_OPENER", script);
    }
    std::string Output() const { return dir_ / "opened.txt"; }
    // The argument the opener received (without its newline), or "" when it never ran.
    std::string Received() const {
        if (!WaitForFile(Output())) return "";
        std::string text = ReadFile(Output());
        if (!text.empty() && text.back() == '\n') text.pop_back();
        return text;
    }
    const TempDir& Dir() const { return dir_; }

private:
    TempDir dir_;
    std::optional<ScopedEnv> env_;
};

TEST(OpeningDocuments, TheTargetReachesTheOpenerUnchanged) {
    RecordingOpener opener;
    PosixShell shell;
    const std::string target = "https://example.invalid/support?q=a b&x=1";
    EXPECT_GT(shell.Execute(0, "", target, "", "", 1), 32);
    EXPECT_EQ(opener.Received(), target);
}

TEST(OpeningDocuments, ShellCharactersInTheTargetAreNeverRun) {
    RecordingOpener opener;
    PosixShell shell;
    const std::string marker = opener.Dir() / "injected";
    const std::string target = "x\"; touch " + marker + "; $(touch " + marker + ") `touch " + marker + "`";
    EXPECT_GT(shell.Execute(0, "open", target, "", "", 1), 32);
    EXPECT_EQ(opener.Received(), target);
    EXPECT_FALSE(std::filesystem::exists(marker));
}

TEST(OpeningDocuments, TheCallerDoesNotWaitForTheOpener) {
    RecordingOpener opener(/*delaySeconds=*/2);
    PosixShell shell;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_GT(shell.Execute(0, "", "file:///tmp", "", "", 1), 32);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    EXPECT_EQ(opener.Received(), "file:///tmp");
}

TEST(OpeningDocuments, FailuresAnswerSmallShellErrorCodes) {
    PosixShell shell;
    {
        RecordingOpener opener;
        EXPECT_EQ(shell.Execute(0, "", "", "", "", 1), kShellFileNotFound);
    }
    ScopedEnv none("DIAGS_OPENER", "/nonexistent/opener");
    EXPECT_EQ(shell.Execute(0, "", "https://example.invalid", "", "", 1), kShellNoAssociation);
    ScopedEnv notOnPath("DIAGS_OPENER", "no-such-opener-program");
    EXPECT_EQ(shell.Execute(0, "", "https://example.invalid", "", "", 1), kShellNoAssociation);
}

TEST(OpeningHelp, AContextOpensThePageAtTheTopicsAnchor) {
    RecordingOpener opener;
    PosixShell shell;
    EXPECT_TRUE(shell.Help(0, "/opt/diags/DiagsConfig.htm", kHelpContext, 820));
    EXPECT_EQ(opener.Received(), "file:///opt/diags/DiagsConfig.htm#topic-820");
}

TEST(OpeningHelp, TheFinderOpensThePageItself) {
    RecordingOpener opener;
    PosixShell shell;
    EXPECT_TRUE(shell.Help(0, "/opt/diags/DiagsConfig.htm", kHelpFinder, 0));
    EXPECT_EQ(opener.Received(), "file:///opt/diags/DiagsConfig.htm");
}

TEST(OpeningHelp, QuitAndAMissingFileOpenNothing) {
    RecordingOpener opener;
    PosixShell shell;
    EXPECT_TRUE(shell.Help(0, "/opt/diags/DiagsConfig.htm", kHelpQuit, 0));
    EXPECT_FALSE(shell.Help(0, "", kHelpContext, 819));
    EXPECT_FALSE(WaitForFile(opener.Output(), std::chrono::milliseconds(300)));
}

TEST(OpeningHelp, AddressesAreAbsoluteAndEscaped) {
    EXPECT_EQ(HelpAddress("/a b/Hilfe#1%.htm", 819), "file:///a%20b/Hilfe%231%25.htm#topic-819");
    EXPECT_EQ(HelpAddress("/x/\xE9.htm", std::nullopt), "file:///x/%E9.htm");
    const std::string relative = HelpAddress("DiagsConfig.htm", std::nullopt);
    EXPECT_EQ(relative.rfind("file:///", 0), 0u);
    EXPECT_NE(relative.find("/DiagsConfig.htm"), std::string::npos);
}

}  // namespace
}  // namespace diags::platform::posix
