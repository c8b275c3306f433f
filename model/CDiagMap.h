#pragma once
// The fixed module-to-trace map: which product components each desktop editor uses
// (68 module rows x 22 editors) and which traces each common task uses (21 trace rows x
// 5 tasks), and the procedures that turn it into linked CTraceSetting/COutput records.
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
    // Fills the six arrays from the two tables (each keeps one spare empty last slot).
    void InitializeDiagMapDefs();
    // Creates the 27 trace settings and links them both ways with the matching outputs.
    void PopulateCheckedMap(const OutputCollection& cAllOutputs);

    std::vector<std::string> EditorMapRows() const;  // 69 texts: 68 module names + ""
    std::vector<std::string> EditorMapCols() const;  // 23 texts: 22 editor names + ""
    std::vector<std::string> TaskMapRows() const;    // 22 texts: 21 trace names + ""
    std::vector<std::string> TaskMapCols() const;    // 6 texts: 5 task names + ""

    const CollectionRef<CTraceSetting>& EditorTraceSettings() const noexcept;
    const CollectionRef<CTraceSetting>& TaskTraceSettings() const noexcept;
    const CollectionRef<CTraceSetting>& AllTraceSettings() const noexcept;

    std::int32_t LinkTraceSettings2Modules(std::string_view sOutputName, std::string_view sTraceName,
                                           const OutputCollection& cAllOutputs) noexcept;   // 0
    std::int32_t LinkTraceSettings2Modules2(std::string_view sOutputName, std::string_view sTraceName,
                                            const OutputCollection& cAllOutputs) noexcept;  // 1
    // New collections of the matching outputs (no keys, collection order), or null when none.
    CollectionRef<COutput> GetOutput(std::string_view sOutputName, const OutputCollection& cAllOutputs) const;
    CollectionRef<COutput> GetOutput2(std::string_view sOutputName, const OutputCollection& cAllOutputs) const;
    std::shared_ptr<CTraceSetting> GetTraceSetting(std::string_view sTraceName) const;
    std::int32_t AddTraceSetting(std::string_view sTraceName);  // 1
};

}  // namespace diags
