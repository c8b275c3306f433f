#pragma once
// The fixed module-to-trace map: which product components each desktop editor uses
// (68 module rows x 22 editors) and which traces each common task uses (21 trace rows x
// 5 tasks), and the procedures that turn it into linked CTraceSetting/COutput records.
//
// Procedures trace "TRACE ENTER"/"TRACE LEAVE" under the module name "CDiagMap"; a run-time
// error inside one is written as one level-64 error line and the procedure returns its
// documented result without raising. GetOutput and GetOutput2 are the exception: their
// errors reach the caller (the linking procedures catch them).
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/KeyedCollection.h"
#include "model/Records.h"

namespace diags {

using OutputCollection = KeyedCollection<COutput>;
using TraceSettingCollection = KeyedCollection<CTraceSetting>;


class CDiagMap {
public:
    // Array sizes: every array keeps one spare empty slot after its entries.
    static constexpr std::size_t kModuleSlots = 69;
    static constexpr std::size_t kEditorSlots = 23;
    static constexpr std::size_t kTraceSlots = 22;
    static constexpr std::size_t kTaskSlots = 6;

    CDiagMap() = default;
    // One map owns its trace settings: a copy would share them, so there is none.
    CDiagMap(const CDiagMap&) = delete;
    CDiagMap& operator=(const CDiagMap&) = delete;

    // Fills the six arrays from the two tables (each keeps one spare empty last slot).
    void InitializeDiagMapDefs() noexcept;
    // Creates the 27 trace settings and links them both ways with the matching outputs:
    // for each module row, each editor whose bit is set gets the outputs whose Key contains
    // the module name; then for each trace row, each task whose bit is set gets the outputs
    // of that component and trace. Links are made in exactly that order. Never fails: a
    // failing link is traced and the scan goes on.
    void PopulateCheckedMap(const OutputCollection& cAllOutputs) noexcept;

    std::vector<std::string> EditorMapRows() const;  // 69 texts: 68 module names + ""
    std::vector<std::string> EditorMapCols() const;  // 23 texts: 22 editor names + ""
    std::vector<std::string> TaskMapRows() const;    // 22 texts: 21 trace names + ""
    std::vector<std::string> TaskMapCols() const;    // 6 texts: 5 task names + ""
    // The bit strings parallel to EditorMapRows and TaskMapRows (spare slot included).
    std::vector<std::string> EditorMapBits() const;
    std::vector<std::string> TaskMapBits() const;

    // Two further collections, created empty; nothing fills them.
    const CollectionRef<CTraceSetting>& EditorTraceSettings() const noexcept { return editorTraceSettings_; }
    const CollectionRef<CTraceSetting>& TaskTraceSettings() const noexcept { return taskTraceSettings_; }
    // Every trace setting, keyed by Name, in order of creation (live).
    const CollectionRef<CTraceSetting>& AllTraceSettings() const noexcept { return allTraceSettings_; }

    // Links the trace setting sTraceName both ways with every output GetOutput (module name)
    // or GetOutput2 ("component - trace") finds for sOutputName. The first failing link (a
    // duplicate key) stops the procedure with an error line. Return 0 and 1 respectively.
    std::int32_t LinkTraceSettings2Modules(std::string_view sOutputName, std::string_view sTraceName,
                                           const OutputCollection& cAllOutputs) noexcept;   // 0
    std::int32_t LinkTraceSettings2Modules2(std::string_view sOutputName, std::string_view sTraceName,
                                            const OutputCollection& cAllOutputs) noexcept;  // 1
    // New collections of the matching outputs (no keys, collection order), or null when none.
    // GetOutput: every output whose Key contains sOutputName (case-insensitive).
    // GetOutput2: every output whose Parent and Name equal the trimmed first two "-"-separated
    // parts of sOutputName (case-insensitive); a name without "-" throws error 9.
    CollectionRef<COutput> GetOutput(std::string_view sOutputName, const OutputCollection& cAllOutputs) const;
    CollectionRef<COutput> GetOutput2(std::string_view sOutputName, const OutputCollection& cAllOutputs) const;
    // The trace setting stored under that name, or null.
    std::shared_ptr<CTraceSetting> GetTraceSetting(std::string_view sTraceName) const noexcept;
    // Creates the trace setting sTraceName unless it exists. Returns 1.
    std::int32_t AddTraceSetting(std::string_view sTraceName) noexcept;

private:
    template <class Find>
    // Links the trace setting with the outputs find() gives; `expected` is how many links
    // it is still to receive in all (0 when unknown), to size its link collection.
    std::int32_t LinkFound(std::string_view procedure, std::string_view sTraceName, std::int32_t result,
                           std::size_t expected, Find&& find) noexcept;

    CollectionRef<CTraceSetting> allTraceSettings_ = NewCollection<CTraceSetting>();
    CollectionRef<CTraceSetting> editorTraceSettings_ = NewCollection<CTraceSetting>();
    CollectionRef<CTraceSetting> taskTraceSettings_ = NewCollection<CTraceSetting>();
    std::array<std::string, kModuleSlots> moduleNames_{};
    std::array<std::string, kModuleSlots> moduleBits_{};
    std::array<std::string, kEditorSlots> editorNames_{};
    std::array<std::string, kTraceSlots> traceNames_{};
    std::array<std::string, kTraceSlots> traceBits_{};
    std::array<std::string, kTaskSlots> taskNames_{};
};

}  // namespace diags
