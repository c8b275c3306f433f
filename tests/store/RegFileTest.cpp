// Reading and writing registry export files: what the registry editor writes loads, what we
// write reads back identically, and damaged files are refused with the file and line named.
#include <gtest/gtest.h>

#include <iterator>

#include "platform/Platform.h"
#include "platform/registry/Encoding.h"
#include "platform/registry/RegFile.h"

namespace diags::platform::registry {
namespace {

RegKey Load(std::string_view bytes) {
    ParsedFile parsed;
    const Status s = ParseRegFile(bytes, "test.reg", parsed);
    EXPECT_TRUE(s.ok()) << s.message();
    RegKey tree;
    for (const auto& c : parsed.changes) tree.Apply(c);
    return tree;
}

std::string ParseError(std::string_view bytes) {
    ParsedFile parsed;
    const Status s = ParseRegFile(bytes, "bad.reg", parsed);
    return s.ok() ? std::string("(accepted)") : s.message();
}

std::string Utf16(std::string_view utf8) { return "\xFF\xFE" + EncodeText(utf8, FileEncoding::Utf16Le); }

TEST(RegistryFileReading, ReadsTheEditorsUtf16ExportWithEveryValueType) {
    const std::string text =
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltrane\\Common Files]\n"
        "\"Path\"=\"C:\\\\Program Files\\\\Veltrane\\\\\"\n"
        "@=\"default \\\"quoted\\\"\"\n"
        "\"Count\"=dword:0000002a\n"
        "\"Expand\"=hex(2):25,00,41,00,25,00,00,00\n"
        "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\n"
        "\"Big\"=hex(b):01,02,03,04,05,06,07,08\n"
        "\"None\"=hex(0):01\n"
        "\"Link\"=hex(10):02\n"
        "; a comment\n"
        "\"Ünïcode ☃\"=\"Grüße ☃\"\n"
        "\"Blob\"=hex:de,ad,\\\n"
        "  be,ef";  // continued on the last line, which has no line break
    const RegKey tree = Load(Utf16(text));
    const RegKey* key = tree.FindPath("HKEY_LOCAL_MACHINE\\software\\VELTRANE\\common files");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->FindValue("Path")->AsText(), "C:\\Program Files\\Veltrane\\");
    EXPECT_EQ(key->FindValue("")->AsText(), "default \"quoted\"");
    EXPECT_EQ(key->FindValue("count")->AsDword(), 42u);
    EXPECT_EQ(key->FindValue("Expand")->type, reg::kExpandSz);
    EXPECT_EQ(key->FindValue("Expand")->AsText(), "%A%");
    EXPECT_EQ(key->FindValue("Multi")->data, std::string("a\0\0\0b\0\0\0\0\0", 10));
    EXPECT_EQ(key->FindValue("Big")->type, reg::kQword);
    EXPECT_EQ(key->FindValue("None")->type, 0u);  // types with a zero digit
    EXPECT_EQ(key->FindValue("Link")->type, 16u);
    EXPECT_EQ(key->FindValue("Blob")->data, "\xde\xad\xbe\xef");
    EXPECT_EQ(key->FindValue("Ünïcode ☃")->AsText(), "Grüße ☃");
}

TEST(RegistryFileReading, ReadsAnsiRegedit4AndUtf8Files) {
    // REGEDIT4 is in the ANSI code page, its hex(2) data too; 0xFC is u-umlaut there.
    const RegKey ansi = Load("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n\"N\"=\"M\xFC\"\r\n\"E\"=hex(2):41,fc,00\r\n");
    EXPECT_EQ(ansi.FindPath("HKEY_CURRENT_USER\\K")->FindValue("N")->AsText(), "Mü");
    EXPECT_EQ(ansi.FindPath("HKEY_CURRENT_USER\\K")->FindValue("E")->AsText(), "Aü");
    const RegKey utf8 = Load("\xEF\xBB\xBFWindows Registry Editor Version 5.00\n[HKCU\\K]\n\"N\"=\"Mü\"\n");
    EXPECT_EQ(utf8.FindPath("HKEY_CURRENT_USER\\K")->FindValue("N")->AsText(), "Mü");
}

TEST(RegistryFileReading, LaterSectionsAndDeletionsApplyInOrderAsAnImportDoes) {
    const RegKey tree = Load(
        "Windows Registry Editor Version 5.00\n"
        "[HKEY_CURRENT_USER\\A\\First]\n\"v\"=\"1\"\n\"gone\"=\"x\"\n"
        "[HKEY_CURRENT_USER\\A\\Second]\n"
        "[HKEY_CURRENT_USER\\A\\Third]\n"
        "[HKEY_CURRENT_USER\\A\\First]\n\"v\"=\"2\"\n\"gone\"=-\n"
        "[-HKEY_CURRENT_USER\\A\\Second]\n");
    const RegKey* a = tree.FindPath("HKEY_CURRENT_USER\\A");
    ASSERT_EQ(a->Children().size(), 2u);
    EXPECT_EQ(a->Children()[0]->Name(), "First");  // creation order, not alphabetical
    EXPECT_EQ(a->Children()[1]->Name(), "Third");
    EXPECT_EQ(a->FindChild("first")->FindValue("v")->AsText(), "2");
    EXPECT_FALSE(a->FindChild("first")->FindValue("gone"));
}

// Past a few subkeys a key indexes them: every name is still found without regard to case
// (Latin letters beyond ASCII too), in creation order, after removals and in a copy.
TEST(RegistryTree, ManySubkeysAreFoundWithoutRegardToCaseAfterRemovalsAndInACopy) {
    RegKey key;
    for (int i = 0; i < 40; ++i) key.ChildOrCreate("Key " + std::to_string(i));
    key.ChildOrCreate("\xC3\x84rger");  // "Ärger"
    EXPECT_EQ(&key.ChildOrCreate("KEY 3"), key.FindChild("key 3"));
    EXPECT_EQ(key.FindChild("\xC3\xA4RGER"), key.Children().back().get());  // "äRGER"
    EXPECT_TRUE(key.RemoveChild("kEy 5"));
    EXPECT_EQ(key.FindChild("Key 5"), nullptr);
    ASSERT_EQ(key.Children().size(), 40u);
    EXPECT_EQ(key.Children()[5]->Name(), "Key 6");
    const RegKey copy(key);
    for (int i = 0; i < 40; ++i) EXPECT_EQ(copy.FindChild("KEY " + std::to_string(i)) == nullptr, i == 5) << i;
    for (int i = 0; i < 36; ++i) key.RemoveChild("key " + std::to_string(i));
    ASSERT_EQ(key.Children().size(), 5u);
    EXPECT_NE(key.FindChild("KEY 39"), nullptr);
    EXPECT_NE(key.FindChild("\xC3\xA4rger"), nullptr);
}

// A key's values live in one shared block: a set keeps each name's place, adds new names last,
// drops removed ones, finds names without regard to case, and leaves a copy taken before the
// change exactly as it was (a configuration node holds such a copy).
TEST(RegistryTree, ValuesKeepTheirOrderAndACopyTakenBeforeAChangeIsUntouched) {
    RegKey key;
    key.ApplyValues({{"A", RegValue::Dword(1)}, {"Empty", RegValue{reg::kBinary, ""}}, {"Text", RegValue::Text("xyz")}});
    const ValueSet before = key.Values();
    key.ApplyValues({{"a", RegValue::Text("one")}, {"empty", std::nullopt}, {"New", RegValue::Dword(7)}});
    key.SetValue("TEXT", RegValue::Text("changed"));
    EXPECT_FALSE(key.RemoveValue("missing"));

    std::vector<std::string> names;
    for (const auto v : key.Values()) names.emplace_back(v.name);
    EXPECT_EQ(names, (std::vector<std::string>{"A", "Text", "New"}));
    EXPECT_EQ(key.FindValue("a")->AsText(), "one");
    EXPECT_EQ(key.FindValue("text")->AsText(), "changed");
    EXPECT_EQ(key.FindValue("NEW")->AsDword(), 7u);

    ASSERT_EQ(before.size(), 3u);
    EXPECT_EQ(before.Find("a")->AsDword(), 1u);
    EXPECT_EQ(*before.Find("EMPTY"), RegValueView(reg::kBinary, ""));
    EXPECT_EQ(before.Find("Text")->AsText(), "xyz");
    EXPECT_TRUE(key.RemoveValue("new"));
    EXPECT_TRUE(key.RemoveValue("a"));
    EXPECT_TRUE(key.RemoveValue("text"));
    EXPECT_TRUE(key.Values().empty());
    EXPECT_EQ(before.size(), 3u);

    // More values than a key usually has, one of them dropped on the way.
    std::vector<KeyChange::Value> many;
    for (int i = 0; i < 20; ++i) many.push_back({"v" + std::to_string(i), RegValue::Dword(static_cast<std::uint32_t>(i))});
    many.push_back({"V7", std::nullopt});
    key.ApplyValues(many);
    ASSERT_EQ(key.Values().size(), 19u);
    EXPECT_EQ((*std::next(key.Values().begin(), 7)).name, "v8");
    EXPECT_EQ((*std::next(key.Values().begin(), 18)).value.AsDword(), 19u);
    EXPECT_FALSE(key.FindValue("v7"));
}

// A large file read straight into a tree gives the registry its changes give, and the same
// account of the file: sections outside commits go in as they are read, a commit's only when
// it ends intact, a torn one never.
TEST(RegistryFileReading, ReadingStraightIntoATreeGivesWhatTheChangesGive) {
    std::string base = "Windows Registry Editor Version 5.00\n";
    for (int i = 0; i < 700; ++i)
        base += "[HKEY_CURRENT_USER\\A\\K" + std::to_string(i % 500) + "]\n\"v\"=\"" + std::to_string(i) + "\"\n";
    base += "[-HKEY_CURRENT_USER\\A\\K7]\n";
    const std::string commit = FormatCommit("[HKEY_CURRENT_USER\\A\\K8]\n\"v\"=\"c\"\n[-HKEY_CURRENT_USER\\A\\K9]\n");
    const std::string torn = ";diags:commit\n[HKEY_CURRENT_USER\\A\\K10]\n\"v\"=\"t\"\n";
    // A value line after a commit's end, outside any commit, belongs to the commit's last key.
    const std::string after = FormatCommit("[HKEY_CURRENT_USER\\A\\K8]\n\"v\"=\"c\"\n") + "\"after\"=\"x\"\n";
    for (const std::string& text :
         {base, base + commit + base.substr(base.find('\n') + 1), base + commit + torn, base + after + torn}) {
        const std::string bytes = Utf16(text);
        ParsedFile parsed, direct;
        ASSERT_TRUE(ParseRegFile(bytes, "test.reg", parsed).ok());
        RegKey expected, tree;
        ApplyAll(expected, parsed.changes);
        ParseOptions options;
        options.applyTo = &tree;
        ASSERT_TRUE(ParseRegFile(bytes, "test.reg", direct, options).ok());
        std::string want, got;
        FormatTree(expected, "", want);
        FormatTree(tree, "", got);
        EXPECT_EQ(got, want);
        EXPECT_TRUE(direct.changes.empty());
        EXPECT_EQ(direct.intactEnd, parsed.intactEnd);
        EXPECT_EQ(direct.commits, parsed.commits);
        EXPECT_EQ(direct.tornTail, parsed.tornTail);
        EXPECT_EQ(parsed.tornTail, text.ends_with(torn));
    }
}

// The plain values of every type come back from each store (StoreContract); these are the
// ones the writer must escape, split or keep as raw data.
TEST(RegistryFileWriting, AwkwardValuesAndNamesSurviveARoundTripInBothEncodings) {
    RegKey tree;
    RegKey& key = tree.CreatePath("HKEY_CURRENT_USER\\Software\\Round Trip");
    key.SetValue("Text", RegValue::Text("quote \" backslash \\ umlaut ä snowman ☃"));
    key.SetValue("Lines", RegValue::Text("one\r\ntwo"));
    key.SetValue("Dword", RegValue::Dword(0xFFFFFFFFu));
    std::string blob;
    for (int i = 0; i < 300; ++i) blob += static_cast<char>(i);
    key.SetValue("Binary", RegValue{reg::kBinary, blob});
    key.SetValue("NoTerminator", RegValue{reg::kSz, std::string("a\0b", 3)});
    key.SetValue("LastUnitNotNul", RegValue{reg::kSz, std::string("a\0\0b", 4)});
    key.SetValue("name with\na line break", RegValue::Text("x"));  // names keep their own line
    key.SetValue(std::string("cr\r and nul\0 \\n", 16), RegValue::Text("y"));
    tree.CreatePath("HKEY_CURRENT_USER\\Software\\Round Trip\\Child\\Grandchild");

    for (FileEncoding enc : {FileEncoding::Utf16Le, FileEncoding::Utf8}) {
        std::string text;
        FormatTree(*tree.FindChild("HKEY_CURRENT_USER"), "HKEY_CURRENT_USER", text);
        const RegKey back = Load(EncodedHeader(enc) + EncodeText(text, enc));
        const RegKey* k = back.FindPath("HKEY_CURRENT_USER\\Software\\Round Trip");
        ASSERT_NE(k, nullptr);
        ASSERT_EQ(k->Values().size(), key.Values().size());
        for (const auto& v : key.Values()) {
            ASSERT_TRUE(k->FindValue(v.name)) << v.name;
            EXPECT_EQ(*k->FindValue(v.name), v.value) << v.name;
        }
        EXPECT_NE(back.FindPath("HKEY_CURRENT_USER\\Software\\Round Trip\\Child\\Grandchild"), nullptr);
    }
}

TEST(TextEncoding, Utf8AndUtf16ConvertBothWaysAppendingToWhatIsThere) {
    const std::string utf8 = "A \xC3\xA4 \xE2\x82\xAC z \xF0\x9F\x98\x80";  // 1-, 2-, 3- and 4-byte characters
    std::string wide = "xx";
    ASSERT_TRUE(Utf8ToUtf16Le(utf8, wide));
    EXPECT_EQ(wide.substr(0, 2), "xx");
    EXPECT_EQ(wide.size(), 2u + 2u * 10u);  // ten units: the last character takes two
    EXPECT_EQ(wide.substr(2 + 2 * 8, 4), std::string("\x3D\xD8\x00\xDE", 4));  // U+1F600 as D83D DE00
    std::string back = "yy";
    ASSERT_TRUE(Utf16LeToUtf8(std::string_view(wide).substr(2), back));
    EXPECT_EQ(back, "yy" + utf8);
    std::string cut;
    EXPECT_FALSE(Utf8ToUtf16Le("ok\xC3", cut));  // a sequence cut off at the end
    EXPECT_FALSE(Utf8ToUtf16Le("\x80", cut));  // a continuation byte alone
    std::string odd;
    EXPECT_FALSE(Utf16LeToUtf8(std::string("a\0b", 3), odd));
    EXPECT_FALSE(Utf16LeToUtf8(std::string("\x00\xDC", 2), odd));  // a low surrogate alone
    EXPECT_EQ(Cp1252ToUtf8("\x80\xE9\xA0"), "\xE2\x82\xAC\xC3\xA9\xC2\xA0");  // the euro sign takes three bytes
    EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC\xC3\xA9\xC2\xA0"), "\x80\xE9\xA0");  // from 0xA0 on, the same numbers
}

TEST(RegistryFileWriting, WritesTheEditorsHeaderAndUtf16WithAByteOrderMark) {
    const std::string header = EncodedHeader(FileEncoding::Utf16Le);
    ASSERT_GE(header.size(), 4u);
    EXPECT_EQ(header.substr(0, 4), std::string("\xFF\xFEW\0", 4));
    std::string back;
    ASSERT_TRUE(Utf16LeToUtf8(header.substr(2), back));
    EXPECT_EQ(back, "Windows Registry Editor Version 5.00\r\n\r\n");
}

TEST(DamagedRegistryFiles, AreRefusedWithTheFileTheLineAndTheReason) {
    const std::string head = "Windows Registry Editor Version 5.00\n";
    const std::string utf16 = Utf16(head + "[HKCU\\K]\n");
    struct Case {
        std::string bytes, expected;
    } cases[] = {
        {"", "bad.reg, line 1: the file is empty"},
        {"Windows Registry Editor Version 4.00\n", "bad.reg, line 1: not a registry file"},
        {"\x7F" "ELF\x02\x01\x01\0\0\0", "bad.reg, line 1: not a registry file"},
        {head + "[HKEY_CURRENT_USER\\K]\n\"v\"=\"a\\q\"\n", "bad.reg, line 3: bad escape"},
        {head + "[HKEY_CURRENT_USER\\K]\n\"v\"=\"unterminated\n", "bad.reg, line 3: a quoted text is not closed"},
        {head + "[HKEY_CURRENT_USER\\K\n", "bad.reg, line 2: a key line does not end"},
        {head + "[HKEY_NOWHERE\\K]\n", "bad.reg, line 2: unknown root key"},
        {head + "\"v\"=\"x\"\n", "bad.reg, line 2: a value comes before any [key]"},
        {head + "[HKCU\\K]\n\"v\"=dword:123456789\n", "bad.reg, line 3: a dword value needs"},
        {head + "[HKCU\\K]\n\"v\"=dword:xyz\n", "bad.reg, line 3: a dword value has"},
        {head + "[HKCU\\K]\n\"v\"=hex:0g\n", "bad.reg, line 3: a hex value has a byte"},
        {head + "[HKCU\\K]\n\"v\"=hex(zz):00\n", "bad.reg, line 3: a hex(type) value has a bad type"},
        {head + "[HKCU\\K]\n\"v\"=qword:1\n", "bad.reg, line 3: unknown value type"},
        {head + "[HKCU\\K]\ngarbage\n", "bad.reg, line 3: unrecognised line"},
        {head + "[HKCU\\K]\n\"v\"=\"" + std::string(2'000'000, 'x'), "bad.reg, line 3: a quoted text is not closed"},
        {head + ";diags:end 00000000\n", "bad.reg, line 2: a commit end without its beginning"},
        // Files cut off in the middle of a line.
        {head + "[HKEY_CURR", "bad.reg, line 2: a key line does not end"},
        {head + "[HKCU\\K]\n\"Directory\"=\"C:\\\\Lo", "bad.reg, line 3: a quoted text is not closed"},
        {head + "[HKCU\\K]\n\"Blob\"=hex:01,0", "bad.reg, line 3: a hex value has a byte"},
        {head + "[HKCU\\K]\n\"Name", "bad.reg, line 3: a quoted text is not closed"},
        {head + "[HKCU\\K]\n\"Name\"", "bad.reg, line 3: a value name is not followed by '='"},
        {head + "[HKCU\\K]\n\"v\"=hex:01,\\", "bad.reg, line 3: a hex value has a byte"},  // no line to continue on
        // UTF-16 with an odd byte, and with an unpaired surrogate.
        {utf16 + "\x41" + EncodeText("[HKCU\\X]\n\"v\"=\"x\"\n", FileEncoding::Utf16Le),
         "bad.reg, line 3: the bytes are not text"},
        {utf16 + std::string("\"\0v\0\"\0=\0\"\0\x00\xD8\"\0\n\0", 16), "bad.reg, line 3: the bytes are not text"},
    };
    for (const auto& c : cases) EXPECT_TRUE(ParseError(c.bytes).starts_with(c.expected)) << ParseError(c.bytes);
}

TEST(DamagedRegistryFiles, AHugeValidLineIsReadNotRefused) {
    const std::string big(1'000'000, 'y');
    const RegKey tree = Load("Windows Registry Editor Version 5.00\n[HKCU\\K]\n\"v\"=\"" + big + "\"\n");
    EXPECT_EQ(tree.FindPath("HKEY_CURRENT_USER\\K")->FindValue("v")->AsText(), big);
}

}  // namespace
}  // namespace diags::platform::registry
