#include <gtest/gtest.h>

#include "services/SharedGlobals.h"
#include "tests/support/TestSupport.h"

namespace diags {
namespace {

using testing::ScopedEnv;

// The message, the description and the procedure are read in the dialog's error reports
// (LifecycleTest); here the title made from the error's titles, its number, and no error.
TEST(ShowingErrors, TheBoxIsTitledAfterTheErrorAndNamesItsNumber) {
    testing::ScriptedInteraction person;
    platform::ScopedPart<platform::Interaction> scripted(&platform::Platform::interaction, person);
    auto& globals = SharedGlobals::Instance();
    globals.ShowError(globals.HandleError(76, "Path not found", kAppTitle, kComponentTitle, "frmDiags",
                                          "SaveGUIValues", 12, nullptr),
                      16, "", "The settings could not be saved.");
    globals.ShowError(nullptr, 16, "", "Something failed.");  // an empty reference still shows the text
    ASSERT_EQ(person.boxes.size(), 2u);
    EXPECT_EQ(person.boxes[0].title, "Veltrane Desktop - Diagnostics Configuration");
    EXPECT_NE(person.boxes[0].text.find("76"), std::string::npos) << person.boxes[0].text;
    EXPECT_EQ(person.boxes[1].text, "Something failed.");
}

#ifndef _WIN32  // DIAGS_MODULE_DIR stands in for the module's directory on Linux only
class FindingTheHelpFile : public ::testing::Test {
protected:
    testing::TempDir moduleDir;
    ScopedEnv module{"DIAGS_MODULE_DIR", moduleDir.Path().string()};
    ScopedEnv forced{"DIAGS_HELP_FILE", std::nullopt};
    std::string path = "unchanged";
    ErrorRef error;
};

// The page the environment names, and a missing one, are met by the dialog's start
// (LifecycleTest); here the page beside the module and a request for another product.
TEST_F(FindingTheHelpFile, ThePageBesideTheModuleIsFoundAndAnotherProductFails) {
    testing::WriteBytes(moduleDir.File("DiagsConfig.htm"), "<html></html>");
    EXPECT_EQ(SharedGlobals::Instance().GetHelpFile(6, path, error), ResultCode::Success);
    EXPECT_EQ(path, moduleDir.File("DiagsConfig.htm"));
    path = "unchanged";
    EXPECT_EQ(SharedGlobals::Instance().GetHelpFile(5, path, error), ResultCode::Failure);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, err::kInvalidCall);
    EXPECT_EQ(path, "unchanged");
}
#endif

TEST(TheShippedHelpPage, HasAContentsSectionLinkingOneSectionPerHelpContext) {
    const std::string page = testing::ReadBytes(DIAGS_HELP_PAGE);
    EXPECT_NE(page.find("id=\"contents\""), std::string::npos);
    for (std::string topic : {"topic-819", "topic-820", "topic-821"}) {
        EXPECT_NE(page.find("id=\"" + topic + "\""), std::string::npos) << topic;
        EXPECT_NE(page.find("href=\"#" + topic + "\""), std::string::npos) << topic;
    }
}

}  // namespace
}  // namespace diags
