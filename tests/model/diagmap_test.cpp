// The compiled-in map: its tables, and the trace settings it creates from them.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "model/CDiagMap.h"
#include "tests/model/MapFixtures.h"

namespace diags {
namespace {

using testing::AddOutput;
using testing::BreakLinks;
using testing::Keys;
using testing::Names;

// The editors each module serves, written as position lists (independently of the bit strings
// compiled into the map).
const std::vector<std::pair<std::string, std::vector<int>>> kModuleEditors = {
    {"ZEL AdminEditorContainer", {18}}, {"ZEL AsynchLib", {14, 15}},
    {"ZEL AttributeCreationWizard", {1, 13}}, {"ZEL AttributeEditor", {2}}, {"ZEL ColumnEditor", {2, 7}},
    {"ZEL CommonDialogsLib", {2, 3, 4, 5, 7, 8, 9, 10, 11, 16, 17, 19, 20, 21, 22}},
    {"ZEL CommonEditorControlsLib", {4, 8, 16, 17}},
    {"ZEL Components", {2, 3, 4, 5, 7, 8, 10, 11, 16, 17, 20, 21}}, {"ZEL ConsolidationEditorLib", {3}},
    {"ZEL DatabaseInstanceWizard", {18, 22}}, {"ZEL DataSliceEditor", {11}}, {"ZEL DateLib", {4, 8, 17}},
    {"ZEL DBConnectionConfiguration", {18}}, {"ZEL DBRoleConfiguration", {18, 22}},
    {"ZEL DiagnosticsConfiguration", {18}}, {"ZEL DimtyEditorLib", {10}}, {"ZEL DocumentEditor", {5}},
    {"ZEL EditorContainer", {2, 3, 4, 5, 7, 8, 9, 10, 11, 16, 17, 19, 20, 21}},
    {"ZEL EditorManager", {2, 3, 4, 5, 7, 8, 9, 10, 11, 16, 17, 19, 20, 21}},
    {"ZEL EditorSupportLib", {4, 8, 16, 17}}, {"ZEL EventsEditor", {18}}, {"ZEL ExportLib", {17, 20}},
    {"ZEL ExpressionBoxLib", {2, 4, 7, 8, 10, 17, 21}}, {"ZEL ExtensionEditor", {7}},
    {"ZEL FactCreationWizard", {6, 13}}, {"ZEL FactEditor", {7}}, {"ZEL FilterLib", {4, 8, 11, 17}},
    {"ZEL FormCategoriesEditor", {2}}, {"ZEL FTRContainerLib", {4, 8, 17, 20}}, {"ZEL GraphLib", {17, 20}},
    {"ZEL GridLib", {17, 20}}, {"ZEL HierarchyEditor", {9}}, {"ZEL MeasureEditorLib", {10}},
    {"ZEL ObjectsSelectorLib", {4, 8, 17}}, {"ZEL PageByLib", {17, 20}}, {"ZEL PartitionEditor", {11}},
    {"ZEL PrintCore", {12}}, {"ZEL PrintGraphInterface", {17, 20}}, {"ZEL PrintGridInterface", {17, 20}},
    {"ZEL PrintSchema", {12}}, {"ZEL PriorityMapEditor", {18}}, {"ZEL PrivilegesEditor", {18}},
    {"ZEL ProgressIndicator", {1, 6, 12, 13, 14, 15}}, {"ZEL ProjectConfiguration", {18}},
    {"ZEL ProjectCreationLib", {13}}, {"ZEL ProjectUpgradeLib", {14, 15}},
    {"ZEL PromptEditorsLib", {4, 8, 16, 17}}, {"ZEL PromptsLib", {3, 4, 8, 10, 17, 20}},
    {"ZEL PropertiesControlsLib", {10}}, {"ZEL PropertySheetLib", {1, 2, 17, 20}},
    {"ZEL ReportControl", {17, 20}}, {"ZEL ReportDataOptionsLib", {17, 20}}, {"ZEL RepDrillingLib", {17, 20}},
    {"ZEL RepFormatsLib", {17, 20}}, {"ZEL RepFormsLib", {17, 20}}, {"ZEL ReportSortsLib", {17, 20}},
    {"ZEL ReportSubtotalLib", {17, 20}}, {"ZEL SchemaManipulation", {14, 15, 22}},
    {"ZEL SearchEditorLib", {16}}, {"ZEL SecurityRoleEditor", {18}}, {"ZEL SecurityRoleViewer", {18}},
    {"ZEL ServerConfiguration", {18}}, {"ZEL TableEditor", {19}}, {"ZEL TransformationEditor", {21}},
    {"ZEL UserEditor", {18}}, {"ZEL VLDBEditor", {18}}, {"ZEL WHCatalog", {13, 22}}, {"ZEL PromptStyles", {16}},
};

const std::vector<std::pair<std::string, std::string>> kTraceTasks = {
    {"ZEL AuthServer - Authentication Tracing", "Client Connection"},
    {"ZEL ClientConnection - Data Source Enumerator Tracing", "Client Connection"},
    {"ZEL ClientConnection - Data Source Tracing", "Client Connection"},
    {"ZEL ClientConnection - Session Tracing", "Client Connection"},
    {"ZEL DBElementServer - Element Source Tracing", "Element Browsing"},
    {"ZEL DBElementServer - Report Source Tracing", "Element Browsing"},
    {"ZEL ElementNetClient - Element Source Tracing", "Element Browsing"},
    {"ZEL ElementNetServer - Element Source Tracing", "Element Browsing"},
    {"ZEL ElementServer - Element Source Tracing", "Element Browsing"},
    {"ZEL MD4Server - Access Tracing", "Metadata SQL"}, {"ZEL MD4Server - Object Tracing", "Metadata SQL"},
    {"ZEL MDServer - Content Source Tracing", "Metadata SQL"}, {"ZEL MDServer - SQL Tracing", "Metadata SQL"},
    {"ZEL ObjectServer - Content Source Tracing", "Object Browsing"},
    {"ZEL ObjectServer - Object Source Tracing", "Object Browsing"},
    {"ZEL ReportNetClient - Process Tracing", "Report Execution"},
    {"ZEL ReportNetClient - Report Source Tracing", "Report Execution"},
    {"ZEL ReportNetServer - Process Tracing", "Report Execution"},
    {"ZEL ReportServer - Report Source Tracing", "Report Execution"},
    {"ZEL SourceNetClient - Content Source Tracing", "Object Browsing"},
    {"ZEL SourceNetServer - Content Source Tracing", "Object Browsing"},
};

const std::vector<std::string> kEditors = {
    "Attribute Creation Wizard", "Attribute Editor", "Consolidation Editor", "Custom Group Editor",
    "Document Editor", "Fact Creation Wizard", "Fact Editor", "Filter Editor", "Hierarchy Editor",
    "Metric Editor", "Partition Editor", "Print Schema", "Project Creation", "Project Duplication",
    "Project Upgrade", "Prompt Generation Wizard", "Report Editor", "Server Administration", "Table Editor",
    "Template Editor", "Transformation Editor", "Warehouse Catalog Browser"};

const std::vector<std::string> kTasks = {"Client Connection", "Element Browsing", "Metadata SQL",
                                         "Object Browsing", "Report Execution"};

const std::vector<std::string> kCreationOrder = {
    "Server Administration", "Project Duplication", "Project Upgrade", "Attribute Creation Wizard",
    "Project Creation", "Attribute Editor", "Fact Editor", "Consolidation Editor", "Custom Group Editor",
    "Document Editor", "Filter Editor", "Hierarchy Editor", "Metric Editor", "Partition Editor",
    "Prompt Generation Wizard", "Report Editor", "Table Editor", "Template Editor", "Transformation Editor",
    "Warehouse Catalog Browser", "Fact Creation Wizard", "Print Schema", "Client Connection",
    "Element Browsing", "Metadata SQL", "Object Browsing", "Report Execution"};

std::vector<std::string> WithSpare(std::vector<std::string> names) {
    names.emplace_back();
    return names;
}

CDiagMap InitializedMap() {
    CDiagMap map;
    map.InitializeDiagMapDefs();
    return map;
}

// One output "<module>Trace" per module row and one per trace row, in table order.
OutputCollection OneOutputPerRow() {
    OutputCollection outputs;
    for (const auto& [module, editors] : kModuleEditors) AddOutput(outputs, module, "Trace");
    for (const auto& [trace, task] : kTraceTasks) {
        const auto dash = trace.find(" - ");
        AddOutput(outputs, trace.substr(0, dash), trace.substr(dash + 3));
    }
    return outputs;
}

TEST(MapTables, HoldTheModulesEditorsTracesAndTasksWithASpareEmptySlot) {
    const CDiagMap map = InitializedMap();
    std::vector<std::string> modules;
    for (const auto& row : kModuleEditors) modules.push_back(row.first);
    std::vector<std::string> traces;
    for (const auto& row : kTraceTasks) traces.push_back(row.first);

    EXPECT_EQ(map.EditorMapRows(), WithSpare(modules));
    EXPECT_EQ(map.EditorMapCols(), WithSpare(kEditors));
    EXPECT_EQ(map.TaskMapRows(), WithSpare(traces));
    EXPECT_EQ(map.TaskMapCols(), WithSpare(kTasks));
    EXPECT_EQ(map.EditorMapCols().size(), 23u);
    EXPECT_EQ(map.TaskMapCols().size(), 6u);
}

TEST(MapTables, BitStringsSayExactlyWhichEditorsAndTasksUseEachRow) {
    const CDiagMap map = InitializedMap();
    const auto moduleBits = map.EditorMapBits();
    ASSERT_EQ(moduleBits.size(), 69u);
    EXPECT_EQ(moduleBits.back(), "");
    for (std::size_t r = 0; r < kModuleEditors.size(); ++r) {
        ASSERT_EQ(moduleBits[r].size(), 22u) << kModuleEditors[r].first;
        std::vector<int> set;
        for (int k = 1; k <= 22; ++k)
            if (moduleBits[r][k - 1] == '1') set.push_back(k);
            else EXPECT_EQ(moduleBits[r][k - 1], '0');
        EXPECT_EQ(set, kModuleEditors[r].second) << kModuleEditors[r].first;
    }
    const auto traceBits = map.TaskMapBits();
    ASSERT_EQ(traceBits.size(), 22u);
    EXPECT_EQ(traceBits.back(), "");
    for (std::size_t r = 0; r < kTraceTasks.size(); ++r) {
        ASSERT_EQ(traceBits[r].size(), 5u);
        std::string expected(5, '0');
        for (std::size_t k = 0; k < kTasks.size(); ++k)
            if (kTasks[k] == kTraceTasks[r].second) expected[k] = '1';
        EXPECT_EQ(traceBits[r], expected) << kTraceTasks[r].first;
    }
}

TEST(MapTables, AreEmptyUntilInitializedAndReturnedAsCopies) {
    CDiagMap map;
    EXPECT_EQ(map.EditorMapRows(), std::vector<std::string>(69));
    EXPECT_EQ(map.TaskMapCols(), std::vector<std::string>(6));
    map.InitializeDiagMapDefs();
    auto cols = map.EditorMapCols();
    cols[0] = "changed";
    EXPECT_EQ(map.EditorMapCols()[0], "Attribute Creation Wizard");
}

TEST(TraceSettingCreation, TwentySevenSettingsInTheOrderTheScanMeetsThem) {
    CDiagMap map = InitializedMap();
    const OutputCollection none;
    map.PopulateCheckedMap(none);
    EXPECT_EQ(Names(*map.AllTraceSettings()), kCreationOrder);
    for (const auto& setting : *map.AllTraceSettings()) {
        ASSERT_NE(setting->LinkedOutputs(), nullptr);
        EXPECT_EQ(setting->LinkedOutputs()->Count(), 0) << setting->Name;
        EXPECT_FALSE(setting->Checked || setting->DirtyFlag);
    }
    EXPECT_EQ(map.EditorTraceSettings()->Count(), 0);
    EXPECT_EQ(map.TaskTraceSettings()->Count(), 0);
}

TEST(TraceSettingCreation, AddingANameTwiceKeepsOneSettingAndLookupIgnoresCase) {
    CDiagMap map;
    EXPECT_EQ(map.AddTraceSetting("Report Editor"), 1);
    const auto first = map.GetTraceSetting("Report Editor");
    EXPECT_EQ(map.AddTraceSetting("REPORT editor"), 1);
    EXPECT_EQ(map.AllTraceSettings()->Count(), 1);
    EXPECT_EQ(map.GetTraceSetting("report EDITOR"), first);
    EXPECT_EQ(first->Name, "Report Editor");
    EXPECT_EQ(map.GetTraceSetting("Filter Editor"), nullptr);
}

TEST(EditorLinks, EachEditorGetsTheOutputsOfEveryModuleItUsesInRowOrder) {
    CDiagMap map = InitializedMap();
    const OutputCollection outputs = OneOutputPerRow();
    map.PopulateCheckedMap(outputs);

    std::map<std::string, std::vector<std::string>> expected;
    for (const auto& [module, editors] : kModuleEditors)
        for (int k : editors) expected[kEditors[k - 1]].push_back(module + "Trace");
    for (const auto& [trace, task] : kTraceTasks) {
        const auto dash = trace.find(" - ");
        expected[task].push_back(trace.substr(0, dash) + trace.substr(dash + 3));
    }
    for (const auto& setting : *map.AllTraceSettings())
        EXPECT_EQ(Keys(setting->LinkedOutputs()), expected[setting->Name]) << setting->Name;

    EXPECT_EQ(map.GetTraceSetting("Report Editor")->LinkedOutputs()->Count(), 27);
    EXPECT_EQ(Keys(map.GetTraceSetting("Fact Creation Wizard")->LinkedOutputs()),
              (std::vector<std::string>{"ZEL FactCreationWizardTrace", "ZEL ProgressIndicatorTrace"}));
    // The other direction: an output knows every editor of its module, in editor order.
    const auto progress = outputs.Item("ZEL ProgressIndicatorTrace");
    EXPECT_EQ(Names(*progress->LinkedTraceSettings()),
              (std::vector<std::string>{"Attribute Creation Wizard", "Fact Creation Wizard", "Print Schema",
                                        "Project Creation", "Project Duplication", "Project Upgrade"}));
    BreakLinks(map);
}

TEST(EditorLinks, AModuleFindsEveryTraceOfItsComponentByContainmentIgnoringCase) {
    CDiagMap map = InitializedMap();
    OutputCollection outputs;
    AddOutput(outputs, "ZEL AdminEditorContainer", "Trace");
    AddOutput(outputs, "zel editorcontainer", "First");
    AddOutput(outputs, "ZEL Other", "Second");
    AddOutput(outputs, "ZEL EDITORCONTAINER", "Third");
    EXPECT_EQ(Keys(map.GetOutput("ZEL EditorContainer", outputs)),
              (std::vector<std::string>{"zel editorcontainerFirst", "ZEL EDITORCONTAINERThird"}));
    // The module name must appear whole: "ZEL AdminEditorContainer" does not hold "ZEL EditorContainer".
    EXPECT_EQ(map.GetOutput("ZEL EditorContainer", outputs)->Count(), 2);
    EXPECT_EQ(map.GetOutput("ZEL GridLib", outputs), nullptr);
}

TEST(TaskLinks, MatchComponentAndTraceExactlyIgnoringCaseAndBlanksAroundTheDash) {
    const CDiagMap map = InitializedMap();
    OutputCollection outputs;
    int n = 0;
    for (const auto& [parent, name] : std::vector<std::pair<std::string, std::string>>{
             {"zel reportserver", "REPORT SOURCE TRACING"},
             {"ZEL ReportServer", "Report Source Tracing Extra"},
             {"ZEL ReportServerX", "Report Source Tracing"},
             {"ZEL ReportServer ", "Report Source Tracing"},
             {"ZEL ReportServer", "Report Source Tracing"}})
        outputs.Add(testing::MakeOutput(parent, name), std::to_string(++n));
    const std::vector<std::string> both{"zel reportserverREPORT SOURCE TRACING", "ZEL ReportServerReport Source Tracing"};
    EXPECT_EQ(Keys(map.GetOutput2("ZEL ReportServer - Report Source Tracing", outputs)), both);
    EXPECT_EQ(Keys(map.GetOutput2("ZEL ReportServer-Report Source Tracing", outputs)), both);
    EXPECT_EQ(Keys(map.GetOutput2("  ZEL ReportServer   -  Report Source Tracing  ", outputs)), both);
    EXPECT_EQ(map.GetOutput2("ZEL ReportServer - Process Tracing", outputs), nullptr);
}

TEST(TaskLinks, ATraceNameWithoutADashIsAnIndexErrorThatTheLinkingProcedureContains) {
    CDiagMap map = InitializedMap();
    OutputCollection outputs;
    AddOutput(outputs, "ZEL ReportServer", "Report Source Tracing");
    try {
        map.GetOutput2("ZEL ReportServer Report Source Tracing", outputs);
        ADD_FAILURE() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number(), err::kSubscript);
    }
    map.AddTraceSetting("Report Execution");
    EXPECT_EQ(map.LinkTraceSettings2Modules2("ZEL ReportServer Report Source Tracing", "Report Execution", outputs), 0);
    EXPECT_EQ(map.GetTraceSetting("Report Execution")->LinkedOutputs()->Count(), 0);
    EXPECT_EQ(map.LinkTraceSettings2Modules2("ZEL ReportServer - Report Source Tracing", "Report Execution", outputs), 1);
    EXPECT_EQ(map.GetTraceSetting("Report Execution")->LinkedOutputs()->Count(), 1);
    BreakLinks(map);
}

TEST(LinkFailures, ADuplicateStopsTheLinkKeepingTheLinksAlreadyMade) {
    CDiagMap map = InitializedMap();
    OutputCollection outputs;
    // Two outputs with the same Key (kept apart in the dialog's collection under other keys).
    auto first = testing::MakeOutput("ZEL DateLib", "Trace");
    auto twin = testing::MakeOutput("ZEL DateLib", "Trace");
    auto third = testing::MakeOutput("ZEL DateLib", "Other");
    outputs.Add(first, "1");
    outputs.Add(twin, "2");
    outputs.Add(third, "3");
    map.AddTraceSetting("Report Editor");
    EXPECT_EQ(map.LinkTraceSettings2Modules("ZEL DateLib", "Report Editor", outputs), 0);
    const auto setting = map.GetTraceSetting("Report Editor");
    EXPECT_EQ(setting->LinkedOutputs()->Count(), 1);
    EXPECT_EQ(setting->LinkedOutputs()->Item(1), first);
    // The twin got its half of the link before the setting refused it; the third got nothing.
    EXPECT_EQ(twin->LinkedTraceSettings()->Count(), 1);
    EXPECT_EQ(third->LinkedTraceSettings()->Count(), 0);
    // Linking an unknown setting or a module without outputs links nothing.
    EXPECT_EQ(map.LinkTraceSettings2Modules("ZEL DateLib", "No Such Editor", outputs), 0);
    EXPECT_EQ(map.LinkTraceSettings2Modules("ZEL GridLib", "Report Editor", outputs), 0);
    EXPECT_EQ(setting->LinkedOutputs()->Count(), 1);
    BreakLinks(map);
    twin->RemoveLinkedTraceSettings();
}

TEST(MapRelease, BreakingTheLinksFreesTheMapsSettingsAndTheOutputs) {
    std::vector<std::weak_ptr<CTraceSetting>> settings;
    std::vector<std::weak_ptr<COutput>> outputsAlive;
    {
        auto outputs = std::make_shared<OutputCollection>(OneOutputPerRow());
        auto map = std::make_unique<CDiagMap>(InitializedMap());
        map->PopulateCheckedMap(*outputs);
        for (const auto& s : *map->AllTraceSettings()) settings.push_back(s);
        for (const auto& o : *outputs) outputsAlive.push_back(o);
        BreakLinks(*map);
    }
    for (const auto& w : settings) EXPECT_TRUE(w.expired());
    for (const auto& w : outputsAlive) EXPECT_TRUE(w.expired());
}

}  // namespace
}  // namespace diags
