// The output panel as the user works it: what each tab remembers and restores, the defaults
// when logging is switched on, the size box, focus, and the folder browser.
#include "tests/dialog/DialogHarness.h"

namespace diags::testing {
namespace {

namespace prop = hostconfig::prop;
using platform::mb::kNo;

class Panel : public DialogTest {
protected:
    Panel() {
        AddOutput("ZEL AttributeEditor", kTracing, {{prop::kFileName, std::string("attr.log")}, {prop::kFileSize, 24.0}});
        AddOutput("ZEL DateLib", kTracing);
        AddErrorLog();
    }
    static void Check(TestDialog& d, std::string_view module) { d.tvTrace.UserToggleCheck(d.tvTrace.Item(module)); }
    static void TypeSize(TestDialog& d, std::string_view text) {
        d.txtFileSize.UserFocus();
        d.txtFileSize.UserType(text);
    }
};

TEST_F(Panel, SwitchingTabsRestoresWhatEachTabShowed) {
    Run([&](TestDialog& d) {
        Check(d, "Attribute Editor");
        d.chkLogfile.UserClick();
        d.optFileOptions(1).UserClick();
        Retype(d.txtFileName, "mine.log");
        EXPECT_EQ(d.mlHelpContextId, helpctx::kAfterLoad);

        d.tbsOptions.UserSelectTab(2);
        EXPECT_EQ(d.tvModules.Item("ZEL AttributeEditor").Image(), "ICON_KEY_CHECKEDFOLDER");
        EXPECT_EQ(d.mlHelpContextId, helpctx::kModuleTab);
        EXPECT_TRUE(d.tvModules.Visible());
        EXPECT_FALSE(d.tvTrace.Visible());
        d.tvModules.UserClickNode(d.tvModules.Item("ZEL DateLib" + std::string(kTracing)));
        EXPECT_EQ(d.txtFileName.Text(), "");  // the record shown

        d.tbsOptions.UserSelectTab(1);
        EXPECT_EQ(d.mlHelpContextId, helpctx::kTraceTab);
        EXPECT_EQ(d.txtFileName.Text(), "mine.log");
        EXPECT_EQ(d.chkLogfile.Value(), 1);
        EXPECT_TRUE(d.optFileOptions(1).Value());
        EXPECT_TRUE(d.chkLogfile.Enabled());
        EXPECT_TRUE(d.txtFileSize.Enable());
        // Append with nothing checked any more, away to a record in Overwrite, and back.
        d.optFileOptions(0).UserClick();
        d.tvTrace.UserToggleCheck(d.tvTrace.Item("Attribute Editor"));
        d.tbsOptions.UserSelectTab(2);
        d.tbsOptions.UserSelectTab(1);
        EXPECT_TRUE(d.optFileOptions(0).Value());
        d.tvTrace.UserToggleCheck(d.tvTrace.Item("Attribute Editor"));

        // Overwrite comes back selected when neither append nor circular was chosen, and a
        // log-file box the trace tab had disabled is disabled again.
        d.optFileOptions(2).UserClick();
        d.tvTrace.UserToggleCheck(d.tvTrace.Item("Attribute Editor"));  // nothing checked: disabled
        d.tbsOptions.UserSelectTab(2);
        EXPECT_TRUE(d.chkLogfile.Enabled());
        d.tbsOptions.UserSelectTab(1);
        EXPECT_TRUE(d.optFileOptions(2).Value());
        EXPECT_FALSE(d.chkLogfile.Enabled());
        CloseUnsaved(d);
    });
}

TEST_F(Panel, SwitchingLoggingOnFillsInWhatALogFileNeeds) {
    Run([&](TestDialog& d) {
        Check(d, "Report Editor");
        d.chkLogfile.UserClick();
        const char separator = platform::Current().fileSystem->Separator();
        EXPECT_EQ(d.txtDirectory.Text(), TempPath("") + "Log");
        EXPECT_EQ(d.txtFileName.Text(), "Trace.log");
        EXPECT_EQ(d.txtFileSize.Text(), " 24");
        EXPECT_EQ(TracingOutput(d, "ZEL DateLib").FileName, "Trace.log");
        EXPECT_TRUE(TracingOutput(d, "ZEL DateLib").LogToFile);

        // A directory that is there already is left alone; a path ending in the separator
        // takes "Log" directly.
        Retype(d.txtDirectory, "kept");
        d.chkLogfile.UserClick();
        EXPECT_FALSE(d.txtDirectory.Enabled());
        d.chkLogfile.UserClick();
        EXPECT_EQ(d.txtDirectory.Text(), "kept");
        SetCommonFilesPath(std::string("base") + separator);
        Retype(d.txtDirectory, "");
        d.chkLogfile.UserClick();
        d.chkLogfile.UserClick();
        EXPECT_EQ(d.txtDirectory.Text(), std::string("base") + separator + "Log");

        // Showing a record that logs to file without a name fills in nothing.
        d.tbsOptions.UserSelectTab(2);
        Store("ZEL DateLib", kTracing, prop::kFileName, std::string());
        d.mcolOutputs->Item("ZEL DateLib" + std::string(kTracing))->FileName.clear();
        forms::Node& folder = d.tvModules.Item("ZEL DateLib");
        d.tvModules.UserClickNode(folder);  // a folder: the box is cleared
        folder.SetExpanded(true);
        d.tvModules.UserKey(40);  // down to the output: shown once
        EXPECT_EQ(d.msCurrentNode, "ZEL DateLib" + std::string(kTracing));
        EXPECT_EQ(d.chkLogfile.Value(), 1);
        EXPECT_EQ(d.txtFileName.Text(), "");
        d.chkDbgMntr.UserClick();  // an edit copies the panel into the record
        EXPECT_EQ(d.mcolOutputs->Item("ZEL DateLib" + std::string(kTracing))->FileName, "");
        CloseUnsaved(d);
    });
}

// The size box keeps to its floor and opens only for a circular log; focus selects a box's
// text and passes over a locked size box; the folder browser fills the directory unless
// cancelled.
TEST_F(Panel, TheSizeBoxFocusAndTheFolderBrowser) {
    Run([&](TestDialog& d) {
        Check(d, "Report Editor");
        d.chkLogfile.UserClick();
        EXPECT_FALSE(d.txtFileSize.Enable());  // Overwrite: no size
        EXPECT_FALSE(d.lblFileSize.Enabled());
        d.txtFileName.UserFocus();
        EXPECT_EQ(d.txtFileName.SelLength(), static_cast<std::int32_t>(d.txtFileName.Text().size()));
        d.txtFileSize.UserFocus();  // the size box takes no input
        user.shiftDown = true;
        d.txtFileName.UserFocus();
        d.txtFileSize.UserFocus();
        EXPECT_EQ(user.sentKeys, (std::vector<std::string>{"{TAB}", "+{TAB}"}));
        user.shiftDown = false;

        const std::string before = d.txtDirectory.Text();
        d.cmdBrowse.UserClick();  // cancelled
        EXPECT_EQ(d.txtDirectory.Text(), before);
        user.folder = LogDir();
        d.cmdBrowse.UserClick();
        EXPECT_EQ(d.txtDirectory.Text(), LogDir());
        EXPECT_EQ(TracingOutput(d, "ZEL DateLib").Directory, LogDir());

        d.optFileOptions(1).UserClick();
        EXPECT_TRUE(d.txtFileSize.Enable());
        EXPECT_TRUE(d.lblFileSize.Enabled());
        d.txtFileSize.UserFocus();  // selects the cell: typing replaces it
        TypeSize(d, "5");
        EXPECT_EQ(d.txtFileSize.Text(), "5");     // shown as typed ...
        EXPECT_EQ(d.mTraceTab.FileSize, " 24");      // ... remembered and given at the floor
        EXPECT_EQ(TracingOutput(d, "ZEL DateLib").FileSize, 24.0);
        TypeSize(d, "00");
        EXPECT_EQ(d.txtFileSize.Text(), "500");
        EXPECT_EQ(TracingOutput(d, "ZEL DateLib").FileSize, 500.0);

        d.optFileOptions(0).UserClick();
        EXPECT_FALSE(d.txtFileSize.Enable());
        EXPECT_TRUE(TracingOutput(d, "ZEL DateLib").AppendToFile);
        d.optFileOptions(1).UserClick();
        d.chkLogfile.UserClick();
        EXPECT_FALSE(d.txtFileSize.Enable());
        CloseUnsaved(d);
    });
}

TEST_F(Panel, AnOverwriteRecordIsWrittenBackWithBothModesOff) {
    Store("ZEL DateLib", kTracing, prop::kAppendToFile, true);
    Run([&](TestDialog& d) {
        ShowOutput(d, "ZEL DateLib" + std::string(kTracing));
        EXPECT_TRUE(d.optFileOptions(0).Value());
        d.chkLogfile.UserClick();
        d.optFileOptions(2).UserClick();
        const COutput& output = TracingOutput(d, "ZEL DateLib");
        EXPECT_FALSE(output.AppendToFile);
        EXPECT_FALSE(output.CircularLogFile);
        EXPECT_TRUE(output.LogToFile);
        EXPECT_EQ(output.FileName, "Trace.log");  // the user's own tick gets the defaults
        CloseUnsaved(d);
    });
}

}  // namespace
}  // namespace diags::testing
