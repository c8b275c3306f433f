#pragma once
// Which outputs of one collection each map row finds, computed in one pass over the outputs.
//
// Linking the map row by row, each row scanning every output, costs rows x bits x outputs
// substring searches. The index gives every row its matching outputs, in collection order,
// exactly as a scan of that row would find them, after a single pass: a module row finds the
// outputs whose Key contains the module name (case-insensitive); a trace row ("component -
// trace") finds the outputs whose Parent and Name equal its two parts (case-insensitive,
// blanks around the parts ignored).
#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/Records.h"

namespace diags {

// References to the collection's own entries (no reference counting while indexing); valid
// while the collection is not changed.
using OutputList = std::vector<const std::shared_ptr<COutput>*>;

// Component and trace parts of a trace row: the first two parts between "-" signs, trimmed.
// None when the name has no "-" (a scan of such a row fails with an index error).
struct TraceParts {
    std::string component;
    std::string trace;
};
std::optional<TraceParts> SplitTraceName(std::string_view traceName);

class OutputIndex {
public:
    // Names are the map's row names; an empty name is never looked up by the map.
    OutputIndex(std::span<const std::string> moduleNames, std::span<const std::string> traceNames,
                const KeyedCollection<COutput>& outputs);

    // False when the collection holds an empty reference: a row scan would fail on it, so
    // the caller must scan row by row to reproduce that failure.
    bool Usable() const noexcept { return usable_; }
    const OutputList& ModuleMatches(std::size_t row) const { return moduleMatches_.at(row); }
    // Throws the index error a scan of a name without "-" raises.
    const OutputList& TraceMatches(std::size_t row) const;
    // How many outputs TraceMatches gives (0 where it throws).
    std::size_t TraceMatchCount(std::size_t row) const { return traceMatches_.at(row).size(); }

private:
    bool usable_ = true;
    std::vector<OutputList> moduleMatches_;
    std::vector<OutputList> traceMatches_;
    std::vector<bool> traceSplittable_;
};

}  // namespace diags
