// The map's public companion classes: one map cell and a keyed collection of cells.
#include <gtest/gtest.h>

#include "base/RuntimeError.h"
#include "model/CDiagMapEntries.h"

namespace diags {
namespace {

std::shared_ptr<CDiagMapEntry> Entry(std::string row, std::string column) {
    auto entry = std::make_shared<CDiagMapEntry>();
    entry->Row = std::move(row);
    entry->Column = std::move(column);
    return entry;
}

TEST(MapEntry, StartsEmptyWithItsOwnFreshTraceSetting) {
    const CDiagMapEntry a, b;
    EXPECT_EQ(a.Row + a.Column, "");
    EXPECT_FALSE(a.Checked);
    ASSERT_NE(a.TraceSetting(), nullptr);
    EXPECT_NE(a.TraceSetting(), b.TraceSetting());
    EXPECT_EQ(a.TraceSetting()->Name, "");
    EXPECT_EQ(a.TraceSetting()->LinkedOutputs()->Count(), 0);
}

TEST(MapEntry, IsTheSameEntryOnlyWhenRowAndColumnMatchExactly) {
    const auto entry = Entry("ZEL DateLib", "Report Editor");
    EXPECT_TRUE(entry->SameMapEntry(Entry("ZEL DateLib", "Report Editor")));
    EXPECT_FALSE(entry->SameMapEntry(Entry("zel datelib", "Report Editor")));
    EXPECT_FALSE(entry->SameMapEntry(Entry("ZEL DateLib", "Filter Editor")));
    EXPECT_FALSE(entry->SameMapEntry(nullptr));
}

TEST(MapEntries, AddFindAndRemoveByKeyRaisingTheCollectionsErrors) {
    CDiagMapEntries entries;
    EXPECT_EQ(entries.Key, "");
    EXPECT_EQ(entries.DiagMapEntries()->Count(), 0);
    const auto entry = Entry("R", "C");
    entries.Add(entry, "one");
    EXPECT_EQ(entries.DiagMapEntry("ONE"), entry);
    EXPECT_EQ(entries.DiagMapEntry("two"), nullptr);
    EXPECT_THROW(entries.Add(Entry("R2", "C2"), "One"), RuntimeError);
    EXPECT_THROW(entries.Remove("two"), RuntimeError);
    entries.PrintAllEntries();
    entries.Remove("one");
    EXPECT_EQ(entries.DiagMapEntries()->Count(), 0);

    entries.SetDiagMapEntries(nullptr);
    EXPECT_EQ(entries.DiagMapEntry("one"), nullptr);
    EXPECT_THROW(entries.Add(entry, "one"), RuntimeError);
}

}  // namespace
}  // namespace diags
