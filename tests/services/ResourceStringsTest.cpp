#include <gtest/gtest.h>

#include "base/RuntimeError.h"
#include "services/ResourceStrings.h"
#include "tests/support/TestSupport.h"
#include "tests/support/RecordingSink.h"

namespace diags {
namespace {

// Every text id the component shows.
constexpr std::int32_t kUsedIds[] = {
    9000, 9001, 9002, 9003, 9004, 9005, 9006, 9013, 9014, 9016, 9018, 9020, 9022, 9023, 9025,
    9026, 9027, 9029, 9031, 9033, 9034, 9035, 9036, 9037, 9038, 9039, 9040, 9041, 9042, 9043,
    9044, 9045, 9046, 9047, 9048, 9049, 9050, 9051, 9052, 9053, 9054, 9055, 9056, 9057, 9058,
    9059, 9060, 9061, 9062, 13501, 13503, 13508, 13520, 13563, 13564, 13565, 13572, 15732,
    2528, 2555, 2556, 2563, 2573, 33529, 33535, 34012, 34125, 34127, 34129, 34131};

TEST(ResourceTexts, EveryIdTheDialogShowsHasATextAndAMissingOneAVisiblePlaceholder) {
    auto& strings = ResourceStrings::Instance();
    for (std::int32_t id : kUsedIds) EXPECT_EQ(strings.GetString(id).find("<missing"), std::string::npos) << id;
    EXPECT_EQ(strings.GetString(1), "<missing string 1>");
    // Formats carry the placeholders their callers fill.
    for (const auto& [id, placeholder] : {std::pair{9025, "%2"}, {9053, "%2"}, {9054, "%1"}})
        EXPECT_NE(strings.GetString(id).find(placeholder), std::string::npos) << id;
}

using OpeningTheResourceModule = testing::FreshServices;

TEST_F(OpeningTheResourceModule, TheDefaultNameOpensAndAnotherFailsWithTheErrorFilled) {
    ErrorRef error;
    for (const char* name : {"", "KVUIEN.DLL", "kvuien.dll"})
        EXPECT_EQ(ResourceStrings::Instance().Initialize(name, 0, error), ResultCode::Success) << name;
    EXPECT_FALSE(error);
    EXPECT_EQ(ResourceStrings::Instance().Initialize("NOSUCH.DLL", 0, error), ResultCode::Failure);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, err::kFileNotFound);
    EXPECT_NE(error->description.find("NOSUCH.DLL"), std::string::npos);
    EXPECT_EQ(ResourceStrings::Instance().GetString(13572), "Tracing");  // the open module still serves
}

#ifndef _WIN32  // DIAGS_LANGID stands in for the system language on Linux only
TEST(DialogFonts, EveryControlGetsTheFontOfTheSystemsScript) {
    struct Control : FontTarget {
        void SetFont(std::string_view f, double p) override { face = f, points = p; }
        std::string face;
        double points = 0;
    };
    for (const auto& [lang, face, points] : {std::tuple{"0409", "MS Sans Serif", 8.25}, {"0411", "MS UI Gothic", 9.0},
                                             {"0412", "Gulim", 9.0}, {"0404", "PMingLiU", 9.0}, {"0804", "SimSun", 9.0}}) {
        testing::ScopedEnv forced("DIAGS_LANGID", lang);
        Control a, b;
        FontTarget* controls[] = {&a, nullptr, &b};
        ResourceStrings::Instance().ApplyControlFonts(0, 0, controls);
        EXPECT_EQ(std::tie(a.face, a.points), std::tie(face, points)) << lang;
        EXPECT_EQ(b.face, face);
    }
}
#endif

}  // namespace
}  // namespace diags
