#include "model/CDiagMap.h"

#include <algorithm>
#include <array>
#include <span>

#include "base/RuntimeError.h"
#include "base/Text.h"
#include "model/DiagMapTables.h"
#include "model/OutputIndex.h"
#include "services/Procedure.h"

namespace diags {

namespace {

constexpr std::string_view kModule = "CDiagMap";

// Character k (1-based) of a bit string compared with "1"; a short string has no bit there.
bool BitSet(std::string_view bits, std::size_t k) noexcept { return k <= bits.size() && bits[k - 1] == '1'; }

template <std::size_t N>
std::vector<std::string> Copy(const std::array<std::string, N>& slots) {
    return {slots.begin(), slots.end()};
}

inline void Prefetch(const void* address) noexcept {
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

// Traces like every map procedure but lets run-time errors reach the caller.
template <class Body>
auto RunRaising(std::string_view procedure, Body&& body) {
    TraceIfLogger(level::kFunction, kTraceEnter, kModule, procedure);
    auto result = body();
    TraceIfLogger(level::kFunction, kTraceLeave, kModule, procedure);
    return result;
}

}  // namespace

void CDiagMap::InitializeDiagMapDefs() noexcept {
    RunModelProcedure(kModule, "InitializeDiagMapDefs", 0, [&] {
        for (std::size_t i = 0; i < maptables::kEditorCount; ++i) editorNames_[i] = maptables::kEditorNames[i];
        for (std::size_t i = 0; i < maptables::kModuleCount; ++i) {
            moduleNames_[i] = maptables::kModuleRows[i].name;
            moduleBits_[i] = maptables::kModuleRows[i].bits;
        }
        for (std::size_t i = 0; i < maptables::kTaskCount; ++i) taskNames_[i] = maptables::kTaskNames[i];
        for (std::size_t i = 0; i < maptables::kTraceCount; ++i) {
            traceNames_[i] = maptables::kTraceRows[i].name;
            traceBits_[i] = maptables::kTraceRows[i].bits;
        }
        return 0;
    });
}

std::vector<std::string> CDiagMap::EditorMapRows() const { return Copy(moduleNames_); }
std::vector<std::string> CDiagMap::EditorMapCols() const { return Copy(editorNames_); }
std::vector<std::string> CDiagMap::TaskMapRows() const { return Copy(traceNames_); }
std::vector<std::string> CDiagMap::TaskMapCols() const { return Copy(taskNames_); }
std::vector<std::string> CDiagMap::EditorMapBits() const { return Copy(moduleBits_); }
std::vector<std::string> CDiagMap::TaskMapBits() const { return Copy(traceBits_); }

void CDiagMap::PopulateCheckedMap(const OutputCollection& cAllOutputs) noexcept {
    RunModelProcedure(kModule, "PopulateCheckedMap", 0, [&] {
        // One pass over the outputs finds every row's outputs, in the order a scan of that
        // row finds them; the links below are then made exactly as the row scans make them.
        const OutputIndex index(std::span(moduleNames_.data(), maptables::kModuleCount),
                                std::span(traceNames_.data(), maptables::kTraceCount), cAllOutputs);
        // How many outputs each editor and task is still to receive, so that its link
        // collection is sized once instead of growing row by row.
        std::array<std::size_t, maptables::kEditorCount> editorLinks{};
        std::array<std::size_t, maptables::kTaskCount> taskLinks{};
        if (index.Usable()) {
            for (std::size_t r = 0; r < maptables::kModuleCount; ++r)
                for (std::size_t k = 1; k <= maptables::kEditorCount; ++k)
                    if (BitSet(moduleBits_[r], k)) editorLinks[k - 1] += index.ModuleMatches(r).size();
            for (std::size_t r = 0; r < maptables::kTraceCount; ++r)
                for (std::size_t k = 1; k <= maptables::kTaskCount; ++k)
                    if (BitSet(traceBits_[r], k)) taskLinks[k - 1] += index.TraceMatchCount(r);
        }
        for (std::size_t r = 0; r < maptables::kModuleCount; ++r)
            for (std::size_t k = 1; k <= maptables::kEditorCount; ++k) {
                if (!BitSet(moduleBits_[r], k)) continue;
                const std::string& editor = editorNames_[k - 1];
                AddTraceSetting(editor);
                if (index.Usable()) {
                    LinkFound("LinkTraceSettings2Modules", editor, 0, editorLinks[k - 1],
                              [&]() -> const OutputList& { return index.ModuleMatches(r); });
                    editorLinks[k - 1] -= index.ModuleMatches(r).size();
                } else {
                    LinkTraceSettings2Modules(moduleNames_[r], editor, cAllOutputs);
                }
            }
        for (std::size_t r = 0; r < maptables::kTraceCount; ++r)
            for (std::size_t k = 1; k <= maptables::kTaskCount; ++k) {
                if (!BitSet(traceBits_[r], k)) continue;
                const std::string& task = taskNames_[k - 1];
                AddTraceSetting(task);
                if (index.Usable()) {
                    LinkFound("LinkTraceSettings2Modules2", task, 1, taskLinks[k - 1],
                              [&]() -> const OutputList& { return index.TraceMatches(r); });
                    taskLinks[k - 1] -= index.TraceMatchCount(r);
                } else {
                    LinkTraceSettings2Modules2(traceNames_[r], task, cAllOutputs);
                }
            }
        return 0;
    });
}

namespace {

// The entries of a found collection, which `found` keeps alive.
const OutputList& ToList(const CollectionRef<COutput>& found, OutputList& list) {
    if (found)
        for (const auto& output : *found) list.push_back(&output);
    return list;
}

}  // namespace

std::int32_t CDiagMap::LinkTraceSettings2Modules(std::string_view sOutputName, std::string_view sTraceName,
                                                 const OutputCollection& cAllOutputs) noexcept {
    CollectionRef<COutput> found;
    OutputList list;
    return LinkFound("LinkTraceSettings2Modules", sTraceName, 0, 0, [&]() -> const OutputList& {
        found = GetOutput(sOutputName, cAllOutputs);
        return ToList(found, list);
    });
}

std::int32_t CDiagMap::LinkTraceSettings2Modules2(std::string_view sOutputName, std::string_view sTraceName,
                                                  const OutputCollection& cAllOutputs) noexcept {
    CollectionRef<COutput> found;
    OutputList list;
    return LinkFound("LinkTraceSettings2Modules2", sTraceName, 1, 0, [&]() -> const OutputList& {
        found = GetOutput2(sOutputName, cAllOutputs);
        return ToList(found, list);
    });
}

template <class Find>
std::int32_t CDiagMap::LinkFound(std::string_view procedure, std::string_view sTraceName, std::int32_t result,
                                 std::size_t expected, Find&& find) noexcept {
    // On an error the result was never assigned, so the procedure yields 0.
    return RunModelProcedure(kModule, procedure, std::int32_t{0}, [&] {
        const OutputList& found = find();
        if (found.empty()) return result;
        const std::shared_ptr<CTraceSetting> setting = GetTraceSetting(sTraceName);
        if (!setting) return result;
        if (const auto& links = setting->LinkedOutputs()) links->Reserve(std::max(expected, found.size()));
        // A large configuration's records live in main memory: fetch each output a few links
        // ahead, and its link collection and key once the output itself has arrived.
        constexpr std::size_t kFar = 16, kNear = 8;
        for (std::size_t i = 0; i < found.size(); ++i) {
            if (i + kFar < found.size()) Prefetch(found[i + kFar]->get());
            if (i + kNear < found.size()) {
                const COutput& ahead = **found[i + kNear];
                Prefetch(ahead.LinkedTraceSettings().get());
                Prefetch(ahead.Key.data());
            }
            const std::shared_ptr<COutput>& output = *found[i];
            // The first duplicate stops the procedure; links already made stay.
            output->AddTraceSetting(setting);
            setting->AddOutput(output);
        }
        return result;
    });
}

CollectionRef<COutput> CDiagMap::GetOutput(std::string_view sOutputName, const OutputCollection& cAllOutputs) const {
    return RunRaising("GetOutput", [&] {
        CollectionRef<COutput> found;
        for (const auto& output : cAllOutputs) {
            if (!output) ThrowObjectRequired();
            if (!ContainsNoCase(output->Key, sOutputName)) continue;
            if (!found) found = NewCollection<COutput>();
            found->Add(output);
        }
        return found;
    });
}

CollectionRef<COutput> CDiagMap::GetOutput2(std::string_view sOutputName, const OutputCollection& cAllOutputs) const {
    return RunRaising("GetOutput2", [&] {
        const auto parts = SplitTraceName(sOutputName);
        if (!parts) throw RuntimeError(err::kSubscript, "Subscript out of range");
        CollectionRef<COutput> found;
        for (const auto& output : cAllOutputs) {
            if (!output) ThrowObjectRequired();
            if (!EqualsNoCase(output->Parent, parts->component) || !EqualsNoCase(output->Name, parts->trace))
                continue;
            if (!found) found = NewCollection<COutput>();
            found->Add(output);
        }
        return found;
    });
}

std::shared_ptr<CTraceSetting> CDiagMap::GetTraceSetting(std::string_view sTraceName) const noexcept {
    return RunModelProcedure(kModule, "GetTraceSetting", std::shared_ptr<CTraceSetting>{},
                             [&] { return allTraceSettings_->Find(sTraceName); });
}

std::int32_t CDiagMap::AddTraceSetting(std::string_view sTraceName) noexcept {
    return RunModelProcedure(kModule, "AddTraceSetting", std::int32_t{0}, [&] {
        if (!allTraceSettings_->Contains(sTraceName)) {
            auto setting = std::make_shared<CTraceSetting>();
            setting->Name = std::string(sTraceName);
            allTraceSettings_->Add(std::move(setting), sTraceName);
        }
        return std::int32_t{1};
    });
}

}  // namespace diags
