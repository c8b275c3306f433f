#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "services/Logger.h"
#include "services/Procedure.h"
#include "services/SharedGlobals.h"
#include "tests/platform/TestSupport.h"
#include "tests/services/RecordingSink.h"
#include "tests/services/ScriptedInteraction.h"

namespace diags {
namespace {

using testing::FreshServices;
using testing::ScopedEnv;
using testing::TempDir;
using testing::TraceLine;

// ---------------------------------------------------------------- error objects

using BuildingErrorObjects = FreshServices;

TEST_F(BuildingErrorObjects, CarryEverythingTheCallerPassed) {
    const ErrorRef error = SharedGlobals::Instance().HandleError(
        13, "Type mismatch", kAppTitle, kComponentTitle, "frmDiags", "txtFileSize_Change", 42, nullptr);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, 13);
    EXPECT_EQ(error->description, "Type mismatch");
    EXPECT_EQ(error->applicationTitle, "Veltrane Desktop");
    EXPECT_EQ(error->componentTitle, "Diagnostics Configuration");
    EXPECT_EQ(error->module, "frmDiags");
    EXPECT_EQ(error->procedure, "txtFileSize_Change");
    EXPECT_EQ(error->line, 42);
}

TEST_F(BuildingErrorObjects, AreTracedThroughTheGivenLoggerAtLevel64) {
    RecordTraces();
    SharedGlobals::Instance().HandleError(76, "Path not found", kAppTitle, kComponentTitle, "General",
                                          "ValidPath", 7, Logger::Existing());
    EXPECT_EQ(lines, (std::vector<TraceLine>{
                         {64, "Module: [General] Procedure: [ValidPath] Error:[76][Path not found] Line: [7]"}}));
}

TEST_F(BuildingErrorObjects, EachCallGivesANewObject) {
    auto& globals = SharedGlobals::Instance();
    const ErrorRef a = globals.HandleError(5, "x", kAppTitle, kComponentTitle, "M", "P", 1, nullptr);
    const ErrorRef b = globals.HandleError(5, "x", kAppTitle, kComponentTitle, "M", "P", 1, nullptr);
    EXPECT_NE(a.get(), b.get());
}

// ---------------------------------------------------------------- showing errors

TEST(ShowingErrors, TheBoxNamesTheErrorAndWhereItHappenedUnderTheErrorsTitles) {
    testing::ScriptedInteraction person;
    platform::ScopedPart<platform::Interaction> scripted(&platform::Platform::interaction, person);
    const ErrorRef error = SharedGlobals::Instance().HandleError(
        76, "Path not found", kAppTitle, kComponentTitle, "frmDiags", "SaveGUIValues", 12, nullptr);
    SharedGlobals::Instance().ShowError(error, 16, "", "The settings could not be saved.");
    ASSERT_EQ(person.boxes.size(), 1u);
    const auto& box = person.boxes[0];
    EXPECT_EQ(box.style, 16);
    EXPECT_EQ(box.title, "Veltrane Desktop - Diagnostics Configuration");
    EXPECT_EQ(box.text.rfind("The settings could not be saved.", 0), 0u) << box.text;
    for (const char* part : {"76", "Path not found", "frmDiags", "SaveGUIValues", "12"})
        EXPECT_NE(box.text.find(part), std::string::npos) << part << " in " << box.text;
}

TEST(ShowingErrors, AnEmptyErrorReferenceStillShowsTheMessage) {
    testing::ScriptedInteraction person;
    platform::ScopedPart<platform::Interaction> scripted(&platform::Platform::interaction, person);
    SharedGlobals::Instance().ShowError(nullptr, 16, "", "Something failed.");
    ASSERT_EQ(person.boxes.size(), 1u);
    EXPECT_EQ(person.boxes[0].text, "Something failed.");
    EXPECT_EQ(person.boxes[0].title, "Veltrane Desktop - Diagnostics Configuration");
}

TEST(ShowingErrors, AGivenTitleIsUsed) {
    testing::ScriptedInteraction person;
    platform::ScopedPart<platform::Interaction> scripted(&platform::Platform::interaction, person);
    SharedGlobals::Instance().ShowError(std::make_shared<ErrorObject>(), 64, "Own title", "text");
    ASSERT_EQ(person.boxes.size(), 1u);
    EXPECT_EQ(person.boxes[0].title, "Own title");
    EXPECT_EQ(person.boxes[0].style, 64);
}

// ---------------------------------------------------------------- the help file

class FindingTheHelpFile : public ::testing::Test {
protected:
    TempDir moduleDir;
    ScopedEnv module{"DIAGS_MODULE_DIR", moduleDir.Path().string()};
    ScopedEnv forced{"DIAGS_HELP_FILE", std::nullopt};
    std::string path = "unchanged";
    ErrorRef error;
};

TEST_F(FindingTheHelpFile, ThePageBesideTheModuleIsFound) {
    testing::WriteFile(moduleDir / "DiagsConfig.htm", "<html></html>");
    EXPECT_EQ(SharedGlobals::Instance().GetHelpFile(6, path, error), ResultCode::Success);
    EXPECT_EQ(path, moduleDir / "DiagsConfig.htm");
    EXPECT_FALSE(error);
}

TEST_F(FindingTheHelpFile, TheEnvironmentCanNameAnotherPage) {
    const std::string other = moduleDir / "other.htm";
    testing::WriteFile(other, "<html></html>");
    ScopedEnv named("DIAGS_HELP_FILE", other);
    EXPECT_EQ(SharedGlobals::Instance().GetHelpFile(6, path, error), ResultCode::Success);
    EXPECT_EQ(path, other);
}

TEST_F(FindingTheHelpFile, AMissingPageFailsWithTheErrorFilledAndThePathUntouched) {
    error = std::make_shared<ErrorObject>();
    const ErrorObject* callersObject = error.get();
    EXPECT_EQ(SharedGlobals::Instance().GetHelpFile(6, path, error), ResultCode::Failure);
    EXPECT_EQ(path, "unchanged");
    ASSERT_TRUE(error);
    EXPECT_NE(error.get(), callersObject);
    EXPECT_EQ(error->number, err::kFileNotFound);
    EXPECT_NE(error->description.find("DiagsConfig.htm"), std::string::npos);
    EXPECT_EQ(error->applicationTitle, "Veltrane Desktop");
}

TEST_F(FindingTheHelpFile, AnotherProductHasNoHelpFileHere) {
    testing::WriteFile(moduleDir / "DiagsConfig.htm", "<html></html>");
    EXPECT_EQ(SharedGlobals::Instance().GetHelpFile(5, path, error), ResultCode::Failure);
    EXPECT_EQ(path, "unchanged");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, err::kInvalidCall);
}

TEST(TheShippedHelpPage, HasAContentsSectionAndOneSectionPerHelpContext) {
    const std::string page = testing::ReadFile(DIAGS_HELP_PAGE);
    ASSERT_FALSE(page.empty());
    EXPECT_NE(page.find("id=\"contents\""), std::string::npos);
    for (const char* topic : {"topic-819", "topic-820", "topic-821"}) {
        EXPECT_NE(page.find(std::string("id=\"") + topic + "\""), std::string::npos) << topic;
        EXPECT_NE(page.find(std::string("href=\"#") + topic + "\""), std::string::npos) << topic;
    }
}

}  // namespace
}  // namespace diags
