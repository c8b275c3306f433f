// The host's log configuration as the dialog uses it: components and outputs in host order,
// items by name without regard to case, typed properties, and saves that store one node only.
#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"
#include "base/RuntimeError.h"
#include "hostconfig/LogConfiguration.h"
#include "platform/registry/FileStore.h"

namespace diags::hostconfig {
namespace {

using namespace diags::testing;
namespace registry = platform::registry;

const std::string kRoot = "HKEY_CURRENT_USER\\Software\\Test\\Logs";

class LogConfigurationTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteBytes(file_,
                   "Windows Registry Editor Version 5.00\n"
                   "[" + kRoot + "\\ZEL Zeta]\n"
                   "[" + kRoot + "\\ZEL Zeta\\Second Tracing]\n\"FileSize\"=\"24\"\n"
                   "[" + kRoot + "\\ZEL Zeta\\First Tracing]\n"
                   "\"DebugMonitor\"=dword:00000001\n\"LogToFile\"=dword:00000000\n\"CircularLogFile\"=\"\"\n"
                   "\"ErrorThreshold\"=dword:0000ffff\n\"FileName\"=\"Trace.log\"\n"
                   "\"Directory\"=\"C:\\\\Logs\\\\caf\xC3\xA9\"\n\"FileSize\"=\"99999\"\n"
                   "[" + kRoot + "\\ZEL Alpha]\n"
                   "[" + kRoot + "\\ZEL Errors]\n\"LogToFile\"=dword:00000001\n");
    }
    LogConfigNodePtr Open() { return LogConfiguration::Open(store_, kRoot); }
    // An output of ZEL Zeta in a new configuration.
    LogConfigNodePtr Zeta(const std::string& output) {
        return Open()->Children().Item("ZEL Zeta")->Children().Item(output);
    }

    TempDir dir_;
    std::string file_ = dir_.File("r.reg");
    registry::FileStore store_{file_};
};

TEST_F(LogConfigurationTest, ComponentsAndOutputsComeInHostOrderAndAreFoundByNameInAnyCaseOrNotAtAll) {
    const auto root = Open();
    ASSERT_EQ(root->Children().Count(), 3);
    EXPECT_EQ(root->Children().Item(1)->Name(), "ZEL Zeta");
    EXPECT_EQ(root->Children().Item(2)->Name(), "ZEL Alpha");
    EXPECT_EQ(root->Children().Item(3)->Name(), "ZEL Errors");
    const auto zeta = root->Children().Item("zel ZETA");
    ASSERT_EQ(zeta->Children().Count(), 2);
    std::vector<std::string> names;
    for (const auto& output : zeta->Children()) names.emplace_back(output->Name());
    EXPECT_EQ(names, (std::vector<std::string>{"Second Tracing", "First Tracing"}));
    EXPECT_EQ(zeta->Children().Item("FIRST tracing")->Children().Count(), 0);
    // A missing item is a subscript error.
    EXPECT_EQ(testing::ErrorOf([&] { root->Children().Item("ZEL Nobody"); }), err::kSubscript);
    EXPECT_THROW(root->Children().Item(0), RuntimeError);
    EXPECT_THROW(root->Children().Item(4), RuntimeError);
    EXPECT_EQ(root->Children().Find("ZEL Nobody"), nullptr);
    // A node held alone keeps its configuration: its path is still made from its parents.
    EXPECT_EQ(Zeta("first TRACING")->KeyPath(), kRoot + "\\ZEL Zeta\\First Tracing");
}

TEST_F(LogConfigurationTest, PropertiesAreReadWithTheirDocumentedTypes) {
    const auto first = Zeta("First Tracing");
    EXPECT_EQ(first->Property(prop::kDebugMonitor), PropertyValue(true));
    EXPECT_EQ(first->Property(prop::kLogToFile), PropertyValue(false));
    EXPECT_EQ(first->Property(prop::kAppendToFile), PropertyValue(false));  // missing reads as off
    EXPECT_EQ(first->Property(prop::kErrorThreshold), PropertyValue(std::int16_t{-1}));  // 0xffff signed
    EXPECT_EQ(first->Property(prop::kFileName), PropertyValue(std::string("Trace.log")));
    EXPECT_EQ(first->Property(prop::kDirectory), PropertyValue(std::string("C:\\Logs\\caf\xE9")));  // ANSI
    EXPECT_EQ(first->Property(prop::kFileSize), PropertyValue(99999.0));
    EXPECT_EQ(first->Property(prop::kMessageDll), PropertyValue(std::string()));
    EXPECT_THROW(first->Property(prop::kCircularLogFile), RuntimeError);  // an empty text is no boolean
    EXPECT_THROW(first->Property(9), RuntimeError);
    EXPECT_THROW(first->Property(-1), RuntimeError);
}

TEST_F(LogConfigurationTest, AllPropertiesAtOnceReadWhatEachReadsAloneAndUnreadableOnesAsNothing) {
    // Names in another case, and a put not saved yet, which hides the stored value.
    ASSERT_TRUE(store_.Apply({{kRoot + "\\ZEL Zeta\\Second Tracing", false,
                               {{"filename", registry::RegValue::Text("b.log")},
                                {"LOGTOFILE", registry::RegValue::Dword(1)},
                                {"ErrorThreshold", registry::RegValue::Text("high")}}}})
                    .ok());
    const auto second = Zeta("Second Tracing");
    second->SetProperty(prop::kFileSize, 7.5);
    for (const LogConfigNodePtr& node : {Zeta("First Tracing"), second}) {
        const LogConfigNode::PropertyValues values = node->Properties();
        for (std::int32_t index = 0; index < 9; ++index) {
            std::optional<PropertyValue> alone;
            try {
                alone = node->Property(index);
            } catch (const RuntimeError&) {
            }
            EXPECT_EQ(values[static_cast<std::size_t>(index)], alone) << node->Name() << " property " << index;
        }
    }
    EXPECT_EQ(second->Properties()[prop::kFileSize], PropertyValue(7.5));
    EXPECT_EQ(second->Properties()[prop::kLogToFile], PropertyValue(true));
    EXPECT_EQ(second->Properties()[prop::kErrorThreshold], std::nullopt);
}

TEST_F(LogConfigurationTest, SavedValuesOfEveryTypeReadBackExactlyIncludingFractionalSizes) {
    const std::string directory = "D:\\Tr\xE4" "ces";
    const struct {
        std::int32_t property;
        PropertyValue put, read;
    } cases[] = {
        {prop::kCircularLogFile, true, true},
        {prop::kAppendToFile, std::int16_t{-1}, true},  // any non-zero number is true
        {prop::kDirectory, directory, directory},
        {prop::kFileName, std::string("Out.log"), std::string("Out.log")},
        {prop::kFileSize, 24.1, 24.1},
        {prop::kLogToFile, std::string("True"), true},
        {prop::kDebugMonitor, std::string(" false "), false},
        {prop::kErrorThreshold, 2.5, std::int16_t{2}},  // rounds half to even
    };
    {
        const auto node = Zeta("Second Tracing");
        for (const auto& c : cases) node->SetProperty(c.property, c.put);
        for (const auto& c : cases) EXPECT_EQ(node->Property(c.property), c.read) << "put " << c.property;
        const std::string before = ReadBytes(file_);
        EXPECT_EQ(Zeta("Second Tracing")->Property(prop::kFileName), PropertyValue(std::string()));  // not yet saved
        EXPECT_EQ(ReadBytes(file_), before);
        node->Save();
    }
    const auto node = Zeta("Second Tracing");
    for (const auto& c : cases) EXPECT_EQ(node->Property(c.property), c.read) << "property " << c.property;
    for (double size : {0.1, 1e-300, 123456.789, 99999.00000000001}) {
        node->SetProperty(prop::kFileSize, size);
        node->Save();
        EXPECT_EQ(Zeta("Second Tracing")->Property(prop::kFileSize), PropertyValue(size));
    }
}

TEST_F(LogConfigurationTest, ValuesThatCannotBeConvertedAreRefusedWithoutTouchingTheNode) {
    const auto node = Zeta("First Tracing");
    EXPECT_THROW(node->SetProperty(prop::kFileSize, std::string("big")), RuntimeError);
    EXPECT_THROW(node->SetProperty(prop::kErrorThreshold, 40000.0), RuntimeError);
    EXPECT_THROW(node->SetProperty(prop::kDebugMonitor, std::string("maybe")), RuntimeError);
    EXPECT_THROW(node->SetProperty(1234, true), RuntimeError);
    EXPECT_FALSE(node->HasUnsavedChanges());
}

TEST_F(LogConfigurationTest, ANewConfigurationSeesAnEditMadeInPlaceWithTheSameLength) {
    ASSERT_EQ(Zeta("First Tracing")->Property(prop::kDebugMonitor), PropertyValue(true));
    std::string bytes = ReadBytes(file_);
    const auto at = bytes.find("\"DebugMonitor\"=dword:00000001");
    ASSERT_NE(at, std::string::npos);
    bytes[at + 28] = '0';  // same length, same ending: only a value far from the end differs
    WriteBytes(file_, bytes);
    EXPECT_EQ(Zeta("First Tracing")->Property(prop::kDebugMonitor), PropertyValue(false));
}

TEST_F(LogConfigurationTest, AMalformedStoreIsAnErrorNamingTheFileAndLine) {
    WriteBytes(file_, "Windows Registry Editor Version 5.00\n[" + kRoot + "]\n\"x\"=dword:zz\n");
    const auto e = testing::RaisedError([&] { Open(); });
    ASSERT_TRUE(e);
    EXPECT_NE(e->Description().find(file_ + ", line 3"), std::string::npos) << e->Description();
}

}  // namespace
}  // namespace diags::hostconfig
