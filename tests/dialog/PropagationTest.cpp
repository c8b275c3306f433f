// A check in the Tracing tab reaches the outputs: roots and modules stay consistent, checked
// modules take the panel's values, unchecked ones switch their outputs off without taking
// from modules that stay checked, and a save writes exactly the outputs that changed.
#include <set>

#include "tests/dialog/DialogHarness.h"

namespace diags::testing {
namespace {

namespace prop = hostconfig::prop;
using platform::mb::kNo;

class Propagation : public DialogTest {
protected:
    static forms::Node& Module(TestDialog& d, std::string_view key) { return d.tvTrace.Item(key); }
    // "Attribute Editor" alone uses ZEL AttributeEditor, "Report Editor" alone ZEL DateLib;
    // both use ZEL CommonDialogsLib.
    void TwoEditorsSharingAnOutput() {
        for (const char* component : {"ZEL AttributeEditor", "ZEL CommonDialogsLib", "ZEL DateLib"})
            AddOutput(component, kTracing,
                      {{prop::kFileName, std::string("Trace.log")}, {prop::kDirectory, LogDir()}, {prop::kFileSize, 24.0}});
        AddErrorLog();
    }
};

TEST_F(Propagation, CheckingReportEditorAndSavingWritesItsOutputsAndNothingElse) {
    const Snapshot before = StoredSnapshot();
    std::set<std::string> linked;  // "component\output"
    TestDialog dialog;
    const ResultCode result = Run(dialog, [&](TestDialog& d) {
        d.tvTrace.UserToggleCheck(Module(d, "Report Editor"));
        EXPECT_TRUE(Module(d, "Report Editor").Checked());
        EXPECT_FALSE(Module(d, "Desktop Editors").Checked());
        EXPECT_EQ(d.chkDbgMntr.Value(), 1);  // switched on: a checked module writes somewhere
        EXPECT_TRUE(d.chkLogfile.Enabled());
        EXPECT_FALSE(d.mbSaved);

        const std::shared_ptr<CTraceSetting> report = d.moDiagMap->GetTraceSetting("Report Editor");
        for (const auto& output : *report->LinkedOutputs()) linked.insert(output->Parent + "\\" + output->Name);
        ASSERT_GT(linked.size(), 20u);

        Save(d);
        EXPECT_TRUE(d.mbSaved);
        d.UserClose();  // nothing pending: no question
    });
    EXPECT_EQ(result, ResultCode::None);
    EXPECT_TRUE(user.boxes.empty());
    EXPECT_EQ(Refreshes(), 1);

    const Snapshot after = StoredSnapshot();
    ASSERT_EQ(after.size(), before.size());
    for (const auto& [name, values] : after) {
        std::vector<hostconfig::PropertyValue> expected = before.at(name);
        if (linked.contains(name)) expected[prop::kDebugMonitor] = true;  // only the monitor goes on
        EXPECT_EQ(values, expected) << name;
    }
}

TEST_F(Propagation, RootsAndModulesStayConsistent) {
    Run([&](TestDialog& d) {
        forms::Node& editors = Module(d, "Desktop Editors");
        d.tvTrace.UserToggleCheck(editors);
        for (forms::Node* editor = editors.Child(); editor; editor = editor->Next()) {
            EXPECT_TRUE(editor->Checked()) << editor->Key();
            EXPECT_TRUE(d.moDiagMap->GetTraceSetting(editor->Key())->Checked) << editor->Key();
        }
        EXPECT_FALSE(Module(d, "Common Tasks").Checked());

        d.tvTrace.UserToggleCheck(Module(d, "Report Editor"));
        EXPECT_FALSE(editors.Checked());
        EXPECT_FALSE(d.moDiagMap->GetTraceSetting("Report Editor")->Checked);
        d.tvTrace.UserToggleCheck(Module(d, "Report Editor"));
        EXPECT_TRUE(editors.Checked());

        d.tvTrace.UserToggleCheck(editors);
        for (const auto& output : *d.mcolOutputs) {
            if (output->Key == "ZEL Errors") continue;
            EXPECT_FALSE(output->DebugMonitor) << output->Key;
        }
        EXPECT_FALSE(d.chkDbgMntr.Enabled());  // nothing checked: the panel is disabled
        EXPECT_FALSE(d.chkLogfile.Enabled());
        CloseUnsaved(d);
    });
}

// An untouched panel leaves names, directories and sizes alone; an output shared with a module
// that stays checked keeps following it.
TEST_F(Propagation, AnOutputSharedWithAModuleThatStaysCheckedKeepsFollowingIt) {
    TwoEditorsSharingAnOutput();
    Run([&](TestDialog& d) {
        ASSERT_EQ(d.txtFileName.Text(), "");
        d.tvTrace.UserToggleCheck(Module(d, "Attribute Editor"));
        for (const char* component : {"ZEL AttributeEditor", "ZEL CommonDialogsLib"}) {
            const COutput& output = TracingOutput(d, component);
            EXPECT_TRUE(output.DebugMonitor);
            EXPECT_EQ(output.FileName, "Trace.log");
            EXPECT_EQ(output.Directory, LogDir());
            EXPECT_EQ(output.FileSize, 24.0);
        }
        // Space on a module toggles it once and propagates once.
        d.tvTrace.UserClickNode(Module(d, "Report Editor"));
        lines.clear();
        d.tvTrace.UserKey(32);
        EXPECT_TRUE(Module(d, "Report Editor").Checked());
        EXPECT_EQ(Calls("tvTrace_Click"), 1);
        EXPECT_TRUE(TracingOutput(d, "ZEL DateLib").DebugMonitor);

        // An edit of Report Editor's own output on the Advanced tab ...
        ShowOutput(d, "ZEL DateLibFunction Level Tracing");
        d.txtFileName.SetSelStart(0);
        d.txtFileName.UserType("date-");
        d.tbsOptions.UserSelectTab(1);

        d.tvTrace.UserToggleCheck(Module(d, "Attribute Editor"));
        EXPECT_FALSE(TracingOutput(d, "ZEL AttributeEditor").DebugMonitor);
        EXPECT_EQ(TracingOutput(d, "ZEL AttributeEditor").FileName, "Trace.log");  // off again: values stay
        EXPECT_TRUE(TracingOutput(d, "ZEL CommonDialogsLib").DebugMonitor);  // Report Editor still uses it
        EXPECT_EQ(TracingOutput(d, "ZEL CommonDialogsLib").FileName, "Trace.log");
        EXPECT_EQ(TracingOutput(d, "ZEL DateLib").FileName, "date-Trace.log");  // ... survives
        EXPECT_TRUE(Module(d, "Report Editor").Checked());
        CloseUnsaved(d);
    });
}

TEST_F(Propagation, SwitchingTheLastOutputOffWarnsAndUnchecksTheModules) {
    TwoEditorsSharingAnOutput();
    Run([&](TestDialog& d) {
        d.tvTrace.UserToggleCheck(Module(d, "Attribute Editor"));
        d.chkLogfile.UserClick();  // the log file on, then the monitor off: the file still writes
        d.chkDbgMntr.UserClick();
        EXPECT_TRUE(user.boxes.empty());
        user.answers = {platform::mb::kOk};
        d.chkLogfile.UserClick();  // the log file off as well: nothing would be written
        ASSERT_EQ(user.boxes.size(), 1u);
        EXPECT_EQ(user.boxes[0].text, Text(9026));
        EXPECT_EQ(user.boxes[0].title, Text(9031));
        EXPECT_EQ(user.boxes[0].style, platform::mb::kInformation);
        EXPECT_FALSE(Module(d, "Attribute Editor").Checked());
        EXPECT_FALSE(d.moDiagMap->GetTraceSetting("Attribute Editor")->Checked);
        EXPECT_FALSE(TracingOutput(d, "ZEL AttributeEditor").DebugMonitor);

        // Checking it again is a fresh choice: it takes the panel (the monitor back on).
        d.tvTrace.UserToggleCheck(Module(d, "Attribute Editor"));
        EXPECT_TRUE(TracingOutput(d, "ZEL AttributeEditor").DebugMonitor);
        CloseUnsaved(d);
    });
}

}  // namespace
}  // namespace diags::testing
