// The file store: saved keys are in the file when Apply returns, other stores (other
// processes) see them, a batch follows a file replaced under it, and a damaged file is reported
// and left alone. Cut-off writes: PowerCutTest; several writers at once: CrashAndConcurrencyTest.
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <csignal>

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"
#include "platform/registry/FileStore.h"
#include "platform/registry/RunningHash.h"

namespace diags::platform::registry {
namespace {

using namespace diags::testing;

const std::string kKey = "HKEY_CURRENT_USER\\Software\\Test";

KeyChange Set(const std::string& path, const std::string& name, const std::string& value) {
    KeyChange c;
    c.path = path;
    c.values.push_back({name, RegValue::Text(value)});
    return c;
}

// Each case works on its own file in a fresh directory.
class FileStoreTest : public ::testing::Test {
protected:
    TempDir dir;
    const std::string file = dir.File("r.reg");
};
using FileStoreSaving = FileStoreTest;
using FileStoreFailures = FileStoreTest;

std::optional<std::string> Get(Store& store, const std::string& path, const std::string& name) {
    std::optional<RegKey> key;
    const Status s = store.ReadTree(path, key);
    EXPECT_TRUE(s.ok()) << s.message();
    if (!key || !key->FindValue(name)) return std::nullopt;
    return key->FindValue(name)->AsText();
}

// The commits the file holds after its last compaction.
std::size_t Commits(const std::string& file) {
    ParsedFile parsed;
    EXPECT_TRUE(ParseRegFile(ReadBytes(file), "f", parsed).ok());
    return parsed.commits;
}

// Each save as its own commit, with compaction off so every commit stays in the file.
void SaveEach(const std::string& file, const std::vector<std::vector<KeyChange>>& saves) {
    FileStore store(file);
    store.SetCompaction(1e9, ~0ull);
    for (const auto& save : saves) ASSERT_TRUE(store.Apply(save).ok());
}

TEST_F(FileStoreSaving, AMissingFileIsCreatedOnTheFirstSaveAsAnImportableRegistryFile) {
    FileStore store(dir.File("sub/dir/registry.reg"));
    std::optional<RegKey> key;
    ASSERT_TRUE(store.ReadTree(kKey, key).ok());
    EXPECT_FALSE(key);
    ASSERT_TRUE(store.Apply({Set(kKey, "v", "1")}).ok());
    ASSERT_TRUE(store.ReadTree(kKey, key).ok());
    EXPECT_TRUE(key);
    ASSERT_TRUE(store.ReadTree(kKey + "\\Missing", key).ok());
    EXPECT_FALSE(key);  // a result read before is emptied, not left standing
    EXPECT_EQ(ReadBytes(dir.File("sub/dir/registry.reg")).substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(Commits(dir.File("sub/dir/registry.reg")), 0u);  // a new file is written whole
    // Appended, though larger than the file was: compaction waits for 256 KiB of commits.
    ASSERT_TRUE(store.Apply({Set(kKey, "big", std::string(2000, 'b'))}).ok());
    EXPECT_EQ(Commits(dir.File("sub/dir/registry.reg")), 1u);
    WriteBytes(file, std::string(kHeader5) + "\n");  // a file of the header alone is saved after it
    ASSERT_TRUE(FileStore(file).Apply({Set(kKey, "v", "2")}).ok());
    FileStore fresh(file);
    EXPECT_EQ(Get(fresh, kKey, "v"), "2");
    // Zeros a power cut left after a commit are ignored, and cut away by the next save.
    SaveEach(file, {{Set(kKey, "v", "3")}});
    WriteBytes(file, ReadBytes(file) + std::string(4096, '\0'));
    FileStore zeros(file);
    EXPECT_EQ(Get(zeros, kKey, "v"), "3");
    ASSERT_TRUE(zeros.Apply({Set(kKey, "v", "4")}).ok());
    EXPECT_EQ(ReadBytes(file).find(std::string(64, '\0')), std::string::npos);
}

// What a new configuration asks of the store: it reads the file again and must see an edit
// made anywhere in it, as well as what others appended meanwhile; a longer rewrite by an
// editor is seen without being asked.
TEST_F(FileStoreSaving, AppendsByOthersAndEditsInPlaceAnywhereAreReadAfresh) {
    FileStore store(file), other(file);
    // The padding makes the file longer than one 64 KiB piece of a read.
    ASSERT_TRUE(store.Apply({Set(kKey, "first", "one"), Set(kKey + "\\Padding", "p", std::string(40000, 'p'))}).ok());
    ASSERT_TRUE(other.Apply({Set(kKey, "appended", "yes")}).ok());
    store.Invalidate();
    EXPECT_EQ(Get(store, kKey, "appended"), "yes");  // unchanged before: only the commit is new

    std::string bytes = ReadBytes(file);
    const auto at = bytes.find(std::string("o\0n\0e\0", 6));  // UTF-16LE
    ASSERT_NE(at, std::string::npos);
    bytes[at + 4] = 'f';  // same length, same ending, thousands of bytes before it
    WriteBytes(file, bytes);
    store.Invalidate();
    EXPECT_EQ(Get(store, kKey, "first"), "onf");
    EXPECT_EQ(Get(store, kKey, "appended"), "yes");

    // Same file, same inode, longer content: not an append; then the same length again, changed
    // only near its end.
    for (const char last : {'w', 'x'}) {
        WriteBytes(file, "Windows Registry Editor Version 5.00\n[" + kKey + "]\n\"v\"=\"edited by hand\"\n\"w\"=\"" +
                             std::string(5999, 'w') + last + "\"\n");
        EXPECT_EQ(Get(store, kKey, "v"), "edited by hand");
        EXPECT_EQ(Get(store, kKey, "w").value_or("?").back(), last);
    }
}

TEST(RunningHash, TheSameBytesHashAlikeHoweverSplitAndAnyChangedByteChangesTheHash) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += static_cast<char>('a' + i % 26);
    RunningHash whole;
    whole.Add(text);
    for (std::size_t split : {0, 1, 7, 8, 9, 63, 99, 100}) {
        RunningHash pieces;
        pieces.Add(std::string_view(text).substr(0, split));
        pieces.Add(std::string_view(text).substr(split, 3));
        pieces.Add(std::string_view(text).substr(std::min<std::size_t>(split + 3, text.size())));
        EXPECT_TRUE(pieces == whole) << "split at " << split;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::string changed = text;
        changed[i] = static_cast<char>(changed[i] ^ 0x01);
        RunningHash other;
        other.Add(changed);
        EXPECT_FALSE(other == whole) << "byte " << i;
    }
    RunningHash longer;
    longer.Add(text + std::string(1, '\0'));
    EXPECT_FALSE(longer == whole);  // a trailing zero byte still counts
}

TEST_F(FileStoreSaving, ABatchAppendsACommitPerSaveAndCompactsOnlyAtItsEnd) {
    FileStore store(file);
    ASSERT_TRUE(store.Apply({Set(kKey, "base", "x")}).ok());
    store.BeginBatch();  // a first batch, too small to compact: the next one reopens the same file
    ASSERT_TRUE(store.Apply({Set(kKey, "base", "y")}).ok());
    ASSERT_TRUE(store.EndBatch().ok());
    store.SetCompaction(0.5, 1);
    store.BeginBatch();
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(store.Apply({Set(kKey + "\\N" + std::to_string(i), "v", std::to_string(i))}).ok());
    EXPECT_EQ(Commits(file), 31u);  // each save its own commit (the first batch's too), none compacted yet
    ASSERT_TRUE(store.EndBatch().ok());
    EXPECT_EQ(Commits(file), 0u);  // the compaction the saves skipped
    FileStore fresh(file);
    ASSERT_TRUE(fresh.Refresh().ok());
    const RegKey* key = fresh.Tree().FindPath(kKey);
    ASSERT_EQ(key->Children().size(), 30u);
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(key->Children()[i]->Name(), "N" + std::to_string(i));  // compaction keeps their order
        EXPECT_EQ(Get(fresh, kKey + "\\N" + std::to_string(i), "v"), std::to_string(i));
    }
}

// Windows cannot rename a file over one that is held open, so there another store cannot
// compact the file while a batch has it open (the Windows build keeps its configuration in
// the registry, not in this file).
#ifndef _WIN32
TEST_F(FileStoreSaving, ABatchFollowsTheFileWhenAnotherStoreReplacesItOrAnEditorRewritesIt) {
    FileStore batch(file), other(file);
    ASSERT_TRUE(batch.Apply({Set(kKey, "v", "0")}).ok());
    batch.BeginBatch();
    ASSERT_TRUE(batch.Apply({Set(kKey + "\\A", "v", "1")}).ok());
    ASSERT_TRUE(other.Apply({Set(kKey + "\\B", "v", "2")}).ok());
    ASSERT_TRUE(other.Compact().ok());  // a new file renamed over the one the batch writes to
    ASSERT_TRUE(batch.Apply({Set(kKey + "\\C", "v", "3")}).ok());
    {
        FileStore fresh(file);
        EXPECT_EQ(Get(fresh, kKey + "\\A", "v"), "1");
        EXPECT_EQ(Get(fresh, kKey + "\\B", "v"), "2");
        EXPECT_EQ(Get(fresh, kKey + "\\C", "v"), "3");
    }
    // Rewritten in place (same file, other content): the batch's next save builds on the edit.
    WriteBytes(file, "Windows Registry Editor Version 5.00\n[" + kKey + "]\n\"v\"=\"edited\"\n");
    ASSERT_TRUE(batch.Apply({Set(kKey + "\\D", "v", "4")}).ok());
    ASSERT_TRUE(batch.EndBatch().ok());
    FileStore fresh(file);
    EXPECT_EQ(Get(fresh, kKey, "v"), "edited");
    EXPECT_EQ(Get(fresh, kKey + "\\D", "v"), "4");
    EXPECT_EQ(Get(fresh, kKey + "\\A", "v"), std::nullopt);  // the editor removed it
}
#endif

// A file the reader refuses (here a finished commit whose checksum no longer matches its text:
// not silently dropped; every other refusal of the reader takes the same way) is reported with
// its line, and a save never rewrites it.
TEST_F(FileStoreFailures, ADamagedFileIsReportedWithItsLineAndNeverRewritten) {
    SaveEach(file, {{Set(kKey, "a", "1")}});
    FileStore early(file);  // it reads only what is appended after this
    ASSERT_TRUE(early.Refresh().ok());
    SaveEach(file, {{Set(kKey, "a", "2")}, {Set(kKey, "a", "3")}});
    std::string damaged = ReadBytes(file);
    const std::string two = EncodeText("\"a\"=\"2\"", FileEncoding::Utf16Le);
    const auto at = damaged.find(two);
    ASSERT_NE(at, std::string::npos);
    damaged[at + two.size() - 4] = '9';  // "2" -> "9" inside a finished commit
    WriteBytes(file, damaged);
    FileStore store(file);
    const Status s = store.Refresh();
    ASSERT_FALSE(s.ok());
    EXPECT_TRUE(s.message().starts_with(file + ", line ")) << s.message();
    EXPECT_NE(s.message().find("checksum"), std::string::npos) << s.message();
    EXPECT_EQ(early.Refresh().message(), s.message());  // the same line
    EXPECT_FALSE(store.Apply({Set(kKey, "a", "4")}).ok());
    EXPECT_EQ(ReadBytes(file), damaged);
}

#ifndef _WIN32  // the file-size limit is how a full disk is brought about here
TEST_F(FileStoreFailures, AWriteThatFailsMidwayReportsTheFailureAndKeepsTheStoredValues) {
    {
        FileStore store(file);
        ASSERT_TRUE(store.Apply({Set(kKey, "v", "stored")}).ok());
    }
    const std::string before = ReadBytes(file);
    // In a child: the file-size limit makes the append fail after a few bytes (as a full disk
    // would), in a plain save and in a save within a batch. The child ends with exit, not
    // _exit, so what it ran counts in a coverage build.
    for (const bool batch : {false, true}) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{static_cast<rlim_t>(before.size() + 16), static_cast<rlim_t>(before.size() + 16)};
            setrlimit(RLIMIT_FSIZE, &limit);
            FileStore store(file);
            if (batch) store.BeginBatch();
            Status s = store.Apply({Set(kKey, "v", std::string(5000, 'n'))});
            if (batch && s.ok()) s = store.EndBatch();
            std::exit(!s.ok() && s.message().find("cannot save to " + file) != std::string::npos ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed save was not reported (batch: " << batch << ")";
    }
    FileStore store(file);
    EXPECT_EQ(Get(store, kKey, "v"), "stored");
    EXPECT_EQ(ReadBytes(file), before);
}

#endif

TEST_F(FileStoreFailures, AFileThatCannotBeCreatedIsAClearFailure) {
    WriteBytes(dir.File("plain"), "x");
    FileStore store(dir.File("plain/r.reg"));  // its directory is a file
    const Status s = store.Apply({Set(kKey, "v", "x")});
    ASSERT_FALSE(s.ok());
    EXPECT_NE(s.message().find(dir.File("plain")), std::string::npos) << s.message();
}

}  // namespace
}  // namespace diags::platform::registry
