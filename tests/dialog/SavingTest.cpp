// Saving and Clear all as the user meets them: what reaches the host's configuration, what the
// status panel says, when the save stops and how it is resumed, and what Clear all leaves.
#include <filesystem>

#include "common/General.h"
#include "tests/dialog/DialogHarness.h"

namespace diags::testing {
namespace {

namespace prop = hostconfig::prop;
using platform::mb::kCancel;
using platform::mb::kNo;
using platform::mb::kOk;
using platform::mb::kYes;

class Saving : public DialogTest {
protected:
    Saving() {
        AddOutput("ZEL AttributeEditor", kTracing,
                  {{prop::kFileName, std::string("attr.log")}, {prop::kDirectory, LogDir()}, {prop::kFileSize, 40.0},
                   {prop::kErrorThreshold, std::int16_t{3}}});
        AddOutput("ZEL DateLib", kTracing, {{prop::kDirectory, LogDir()}});
        AddErrorLog({{prop::kCircularLogFile, true}, {prop::kAppendToFile, true}});
    }
    // Every text the status panel shows, in order.
    void WatchStatus(TestDialog& d) {
        d.lblStatusValue.StateChanged.Connect([this, &d](forms::Prop property) {
            if (property == forms::Prop::Caption) status.push_back(d.lblStatusValue.Caption());
        });
    }
    hostconfig::PropertyValue Stored(const char* component, std::int32_t index) const {
        return StoredValue(component, std::string(component) == "ZEL Errors" ? "" : kTracing, index);
    }
    std::vector<std::string> status;
};

TEST_F(Saving, EditedRecordsAreWrittenWithProgressAndOneRefresh) {
    Run([&](TestDialog& d) {
        WatchStatus(d);
        ShowOutput(d, std::string("ZEL AttributeEditor") + kTracing);
        d.chkLogfile.UserClick();
        d.optFileOptions(1).UserClick();
        ShowOutput(d, "ZEL Errors");
        d.chkDbgMntr.UserClick();
        user.pointerHistory.clear();
        Save(d);
        EXPECT_TRUE(d.mbSaved);
        EXPECT_EQ(user.pointer, platform::pointer::kDefault);
        EXPECT_FALSE(d.frmStatus.Visible());
        ShowOutput(d, std::string("ZEL DateLib") + kTracing);
        d.mbSaved = false;
        Save(d);  // a record only looked at is not written: no status text, no refresh; still saved
        EXPECT_TRUE(d.mbSaved);
        d.UserClose();
    });
    EXPECT_EQ(status, (std::vector<std::string>{"", MessageService::FormatMessage(
                                                    Text(9025), std::vector<std::string>{"ZEL AttributeEditor", kTracing}),
                                                Text(9027), ""}));  // no status text for the error log
    EXPECT_EQ(Refreshes(), 1);
    EXPECT_EQ(Stored("ZEL AttributeEditor", prop::kLogToFile), hostconfig::PropertyValue(true));
    EXPECT_EQ(Stored("ZEL AttributeEditor", prop::kCircularLogFile), hostconfig::PropertyValue(true));
    EXPECT_EQ(Stored("ZEL AttributeEditor", prop::kAppendToFile), hostconfig::PropertyValue(true));  // circular appends
    EXPECT_EQ(Stored("ZEL AttributeEditor", prop::kErrorThreshold), hostconfig::PropertyValue(std::int16_t{1}));
    EXPECT_EQ(Stored("ZEL AttributeEditor", prop::kFileSize), hostconfig::PropertyValue(40.0));
    EXPECT_EQ(Stored("ZEL Errors", prop::kDebugMonitor), hostconfig::PropertyValue(true));
    EXPECT_EQ(Stored("ZEL DateLib", prop::kErrorThreshold), hostconfig::PropertyValue(std::int16_t{0}));  // untouched
}

TEST_F(Saving, AMissingFileNameOrDirectoryStopsTheSaveWithItsOwnTextUntilItIsGiven) {
    const std::string label = std::string("ZEL DateLib\\") + kTracing;
    Run([&](TestDialog& d) {
        ShowOutput(d, std::string("ZEL AttributeEditor") + kTracing);
        d.chkDbgMntr.UserClick();
        ShowOutput(d, std::string("ZEL DateLib") + kTracing);
        d.chkLogfile.UserClick();
        Retype(d.txtFileName, "");
        user.answers = {kOk};
        Save(d);
        ASSERT_EQ(user.boxes.size(), 1u);
        EXPECT_EQ(user.boxes[0].style, platform::mb::kCritical);
        EXPECT_EQ(user.boxes[0].text, label + " " + Text(9018));
        EXPECT_FALSE(d.mbSaved);
        EXPECT_FALSE(d.mcolOutputs->Item(std::string("ZEL AttributeEditor") + kTracing)->DirtyFlag);
        EXPECT_TRUE(d.mcolOutputs->Item(std::string("ZEL DateLib") + kTracing)->DirtyFlag);
        EXPECT_EQ(Refreshes(), 1);  // the output saved before the stop is logged from now on
        EXPECT_EQ(Stored("ZEL DateLib", prop::kLogToFile), hostconfig::PropertyValue(false));

        Retype(d.txtFileName, "date.log");
        Retype(d.txtDirectory, "");
        user.answers = {kOk};
        Save(d);  // an empty directory stops it too, before anything is written, with its own text
        ASSERT_EQ(user.boxes.size(), 2u);
        EXPECT_EQ(user.boxes[1].text, label + " " + Text(9019));
        d.mcolOutputs->Item(std::string("ZEL DateLib") + kTracing)->Directory = "   ";  // as a store may hold it
        user.answers = {kOk};
        Save(d);  // blanks only are no directory either
        ASSERT_EQ(user.boxes.size(), 3u);
        EXPECT_EQ(user.boxes[2].text, label + " " + Text(9019));
        EXPECT_EQ(Stored("ZEL DateLib", prop::kFileName), hostconfig::PropertyValue(std::string()));

        Retype(d.txtDirectory, LogDir());
        WatchStatus(d);
        Save(d);
        EXPECT_TRUE(d.mbSaved);
        EXPECT_EQ(std::ranges::count(status, Text(9027)), 1);  // one record saved is saved too
        d.UserClose();
    });
    EXPECT_EQ(Stored("ZEL DateLib", prop::kLogToFile), hostconfig::PropertyValue(true));
    EXPECT_EQ(Stored("ZEL DateLib", prop::kFileName), hostconfig::PropertyValue(std::string("date.log")));
    EXPECT_EQ(Refreshes(), 2);
}

TEST_F(Saving, AMissingDirectoryIsCreatedReplacedOrTheSaveCancelled) {
    const std::string missing = (std::filesystem::path(TempPath("new")) / "deeper" / "Log").string();
    Run([&](TestDialog& d) {
        ShowOutput(d, std::string("ZEL DateLib") + kTracing);
        d.chkLogfile.UserClick();
        Retype(d.txtDirectory, missing);
        user.answers = {kCancel};
        Save(d);
        EXPECT_FALSE(d.mbSaved);
        EXPECT_EQ(Stored("ZEL DateLib", prop::kLogToFile), hostconfig::PropertyValue(false));

        user.answers = {kNo, kOk};  // not created: the Windows directory instead, and told so
        Save(d);
        EXPECT_EQ(d.mcolOutputs->Item(std::string("ZEL DateLib") + kTracing)->Directory, GetWindowsDir());
        EXPECT_EQ(Stored("ZEL DateLib", prop::kDirectory), hostconfig::PropertyValue(GetWindowsDir()));

        Retype(d.txtDirectory, missing);
        user.answers = {kYes};  // created, every level of it
        Save(d);
        EXPECT_TRUE(std::filesystem::is_directory(missing));
        EXPECT_TRUE(d.mbSaved);
        d.UserClose();
    });
    EXPECT_EQ(Stored("ZEL DateLib", prop::kDirectory), hostconfig::PropertyValue(missing));
}

// An output merely named like the error log is switched off like any other.
TEST_F(Saving, ClearAllSwitchesEveryOutputOffButTheErrorLogKeepsWriting) {
    AddOutput("ZEL AttributeEditor", "ZEL Errors", {{prop::kLogToFile, true}, {prop::kFileName, std::string("odd.log")},
                                                    {prop::kDirectory, LogDir()}});
    AddOutput("ZEL Charlie", kTracing, {{prop::kLogToFile, true}});  // no module uses it
    Run([&](TestDialog& d) {
        d.tvTrace.UserToggleCheck(d.tvTrace.Item("Report Editor"));
        d.abMenuBar.UserClickTool("mnuToolBar", "mnuClearAll");
        EXPECT_FALSE(d.tvTrace.Item("Report Editor").Checked());
        for (const auto& output : *d.mcolOutputs) EXPECT_TRUE(output->DirtyFlag) << output->Key;
        Save(d);
        d.UserClose();
    });
    EXPECT_EQ(Stored("ZEL DateLib", prop::kDebugMonitor), hostconfig::PropertyValue(false));
    EXPECT_EQ(Stored("ZEL Charlie", prop::kLogToFile), hostconfig::PropertyValue(false));
    EXPECT_EQ(Stored("ZEL AttributeEditor", prop::kFileName), hostconfig::PropertyValue(std::string("attr.log")));
    EXPECT_EQ(Stored("ZEL AttributeEditor", prop::kFileSize), hostconfig::PropertyValue(40.0));
    EXPECT_EQ(StoredValue("ZEL AttributeEditor", "ZEL Errors", prop::kLogToFile), hostconfig::PropertyValue(false));
    EXPECT_EQ(Stored("ZEL Errors", prop::kLogToFile), hostconfig::PropertyValue(true));
    EXPECT_EQ(Stored("ZEL Errors", prop::kFileName), hostconfig::PropertyValue(std::string("Errors.log")));
    EXPECT_EQ(Stored("ZEL Errors", prop::kCircularLogFile), hostconfig::PropertyValue(true));  // its mode kept
    EXPECT_EQ(Stored("ZEL Errors", prop::kAppendToFile), hostconfig::PropertyValue(true));
}

TEST_F(Saving, ClearAllWritesThePanelOnlyIntoTheRecordItShows) {
    Run([&](TestDialog& d) {
        ShowOutput(d, std::string("ZEL AttributeEditor") + kTracing);  // shown, then a folder
        d.tvModules.UserClickNode(d.tvModules.Item("ZEL DateLib"));
        ASSERT_EQ(d.msCurrentNode, std::string("ZEL AttributeEditor") + kTracing);
        d.abMenuBar.UserClickTool("mnuToolBar", "mnuClearAll");
        EXPECT_EQ(d.mcolOutputs->Item(std::string("ZEL AttributeEditor") + kTracing)->FileName, "attr.log");
        EXPECT_FALSE(d.mbSaved);

        d.tbsOptions.UserSelectTab(1);  // the trace tab's panel is no record at all
        d.abMenuBar.UserClickTool("mnuToolBar", "mnuClearAll");
        EXPECT_EQ(d.mcolOutputs->Item(std::string("ZEL AttributeEditor") + kTracing)->FileName, "attr.log");
        EXPECT_EQ(d.mcolOutputs->Item("ZEL Errors")->FileName, "Errors.log");
        for (const char* module : {"Report Editor", "Attribute Editor"})  // checked again: each takes effect
            d.tvTrace.UserToggleCheck(d.tvTrace.Item(module));
        EXPECT_TRUE(TracingOutput(d, "ZEL AttributeEditor").DebugMonitor);
        CloseUnsaved(d);
    });
}

}  // namespace
}  // namespace diags::testing
