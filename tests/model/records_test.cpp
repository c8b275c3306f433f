// Output and trace-setting records: defaults, links and how links are broken.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "base/RuntimeError.h"
#include "model/Records.h"

namespace diags {
namespace {

static_assert(std::is_same_v<decltype(COutput::ErrorThreshold), std::int16_t>);
static_assert(std::is_same_v<decltype(COutput::NTEventCategory), std::int32_t>);
static_assert(std::is_same_v<decltype(COutput::FileSize), double>);
static_assert(std::is_same_v<decltype(CTraceSetting::FileSize), double>);

std::shared_ptr<COutput> Output(std::string key) {
    auto output = std::make_shared<COutput>();
    output->Key = std::move(key);
    return output;
}

std::shared_ptr<CTraceSetting> Setting(std::string name) {
    auto setting = std::make_shared<CTraceSetting>();
    setting->Name = std::move(name);
    return setting;
}

template <class T>
std::vector<std::string> Keys(const KeyedCollection<T>& links) {
    std::vector<std::string> keys;
    for (const auto& item : links) {
        if constexpr (std::is_same_v<T, COutput>) keys.push_back(item->Key);
        else keys.push_back(item->Name);
    }
    return keys;
}

std::int32_t ErrorNumberOf(auto&& call) {
    try {
        call();
    } catch (const RuntimeError& e) {
        return e.Number();
    }
    return 0;
}

TEST(NewRecords, StartFalseZeroAndEmptyWithAnEmptyLinkCollection) {
    const COutput output;
    EXPECT_FALSE(output.DebugMonitor || output.LogToFile || output.AppendToFile || output.DirtyFlag ||
                 output.CircularLogFile || output.NTEventLog);
    EXPECT_EQ(output.FileSize, 0.0);
    EXPECT_EQ(output.NTEventCategory, 0);
    EXPECT_EQ(output.ErrorThreshold, 0);
    for (const std::string* text : {&output.MessageDLL, &output.Directory, &output.FileName, &output.Key,
                                    &output.NTEventSource, &output.Name, &output.Parent})
        EXPECT_EQ(*text, "");
    ASSERT_NE(output.LinkedTraceSettings(), nullptr);
    EXPECT_EQ(output.LinkedTraceSettings()->Count(), 0);

    const CTraceSetting setting;
    EXPECT_FALSE(setting.DebugMonitor || setting.LogToFile || setting.AppendToFile || setting.CircularLogFile ||
                 setting.DirtyFlag || setting.Checked);
    EXPECT_EQ(setting.FileSize, 0.0);
    EXPECT_EQ(setting.Name, "");
    EXPECT_EQ(setting.Directory + setting.FileName, "");
    ASSERT_NE(setting.LinkedOutputs(), nullptr);
    EXPECT_EQ(setting.LinkedOutputs()->Count(), 0);
}

TEST(NewRecords, KeepFractionalSizesAndFullWidthNumbersExactly) {
    COutput output;
    output.FileSize = 24.123456789012345;
    output.ErrorThreshold = -32768;
    output.NTEventCategory = 2147483647;
    EXPECT_EQ(output.FileSize, 24.123456789012345);
    EXPECT_EQ(output.ErrorThreshold, -32768);
    EXPECT_EQ(output.NTEventCategory, 2147483647);
}

TEST(Linking, KeysLinksByNameAndKeyInTheOrderAdded) {
    auto output = Output("ZEL DateLibTrace");
    auto a = Setting("Report Editor"), b = Setting("Filter Editor");
    EXPECT_EQ(output->AddTraceSetting(a), 0);
    EXPECT_EQ(output->AddTraceSetting(b), 0);
    EXPECT_EQ(Keys(*output->LinkedTraceSettings()), (std::vector<std::string>{"Report Editor", "Filter Editor"}));
    EXPECT_EQ(output->LinkedTraceSettings()->Find("REPORT EDITOR"), a);

    auto other = Output("ZEL GridLibTrace");
    EXPECT_EQ(a->AddOutput(output), 0);
    EXPECT_EQ(a->AddOutput(other), 0);
    EXPECT_EQ(Keys(*a->LinkedOutputs()), (std::vector<std::string>{"ZEL DateLibTrace", "ZEL GridLibTrace"}));
    a->RemoveLinkedOutputs();
    b->RemoveLinkedOutputs();
}

TEST(Linking, ADuplicateNameOrKeyFailsWithTheCollectionsError) {
    auto output = Output("ZEL DateLibTrace");
    auto setting = Setting("Report Editor");
    output->AddTraceSetting(setting);
    EXPECT_EQ(ErrorNumberOf([&] { output->AddTraceSetting(setting); }), err::kDuplicateKey);
    // Another object under the same name, in another letter case, is still a duplicate.
    EXPECT_EQ(ErrorNumberOf([&] { output->AddTraceSetting(Setting("report editor")); }), err::kDuplicateKey);
    EXPECT_EQ(output->LinkedTraceSettings()->Count(), 1);

    setting->AddOutput(output);
    EXPECT_EQ(ErrorNumberOf([&] { setting->AddOutput(Output("ZEL DateLibTrace")); }), err::kDuplicateKey);
    EXPECT_EQ(setting->LinkedOutputs()->Count(), 1);
    setting->RemoveLinkedOutputs();
}

TEST(Linking, ANullRecordOrAReleasedCollectionFailsAsObjectRequired) {
    auto output = Output("K");
    auto setting = Setting("S");
    EXPECT_EQ(ErrorNumberOf([&] { output->AddTraceSetting(nullptr); }), err::kObjectRequired);
    EXPECT_EQ(ErrorNumberOf([&] { setting->AddOutput(nullptr); }), err::kObjectRequired);
    setting->RemoveLinkedOutputs();
    EXPECT_EQ(ErrorNumberOf([&] { setting->AddOutput(output); }), err::kObjectRequired);
}

TEST(BreakingLinks, RemoveLinkedTraceSettingsRemovesEveryLink) {
    auto output = Output("K");
    std::vector<std::shared_ptr<CTraceSetting>> settings{Setting("A"), Setting("B"), Setting("C")};
    for (auto& s : settings) output->AddTraceSetting(s);
    EXPECT_EQ(output->RemoveLinkedTraceSettings(), 1);
    ASSERT_NE(output->LinkedTraceSettings(), nullptr);
    EXPECT_EQ(output->LinkedTraceSettings()->Count(), 0);
    // Nothing to remove is not an error, and the output can be linked again.
    EXPECT_EQ(output->RemoveLinkedTraceSettings(), 1);
    EXPECT_EQ(output->AddTraceSetting(settings[0]), 0);
}

TEST(BreakingLinks, RemoveLinkedOutputsLeavesNoCollectionAtAll) {
    auto setting = Setting("Report Editor");
    for (const char* key : {"A", "B", "C"}) setting->AddOutput(Output(key));
    EXPECT_EQ(setting->RemoveLinkedOutputs(), 1);
    EXPECT_EQ(setting->LinkedOutputs(), nullptr);
    EXPECT_EQ(setting->RemoveLinkedOutputs(), 1);  // again: nothing to do
    EXPECT_EQ(setting->LinkedOutputs(), nullptr);
}

// Links are shared references both ways, so every link is a cycle; the owner breaks them with
// RemoveLinkedOutputs on every trace setting, after which releasing the owners frees all.
TEST(BreakingLinks, BreakingEveryTraceSettingsSideFreesAllRecords) {
    for (const int outputCount : {3, 450}) {  // below and above the large-collection release
        std::vector<std::weak_ptr<COutput>> outputsAlive;
        std::vector<std::weak_ptr<CTraceSetting>> settingsAlive;
        {
            std::vector<std::shared_ptr<CTraceSetting>> settings{Setting("A"), Setting("B")};
            std::vector<std::shared_ptr<COutput>> outputs;
            for (int i = 0; i < outputCount; ++i) outputs.push_back(Output("Out" + std::to_string(i)));
            for (auto& s : settings)
                for (auto& o : outputs) {
                    o->AddTraceSetting(s);
                    s->AddOutput(o);
                }
            for (auto& o : outputs) outputsAlive.push_back(o);
            for (auto& s : settings) settingsAlive.push_back(s);
            for (auto& s : settings) s->RemoveLinkedOutputs();
        }
        for (auto& w : outputsAlive) EXPECT_TRUE(w.expired());
        for (auto& w : settingsAlive) EXPECT_TRUE(w.expired());
    }
}

TEST(BreakingLinks, UnbrokenLinksKeepBothRecordsAlive) {
    std::weak_ptr<COutput> outputAlive;
    std::weak_ptr<CTraceSetting> settingAlive;
    std::shared_ptr<CTraceSetting> keep;
    {
        auto output = Output("K");
        auto setting = Setting("S");
        output->AddTraceSetting(setting);
        setting->AddOutput(output);
        outputAlive = output;
        settingAlive = setting;
        keep = setting;
    }
    keep.reset();
    EXPECT_FALSE(outputAlive.expired());
    EXPECT_FALSE(settingAlive.expired());
    settingAlive.lock()->RemoveLinkedOutputs();  // break the cycle so nothing leaks
    EXPECT_TRUE(outputAlive.expired());
    EXPECT_TRUE(settingAlive.expired());
}

}  // namespace
}  // namespace diags
