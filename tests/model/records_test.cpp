// Output and trace-setting records: links, and breaking the link cycles.
#include <gtest/gtest.h>

#include "base/RuntimeError.h"
#include "model/Records.h"
#include "tests/support/TestSupport.h"

namespace diags {
namespace {

using testing::ErrorOf;

std::shared_ptr<COutput> Output(std::string key) {
    auto o = std::make_shared<COutput>();
    o->Key = std::move(key);
    return o;
}
std::shared_ptr<CTraceSetting> Setting(std::string name) {
    auto s = std::make_shared<CTraceSetting>();
    s->Name = std::move(name);
    return s;
}

TEST(Linking, ADuplicateNameOrKeyInAnyCaseFailsAndAMissingCollectionIsObjectRequired) {
    auto output = Output("ZEL DateLibTrace");
    auto setting = Setting("Report Editor");
    EXPECT_EQ(output->LinkedTraceSettings()->Count() + setting->LinkedOutputs()->Count(), 0);  // new, empty
    EXPECT_EQ(output->AddTraceSetting(setting), 0);
    EXPECT_EQ(setting->AddOutput(output), 0);
    EXPECT_EQ(ErrorOf([&] { output->AddTraceSetting(Setting("REPORT editor")); }), err::kDuplicateKey);
    EXPECT_EQ(ErrorOf([&] { setting->AddOutput(Output("zel datelibtrace")); }), err::kDuplicateKey);
    EXPECT_EQ(output->LinkedTraceSettings()->Count(), 1);
    EXPECT_EQ(setting->LinkedOutputs()->Count(), 1);
    EXPECT_EQ(ErrorOf([&] { output->AddTraceSetting(nullptr); }), err::kObjectRequired);
    EXPECT_EQ(setting->RemoveLinkedOutputs(), 1);  // drops the collection itself
    EXPECT_EQ(setting->LinkedOutputs(), nullptr);
    EXPECT_EQ(ErrorOf([&] { setting->AddOutput(output); }), err::kObjectRequired);
    output->AddTraceSetting(Setting("Other"));
    EXPECT_EQ(output->RemoveLinkedTraceSettings(), 1);
    EXPECT_EQ(output->LinkedTraceSettings()->Count(), 0);  // every link, not all but one
}

// Links hold shared references both ways; breaking each trace setting's side frees all,
// for small link sets and for those released item by item (300 and more).
TEST(BreakingLinks, FreesEveryRecordOnceTheTraceSettingsLetGo) {
    for (const int count : {3, 450}) {
        std::vector<std::weak_ptr<COutput>> outputs;
        std::weak_ptr<CTraceSetting> first;
        {
            std::vector<std::shared_ptr<CTraceSetting>> settings{Setting("A"), Setting("B")};
            for (int i = 0; i < count; ++i) {
                auto o = Output("Out" + std::to_string(i));
                for (auto& s : settings) {
                    o->AddTraceSetting(s);
                    s->AddOutput(o);
                }
                outputs.push_back(o);
            }
            first = settings[0];
            settings[1]->RemoveLinkedOutputs();
            settings.pop_back();
        }
        EXPECT_FALSE(first.expired());  // still in a cycle with its outputs
        first.lock()->RemoveLinkedOutputs();
        EXPECT_TRUE(first.expired());
        for (auto& o : outputs) ASSERT_TRUE(o.expired());
    }
}

}  // namespace
}  // namespace diags
