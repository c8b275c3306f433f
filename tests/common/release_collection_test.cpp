// Releasing a collection: the reference is always empty afterwards and every item is freed;
// a large collection is emptied item by item first, in time linear in its size.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "common/modCommonFunctions.h"
#include "model/KeyedCollection.h"

namespace diags {
namespace {

struct Item {
    int id;
};

CollectionRef<Item> Filled(int count, std::vector<std::weak_ptr<Item>>& alive) {
    auto collection = NewCollection<Item>();
    for (int i = 0; i < count; ++i) {
        auto item = std::make_shared<Item>(Item{i});
        alive.push_back(item);
        collection->Add(std::move(item), "k" + std::to_string(i));
    }
    return collection;
}

TEST(ReleaseCollection, EmptiesTheReferenceAndFreesEveryItemAtAnySize) {
    for (const int count : {0, 1, 299, 300, 301, 5000}) {
        std::vector<std::weak_ptr<Item>> alive;
        auto collection = Filled(count, alive);
        ReleaseCollection(collection);
        EXPECT_EQ(collection, nullptr) << count;
        for (const auto& item : alive) ASSERT_TRUE(item.expired()) << count;
    }
    CollectionRef<Item> none;
    ReleaseCollection(none);
    EXPECT_EQ(none, nullptr);
}

// Another holder of the same collection sees the difference: a small one is only let go,
// a large one is emptied before it is let go.
TEST(ReleaseCollection, EmptiesALargeCollectionButOnlyLetsGoOfASmallOne) {
    std::vector<std::weak_ptr<Item>> alive;
    auto small = Filled(299, alive);
    const auto otherSmall = small;
    ReleaseCollection(small);
    EXPECT_EQ(otherSmall->Count(), 299);

    auto large = Filled(300, alive);
    const auto otherLarge = large;
    ReleaseCollection(large);
    EXPECT_EQ(large, nullptr);
    EXPECT_EQ(otherLarge->Count(), 0);
    EXPECT_FALSE(otherLarge->Contains("k0"));
}

TEST(ReleaseCollection, ALargeCollectionIsReleasedInLinearTime) {
    std::vector<std::weak_ptr<Item>> alive;
    auto collection = Filled(100000, alive);
    const auto start = std::chrono::steady_clock::now();
    ReleaseCollection(collection);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(collection, nullptr);
    EXPECT_TRUE(alive.front().expired() && alive.back().expired());
    // Quadratic removal from the front would take minutes here; linear takes milliseconds.
    EXPECT_LT(elapsed, std::chrono::seconds(5));
}

}  // namespace
}  // namespace diags
