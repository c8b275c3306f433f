#pragma once
// Two small public companions of the map: CDiagMapEntry (one cell of a map: row, column,
// check state and its own trace setting) and CDiagMapEntries (a keyed collection of them).
// The dialog does not use them; they are part of the component's public classes.
#include <memory>
#include <string>
#include <string_view>

#include "model/KeyedCollection.h"
#include "model/Records.h"

namespace diags {

class CDiagMapEntry {
public:
    std::string Row;
    std::string Column;
    bool Checked = false;

    // The entry's own trace setting, created with the entry and released with it.
    const std::shared_ptr<CTraceSetting>& TraceSetting() const noexcept { return traceSetting_; }
    // True when the other entry's Row and Column both equal this entry's (case-sensitive);
    // false for a null reference.
    bool SameMapEntry(const std::shared_ptr<CDiagMapEntry>& oMapEntry) const noexcept;
    // Produces nothing.
    void PrintEntry() const noexcept;

private:
    std::shared_ptr<CTraceSetting> traceSetting_ = std::make_shared<CTraceSetting>();
};

class CDiagMapEntries {
public:
    std::string Key;

    // Add and Remove raise the collection's error (457 duplicate, 5 missing key; 91 when
    // the collection was replaced by a null reference).
    void Add(const std::shared_ptr<CDiagMapEntry>& oMapEntry, std::string_view sKey);
    void Remove(std::string_view sKey);
    const CollectionRef<CDiagMapEntry>& DiagMapEntries() const noexcept { return entries_; }
    void SetDiagMapEntries(CollectionRef<CDiagMapEntry> entries) noexcept { entries_ = std::move(entries); }
    // The entry stored under that key, or null.
    std::shared_ptr<CDiagMapEntry> DiagMapEntry(std::string_view sEntryName) const noexcept;
    // Reads every entry's Row and Column; produces nothing.
    void PrintAllEntries() const noexcept;

private:
    CollectionRef<CDiagMapEntry> entries_ = NewCollection<CDiagMapEntry>();
};

}  // namespace diags
