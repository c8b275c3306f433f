#pragma once
// Saving many nodes of a log configuration with one flush to disk instead of one per node.
//
//   {
//       hostconfig::SaveBatch batch(*root);
//       for (const auto& output : outputs) {
//           output->SetProperty(prop::kLogToFile, false);
//           output->Save();          // stored now, alone; error 75 for this node only
//       }
//       batch.Commit();              // one flush; error 75 when the saves may not be on disk
//   }
//
// Inside the batch each Save still stores exactly that node's puts as one unit, merged with
// what other programs saved meanwhile, and still fails (and keeps its puts) on its own; other
// programs see each saved node at once. What the batch defers is the flush to disk (and any
// compaction of the registry file) until Commit: a killed program leaves every node saved
// or untouched, but only after Commit returns do the saves survive a power cut.
//
// Batches on one store nest per thread (the outermost one flushes); saves made by other
// threads meanwhile stay durable each. On the Windows registry the store flushes its writes
// as before; the batch changes nothing there.
#include "platform/registry/Status.h"
#include "platform/registry/Store.h"

namespace diags::hostconfig {

class LogConfigNode;

class SaveBatch {
public:
    // A batch over the store of `node` (any node of the configuration, usually its root). A
    // node that is not bound to a store (a read-only configuration) makes an empty batch.
    explicit SaveBatch(const LogConfigNode& node);
    explicit SaveBatch(platform::registry::Store& store);
    // Ends the batch when Commit was not called: flushes what it saved, but cannot report a
    // failure there, so call Commit.
    ~SaveBatch();
    SaveBatch(const SaveBatch&) = delete;
    SaveBatch& operator=(const SaveBatch&) = delete;

    // Ends the batch: flushes every save made in it to disk. A failed flush is run-time error
    // 75 naming the store and the reason: the nodes are stored (other programs see them) but
    // may be lost in a power cut; save them again to be sure. A second call does nothing.
    void Commit();
    // The same without raising: Ok, or the reason.
    platform::registry::Status TryCommit();

private:
    platform::registry::Store* store_;  // null once ended
};

}  // namespace diags::hostconfig
