#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/posix/PosixShell.h"
#include "tests/support/TestSupport.h"

namespace diags::platform::posix {
namespace {

using namespace diags::testing;

// An opener that writes the one argument it is given into a file, after `delay` seconds.
class RecordingOpener {
public:
    explicit RecordingOpener(int delay = 0) {
        const std::string script = dir.File("opener.sh"), out = dir.File("opened.txt");
        diags::testing::WriteBytes(script, "#!/bin/sh\nsleep " + std::to_string(delay) + "\nprintf '%s' \"$1\" > '" +
                                              out + ".part'\nmv '" + out + ".part' '" + out + "'\n");
        ::chmod(script.c_str(), 0755);
        env.emplace("DIAGS_OPENER", script);
    }
    // The argument the opener received, or "<not run>".
    std::string Received(std::chrono::milliseconds limit = std::chrono::seconds(10)) const {
        const std::string out = dir.File("opened.txt");
        return diags::testing::WaitForFile(out, limit) ? diags::testing::ReadBytes(out) : "<not run>";
    }
    TempDir dir;
    std::optional<ScopedEnv> env;
};

// The caller does not wait for the opener, which takes two seconds here.
TEST(OpeningDocuments, TheTargetReachesTheOpenerAsOneArgumentIsNeverRunAndIsNotWaitedFor) {
    RecordingOpener opener(/*delay=*/2);
    const std::string marker = opener.dir.File("injected");
    const std::string target = "https://x.invalid/?q=a b&x=1\"; touch " + marker + "; $(touch " + marker + ")";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_GT(PosixShell().Execute(0, "open", target, "", "", 1), 32);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    EXPECT_EQ(opener.Received(), target);
    EXPECT_FALSE(std::filesystem::exists(marker));
}

TEST(OpeningDocuments, FailuresAnswerSmallShellErrorCodes) {
    EXPECT_EQ(PosixShell().Execute(0, "", "", "", "", 1), kShellFileNotFound);
    for (const char* missing : {"/nonexistent/opener", "no-such-opener-program"}) {
        ScopedEnv opener("DIAGS_OPENER", missing);
        EXPECT_EQ(PosixShell().Execute(0, "", "https://x.invalid", "", "", 1), kShellNoAssociation) << missing;
    }
}

TEST(OpeningHelp, AContextOpensThePageAtItsTopicTheFinderThePageItself) {
    {
        RecordingOpener opener;
        EXPECT_TRUE(PosixShell().Help(0, "/opt/diags/DiagsConfig.htm", kHelpContext, 820));
        EXPECT_EQ(opener.Received(), "file:///opt/diags/DiagsConfig.htm#topic-820");
    }
    RecordingOpener opener;
    EXPECT_TRUE(PosixShell().Help(0, "/opt/diags/DiagsConfig.htm", kHelpFinder, 0));
    EXPECT_EQ(opener.Received(), "file:///opt/diags/DiagsConfig.htm");
}

TEST(OpeningHelp, QuitAndAnEmptyFileOpenNothing) {
    RecordingOpener opener;
    EXPECT_TRUE(PosixShell().Help(0, "/opt/diags/DiagsConfig.htm", kHelpQuit, 0));
    EXPECT_FALSE(PosixShell().Help(0, "", kHelpContext, 819));
    EXPECT_EQ(opener.Received(std::chrono::milliseconds(300)), "<not run>");
}

TEST(OpeningHelp, AddressesAreAbsoluteAndEscaped) {
    EXPECT_EQ(HelpAddress("/a b/Hilfe#1%.htm", 819), "file:///a%20b/Hilfe%231%25.htm#topic-819");
    EXPECT_EQ(HelpAddress("/x/\xE9.htm", std::nullopt), "file:///x/%E9.htm");
    const std::string relative = HelpAddress("DiagsConfig.htm", std::nullopt);
    EXPECT_EQ(relative, "file://" + (std::filesystem::current_path() / "DiagsConfig.htm").string());
}

}  // namespace
}  // namespace diags::platform::posix
