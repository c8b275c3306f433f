// Reading the default log directory from the registry: strings and numbers are read, other
// types and missing keys give an empty value. Runs against the real registry store on a
// temporary registry file.
#include <gtest/gtest.h>

#if !defined(_WIN32)

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "common/modRegistry.h"
#include "platform/Platform.h"
#include "platform/posix/PosixRegistry.h"
#include "platform/registry/FileStore.h"

namespace diags {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kKey = "SOFTWARE\\Veltrane\\Common Files";

class RegistryRead : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "regread-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        std::ofstream(dir_ / "registry.reg", std::ios::binary)
            << "Windows Registry Editor Version 5.00\r\n\r\n"
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltrane\\Common Files]\r\n"
               "\"Path\"=\"C:\\\\Program Files\\\\Common Files\\\\Veltrane\"\r\n"
               "\"Empty\"=\"\"\r\n"
               "\"Count\"=dword:0000002a\r\n"
               "\"Negative\"=dword:ffffffff\r\n"
               "\"Expandable\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,00,00\r\n"
               "\"Blob\"=hex:01,02\r\n\r\n";
        store_ = std::make_unique<platform::registry::FileStore>((dir_ / "registry.reg").string());
        registry_ = platform::posix::MakeStoreRegistry(*store_);
        installed_ = std::make_unique<platform::ScopedPart<platform::Registry>>(&platform::Platform::registry,
                                                                                *registry_);
    }
    void TearDown() override {
        installed_.reset();
        registry_.reset();
        store_.reset();
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    // Opens the key the way GetRegistryValue does, reads one value, closes the key.
    std::int32_t Query(std::string_view name, RegistryValue& value) {
        platform::RegKeyHandle key = 0;
        EXPECT_EQ(registry_->OpenKey(platform::RootKey::LocalMachine, kKey, 0x3F, key), 0);
        const std::int32_t result = QueryRegValue(key, name, value);
        registry_->CloseKey(key);
        return result;
    }

    fs::path dir_;
    std::unique_ptr<platform::registry::FileStore> store_;
    std::unique_ptr<platform::Registry> registry_;
    std::unique_ptr<platform::ScopedPart<platform::Registry>> installed_;
};

TEST_F(RegistryRead, AStringValueReadsWithoutItsTerminatingNul) {
    const RegistryValue value = GetRegistryValue(kKey, "Path");
    ASSERT_TRUE(std::holds_alternative<std::string>(value));
    EXPECT_EQ(std::get<std::string>(value), "C:\\Program Files\\Common Files\\Veltrane");
}

TEST_F(RegistryRead, ANumberReadsAsASigned32BitValue) {
    EXPECT_EQ(GetRegistryValue(kKey, "Count"), RegistryValue(std::int32_t{42}));
    EXPECT_EQ(GetRegistryValue(kKey, "Negative"), RegistryValue(std::int32_t{-1}));
}

TEST_F(RegistryRead, OtherTypesAreNotSupportedAndLeaveTheValueAlone) {
    RegistryValue value = std::string("before");
    EXPECT_EQ(Query("Expandable", value), -1);
    EXPECT_EQ(value, RegistryValue(std::string("before")));
    EXPECT_EQ(Query("Blob", value), -1);
    EXPECT_EQ(GetRegistryValue(kKey, "Expandable"), RegistryValue{});
}

TEST_F(RegistryRead, AnEmptyStringLeavesTheValueEmpty) {
    RegistryValue value;
    EXPECT_EQ(Query("Empty", value), 0);
    EXPECT_TRUE(value == RegistryValue{} || value == RegistryValue(std::string()));
}

TEST_F(RegistryRead, MissingValuesAndKeysGiveTheErrorCodeAndAnEmptyValue) {
    RegistryValue value = std::int32_t{7};
    EXPECT_EQ(Query("NoSuchValue", value), platform::reg::kFileNotFound);
    EXPECT_EQ(value, RegistryValue(std::int32_t{7}));  // the first query failed: untouched
    EXPECT_EQ(GetRegistryValue(kKey, "NoSuchValue"), RegistryValue{});
    EXPECT_EQ(GetRegistryValue("SOFTWARE\\Nobody", "Path"), RegistryValue{});
}

}  // namespace
}  // namespace diags

#endif
