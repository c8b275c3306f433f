// Several processes on one registry file: concurrent saves of different keys all survive, and
// a process killed in the middle of saving (or of compacting) leaves a readable file in which
// every key has either its old or its new values. (A batch killed before its end leaves
// unflushed commits: PowerCutTest cuts those at every byte.)
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"
#include "platform/registry/FileStore.h"

namespace diags::platform::registry {
namespace {

using diags::testing::TempDir;

const std::string kRoot = "HKEY_CURRENT_USER\\Software\\Concurrency";
constexpr const char* kNames[] = {"DebugMonitor", "LogToFile", "AppendToFile", "ErrorThreshold",
                                  "FileName",     "Directory", "FileSize",     "CircularLogFile"};

// Every value of the key set to the same generation, as one save.
KeyChange Generation(const std::string& key, int generation) {
    KeyChange c;
    c.path = key;
    for (const char* name : kNames) c.values.push_back({name, RegValue::Text(std::to_string(generation))});
    return c;
}

// The generation the key holds; -1 when its values disagree (a torn save).
int GenerationOf(const RegKey& tree, const std::string& key) {
    const RegKey* k = tree.FindPath(key);
    if (!k) return 0;
    std::optional<std::string> first;
    for (const char* name : kNames) {
        const auto v = k->FindValue(name);
        const auto text = v ? v->AsText() : std::nullopt;
        if (!text) return -1;
        if (first && *first != *text) return -1;
        first = text;
    }
    return std::stoi(*first);
}

std::string Key(int k) { return kRoot + "\\Key" + std::to_string(k); }

// Saves generations from..to of the key, one save each.
pid_t SaveInChild(const std::string& file, const std::string& key, int from, int to) {
    const pid_t child = fork();
    if (child == 0) {
        FileStore store(file);
        store.SetCompaction(2.0, 64 * 1024);  // compactions happen during the run too
        for (int g = from; g <= to; ++g)
            if (!store.Apply({Generation(key, g)}).ok()) _exit(1);
        _exit(0);
    }
    return child;
}

// Every generation from `from` on saves Key0..Key<keys-1> in turn, each key as its own
// commit; it never ends (the child is killed first).
pid_t SaveForeverInChild(const std::string& file, int keys, int from) {
    const pid_t child = fork();
    if (child == 0) {
        FileStore store(file);
        store.SetCompaction(2.0, 64 * 1024);
        for (int g = from;; ++g)
            for (int k = 0; k < keys; ++k)
                if (!store.Apply({Generation(Key(k), g)}).ok()) _exit(1);
    }
    return child;
}

TEST(KilledWhileSaving, AProcessKilledWhileSavingLeavesEveryKeySavedOrUntouched) {
    constexpr int kKeys = 40;
    const TempDir dir;
    const std::string file = dir.File("r.reg");
    {
        FileStore store(file);
        std::vector<KeyChange> initial{Generation(kRoot + "\\Steady", 7)};
        for (int k = 0; k < kKeys; ++k) initial.push_back(Generation(Key(k), 1));
        ASSERT_TRUE(store.Apply(initial).ok());
    }
    std::mt19937 random(4242);
    int last = 1;
    bool saved = false;  // some round got a save in before the kill
    for (int round = 0; round < 10; ++round) {
        const pid_t child = SaveForeverInChild(file, kKeys, last + 1);
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(5000 + random() % 30000));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);

        FileStore store(file);
        const Status s = store.Refresh();
        ASSERT_TRUE(s.ok()) << "round " << round << ": " << s.message();
        // Keys are saved in order, so the child reached a prefix of them with generation g
        // and left the rest at g - 1: never a torn key, never a gap.
        const int first = GenerationOf(store.Tree(), Key(0));
        ASSERT_GE(first, last) << "round " << round << ": a saved generation was lost";
        saved = saved || first > last;
        int previous = first;
        for (int k = 0; k < kKeys; ++k) {
            const int g = GenerationOf(store.Tree(), Key(k));
            ASSERT_TRUE(g != -1 && g >= last && g <= previous && g >= first - 1)
                << "round " << round << ": Key" << k << " holds " << g << " after " << previous << " (-1: torn)";
            previous = g;
        }
        EXPECT_EQ(GenerationOf(store.Tree(), kRoot + "\\Steady"), 7);
        last = previous;  // every key holds at least this now
    }
    EXPECT_TRUE(saved) << "the children never got to save";
}

// Two processes saving one key each many times, while this one saves many keys in a batch.
TEST(ConcurrentSaving, ProcessesSavingDifferentKeysAtOnceLoseNothingWithOrWithoutABatch) {
    const TempDir dir;
    const std::string file = dir.File("r.reg");
    {
        FileStore store(file);
        ASSERT_TRUE(store.Apply({Generation(kRoot + "\\A", 0)}).ok());
    }
    constexpr int kOtherSaves = 150, kBatchKeys = 1500;
    const pid_t a = SaveInChild(file, kRoot + "\\A", 1, kOtherSaves);
    const pid_t b = SaveInChild(file, kRoot + "\\B", 1, kOtherSaves);
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    FileStore store(file);
    store.SetCompaction(2.0, 64 * 1024);
    store.BeginBatch();
    for (int k = 0; k < kBatchKeys; ++k) ASSERT_TRUE(store.Apply({Generation(Key(k), k + 1)}).ok());
    const Status flushed = store.EndBatch();
    ASSERT_TRUE(flushed.ok()) << flushed.message();
    for (pid_t child : {a, b}) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a save failed in a child";
    }

    FileStore fresh(file);
    ASSERT_TRUE(fresh.Refresh().ok());
    EXPECT_EQ(GenerationOf(fresh.Tree(), kRoot + "\\A"), kOtherSaves);
    EXPECT_EQ(GenerationOf(fresh.Tree(), kRoot + "\\B"), kOtherSaves);
    for (int k = 0; k < kBatchKeys; ++k) ASSERT_EQ(GenerationOf(fresh.Tree(), Key(k)), k + 1) << "Key" << k;
}

}  // namespace
}  // namespace diags::platform::registry
