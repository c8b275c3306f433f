#pragma once
// The registry store over the real Windows registry (advapi32). Keys and values are read and
// written with the wide registry calls, so names and texts keep every character, and always in
// the product's registry view (RegistryView.h), whatever the bitness of the program.
//
// Differences from the file store, which the store tests allow for:
// - The registry enumerates subkeys in its own (alphabetical) order, not in creation order.
// - Apply writes each key's values and flushes the key (RegFlushKey) before returning; the
//   registry makes each value write atomic, a set of several keys is not one unit.
// - In a batch the calling thread's saves skip RegFlushKey (written values are in the registry
//   at once and survive the program; only the flush to disk waits); EndBatch flushes each hive
//   the batch wrote to.
// - A read keeps what it saw, and the next read of the same path hands it out again as long as
//   the registry reports no change under the key and no key added or removed beside it (change
//   notifications armed before the read). Reading a large configuration key by key costs a
//   round trip per call; a host that opens the dialog again reads nothing twice.
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>

#include "platform/registry/Store.h"
#include "platform/win32/Owned.h"

namespace diags::platform::win32 {

class RegistryStoreWin32 final : public registry::Store {
public:
    std::string Location() const override { return "the Windows registry"; }
    registry::Status ReadTree(std::string_view path, std::optional<registry::RegKey>& out) override;
    registry::Status VisitTree(std::string_view path,
                               const std::function<void(const registry::RegKey*)>& visit) override;
    registry::Status Apply(const std::vector<registry::KeyChange>& changes) override;
    registry::Status ApplyIfMissing(std::string_view path, const std::vector<registry::KeyChange>& changes,
                                    bool& applied) override;
    void BeginBatch() override;
    registry::Status EndBatch() override;

private:
    // What one read of a path saw, and the watches that tell whether it still holds.
    struct Snapshot {
        OwnedKey parent, key;                // the handles the watches are armed on
        OwnedHandle parentChanged, changed;  // signalled by a change the watches report
        std::optional<registry::RegKey> tree;
        bool Current() const noexcept;
    };
    registry::Status ReadFresh(std::string_view path, Snapshot& out);
    bool InBatch();
    std::mutex mutex_;
    std::map<std::string, Snapshot, std::less<>> snapshots_;  // by path as read
    std::map<std::thread::id, int> batchDepth_;  // open batches per thread
    std::set<std::string> unflushedHives_;       // hives a batch wrote to without a flush
};

}  // namespace diags::platform::win32
