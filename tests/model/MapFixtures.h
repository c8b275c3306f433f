#pragma once
// Output collections for the map tests, built the way the dialog builds them: one output per
// host trace, keyed by component name + trace name.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/CDiagMap.h"

namespace diags::testing {

inline std::shared_ptr<COutput> MakeOutput(std::string_view parent, std::string_view name) {
    auto output = std::make_shared<COutput>();
    output->Parent = std::string(parent);
    output->Name = std::string(name);
    output->Key = output->Parent + output->Name;
    return output;
}

inline void AddOutput(OutputCollection& outputs, std::string_view parent, std::string_view name) {
    auto output = MakeOutput(parent, name);
    const std::string key = output->Key;
    outputs.Add(std::move(output), key);
}

// Breaks every link cycle, as the dialog does on unload.
inline void BreakLinks(const CDiagMap& map) {
    for (const auto& setting : *map.AllTraceSettings()) setting->RemoveLinkedOutputs();
}

inline std::vector<std::string> Names(const KeyedCollection<CTraceSetting>& settings) {
    std::vector<std::string> names;
    for (const auto& s : settings) names.push_back(s->Name);
    return names;
}

inline std::vector<std::string> Keys(const CollectionRef<COutput>& outputs) {
    std::vector<std::string> keys;
    if (outputs)
        for (const auto& o : *outputs) keys.push_back(o->Key);
    return keys;
}

}  // namespace diags::testing
