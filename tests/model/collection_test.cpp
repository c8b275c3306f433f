// The keyed collection against a plain list doing the same thing: random adds (keyed in
// either case, or unkeyed), removals from the front, the middle and by key, and look-ups,
// through the sizes where a small collection starts indexing its keys and where removed
// front slots are dropped.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "base/RuntimeError.h"
#include "base/Text.h"
#include "model/KeyedCollection.h"
#include "tests/support/TestSupport.h"

namespace diags {
namespace {

using testing::ErrorOf;

struct Entry {
    std::string key;  // "" when unkeyed
    int value;
};

void ExpectSame(const KeyedCollection<int>& c, const std::vector<Entry>& model) {
    ASSERT_EQ(c.Count(), static_cast<std::int32_t>(model.size()));
    std::size_t i = 0;
    for (const auto& item : c) EXPECT_EQ(*item, model[i++].value);
    for (std::size_t k = 0; k < model.size(); ++k) {
        EXPECT_EQ(*c.Item(static_cast<std::int32_t>(k + 1)), model[k].value);
        if (!model[k].key.empty()) {
            EXPECT_EQ(*c.Item(FoldCase(model[k].key)), model[k].value);
        }
    }
}

TEST(KeyedCollection, BehavesLikeAnOrderedListWithCaseBlindUniqueKeys) {
    for (const int size : {6, 40, 400}) {
        std::mt19937 random(static_cast<unsigned>(size));
        KeyedCollection<int> c;
        std::vector<Entry> model;
        int next = 0;
        for (int step = 0; step < 12 * size; ++step) {
            const auto pick = [&] { return static_cast<std::size_t>(random() % model.size()); };
            const unsigned action = random() % 10;
            const bool grow = model.size() < static_cast<std::size_t>(size);
            if (model.empty() || (grow && action < 6)) {
                const std::string key = action == 0 ? "" : "Key" + std::to_string(random() % (2 * size)) + "x";
                const bool taken = !key.empty() && std::any_of(model.begin(), model.end(), [&](const Entry& e) {
                    return EqualsNoCase(e.key, key);
                });
                if (taken) {
                    EXPECT_EQ(ErrorOf([&] { c.Add(std::make_shared<int>(next), FoldCase(key)); }), err::kDuplicateKey);
                    continue;
                }
                key.empty() ? c.Add(std::make_shared<int>(next)) : c.Add(std::make_shared<int>(next), key);
                model.push_back({key, next++});
            } else if (action < 8) {  // mostly from the front, as the release loops do
                const std::size_t at = action == 6 ? 0 : pick();
                c.Remove(static_cast<std::int32_t>(at + 1));
                model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
            } else {
                const std::size_t at = pick();
                if (model[at].key.empty()) continue;
                EXPECT_TRUE(c.Contains(FoldCase(model[at].key)));
                c.Remove(model[at].key);
                EXPECT_EQ(c.Find(model[at].key), nullptr);
                EXPECT_EQ(ErrorOf([&] { (void)c.Item(model[at].key); }), err::kInvalidCall);
                model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
            }
            if (step % 37 == 0) ExpectSame(c, model);
        }
        ExpectSame(c, model);
        const KeyedCollection<int> copy(c);
        ExpectSame(copy, model);
        EXPECT_EQ(ErrorOf([&] { c.Remove(static_cast<std::int32_t>(model.size() + 1)); }), err::kSubscript);
        while (!model.empty()) {
            c.Remove(1);
            model.erase(model.begin());
        }
        ExpectSame(c, model);
        EXPECT_EQ(ErrorOf([&] { (void)c.Item(1); }), err::kSubscript);
    }
}

}  // namespace
}  // namespace diags
