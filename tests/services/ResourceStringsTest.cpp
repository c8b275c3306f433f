#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "base/RuntimeError.h"
#include "resources/strings.h"
#include "services/ResourceStrings.h"
#include "tests/platform/TestSupport.h"
#include "tests/services/RecordingSink.h"

namespace diags {
namespace {

using testing::FreshServices;
using testing::ScopedEnv;

// Every text id the component shows.
constexpr std::int32_t kUsedIds[] = {
    9000, 9001, 9002, 9003, 9004, 9005, 9006, 9013, 9014, 9016, 9018, 9020, 9022, 9023, 9025,
    9026, 9027, 9029, 9031, 9033, 9034, 9035, 9036, 9037, 9038, 9039, 9040, 9041, 9042, 9043,
    9044, 9045, 9046, 9047, 9048, 9049, 9050, 9051, 9052, 9053, 9054, 9055, 9056, 9057, 9058,
    9059, 9060, 9061, 9062, 13501, 13503, 13508, 13520, 13563, 13564, 13565, 13572, 15732,
    2528, 2555, 2556, 2563, 2573, 33529, 33535, 34012, 34125, 34127, 34129, 34131};

// ---------------------------------------------------------------- texts

TEST(ResourceTexts, EveryIdTheDialogShowsHasAText) {
    auto& strings = ResourceStrings::Instance();
    for (std::int32_t id : kUsedIds) {
        const std::string text = strings.GetString(id);
        EXPECT_FALSE(text.empty()) << id;
        EXPECT_EQ(text.find("<missing"), std::string::npos) << id;
    }
}

TEST(ResourceTexts, FormatsCarryThePlaceholdersTheirCallersFill) {
    auto& strings = ResourceStrings::Instance();
    const auto has = [&](std::int32_t id, const char* placeholder) {
        return strings.GetString(id).find(placeholder) != std::string::npos;
    };
    EXPECT_TRUE(has(9025, "%1") && has(9025, "%2"));  // parent, name
    EXPECT_TRUE(has(9053, "%1") && has(9053, "%2"));  // path, label
    EXPECT_TRUE(has(9054, "%1"));                     // new path
    EXPECT_FALSE(has(9018, "%1"));
}

TEST(ResourceTexts, TheTreeRootsAndTabsReadAsTheDialogNamesThem) {
    auto& strings = ResourceStrings::Instance();
    EXPECT_EQ(strings.GetString(9006), "Desktop Editors");
    EXPECT_EQ(strings.GetString(9003), "Common Tasks");
    EXPECT_EQ(strings.GetString(13572), "Tracing");
    EXPECT_EQ(strings.GetString(13501), "Advanced");
    EXPECT_EQ(strings.GetString(9000), "Append");
    EXPECT_EQ(strings.GetString(9001), "Circular log");
    EXPECT_EQ(strings.GetString(9062), "Overwrite");
    EXPECT_EQ(strings.GetString(9043), "Report Editor");
}

TEST(ResourceTexts, AMissingIdGivesAVisiblePlaceholder) {
    EXPECT_EQ(ResourceStrings::Instance().GetString(1), "<missing string 1>");
    EXPECT_EQ(ResourceStrings::Instance().GetString(-7), "<missing string -7>");
}

TEST(ResourceTexts, TheResourceScriptHoldsExactlyTheBuiltInTexts) {
    const std::string script = testing::ReadFile(DIAGS_STRINGS_RC);
    ASSERT_NE(script.find("STRINGTABLE"), std::string::npos);
    std::size_t entries = 0;
    std::set<std::int32_t> ids;
    for (const auto& entry : resources::BuiltInStrings()) {
        EXPECT_TRUE(ids.insert(entry.id).second) << "duplicate " << entry.id;
        std::string quoted;
        for (char c : entry.text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        const std::string line = "    " + std::to_string(entry.id) + ", \"" + quoted + "\"\n";
        EXPECT_NE(script.find(line), std::string::npos) << line;
        ++entries;
    }
    const std::regex entryLine(R"(\n    -?[0-9]+, ")");
    EXPECT_EQ(static_cast<std::size_t>(std::distance(
                  std::sregex_iterator(script.begin(), script.end(), entryLine), std::sregex_iterator())),
              entries);
}

// ---------------------------------------------------------------- opening the module

using OpeningTheResourceModule = FreshServices;

TEST_F(OpeningTheResourceModule, TheDefaultNameOpens) {
    ErrorRef error;
    EXPECT_EQ(ResourceStrings::Instance().Initialize("", 0, error), ResultCode::Success);
    EXPECT_EQ(ResourceStrings::Instance().Initialize("KVUIEN.DLL", 0, error), ResultCode::Success);
    EXPECT_EQ(ResourceStrings::Instance().Initialize("kvuien.dll", 0, error), ResultCode::Success);
    EXPECT_FALSE(error);
}

TEST_F(OpeningTheResourceModule, AModuleThatCannotBeFoundFailsWithTheErrorFilled) {
    RecordTraces();
    ErrorRef error;
    EXPECT_EQ(ResourceStrings::Instance().Initialize("NOSUCH.DLL", 0, error), ResultCode::Failure);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, err::kFileNotFound);
    EXPECT_NE(error->description.find("NOSUCH.DLL"), std::string::npos);
    EXPECT_EQ(error->module, "ResourceStrings");
    EXPECT_EQ(error->procedure, "Initialize");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].text.find("NOSUCH.DLL"), std::string::npos);
    // Texts keep coming from the module that is open.
    EXPECT_EQ(ResourceStrings::Instance().GetString(13572), "Tracing");
}

// ---------------------------------------------------------------- pictures

TEST(ResourcePictures, EveryPictureTheDialogUsesLoadsAtTheAskedSize) {
    for (std::int32_t id : {102, 148, 171, 2006, 2008, 5022, 5023, 5024, 5025, 6703}) {
        const auto picture = ResourceStrings::Instance().LoadPictureRes(id, 16, 16);
        ASSERT_TRUE(picture) << id;
        EXPECT_EQ(picture->Id(), id);
        EXPECT_EQ(picture->Width(), 16);
        EXPECT_EQ(picture->Height(), 16);
    }
    const auto clock = ResourceStrings::Instance().LoadPictureRes(171, 32, 32);
    EXPECT_EQ(clock->Width(), 32);
}

TEST(ResourcePictures, AMissingPictureIsARunTimeError) {
    try {
        ResourceStrings::Instance().LoadPictureRes(4242, 16, 16);
        FAIL() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number(), 326);
        EXPECT_NE(e.Description().find("4242"), std::string::npos);
    }
}

// ---------------------------------------------------------------- fonts

struct RecordedFont : FontTarget {
    void SetFont(std::string_view face, double points) override {
        this->face = std::string(face);
        this->points = points;
    }
    std::string face;
    double points = 0;
};

TEST(DialogFonts, WesternSystemsGetTheClassicDialogFont) {
    ScopedEnv lang("DIAGS_LANGID", "0409");
    RecordedFont a, b;
    FontTarget* controls[] = {&a, nullptr, &b};
    ResourceStrings::Instance().ApplyControlFonts(0, 0, controls);
    EXPECT_EQ(a.face, "MS Sans Serif");
    EXPECT_DOUBLE_EQ(a.points, 8.25);
    EXPECT_EQ(b.face, "MS Sans Serif");
}

TEST(DialogFonts, FarEastSystemsGetAFaceForTheirScript) {
    const std::pair<const char*, const char*> cases[] = {
        {"0411", "MS UI Gothic"}, {"0412", "Gulim"}, {"0404", "PMingLiU"}, {"0804", "SimSun"}};
    for (const auto& [lang, face] : cases) {
        ScopedEnv forced("DIAGS_LANGID", lang);
        RecordedFont control;
        FontTarget* controls[] = {&control};
        ResourceStrings::Instance().ApplyControlFonts(0, 0, controls);
        EXPECT_EQ(control.face, face) << lang;
        EXPECT_GT(control.points, 8.0);
    }
}

}  // namespace
}  // namespace diags
