#include "hostconfig/SaveBatch.h"

#include "base/RuntimeError.h"
#include "hostconfig/LogConfiguration.h"

namespace diags::hostconfig {
namespace registry = platform::registry;

SaveBatch::SaveBatch(const LogConfigNode& node) : store_(node.Store()) {
    if (store_) store_->BeginBatch();
}

SaveBatch::SaveBatch(registry::Store& store) : store_(&store) { store_->BeginBatch(); }

SaveBatch::~SaveBatch() { (void)TryCommit(); }

registry::Status SaveBatch::TryCommit() {
    registry::Store* store = store_;
    store_ = nullptr;
    return store ? store->EndBatch() : registry::Status::Ok();
}

void SaveBatch::Commit() {
    if (auto s = TryCommit(); !s)
        throw RuntimeError(err::kPathFileAccess, "The saved log settings may not be on disk: " + s.message());
}

}  // namespace diags::hostconfig
