// The Advanced tab: the host's configuration as folders and outputs, the error log of its own,
// what a selection shows in the panel, and how the user's edits reach the record shown.
#include "tests/dialog/DialogHarness.h"

namespace diags::testing {
namespace {

namespace prop = hostconfig::prop;
using platform::mb::kNo;

class ModuleTree : public DialogTest {
protected:
    static void Click(TestDialog& d, std::string_view key) { d.tvModules.UserClickNode(d.tvModules.Item(key)); }
};

TEST_F(ModuleTree, FoldersHoldTheOutputsAndTheErrorLogStandsAlone) {
    // Names sort before "ZEL Errors" so the host order is the same in either store.
    AddOutput("ZEL Beta", "Second Tracing", {{prop::kLogToFile, true}});
    AddOutput("ZEL Beta", "First Tracing");
    AddComponent("ZEL Alpha");  // no outputs: no folder
    AddOutput("ZEL Charlie", "Only Tracing", {{prop::kDebugMonitor, false}});
    AddOutput("zel errors", "Hidden Child");  // the error log in another letter case
    Run([&](TestDialog& d) {
        const forms::TreeView& tree = d.tvModules;
        EXPECT_EQ(tree.Count(), 6);  // two folders, three outputs, the error log
        EXPECT_EQ(tree.Find("ZEL Alpha"), nullptr);
        EXPECT_EQ(tree.Find("zel errorsHidden Child"), nullptr);
        EXPECT_EQ(d.mcolOutputs->Count(), 4);

        // Roots sorted by text, outputs in host order beneath.
        std::vector<std::string> roots;
        for (forms::Node* root = tree.FirstRoot(); root; root = root->Next()) roots.emplace_back(root->Text());
        EXPECT_EQ(roots, (std::vector<std::string>{"ZEL Beta", "ZEL Charlie", "zel errors"}));
        // Outputs keep the order the host lists them in (creation order in the file store,
        // alphabetical in the Windows registry).
        const forms::Node& beta = tree.Item("ZEL Beta");
        std::vector<std::string> shown, listed;
        for (forms::Node* output = beta.Child(); output; output = output->Next()) shown.emplace_back(output->Text());
        const hostconfig::LogConfigNodePtr stored = Stored();
        for (const auto& output : stored->Children().Item("ZEL Beta")->Children()) listed.emplace_back(output->Name());
        EXPECT_EQ(shown, listed);
        EXPECT_EQ(beta.Child()->Key(), "ZEL Beta" + listed.front());
        EXPECT_EQ(beta.Child()->Image(), "ICON_KEY_STOP");
        EXPECT_EQ(beta.Image(), "ICON_KEY_CHECKEDFOLDER");  // one of its outputs logs
        EXPECT_EQ(tree.Item("ZEL Charlie").Image(), "ClosedFolder");

        const forms::Node& errors = tree.Item("ZEL Errors");
        EXPECT_TRUE(errors.Bold());
        EXPECT_EQ(errors.ForeColor(), 0xFF0000u);
        EXPECT_EQ(errors.Image(), "ICON_KEY_CHECKEDFOLDER");
        EXPECT_EQ(errors.Children(), 0);

        EXPECT_EQ(d.mcolOutputs->Item("ZEL Errors")->Parent, "zel errors");
        d.UserClose();
    });
}

TEST_F(ModuleTree, WithTheErrorLogListedLastTheDialogOpensOnItAndTheTraceTabKeepsItsOwnValues) {
    AddOutput("ZEL AttributeEditor", "Function Level Tracing");
    AddOutput("ZEL CommonDialogsLib", "Function Level Tracing");
    AddComponent("ZEL Errors", {{prop::kLogToFile, true}, {prop::kAppendToFile, true},
                                {prop::kFileName, std::string("Errors.log")},
                                {prop::kDirectory, LogDir()}, {prop::kFileSize, 50.0}});
    const ResultCode result = Run([&](TestDialog& d) {
        // The error log was selected and shown while the trees were filled ...
        EXPECT_EQ(d.tvModules.SelectedItem()->Key(), "ZEL Errors");
        // ... but the trace tab shows its own (still empty) values, and nothing of the error
        // log reached the editors' outputs.
        EXPECT_EQ(d.txtFileName.Text(), "");
        EXPECT_EQ(d.txtDirectory.Text(), "");
        EXPECT_EQ(d.chkLogfile.Value(), 0);
        EXPECT_EQ(d.mTraceTab.FileName, "");
        for (const auto& output : *d.mcolOutputs) {
            if (output->Key == "ZEL Errors") continue;
            EXPECT_FALSE(output->LogToFile);
            EXPECT_FALSE(output->DirtyFlag);
            EXPECT_EQ(output->FileName, "");
        }

        d.tbsOptions.UserSelectTab(2);
        EXPECT_EQ(d.txtFileName.Text(), "Errors.log");
        EXPECT_EQ(d.txtFileSize.Text(), "50");  // " 50" without its leading blank
        EXPECT_FALSE(d.chkLogfile.Enabled());   // always logs to its file
        EXPECT_TRUE(d.txtFileName.Enabled());   // but its file can be edited
        EXPECT_TRUE(d.optFileOptions(0).Value());
        EXPECT_FALSE(d.mcolOutputs->Item("ZEL Errors")->DirtyFlag);  // showing is not editing
        d.UserClose();
    });
    EXPECT_EQ(result, ResultCode::None);
}

// An output shows itself and typing edits the record shown; its folder follows the output just
// written; a folder clears and disables the panel.
TEST_F(ModuleTree, AnOutputShowsItselfTypingEditsItAndAFolderClearsThePanel) {
    AddOutput("ZEL Beta", "Quiet Tracing");
    AddOutput("ZEL Beta", "Loud Tracing", {{prop::kLogToFile, true}, {prop::kCircularLogFile, true},
                                           {prop::kFileName, std::string("loud.log")},
                                           {prop::kDirectory, std::string("  ") + LogDir()}});
    AddOutput("ZEL Beta", "One Tracing", {{prop::kLogToFile, true}, {prop::kFileName, std::string("one.log")},
                                          {prop::kErrorThreshold, std::int16_t{5}}});
    AddComponent("ZEL Errors", {{prop::kLogToFile, true}});
    Run([&](TestDialog& d) {
        ShowOutput(d, "ZEL BetaLoud Tracing");
        EXPECT_EQ(d.msCurrentNode, "ZEL BetaLoud Tracing");
        EXPECT_EQ(d.txtDirectory.Text(), LogDir());  // shown trimmed
        EXPECT_TRUE(d.optFileOptions(1).Value());
        EXPECT_TRUE(d.txtFileSize.Enable());        // circular: the size can be edited
        EXPECT_TRUE(d.lblFileSize.Enabled());

        Click(d, "ZEL BetaQuiet Tracing");  // an output that does not log to file
        EXPECT_TRUE(d.chkLogfile.Enabled());
        EXPECT_FALSE(d.txtFileName.Enabled());
        EXPECT_TRUE(d.optFileOptions(2).Value());  // neither append nor circular: overwrite

        Click(d, "ZEL BetaOne Tracing");
        d.txtFileName.UserFocus();
        d.txtFileName.SetSelStart(static_cast<std::int32_t>(d.txtFileName.Text().size()));
        d.txtFileName.UserType(".bak");  // the caret stays where the user types
        EXPECT_EQ(d.txtFileName.Text(), "one.log.bak");
        const std::shared_ptr<COutput>& one = d.mcolOutputs->Item("ZEL BetaOne Tracing");
        EXPECT_EQ(one->FileName, "one.log.bak");
        EXPECT_TRUE(one->DirtyFlag);
        EXPECT_EQ(one->ErrorThreshold, 1);
        EXPECT_FALSE(d.mbSaved);

        d.txtDirectory.UserFocus();
        d.txtDirectory.UserType("  x");  // leading blanks go, the caret stays after the x
        EXPECT_EQ(d.txtDirectory.Text(), "x");
        EXPECT_EQ(d.txtDirectory.SelStart(), 1);
        d.txtDirectory.UserType("y");
        EXPECT_EQ(d.txtDirectory.Text(), "xy");

        d.chkLogfile.UserClick();  // switched off: the folder shows it, though Loud still logs
        EXPECT_FALSE(one->LogToFile);
        EXPECT_EQ(d.tvModules.Item("ZEL Beta").Image(), "ClosedFolder");

        Click(d, "ZEL Beta");
        EXPECT_EQ(d.txtFileName.Text(), "");
        EXPECT_FALSE(d.chkLogfile.Enabled());
        EXPECT_FALSE(d.chkDbgMntr.Enabled());
        EXPECT_EQ(d.msCurrentNode, "ZEL BetaOne Tracing");  // the output shown before

        forms::Node& folder = d.tvModules.Item("ZEL Beta");
        const bool expanded = folder.Expanded();
        d.tvModules.UserKey(32);  // space on a folder expands or collapses it
        EXPECT_NE(folder.Expanded(), expanded);
        EXPECT_EQ(d.msCurrentNode, "ZEL BetaOne Tracing");
        CloseUnsaved(d);
    });
}

TEST_F(ModuleTree, AConfigurationTheTreeCannotShowEndsTheStartWithThree) {
    {
        CreateEmptyConfiguration();  // no node at all: nothing to select
        TestDialog dialog;
        EXPECT_EQ(Run(dialog, [](TestDialog&) {}), ResultCode::Failure);
        EXPECT_EQ(shownCount, 0);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->procedure, "FillModulesTree");
    }
    {
        // "ZEL X" + "Y Tracing" and "ZEL XY" + " Tracing" make the same node key.
        AddOutput("ZEL X", "Y Tracing");
        AddOutput("ZEL XY", " Tracing");
        EXPECT_EQ(Run([](TestDialog&) {}), ResultCode::Failure);
        EXPECT_EQ(shownCount, 0);
    }
}

}  // namespace
}  // namespace diags::testing
