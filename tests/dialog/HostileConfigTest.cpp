// Stored configurations a person, an import or another program can leave behind: for every
// one the dialog opens and shows what it can read, names every value it could not read in one
// message, and a save writes only what the user changed; where it cannot open, its error says
// how to repair it and the console tool does; the console tool reads every one and names each
// bad value with its key.
#include <cctype>
#include <sstream>

#include "hostconfig/LogConfiguration.h"
#include "platform/registry/Encoding.h"
#include "tests/dialog/DialogHarness.h"
#include "tools/diagsconfig/Commands.h"

namespace diags::testing {
namespace {

namespace prop = hostconfig::prop;
using platform::registry::KeyChange;
using platform::registry::RegValue;

RegValue Binary(std::string bytes) {
    RegValue v;
    v.type = 3;
    v.data = std::move(bytes);
    return v;
}

struct Corpus {
    const char* name;
    // Raw keys and values under the root: {relative key path, {value name, value}...}.
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, RegValue>>>> keys;
    // What cannot be read: "Component\Output" (or the component) and the value's name.
    std::vector<std::pair<std::string, std::string>> unreadable;
    bool withErrorLog = true;
};

const std::string kLong(64 * 1024, 'd');

// Component names chosen so that component and output names join to the same record key.
std::vector<Corpus> Items() {
    const RegValue on = RegValue::Dword(1);
    std::vector<Corpus> items = {
        {"size as text", {{"ZEL A\\Trace", {{"FileSize", RegValue::Text("abc")}, {"LogToFile", on}}}},
         {{"ZEL A\\Trace", "FileSize"}}},
        {"size as a dword, texts as dwords",
         {{"ZEL A\\Trace", {{"FileSize", RegValue::Dword(40)}, {"Directory", RegValue::Dword(5)},
                            {"FileName", RegValue::Dword(7)}}}},
         {}},
        {"flags as texts",
         {{"ZEL A\\Trace", {{"LogToFile", RegValue::Text("maybe")}, {"DebugMonitor", RegValue::Text("True")}}}},
         {{"ZEL A\\Trace", "LogToFile"}}},
        {"bad numbers and binary data",
         {{"ZEL A\\Trace", {{"ErrorThreshold", RegValue::Dword(0x7FFFFFFF)}, {"FileName", Binary("\x01\x02")},
                            {"CircularLogFile", RegValue::Text("")}}},
          {"ZEL B\\Trace", {{"AppendToFile", Binary("")}}}},
         {{"ZEL A\\Trace", "FileName"}, {"ZEL A\\Trace", "ErrorThreshold"}, {"ZEL A\\Trace", "CircularLogFile"},
          {"ZEL B\\Trace", "AppendToFile"}}},
        {"missing values, no outputs, extra values and keys",
         {{"ZEL A\\Trace", {}}, {"ZEL Empty", {}},
          {"ZEL B\\Trace", {{"Colour", RegValue::Text("blue")}, {"", RegValue::Dword(3)}}},
          {"ZEL B\\Trace\\Deeper", {{"FileSize", RegValue::Text("abc")}}},
          {"ZEL Errors\\Below", {{"LogToFile", RegValue::Text("x")}}}},
         {}},
        {"a 64 KB directory and control characters",
         {{"ZEL A\\Trace", {{"Directory", RegValue::Text(kLong)}, {"FileName", RegValue::Text("a\tb\x01.log")}}},
          {"ZEL \x01\x1f\\T\x7f", {{"FileName", RegValue::Text("x")}}}},
         {}},
        {"names outside the Basic Multilingual Plane",
         {{"ZEL A\\Trace \xF0\x9F\x98\x80", {{"FileName", RegValue::Text("\xF0\x9F\x8E\x89.log")}}},
          {"ZEL A\\Trace \xF0\x9F\x8E\x89", {{"Directory", RegValue::Text("\xF0\x9F\x8E\x89")}}},
          {"ZEL B\\Trace", {{"FileSize", RegValue::Text("\xF0\x9F\x8E\x89")}}}},
         {{"ZEL B\\Trace", "FileSize"}}},
        {"names that differ only in case or join alike",
         {{"ZEL A\\Trace", {{"FileName", RegValue::Text("one.log")}}}, {"zel a\\TRACE", {{"FILENAME", RegValue::Text("two.log")}}},
          {"ZEL AB\\C", {}}, {"ZEL A\\BC", {}}, {"ZEL Err\\ors", {}}},
         {}},
        {"the error log switched off with an empty directory",
         {{"ZEL Errors", {{"LogToFile", RegValue::Dword(0)}, {"Directory", RegValue::Text("")}}}}, {}},
        {"the error log unreadable", {{"ZEL Errors", {{"LogToFile", RegValue::Text("on?")}}}}, {{"ZEL Errors", "LogToFile"}}},
        // Its output is linked to a trace setting: the refused start must still free the links.
        {"no error log", {{"ZEL AttributeEditor\\Function Level Tracing", {}}}, {}, false},
    };
    // Hundreds of components open, and the one value among them that cannot be read is named.
    Corpus many{"three hundred components", {}, {{"ZEL C150\\Trace", "FileSize"}}};
    for (int i = 0; i < 300; ++i)
        many.keys.push_back({"ZEL C" + std::to_string(i) + "\\Trace", {{"FileSize", RegValue::Text(i == 150 ? "x" : "40")}}});
    items.push_back(std::move(many));
    return items;
}

class HostileConfig : public DialogTest, public ::testing::WithParamInterface<Corpus> {
protected:
    HostileConfig() { user.otherwise = platform::mb::kOk; }

    static std::string Root() { return hostconfig::DefaultRootKey(); }
    static void Put(const std::string& key, const std::vector<std::pair<std::string, RegValue>>& values) {
        KeyChange change{Root() + "\\" + key, false, {}};
        for (const auto& [name, value] : values) change.values.push_back({name, value});
        ASSERT_TRUE(platform::registry::NativeStore().Apply({change}).ok());
    }
    void Install(const Corpus& item) {
        CreateEmptyConfiguration();
        if (item.withErrorLog) AddErrorLog();
        for (const auto& [key, values] : item.keys) Put(key, values);
    }
    static std::pair<int, std::string> Tool(const std::vector<std::string>& args) {
        const ConsoleRun run = Console(args);
        return {run.code, run.out + run.err};
    }
};

TEST_P(HostileConfig, OpensNamesWhatItCannotReadAndSavesOnlyWhatChanged) {
    const Corpus& item = GetParam();
    Install(item);
    if (!item.withErrorLog) {
        // The one configuration the dialog cannot open: its error says how to repair it.
        TestDialog refused;
        EXPECT_EQ(Run(refused, [](TestDialog&) {}), ResultCode::Failure);
        EXPECT_EQ(shownCount, 0);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->procedure, "FormLoad");
        EXPECT_NE(error->description.find("\"ZEL Errors\""), std::string::npos) << error->description;
        EXPECT_NE(error->description.find("diagsconfig repair"), std::string::npos);
        const auto [code, text] = Tool({"repair"});
        EXPECT_EQ(code, tools::exitcode::kOk) << text;
        EXPECT_NE(text.find("restored ZEL Errors"), std::string::npos);
        error.reset();
    }
    const RawValues before = StoredRaw();

    // The console tool reads it all and names every bad value with its key.
    const auto [code, text] = Tool({"show"});
    EXPECT_EQ(code, item.unreadable.empty() ? tools::exitcode::kOk : tools::exitcode::kBadValue) << text;
    for (const auto& [label, value] : item.unreadable)
        EXPECT_NE(text.find(platform::registry::Cp1252ToUtf8(label) + ": the stored value \"" + value + "\""),
                  std::string::npos)
            << text;

    const ResultCode result = Run([&](TestDialog& d) {
        // Told once, before anything else, in one message naming every bad value.
        if (item.unreadable.empty()) {
            EXPECT_TRUE(user.boxes.empty()) << user.boxes.front().text;
        } else {
            ASSERT_EQ(user.boxes.size(), 1u);
            EXPECT_NE(user.boxes[0].text.back(), '\n');  // the list ends with its last line
            for (const auto& [label, value] : item.unreadable) {
                const std::string& message = user.boxes[0].text;
                const std::size_t at = message.find(label + ": ");
                ASSERT_NE(at, std::string::npos) << message;
                EXPECT_NE(message.substr(at, message.find('\n', at) - at).find(value), std::string::npos) << message;
            }
        }
        user.boxes.clear();
        Save(d);  // saves what the start changed: the error log
        CloseUnsaved(d);
    });
    EXPECT_NE(result, ResultCode::Failure) << (error ? error->description : "");
    EXPECT_EQ(shownCount, 1);

    // Nothing but the error log's own values was written.
    const RawValues after = StoredRaw();
    for (const auto& [name, value] : before) {
        if (name.starts_with("\\ZEL Errors|")) continue;
        const auto found = after.find(name);
        ASSERT_NE(found, after.end()) << name;
        EXPECT_EQ(found->second, value) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, HostileConfig, ::testing::ValuesIn(Items()),
                         [](const ::testing::TestParamInfo<Corpus>& info) {
                             std::string name;
                             for (const char c : std::string(info.param.name)) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

// An output whose size cannot be read: shown empty; an edit of another value saves that value
// and leaves the size as stored; typing a size replaces it.
TEST_F(DialogTest, AnUnreadableValueIsShownEmptyAndKeptUntilTheUserChangesIt) {
    CreateEmptyConfiguration();
    AddErrorLog();
    const std::string key = hostconfig::DefaultRootKey() + "\\ZEL A\\Trace";
    ASSERT_TRUE(platform::registry::NativeStore()
                    .Apply({KeyChange{key, false, {{"FileSize", RegValue::Text("abc")}, {"LogToFile", RegValue::Text("?")},
                                                   {"CircularLogFile", RegValue::Dword(1)}}}})
                    .ok());
    const auto raw = [](const char* name) { return StoredRaw()[std::string("\\ZEL A\\Trace|") + name]; };
    user.otherwise = platform::mb::kOk;
    Run([&](TestDialog& d) {
        ShowOutput(d, "ZEL ATrace");
        EXPECT_EQ(d.txtFileSize.Text(), "");
        EXPECT_EQ(d.chkLogfile.Value(), 0);
        d.chkDbgMntr.UserClick();  // another value of the same output
        Save(d);
        EXPECT_EQ(raw("FileSize"), RegValue::Text("abc"));
        EXPECT_EQ(raw("LogToFile"), RegValue::Text("?"));
        EXPECT_EQ(raw("DebugMonitor"), RegValue::Dword(1));

        d.chkLogfile.UserClick();
        d.txtFileSize.UserFocus();
        d.txtFileSize.UserType("64");
        Retype(d.txtFileName, "a.log");
        Retype(d.txtDirectory, LogDir());
        Save(d);
        EXPECT_TRUE(d.mbSaved);
        d.chkLogfile.UserClick();  // once written, the value is the user's like any other
        Save(d);
        d.UserClose();
    });
    EXPECT_EQ(raw("FileSize"), RegValue::Text("64"));
    EXPECT_EQ(raw("LogToFile"), RegValue::Dword(0));
}

// Two outputs whose names read alike in the ANSI code page each save into their own key.
TEST_F(DialogTest, OutputsWhoseNamesReadAlikeSaveIntoTheirOwnKeys) {
    CreateEmptyConfiguration();
    AddErrorLog();
    const std::string smile = "Trace \xF0\x9F\x98\x80", party = "Trace \xF0\x9F\x8E\x89";
    AddOutput("ZEL A", smile, {{prop::kFileName, std::string("smile.log")}});
    AddOutput("ZEL A", party, {{prop::kFileName, std::string("party.log")}});
    std::string shown;
    Run([&](TestDialog& d) {
        d.tbsOptions.UserSelectTab(2);
        ASSERT_NE(d.tvModules.Find("ZEL ATrace ? (2)"), nullptr);
        d.tvModules.UserClickNode(d.tvModules.Item("ZEL ATrace ? (2)"));
        shown = d.txtFileName.Text();  // which of the two it is (the registry may list them sorted)
        d.chkDbgMntr.UserClick();
        Save(d);
        EXPECT_TRUE(d.mbSaved);
        d.UserClose();
    });
    const auto debugMonitor = [](const std::string& output) {
        return StoredRaw()["\\ZEL A\\" + output + "|DebugMonitor"].AsDword();
    };
    ASSERT_TRUE(shown == "smile.log" || shown == "party.log") << shown;
    EXPECT_EQ(debugMonitor(shown == "smile.log" ? smile : party), 1u);
    EXPECT_EQ(debugMonitor(shown == "smile.log" ? party : smile), std::nullopt);
}

}  // namespace
}  // namespace diags::testing
