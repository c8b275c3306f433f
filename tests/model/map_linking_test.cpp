// PopulateCheckedMap must make exactly the links of the plain row-by-row scan (each row
// calling the public linking procedure over the whole collection), in the same order, with
// the same refusals, whatever the collection holds.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "model/CDiagMap.h"
#include "tests/model/MapFixtures.h"

namespace diags {
namespace {

using testing::BreakLinks;
using testing::Keys;
using testing::MakeOutput;
using testing::Names;

// The documented scan, written with the map's public procedures only.
void ReferenceScan(CDiagMap& map, const OutputCollection& outputs) {
    const auto rows = map.EditorMapRows(), rowBits = map.EditorMapBits(), cols = map.EditorMapCols();
    for (std::size_t r = 0; r + 1 < rows.size(); ++r)
        for (std::size_t k = 1; k < cols.size(); ++k)
            if (rowBits[r].size() >= k && rowBits[r][k - 1] == '1') {
                map.AddTraceSetting(cols[k - 1]);
                map.LinkTraceSettings2Modules(rows[r], cols[k - 1], outputs);
            }
    const auto traces = map.TaskMapRows(), traceBits = map.TaskMapBits(), tasks = map.TaskMapCols();
    for (std::size_t r = 0; r + 1 < traces.size(); ++r)
        for (std::size_t k = 1; k < tasks.size(); ++k)
            if (traceBits[r].size() >= k && traceBits[r][k - 1] == '1') {
                map.AddTraceSetting(tasks[k - 1]);
                map.LinkTraceSettings2Modules2(traces[r], tasks[k - 1], outputs);
            }
}

struct Spec {
    std::string parent, name, key, collectionKey;
};

// A mixed collection: the map's components and traces in varied letter case and spacing,
// components the map does not know, keys holding two module names (so one editor meets the
// same output twice), outputs sharing a Key, and plain noise.
std::vector<Spec> MixedSpecs(unsigned seed, int count) {
    CDiagMap map;
    map.InitializeDiagMapDefs();
    auto modules = map.EditorMapRows();
    modules.pop_back();
    std::vector<std::pair<std::string, std::string>> traces;
    for (auto& t : map.TaskMapRows())
        if (!t.empty()) traces.emplace_back(t.substr(0, t.find(" - ")), t.substr(t.find(" - ") + 3));
    const std::vector<std::string> others{"ZEL AuthServer", "ZEL Unknown", "Other Product", "ZEL Report"};
    const std::vector<std::string> traceNames{"Trace", "Process Tracing", "Report Source Tracing", "Object Tracing"};

    std::mt19937 random(seed);
    auto pick = [&](const auto& v) -> const auto& { return v[random() % v.size()]; };
    auto vary = [&](std::string s) {
        switch (random() % 4) {
        case 0: for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c))); break;
        case 1: for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c))); break;
        default: break;
        }
        return s;
    };
    std::vector<Spec> specs;
    for (int i = 0; i < count; ++i) {
        Spec spec;
        switch (random() % 7) {
        case 0: case 1: spec.parent = vary(pick(modules)); spec.name = pick(traceNames); break;
        case 2: { const auto& t = pick(traces); spec.parent = vary(t.first); spec.name = vary(t.second); break; }
        case 3: spec.parent = pick(modules) + pick(modules); spec.name = "Trace"; break;
        case 4: spec.parent = pick(others); spec.name = pick(traceNames); break;
        case 5: { const auto& t = pick(traces); spec.parent = t.first + " "; spec.name = t.second; break; }
        default: spec.parent = "X" + pick(modules).substr(1); spec.name = pick(traceNames); break;
        }
        spec.key = spec.parent + spec.name;
        if (random() % 40 == 0 && !specs.empty()) spec.key = specs[random() % specs.size()].key;  // shared Key
        spec.collectionKey = std::to_string(i);
        specs.push_back(spec);
    }
    return specs;
}

OutputCollection Build(const std::vector<Spec>& specs) {
    OutputCollection outputs;
    for (const auto& spec : specs) {
        auto output = MakeOutput(spec.parent, spec.name);
        output->Key = spec.key;
        outputs.Add(std::move(output), spec.collectionKey);
    }
    return outputs;
}

void ExpectSameLinks(const CDiagMap& expectedMap, const OutputCollection& expectedOutputs, const CDiagMap& map,
                     const OutputCollection& outputs) {
    ASSERT_EQ(Names(*map.AllTraceSettings()), Names(*expectedMap.AllTraceSettings()));
    for (std::int32_t i = 1; i <= map.AllTraceSettings()->Count(); ++i) {
        const auto& setting = map.AllTraceSettings()->Item(i);
        EXPECT_EQ(Keys(setting->LinkedOutputs()), Keys(expectedMap.AllTraceSettings()->Item(i)->LinkedOutputs()))
            << setting->Name;
    }
    ASSERT_EQ(outputs.Count(), expectedOutputs.Count());
    for (std::int32_t i = 1; i <= outputs.Count(); ++i)
        EXPECT_EQ(Names(*outputs.Item(i)->LinkedTraceSettings()), Names(*expectedOutputs.Item(i)->LinkedTraceSettings()))
            << outputs.Item(i)->Key;
}

void Unlink(const CDiagMap& map, const OutputCollection& outputs) {
    BreakLinks(map);
    for (const auto& o : outputs) o->RemoveLinkedTraceSettings();
}

TEST(PopulateCheckedMap, LinksExactlyAsTheRowByRowScanOnMixedCollections) {
    for (const unsigned seed : {1u, 2u, 3u, 42u}) {
        const auto specs = MixedSpecs(seed, 1500);
        const OutputCollection expectedOutputs = Build(specs), outputs = Build(specs);
        CDiagMap expectedMap, map;
        expectedMap.InitializeDiagMapDefs();
        map.InitializeDiagMapDefs();
        ReferenceScan(expectedMap, expectedOutputs);
        map.PopulateCheckedMap(outputs);
        SCOPED_TRACE(seed);
        ExpectSameLinks(expectedMap, expectedOutputs, map, outputs);
        std::int32_t links = 0;
        for (const auto& s : *map.AllTraceSettings()) links += s->LinkedOutputs()->Count();
        EXPECT_GT(links, 300);  // the collection really exercised the linking
        Unlink(expectedMap, expectedOutputs);
        Unlink(map, outputs);
    }
}

TEST(PopulateCheckedMap, AnEmptySlotInTheCollectionFailsEveryLinkLikeTheScan) {
    auto specs = MixedSpecs(7, 50);
    OutputCollection expectedOutputs = Build(specs), outputs = Build(specs);
    expectedOutputs.Add(nullptr, "empty");
    outputs.Add(nullptr, "empty");
    CDiagMap expectedMap, map;
    expectedMap.InitializeDiagMapDefs();
    map.InitializeDiagMapDefs();
    ReferenceScan(expectedMap, expectedOutputs);
    map.PopulateCheckedMap(outputs);
    EXPECT_EQ(map.AllTraceSettings()->Count(), 27);
    for (const auto& s : *map.AllTraceSettings()) EXPECT_EQ(s->LinkedOutputs()->Count(), 0);
    for (const auto& s : *expectedMap.AllTraceSettings()) EXPECT_EQ(s->LinkedOutputs()->Count(), 0);
}

}  // namespace
}  // namespace diags
