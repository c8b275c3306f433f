// The compiled-in map: the 27 trace settings, and which outputs each one drives.
#include <gtest/gtest.h>

#include <cctype>
#include <random>

#include "model/CDiagMap.h"
#include "services/Logger.h"
#include "tests/support/RecordingSink.h"

namespace diags {
namespace {

void Add(OutputCollection& outputs, std::string parent, std::string name, std::string key = {}) {
    auto o = std::make_shared<COutput>();
    o->Parent = std::move(parent);
    o->Name = std::move(name);
    o->Key = o->Parent + o->Name;
    outputs.Add(o, key.empty() ? o->Key : key);
}
std::vector<std::string> Keys(const CollectionRef<COutput>& c) {
    std::vector<std::string> keys;
    if (c) for (const auto& o : *c) keys.push_back(o->Key);
    return keys;
}
std::vector<std::string> Names(const KeyedCollection<CTraceSetting>& c) {
    std::vector<std::string> names;
    for (const auto& s : c) names.push_back(s->Name);
    return names;
}
void Unlink(const CDiagMap& map, const OutputCollection& outputs) {
    for (const auto& s : *map.AllTraceSettings()) s->RemoveLinkedOutputs();
    for (const auto& o : outputs) if (o) o->RemoveLinkedTraceSettings();
}
// One output per module ("<module>Trace") and per trace row, in table order.
OutputCollection OnePerRow(const CDiagMap& map) {
    OutputCollection outputs;
    for (const auto& m : map.EditorMapRows()) if (!m.empty()) Add(outputs, m, "Trace");
    for (const auto& t : map.TaskMapRows())
        if (!t.empty()) Add(outputs, t.substr(0, t.find(" - ")), t.substr(t.find(" - ") + 3));
    return outputs;
}

TEST(TraceSettings, TwentySevenInTheOrderTheScanMeetsThemEvenWithoutOutputs) {
    CDiagMap map;
    map.InitializeDiagMapDefs();
    map.PopulateCheckedMap(OutputCollection{});
    EXPECT_EQ(Names(*map.AllTraceSettings()),
              (std::vector<std::string>{
                  "Server Administration", "Project Duplication", "Project Upgrade", "Attribute Creation Wizard",
                  "Project Creation", "Attribute Editor", "Fact Editor", "Consolidation Editor",
                  "Custom Group Editor", "Document Editor", "Filter Editor", "Hierarchy Editor", "Metric Editor",
                  "Partition Editor", "Prompt Generation Wizard", "Report Editor", "Table Editor",
                  "Template Editor", "Transformation Editor", "Warehouse Catalog Browser", "Fact Creation Wizard",
                  "Print Schema", "Client Connection", "Element Browsing", "Metadata SQL", "Object Browsing",
                  "Report Execution"}));
    for (const auto& s : *map.AllTraceSettings()) EXPECT_EQ(s->LinkedOutputs()->Count(), 0);
    EXPECT_EQ(map.EditorTraceSettings()->Count() + map.TaskTraceSettings()->Count(), 0);
}

TEST(TraceSettings, EachDrivesTheOutputsOfItsModulesOrTracesInRowOrder) {
    CDiagMap map;
    map.InitializeDiagMapDefs();
    const OutputCollection outputs = OnePerRow(map);
    map.PopulateCheckedMap(outputs);
    EXPECT_EQ(map.GetTraceSetting("Report Editor")->LinkedOutputs()->Count(), 27);
    EXPECT_EQ(Keys(map.GetTraceSetting("Fact Creation Wizard")->LinkedOutputs()),
              (std::vector<std::string>{"ZEL FactCreationWizardTrace", "ZEL ProgressIndicatorTrace"}));
    EXPECT_EQ(Keys(map.GetTraceSetting("Report Execution")->LinkedOutputs()),
              (std::vector<std::string>{"ZEL ReportNetClientProcess Tracing", "ZEL ReportNetClientReport Source Tracing",
                                        "ZEL ReportNetServerProcess Tracing", "ZEL ReportServerReport Source Tracing"}));
    EXPECT_EQ(Names(*outputs.Item("ZEL ProgressIndicatorTrace")->LinkedTraceSettings()),
              (std::vector<std::string>{"Attribute Creation Wizard", "Fact Creation Wizard", "Print Schema",
                                        "Project Creation", "Project Duplication", "Project Upgrade"}));
    Unlink(map, outputs);
}

TEST(OutputMatching, ModulesMatchWholeNamesInTheKeyAndTasksMatchComponentAndTrace) {
    CDiagMap map;
    OutputCollection outputs;
    Add(outputs, "ZEL AdminEditorContainer", "Trace");
    Add(outputs, "zel editorcontainer", "First");
    Add(outputs, "zel reportserver", "REPORT SOURCE TRACING");
    Add(outputs, "ZEL ReportServer ", "Report Source Tracing");
    Add(outputs, "ZEL ReportServer", "Report Source Tracing Extra");
    EXPECT_EQ(Keys(map.GetOutput("ZEL EditorContainer", outputs)), std::vector<std::string>{"zel editorcontainerFirst"});
    EXPECT_EQ(map.GetOutput("ZEL GridLib", outputs), nullptr);
    for (const char* name : {"ZEL ReportServer - Report Source Tracing", "  ZEL ReportServer-Report Source Tracing  "})
        EXPECT_EQ(Keys(map.GetOutput2(name, outputs)), std::vector<std::string>{"zel reportserverREPORT SOURCE TRACING"});
    EXPECT_EQ(map.GetOutput2("ZEL ReportServer - Process Tracing", outputs), nullptr);
    EXPECT_THROW(map.GetOutput2("no dash here", outputs), RuntimeError);
    map.AddTraceSetting("Report Execution");
    EXPECT_EQ(map.LinkTraceSettings2Modules2("no dash here", "Report Execution", outputs), 0);  // contained
}

TEST(OutputMatching, ADuplicateStopsOneLinkWithAnErrorLineKeepingWhatWasAlreadyLinked) {
    std::vector<testing::TraceLine> traced;  // the logger owns the sink until Logger::Destroy
    Logger::Create().SetSink(std::make_unique<testing::RecordingSink>(traced, 64));
    CDiagMap map;
    OutputCollection outputs;
    for (const char* key : {"1", "2", "3"}) Add(outputs, "ZEL DateLib", "Trace", key);  // three share one Key
    map.AddTraceSetting("Report Editor");
    EXPECT_EQ(map.LinkTraceSettings2Modules("ZEL DateLib", "Report Editor", outputs), 0);
    EXPECT_EQ(map.GetTraceSetting("Report Editor")->LinkedOutputs()->Item(1), outputs.Item(1));
    EXPECT_EQ(map.GetTraceSetting("Report Editor")->LinkedOutputs()->Count(), 1);
    EXPECT_EQ(outputs.Item(2)->LinkedTraceSettings()->Count(), 1);  // its half was made first
    EXPECT_EQ(outputs.Item(3)->LinkedTraceSettings()->Count(), 0);
    std::vector<std::string> errors;
    for (const auto& line : traced)
        if (line.text.starts_with("Module:")) errors.push_back(line.text);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].starts_with("Module: [CDiagMap] Procedure: [LinkTraceSettings2Modules] Error:[457]["))
        << errors[0];
    Logger::Destroy();
    Unlink(map, outputs);
}

// PopulateCheckedMap indexes the outputs once; it must link exactly as the plain row-by-row
// scan over the public linking procedures does: same links, same order, same refusals.
void RowByRowScan(CDiagMap& map, const OutputCollection& outputs) {
    const auto rows = map.EditorMapRows(), bits = map.EditorMapBits(), cols = map.EditorMapCols();
    for (std::size_t r = 0; r < 68; ++r)
        for (std::size_t k = 0; k < 22; ++k)
            if (bits[r][k] == '1') map.AddTraceSetting(cols[k]), map.LinkTraceSettings2Modules(rows[r], cols[k], outputs);
    const auto traces = map.TaskMapRows(), traceBits = map.TaskMapBits(), tasks = map.TaskMapCols();
    for (std::size_t r = 0; r < 21; ++r)
        for (std::size_t k = 0; k < 5; ++k)
            if (traceBits[r][k] == '1') map.AddTraceSetting(tasks[k]), map.LinkTraceSettings2Modules2(traces[r], tasks[k], outputs);
}

// Module and task outputs in varied letter case and spacing, keys holding two module names
// (one editor meets the output twice), outputs sharing a Key, and components the map lacks.
OutputCollection Mixed(unsigned seed, const CDiagMap& map, bool withEmptySlot) {
    const auto modules = map.EditorMapRows(), traces = map.TaskMapRows();
    std::mt19937 random(seed);
    const auto vary = [&](std::string s) {
        for (char& c : s) c = static_cast<char>(random() % 3 ? c : random() % 2 ? std::tolower(c) : std::toupper(c));
        return s;
    };
    OutputCollection outputs;
    for (int i = 0; i < 1500; ++i) {
        const std::string m = modules[random() % 68], t = traces[random() % 21], key = std::to_string(i);
        const std::string component = t.substr(0, t.find(" - ")), trace = t.substr(t.find(" - ") + 3);
        switch (random() % 5) {
        case 0: Add(outputs, vary(m), "Trace", key); break;
        case 1: Add(outputs, vary(component), vary(trace), key); break;
        case 2: Add(outputs, m + modules[random() % 68], "Trace", key); break;
        case 3: Add(outputs, component + " ", trace, key); break;
        default: Add(outputs, "X" + m.substr(1), "Trace", key);
        }
        if (random() % 40 == 0) outputs.Item(i + 1)->Key = outputs.Item(1 + static_cast<int>(random() % (i + 1)))->Key;
    }
    if (withEmptySlot) outputs.Add(nullptr, "empty");
    return outputs;
}

TEST(OutputMatching, PopulateLinksExactlyAsTheRowByRowScan) {
    std::vector<testing::TraceLine> traced;  // the logger owns the sink until Logger::Destroy
    Logger::Create().SetSink(std::make_unique<testing::RecordingSink>(traced, 64));
    const auto errors = [&] {  // the error lines traced since the last call
        std::vector<std::string> lines;
        for (const auto& line : traced) if (line.text.starts_with("Module:")) lines.push_back(line.text);
        traced.clear();
        return lines;
    };
    CDiagMap tables;
    tables.InitializeDiagMapDefs();
    for (const unsigned seed : {1u, 2u, 3u, 4u, 5u}) {
        const bool emptySlot = seed == 5;  // every scan fails on it: no links at all
        const OutputCollection expected = Mixed(seed, tables, emptySlot), actual = Mixed(seed, tables, emptySlot);
        CDiagMap scanned, populated;
        scanned.InitializeDiagMapDefs();
        populated.InitializeDiagMapDefs();
        RowByRowScan(scanned, expected);
        const auto scanErrors = errors();
        populated.PopulateCheckedMap(actual);
        EXPECT_EQ(errors(), scanErrors);  // the same refusals too
        ASSERT_EQ(Names(*populated.AllTraceSettings()), Names(*scanned.AllTraceSettings()));
        std::int32_t links = 0;
        for (std::int32_t i = 1; i <= 27; ++i) {
            const auto& s = populated.AllTraceSettings()->Item(i);
            links += s->LinkedOutputs()->Count();
            EXPECT_EQ(Keys(s->LinkedOutputs()), Keys(scanned.AllTraceSettings()->Item(i)->LinkedOutputs())) << s->Name;
        }
        for (std::int32_t i = 1; i <= actual.Count() - emptySlot; ++i)
            EXPECT_EQ(Names(*actual.Item(i)->LinkedTraceSettings()), Names(*expected.Item(i)->LinkedTraceSettings()));
        EXPECT_EQ(links > 300, !emptySlot) << links;
        Unlink(scanned, expected);
        Unlink(populated, actual);
    }
    Logger::Destroy();
}

}  // namespace
}  // namespace diags
