#pragma once
// A registry store: somewhere keys and values live durably. Two backends: the file store
// (a registry export file, used on Linux) and the real Windows registry.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/RegTree.h"
#include "platform/registry/Status.h"

namespace diags::platform::registry {

class Store {
public:
    virtual ~Store() = default;
    // Where the store lives, for messages ("/home/ann/.config/diagsconfig/registry.reg").
    virtual std::string Location() const = 0;
    // A copy of the key at `path` (hive first) with everything below it, as stored now
    // (changes other processes have saved included); nullopt in `out` when it does not exist.
    virtual Status ReadTree(std::string_view path, std::optional<RegKey>& out) = 0;
    // The same without a copy: `visit` sees the key (null when it does not exist) while the
    // store holds it still; it must not call back into the store.
    virtual Status VisitTree(std::string_view path, const std::function<void(const RegKey*)>& visit) {
        std::optional<RegKey> key;
        Status s = ReadTree(path, key);
        if (s) visit(key ? &*key : nullptr);
        return s;
    }
    // The next read goes back to the source in full instead of relying on what this store
    // has already seen (a new configuration is read fresh, whatever edited the file meanwhile).
    // A store may keep what it read when it can tell that it is unchanged: the file store by
    // its bytes, the Windows registry store by the registry's own change notifications.
    virtual void Invalidate() noexcept {}
    // Applies the changes as one unit, durably: when this returns Ok they survive a crash or
    // power cut; when it fails nothing of them is stored and what was stored is intact.
    virtual Status Apply(const std::vector<KeyChange>& changes) = 0;
    // Apply, but only when the key at `path` does not exist yet, decided atomically with the
    // write (two processes installing the same defaults never overwrite each other's later
    // saves). `applied` tells which happened.
    virtual Status ApplyIfMissing(std::string_view path, const std::vector<KeyChange>& changes,
                                  bool& applied) = 0;

    // A batch of saves with one flush to disk at its end (hostconfig::SaveBatch wraps these).
    // Between BeginBatch and the matching EndBatch, each Apply made by the calling thread is
    // still one unit that is stored whole or not at all (a killed process leaves it whole or
    // absent, other processes see it and keep it), and still merges with what other processes
    // saved meanwhile; but it may reach the disk only when the batch ends. EndBatch flushes
    // everything saved so far and reports whether that worked: a failure means those saves
    // may not survive a power cut. Batches nest per thread; the outermost EndBatch flushes.
    // Other threads' saves stay durable each. A store whose saves cost no flush of their own
    // keeps these defaults.
    virtual void BeginBatch() {}
    virtual Status EndBatch() { return Status::Ok(); }
};

// The process-wide store of this system: the file store over the registry file on Linux
// (platform/posix/PosixRegistry.cpp), the real registry on Windows. Lives for the whole process.
Store& NativeStore();

// The change that writes a whole subtree (every key and value under it) at `path`.
void AppendTreeChanges(const RegKey& key, const std::string& path, std::vector<KeyChange>& out);

}  // namespace diags::platform::registry
