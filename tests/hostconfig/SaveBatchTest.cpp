// Saving many nodes in one SaveBatch: every node is stored as its own unit and read back by a
// fresh configuration, other programs' saves made during the batch survive, a node whose save
// fails reports it alone and keeps its puts, and a batch that cannot be flushed says so.
#include <filesystem>

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"
#include "base/RuntimeError.h"
#include "hostconfig/LogConfiguration.h"
#include "hostconfig/SaveBatch.h"
#include "platform/registry/FileStore.h"

namespace diags::hostconfig {
namespace {

using namespace diags::testing;
namespace registry = platform::registry;

const std::string kRoot = "HKEY_CURRENT_USER\\Software\\Test\\Logs";
constexpr int kComponents = 20, kOutputs = 10;

std::string OutputKey(int c, int o) {
    return kRoot + "\\ZEL C" + std::to_string(c) + "\\Trace " + std::to_string(o);
}

class SaveBatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<registry::KeyChange> changes;
        for (int c = 0; c < kComponents; ++c)
            for (int o = 0; o < kOutputs; ++o) {
                registry::KeyChange change;
                change.path = OutputKey(c, o);
                change.values.push_back({"FileName", registry::RegValue::Text("Trace.log")});
                changes.push_back(std::move(change));
            }
        registry::FileStore setup(file_);
        ASSERT_TRUE(setup.Apply(changes).ok());
    }
    LogConfigNodePtr Open() { return LogConfiguration::Open(store_, kRoot, false); }
    // The configuration as another program reads it from the file.
    LogConfigNodePtr Fresh() { return LogConfiguration::Open(fresh_, kRoot, false); }
    static LogConfigNodePtr Output(const LogConfigNodePtr& root, int c, int o) {
        return root->Children().Item("ZEL C" + std::to_string(c))->Children().Item("Trace " + std::to_string(o));
    }
    // Puts the record the dialog writes for an output: every property derived from `tag`.
    static void PutRecord(LogConfigNode& node, int tag) {
        node.SetProperty(prop::kDebugMonitor, tag % 2 == 0);
        node.SetProperty(prop::kLogToFile, tag % 3 == 0);
        node.SetProperty(prop::kAppendToFile, true);
        node.SetProperty(prop::kErrorThreshold, static_cast<std::int16_t>(tag % 1000));
        node.SetProperty(prop::kFileName, "Out" + std::to_string(tag) + ".log");
        node.SetProperty(prop::kDirectory, std::string("D:\\Logs"));
        node.SetProperty(prop::kFileSize, 24.5 + tag);
        node.SetProperty(prop::kCircularLogFile, tag % 5 == 0);
    }
    // Puts the record and saves the node.
    static void SaveRecord(const LogConfigNodePtr& root, int c, int o, int tag) {
        PutRecord(*Output(root, c, o), tag);
        Output(root, c, o)->Save();
        EXPECT_FALSE(Output(root, c, o)->HasUnsavedChanges());
    }
    static void ExpectRecord(const LogConfigNode& node, int tag) {
        EXPECT_EQ(node.Property(prop::kFileName), PropertyValue("Out" + std::to_string(tag) + ".log")) << node.KeyPath();
        EXPECT_EQ(node.Property(prop::kErrorThreshold), PropertyValue(static_cast<std::int16_t>(tag % 1000)));
        EXPECT_EQ(node.Property(prop::kFileSize), PropertyValue(24.5 + tag));
        EXPECT_EQ(node.Property(prop::kCircularLogFile), PropertyValue(tag % 5 == 0));
        EXPECT_EQ(node.Property(prop::kDebugMonitor), PropertyValue(tag % 2 == 0));
    }

    TempDir dir_;
    std::string file_ = dir_.File("r.reg");
    registry::FileStore store_{file_}, fresh_{file_};
};

TEST_F(SaveBatchTest, SavesInABatchAreVisibleAtOnceAndAnotherProgramsSavesMeanwhileSurvive) {
    const auto root = Open();
    registry::FileStore otherStore(file_);  // another program: its own lock and view of the file
    const auto other = LogConfiguration::Open(otherStore, kRoot, false);
    {
        SaveBatch batch(*root);
        SaveRecord(root, 0, 0, 1);
        // The other program sees the batch's save before the batch ends, and saves in between:
        // another node, and another property of a node the batch saves again later.
        EXPECT_EQ(Output(LogConfiguration::Open(otherStore, kRoot, false), 0, 0)->Property(prop::kFileName),
                  PropertyValue(std::string("Out1.log")));
        Output(other, 5, 5)->SetProperty(prop::kFileName, std::string("Theirs.log"));
        Output(other, 5, 5)->Save();
        Output(other, 0, 1)->SetProperty(prop::kMessageDll, std::string("theirs.dll"));
        Output(other, 0, 1)->Save();
        SaveRecord(root, 0, 1, 2);
        SaveRecord(root, 0, 2, 3);
        batch.Commit();
        batch.Commit();  // a second commit does nothing
    }
    registry::ParsedFile parsed;
    ASSERT_TRUE(registry::ParseRegFile(ReadBytes(file_), file_, parsed).ok());
    EXPECT_EQ(parsed.commits, 5u);  // one checksummed unit per node saved, theirs and the batch's
    Output(other, 0, 2)->SetProperty(prop::kMessageDll, std::string("after.dll"));  // after the batch
    Output(other, 0, 2)->Save();
    const auto now = Fresh();
    ExpectRecord(*Output(now, 0, 0), 1);
    ExpectRecord(*Output(now, 0, 1), 2);
    ExpectRecord(*Output(now, 0, 2), 3);
    EXPECT_EQ(Output(now, 5, 5)->Property(prop::kFileName), PropertyValue(std::string("Theirs.log")));
    EXPECT_EQ(Output(now, 0, 1)->Property(prop::kMessageDll), PropertyValue(std::string("theirs.dll")));
    EXPECT_EQ(Output(now, 0, 2)->Property(prop::kMessageDll), PropertyValue(std::string("after.dll")));
}

TEST_F(SaveBatchTest, ANodeWhoseSaveFailsInABatchReportsItAloneAndTheOthersAreStored) {
    const auto root = Open();
    SaveBatch batch(*root);
    SaveRecord(root, 1, 0, 10);
    const std::string good = ReadBytes(file_);
    WriteBytes(file_, good + "garbage line\n");  // damaged by someone while the batch runs
    PutRecord(*Output(root, 1, 1), 11);
    const auto e = RaisedError([&] { Output(root, 1, 1)->Save(); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Number(), err::kPathFileAccess);
    EXPECT_NE(e->Description().find("Trace 1"), std::string::npos) << e->Description();
    EXPECT_NE(e->Description().find(file_), std::string::npos) << e->Description();
    EXPECT_TRUE(Output(root, 1, 1)->HasUnsavedChanges());  // kept for a retry
    WriteBytes(file_, good);
    SaveRecord(root, 1, 2, 12);
    batch.Commit();

    auto now = Fresh();
    ExpectRecord(*Output(now, 1, 0), 10);
    ExpectRecord(*Output(now, 1, 2), 12);
    EXPECT_EQ(Output(now, 1, 1)->Property(prop::kFileName), PropertyValue(std::string("Trace.log")));  // untouched
    Output(root, 1, 1)->Save();  // the retry, outside any batch
    now = Fresh();
    ExpectRecord(*Output(now, 1, 1), 11);
}

TEST_F(SaveBatchTest, ABatchWhoseFlushFailsRaisesAnErrorFromCommitAndTryCommitReturnsIt) {
    const auto root = Open();
    {
        SaveBatch batch(*root);
        SaveRecord(root, 2, 0, 20);
        std::filesystem::remove(file_);  // the saved node went with the file: not durable
        const auto e = RaisedError([&] { batch.Commit(); });
        ASSERT_TRUE(e);
        EXPECT_EQ(e->Number(), err::kPathFileAccess);
        EXPECT_NE(e->Description().find(file_), std::string::npos) << e->Description();
    }
    // Saves after the batch flush each on their own again and create the file afresh.
    SaveRecord(root, 2, 1, 21);
    SaveBatch batch(*root);
    SaveRecord(root, 2, 2, 22);
    std::filesystem::remove(file_);
    const registry::Status s = batch.TryCommit();
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.message().find(file_), std::string::npos) << s.message();
}

TEST_F(SaveBatchTest, NestedBatchesAndReadOnlyConfigurationsAreHarmless) {
    const auto root = Open();
    {
        SaveBatch outer(*root);
        {
            SaveBatch inner(*root);
            SaveRecord(root, 3, 0, 30);
        }  // ends without Commit: the outer batch goes on
        SaveRecord(root, 3, 1, 31);
    }  // ends without Commit: still flushed
    registry::RegKey copy;
    SaveBatch readOnly(*LogConfiguration::FromTree(copy, kRoot));
    EXPECT_TRUE(readOnly.TryCommit().ok());
    const auto now = Fresh();
    ExpectRecord(*Output(now, 3, 0), 30);
    ExpectRecord(*Output(now, 3, 1), 31);
}

}  // namespace
}  // namespace diags::hostconfig
