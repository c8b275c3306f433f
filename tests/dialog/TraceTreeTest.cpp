// The Tracing tab: the editors and tasks offered, each module derived from its outputs when the
// dialog opens or the tab is shown again, and the checked modules' values in the panel.
#include <set>

#include "tests/dialog/DialogHarness.h"

namespace diags::testing {
namespace {

namespace prop = hostconfig::prop;

class TraceTree : public DialogTest {
protected:
    // "Attribute Editor" uses ZEL AttributeEditor and ZEL ColumnEditor; "Report Editor" uses
    // ZEL DateLib; both use ZEL CommonDialogsLib.
    void AttributeEditorLogging(const std::string& dirA, const std::string& dirC, double size = 30.0) {
        AddOutput("ZEL AttributeEditor", kTracing,
                  {{prop::kLogToFile, true}, {prop::kDebugMonitor, true}, {prop::kDirectory, dirA},
                   {prop::kFileName, std::string("attr.log")}, {prop::kFileSize, size}});
        AddOutput("ZEL ColumnEditor", kTracing,
                  {{prop::kLogToFile, true}, {prop::kDebugMonitor, true}, {prop::kDirectory, dirC},
                   {prop::kCircularLogFile, true}});
        AddOutput("ZEL DateLib", kTracing);
        AddComponent("ZEL Errors", {{prop::kLogToFile, true}});
    }
};

TEST_F(TraceTree, OffersTheEditorsAndTasksUnderTwoExpandedRoots) {
    Run([&](TestDialog& d) {
        const forms::TreeView& tree = d.tvTrace;
        EXPECT_EQ(tree.Count(), 29);
        const forms::Node& editors = tree.Item("Desktop Editors");
        const forms::Node& tasks = tree.Item("Common Tasks");
        EXPECT_EQ(editors.Text(), Text(9006));
        EXPECT_EQ(tasks.Text(), Text(9003));
        EXPECT_TRUE(editors.Expanded());
        EXPECT_TRUE(tasks.Expanded());
        EXPECT_EQ(editors.Children(), 22);
        EXPECT_EQ(tasks.Children(), 5);
        EXPECT_EQ(editors.Child()->Key(), "Attribute Creation Wizard");
        EXPECT_EQ(editors.Child()->Text(), Text(9056));
        EXPECT_EQ(tree.Item("Report Editor").Text(), Text(9043));
        EXPECT_EQ(tasks.Child()->LastSibling()->Text(), Text(9052));
        EXPECT_EQ(tree.Item("Metadata SQL").Text(), Text(9061));
        std::set<std::string> texts;  // every module its own text
        for (std::int32_t i = 1; i <= tree.Count(); ++i) texts.emplace(tree.Item(i).Text());
        EXPECT_EQ(texts.size(), 29u);

        // Building the tree again keeps the map and its links.
        const std::shared_ptr<CDiagMap> map = d.moDiagMap;
        EXPECT_EQ(d.PopulateTraceTree(error), ResultCode::Success);
        EXPECT_EQ(d.moDiagMap, map);
        EXPECT_EQ(d.tvTrace.Count(), 29);
        d.UserClose();
    });
}

TEST_F(TraceTree, AModuleIsCheckedWhenAllItsOutputsLogAndItsValuesFillThePanel) {
    AttributeEditorLogging(LogDir() + "/A", LogDir() + "/C");
    Run([&](TestDialog& d) {
        const std::shared_ptr<CTraceSetting> attribute = d.moDiagMap->GetTraceSetting("Attribute Editor");
        EXPECT_TRUE(attribute->Checked);
        EXPECT_TRUE(attribute->LogToFile);
        EXPECT_TRUE(attribute->CircularLogFile);            // any output circular
        EXPECT_EQ(attribute->Directory, LogDir() + "/C");   // the last directory given
        EXPECT_EQ(attribute->FileName, "attr.log");         // the last name given
        EXPECT_EQ(attribute->FileSize, 30.0);               // the last positive size
        EXPECT_FALSE(attribute->DirtyFlag);
        EXPECT_TRUE(d.tvTrace.Item("Attribute Editor").Checked());
        EXPECT_FALSE(d.tvTrace.Item("Report Editor").Checked());  // its outputs do not all log
        EXPECT_FALSE(d.tvTrace.Item("Desktop Editors").Checked());
        EXPECT_FALSE(d.moDiagMap->GetTraceSetting("Table Editor")->Checked);  // no outputs at all

        EXPECT_EQ(d.chkLogfile.Value(), 1);
        EXPECT_EQ(d.chkDbgMntr.Value(), 1);
        EXPECT_TRUE(d.optFileOptions(1).Value());
        EXPECT_EQ(d.txtDirectory.Text(), LogDir() + "/C");
        EXPECT_EQ(d.txtFileName.Text(), "attr.log");
        EXPECT_EQ(d.txtFileSize.Text(), " 30");
        EXPECT_TRUE(d.mTraceTab.LogToFile);  // what the panel shows is what the tab remembers

        // Checking another module with the monitor already on gives the panel only to it:
        // the consolidated module's outputs keep their own directories.
        d.tvTrace.UserToggleCheck(d.tvTrace.Item("Report Editor"));
        EXPECT_EQ(d.mcolOutputs->Item("ZEL AttributeEditorFunction Level Tracing")->Directory, LogDir() + "/A");
        EXPECT_FALSE(d.mcolOutputs->Item("ZEL AttributeEditorFunction Level Tracing")->DirtyFlag);
        EXPECT_EQ(d.mcolOutputs->Item("ZEL DateLibFunction Level Tracing")->Directory, LogDir() + "/C");
        CloseUnsaved(d);
    });
}

TEST_F(TraceTree, ModulesWhoseOutputsWereAllSwitchedOffAreUncheckedOnReturn) {
    AttributeEditorLogging(LogDir(), LogDir(), 0.0);
    Run([&](TestDialog& d) {
        ASSERT_TRUE(d.tvTrace.Item("Attribute Editor").Checked());
        EXPECT_EQ(d.moDiagMap->GetTraceSetting("Attribute Editor")->FileSize, 0.0);  // no output holds a size
        // One output's file and the other's monitor off: partly on, so still chosen.
        ShowOutput(d, "ZEL AttributeEditorFunction Level Tracing");
        d.chkLogfile.UserClick();
        ShowOutput(d, "ZEL ColumnEditorFunction Level Tracing");
        d.chkDbgMntr.UserClick();
        d.tbsOptions.UserSelectTab(1);
        EXPECT_TRUE(d.tvTrace.Item("Attribute Editor").Checked());
        d.tbsOptions.UserSelectTab(2);
        for (const char* key : {"ZEL AttributeEditorFunction Level Tracing", "ZEL ColumnEditorFunction Level Tracing",
                                "ZEL CommonDialogsLibFunction Level Tracing"}) {
            if (!d.tvModules.Find(key)) continue;
            d.tvModules.UserClickNode(d.tvModules.Item(key));
            if (d.chkLogfile.Value() == 1) d.chkLogfile.UserClick();
            if (d.chkDbgMntr.Value() == 1) d.chkDbgMntr.UserClick();
        }
        d.tbsOptions.UserSelectTab(1);
        const std::shared_ptr<CTraceSetting> attribute = d.moDiagMap->GetTraceSetting("Attribute Editor");
        EXPECT_FALSE(attribute->Checked);
        EXPECT_FALSE(attribute->DirtyFlag);
        EXPECT_FALSE(d.tvTrace.Item("Attribute Editor").Checked());

        // A later check elsewhere does not switch them on again.
        d.tvTrace.UserToggleCheck(d.tvTrace.Item("Report Editor"));
        EXPECT_FALSE(d.mcolOutputs->Item("ZEL AttributeEditorFunction Level Tracing")->DebugMonitor);
        EXPECT_FALSE(d.mcolOutputs->Item("ZEL ColumnEditorFunction Level Tracing")->LogToFile);
        CloseUnsaved(d);
    });
}

}  // namespace
}  // namespace diags::testing
