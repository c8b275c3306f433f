// Power cuts while a batch of saves is on its way to the disk: whatever the file system kept
// of the unflushed part (a prefix cut at any byte, zero-filled blocks, later blocks without the
// earlier ones), the reader loads what was flushed, plus the whole commits that follow it up
// to the first damage; a store opened on any of those files saves after what it loaded.
#include <cctype>

#include <gtest/gtest.h>

#include "platform/registry/FileStore.h"
#include "tests/support/TestSupport.h"

namespace diags::platform::registry {
namespace {

using diags::testing::ReadBytes;
using diags::testing::TempDir;
using diags::testing::WriteBytes;

const std::string kRoot = "HKEY_CURRENT_USER\\Software\\PowerCut";

KeyChange Save(int n) {
    return {kRoot + "\\K" + std::to_string(n), false, {{"v", RegValue::Text("value " + std::to_string(n))}}};
}

// The saves the tree holds (keys K0, K1, ... present, in order).
int SavesIn(const RegKey& tree) {
    int n = 0;
    while (tree.FindPath(kRoot + "\\K" + std::to_string(n))) ++n;
    for (int k = n + 1; k < 40; ++k)
        if (tree.FindPath(kRoot + "\\K" + std::to_string(k))) return -2;  // a gap: a later save without an earlier one
    return n;
}

// The saves the bytes hold, or -1 when the reader refuses them.
int SavesIn(std::string_view bytes) {
    ParsedFile parsed;
    if (!ParseRegFile(bytes, "f.reg", parsed).ok()) return -1;
    RegKey tree;
    ApplyAll(tree, parsed.changes);
    return SavesIn(tree);
}

class PowerCut : public ::testing::Test {
protected:
    // A file with K0 flushed on its own, then a batch of K1..K4. bytesAt[k]: the file after
    // the batch's k-th commit (not flushed yet); flushed: after the batch's end.
    void SetUp() override {
        FileStore store(file_);
        store.SetCompaction(1e9, UINT64_MAX);
        ASSERT_TRUE(store.Apply({KeyChange{kRoot, false, {}}}).ok());
        ASSERT_TRUE(store.Apply({Save(0)}).ok());
        bytesAt.push_back(ReadBytes(file_));
        store.BeginBatch();
        for (int k = 1; k <= kBatch; ++k) {
            ASSERT_TRUE(store.Apply({Save(k)}).ok());
            bytesAt.push_back(ReadBytes(file_));
        }
        ASSERT_TRUE(store.EndBatch().ok());
        flushed = ReadBytes(file_);
    }
    // How many whole commits of the batch lie in the first `size` bytes; after a cut, a commit
    // whose end line lost only its line break (UTF-16: 2 or 4 bytes) is whole too.
    int WholeCommits(std::size_t size, bool cut = false) const {
        int k = 0;
        while (k < kBatch) {
            const std::size_t end = bytesAt[static_cast<std::size_t>(k + 1)].size();
            if (!(end <= size || (cut && (end - size == 2 || end - size == 4)))) break;
            ++k;
        }
        return k;
    }
    static constexpr int kBatch = 4;
    TempDir dir_;
    std::string file_ = dir_.File("registry.reg");
    std::vector<std::string> bytesAt;
    std::string flushed;
};

TEST_F(PowerCut, EveryFileAFlushedBatchCanLeaveLoadsTheFlushedSavesAndTheWholeCommitsAfterThem) {
    const std::size_t start = bytesAt[0].size();  // the last flush before the batch
    ASSERT_EQ(SavesIn(flushed), 1 + kBatch);
    // At every commit boundary of the batch, and after its flush: the file as it may be found.
    std::vector<std::string> states(bytesAt.begin() + 1, bytesAt.end());
    states.push_back(flushed);
    for (const std::string& full : states) {
        for (std::size_t cut = start; cut <= full.size(); ++cut) {
            const std::string_view bytes = std::string_view(full).substr(0, cut);
            ASSERT_EQ(SavesIn(bytes), 1 + WholeCommits(cut, true)) << "cut at " << cut;
            // A store that read the intact part before reads the rest as a continuation (a
            // program still running when the file was cut): it finds nothing more to keep.
            ParsedFile whole, rest;
            ASSERT_TRUE(ParseRegFile(bytes, "f.reg", whole).ok());
            ParseOptions more;
            more.expectHeader = false;
            more.byteOffset = whole.intactEnd;
            ASSERT_TRUE(ParseRegFile(bytes.substr(static_cast<std::size_t>(whole.intactEnd)), "f.reg", rest, more).ok())
                << "cut at " << cut;
            EXPECT_TRUE(rest.changes.empty()) << "cut at " << cut;
            // The store itself, over the batch's last commit and the flush: it loads the same
            // saves, and its next save lands after them.
            if (&full != &states.back() || cut < bytesAt[kBatch - 1].size()) continue;
            WriteBytes(file_, std::string(bytes));
            FileStore store(file_);
            ASSERT_TRUE(store.Refresh().ok()) << "cut at " << cut;
            const int saves = SavesIn(store.Tree());
            ASSERT_EQ(saves, 1 + WholeCommits(cut, true)) << "cut at " << cut;
            ASSERT_TRUE(store.Apply({Save(saves)}).ok()) << "cut at " << cut;
            FileStore fresh(file_);
            ASSERT_TRUE(fresh.Refresh().ok()) << "cut at " << cut;
            ASSERT_EQ(SavesIn(fresh.Tree()), saves + 1) << "cut at " << cut;
        }
        for (const std::size_t block : {64u, 512u}) {
            for (std::size_t from = start - start % block; from < full.size(); from += block) {
                std::string zeroTail = full;  // zero-filled blocks from here to the end
                std::fill(zeroTail.begin() + static_cast<std::ptrdiff_t>(std::max(from, start)), zeroTail.end(), '\0');
                ASSERT_EQ(SavesIn(zeroTail), 1 + WholeCommits(std::max(from, start))) << "zero tail from " << from;
                std::string lost = full;  // one earlier block lost, the later ones kept
                const std::size_t to = std::min(from + block, full.size());
                std::fill(lost.begin() + static_cast<std::ptrdiff_t>(std::max(from, start)),
                          lost.begin() + static_cast<std::ptrdiff_t>(to), '\0');
                ASSERT_EQ(SavesIn(lost), 1 + WholeCommits(std::max(from, start))) << "lost block at " << from;
            }
        }
    }
}

TEST_F(PowerCut, ACutOffTailIsDroppedAndTheNextSaveContinuesTheFile) {
    std::string overwritten = bytesAt[1];  // K1's commit-begin line overwritten by other text
    overwritten[overwritten.rfind(EncodeText(std::string(kCommitBegin), FileEncoding::Utf16Le)) + 14] = 'X';
    EXPECT_EQ(SavesIn(overwritten), 1);
    // A mark edited by hand (capitals in its checksum, blanks after it) still marks K0 flushed.
    std::string edited = bytesAt[1];
    const std::size_t crcEnd = bytesAt[0].size() - 4;  // before the line break of K0's mark
    for (std::size_t i = crcEnd - 16; i < crcEnd; ++i)
        edited[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(edited[i])));
    edited.insert(crcEnd, std::string(" \0\t\0", 4));
    EXPECT_EQ(SavesIn(edited), 2);
    std::string cut = bytesAt[kBatch];
    std::fill(cut.begin() + static_cast<std::ptrdiff_t>(bytesAt[1].size()),
              cut.begin() + static_cast<std::ptrdiff_t>(bytesAt[2].size()), '\0');  // K2 lost, K3 and K4 kept
    // A mark's text inside another line (here a comment) marks nothing flushed.
    EXPECT_EQ(SavesIn(cut + EncodeText("; see " + FormatFlushMark(0, Crc32({})), FileEncoding::Utf16Le)), 2);
    WriteBytes(file_, cut);
    {
        FileStore store(file_);
        ASSERT_TRUE(store.Apply({Save(2)}).ok());
    }
    EXPECT_EQ(SavesIn(ReadBytes(file_)), 3);  // K0, K1 and the new K2; K3 and K4 were never flushed
    // Zeros a power cut left after the whole file are ignored, and cut away by the next save.
    WriteBytes(file_, flushed + std::string(4096, '\0'));
    FileStore store(file_);
    ASSERT_TRUE(store.Apply({Save(1 + kBatch)}).ok());
    EXPECT_EQ(SavesIn(ReadBytes(file_)), 2 + kBatch);
    EXPECT_EQ(ReadBytes(file_).find(std::string(64, '\0')), std::string::npos);
}

// A file written before flush marks existed: commits without marks load as they always did,
// damage in their middle is still corruption, and the first save marks the file first.
TEST(EarlierFiles, LoadAsBeforeAndAreMarkedByTheirFirstSave) {
    std::string text = std::string(kHeader5) + "\n\n[" + kRoot + "]\n";
    for (int k = 0; k < 3; ++k) text += FormatCommit(FormatChange(Save(k)));
    const std::string bytes = text;  // UTF-8, as a hand-made file: the store keeps its encoding
    EXPECT_EQ(SavesIn(bytes), 3);
    EXPECT_EQ(SavesIn(bytes.substr(0, bytes.size() - 7)), 2);  // the last commit cut off
    std::string damaged = bytes;
    damaged[bytes.size() / 2] = 'X';
    EXPECT_EQ(SavesIn(damaged), -1);

    TempDir dir;
    WriteBytes(dir.File("old.reg"), bytes);
    {
        FileStore store(dir.File("old.reg"));
        store.SetCompaction(1e9, UINT64_MAX);
        ASSERT_TRUE(store.Apply({Save(3)}).ok());
    }
    const std::string after = ReadBytes(dir.File("old.reg"));
    EXPECT_EQ(after.substr(0, bytes.size()), bytes);
    EXPECT_EQ(SavesIn(after), 4);
    // Only the new save is unflushed after the old content: losing it keeps the old saves.
    std::string lost = after;
    ASSERT_GT(after.size(), bytes.size() + 80);
    std::fill(lost.begin() + static_cast<std::ptrdiff_t>(bytes.size()) + 40,
              lost.begin() + static_cast<std::ptrdiff_t>(bytes.size()) + 60, '\0');  // inside the new commit
    EXPECT_EQ(SavesIn(lost), 3);
    {  // a store that finds the file marked does not mark it again
        FileStore store(dir.File("old.reg"));
        ASSERT_TRUE(store.Apply({Save(4)}).ok());
    }
    const std::string again = ReadBytes(dir.File("old.reg")), emptyMark = std::string(kFlushMark) + "0 ";
    EXPECT_EQ(again.find(emptyMark), again.rfind(emptyMark));
}

}  // namespace
}  // namespace diags::platform::registry
