#pragma once
// The keyed collection as automation callers see it: Add (item, key), Item (the default
// member; position or key), Count, Remove and For Each. A collection either shows a model
// collection live (the links of a record, the map's trace settings) and accepts only objects
// of that collection's class, or holds whatever a script adds to it.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "com/ComSupport.h"
#include "com/DiagsConfig.h"
#include "model/CDiagMapEntries.h"
#include "model/Records.h"

namespace diags::com {

// Variants owned together (cleared when the owner goes): an enumerator's snapshot.
struct OwnedVariants {
    std::vector<platform::win32::OwnedVariant> items;
};

class CollectionBackend {
public:
    virtual ~CollectionBackend() = default;
    virtual std::int32_t Count() const = 0;
    virtual void Add(const VARIANT& item, const std::optional<std::string>& key) = 0;
    // position (1-based) or key; errors 9 (position), 5 (key), 13 (neither).
    virtual void Item(const VARIANT& index, VARIANT* out) const = 0;
    virtual void Remove(const VARIANT& index) = 0;
    // The items in order, copied (for enumeration).
    virtual std::shared_ptr<OwnedVariants> Snapshot() const = 0;
    // The collection as model outputs: the live collection when it is one, else a new
    // collection of the items in order (error 13 when an item is no output).
    virtual CollectionRef<COutput> Outputs() const = 0;
    // The collection as model map entries (error 13 when it is not a collection of entries).
    virtual CollectionRef<CDiagMapEntry> Entries() const;
    // The model collection shown (one face per model collection), or null.
    virtual const void* Identity() const noexcept { return nullptr; }
};

std::unique_ptr<CollectionBackend> OutputCollectionBackend(CollectionRef<COutput> collection);
std::unique_ptr<CollectionBackend> TraceSettingCollectionBackend(CollectionRef<CTraceSetting> collection);
std::unique_ptr<CollectionBackend> EntryCollectionBackend(CollectionRef<CDiagMapEntry> collection);
std::unique_ptr<CollectionBackend> ScriptCollectionBackend();

// The collection object over the backend: the living face of the same model collection, or
// a new one (null when memory is short).
ComPtr<IDispatch> MakeCollection(std::unique_ptr<CollectionBackend> backend) noexcept;
// The backend of a collection object a caller passes in; null for Nothing/Empty; error 13
// for anything that is not one of ours. `holder` keeps the object alive while it is used.
CollectionBackend* BackendOf(const VARIANT& value, ComPtr<IUnknown>& holder);

}  // namespace diags::com
