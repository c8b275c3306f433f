#pragma once
// The two record classes the dialog edits: COutput (one log destination of one product
// component's trace) and CTraceSetting (one editor or common task of the trace tree).
// Properties are plain stored values, in declaration order, without validation or side
// effects. The two are linked many-to-many through keyed collections of shared references;
// every link is a reference cycle until RemoveLinkedOutputs breaks it (the dialog does so
// on unload).
#include <cstdint>
#include <memory>
#include <string>

#include "model/KeyedCollection.h"

namespace diags {

class CTraceSetting;

class COutput {
public:
    bool DebugMonitor = false;
    bool LogToFile = false;
    bool AppendToFile = false;
    std::string MessageDLL;
    std::string Directory;
    std::string FileName;
    bool DirtyFlag = false;
    bool CircularLogFile = false;
    double FileSize = 0.0;
    std::string Key;
    std::int32_t NTEventCategory = 0;
    std::string NTEventSource;
    bool NTEventLog = false;
    std::int16_t ErrorThreshold = 0;
    std::string Name;
    std::string Parent;

    // Links `oTraceSetting` under its Name; a second link under the same Name throws the
    // collection's duplicate-key error (457) to the caller, a null reference throws 91.
    // Returns 0.
    std::int32_t AddTraceSetting(const std::shared_ptr<CTraceSetting>& oTraceSetting);
    // The linked collection itself (live, not a copy); never null.
    const CollectionRef<CTraceSetting>& LinkedTraceSettings() const noexcept { return linkedTraceSettings_; }
    // Removes every link; the (now empty) collection stays. Returns 1; a failure is traced
    // and still returns 1.
    std::int32_t RemoveLinkedTraceSettings() noexcept;

private:
    CollectionRef<CTraceSetting> linkedTraceSettings_ = NewCollection<CTraceSetting>();
};

class CTraceSetting {
public:
    bool DebugMonitor = false;
    bool LogToFile = false;
    bool AppendToFile = false;
    bool CircularLogFile = false;
    std::string Directory;
    std::string FileName;
    double FileSize = 0.0;
    bool DirtyFlag = false;
    std::string Name;
    bool Checked = false;

    // Links `oOutput` under its Key; a duplicate Key throws the collection's duplicate-key
    // error (457) to the caller; a null output, or a call after RemoveLinkedOutputs (no
    // collection any more), throws 91. Returns 0.
    std::int32_t AddOutput(const std::shared_ptr<COutput>& oOutput);
    // The linked collection itself, or null after RemoveLinkedOutputs.
    const CollectionRef<COutput>& LinkedOutputs() const noexcept { return linkedOutputs_; }
    // Drops every link and the collection itself (LinkedOutputs is null afterwards), which
    // breaks this trace setting's side of every link cycle. Returns 1.
    std::int32_t RemoveLinkedOutputs() noexcept;

private:
    CollectionRef<COutput> linkedOutputs_ = NewCollection<COutput>();
};

}  // namespace diags
