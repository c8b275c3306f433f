// The Linux registry answers the registry calls as Windows does: not-found codes, the size
// query, ERROR_MORE_DATA with the needed size, NUL-terminated ANSI strings.
#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"
#include "platform/posix/PosixRegistry.h"
#include "platform/registry/FileStore.h"

namespace diags::platform {
namespace {

using namespace diags::testing;

class RegistryCalls : public ::testing::Test {
protected:
    void SetUp() override {
        WriteBytes(dir_.File("r.reg"),
                   "Windows Registry Editor Version 5.00\r\n\r\n"
                   "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltrane\\Common Files]\r\n"
                   "\"Path\"=\"C:\\\\Program Files\\\\Common Files\\\\Veltrane\\\\\"\r\n"
                   "\"Number\"=dword:00000400\r\n"
                   "\"Accent\"=\"caf\xC3\xA9\"\r\n");
    }
    TempDir dir_;
    registry::FileStore store_{dir_.File("r.reg")};
    std::unique_ptr<Registry> registry_ = posix::MakeStoreRegistry(store_);
};

TEST_F(RegistryCalls, AStringValueIsReadWithItsSizeQueryAndTerminatingNul) {
    RegKeyHandle key = 0;
    ASSERT_EQ(registry_->OpenKey(RootKey::LocalMachine, "SOFTWARE\\Veltrane\\Common Files", 0x20019, key), reg::kSuccess);
    std::uint32_t type = 0, size = 0;
    ASSERT_EQ(registry_->QueryValue(key, "path", &type, nullptr, &size), reg::kSuccess);
    const std::string expected = "C:\\Program Files\\Common Files\\Veltrane\\";
    EXPECT_EQ(type, reg::kSz);
    EXPECT_EQ(size, expected.size() + 1);
    std::string buffer(size, 'x');
    ASSERT_EQ(registry_->QueryValue(key, "Path", &type, buffer.data(), &size), reg::kSuccess);
    EXPECT_EQ(buffer, expected + '\0');
    EXPECT_EQ(registry_->CloseKey(key), reg::kSuccess);
}

TEST_F(RegistryCalls, ASmallBufferGetsMoreDataAndTheNeededSize) {
    RegKeyHandle key = 0;
    ASSERT_EQ(registry_->OpenKey(RootKey::LocalMachine, "SOFTWARE\\Veltrane\\Common Files", 0, key), reg::kSuccess);
    char small[4] = {};
    std::uint32_t size = sizeof small;
    EXPECT_EQ(registry_->QueryValue(key, "Path", nullptr, small, &size), reg::kMoreData);
    EXPECT_EQ(size, 40u);
    char accent[16] = {};
    size = sizeof accent;
    ASSERT_EQ(registry_->QueryValue(key, "Accent", nullptr, accent, &size), reg::kSuccess);
    EXPECT_EQ(std::string(accent, size), std::string("caf\xE9\0", 5));  // ANSI code page
    std::uint32_t number = 0, type = 0;
    size = sizeof number;
    ASSERT_EQ(registry_->QueryValue(key, "Number", &type, reinterpret_cast<char*>(&number), &size), reg::kSuccess);
    EXPECT_EQ(type, reg::kDword);
    EXPECT_EQ(number, 1024u);
    EXPECT_EQ(registry_->CloseKey(key), reg::kSuccess);
}

TEST_F(RegistryCalls, MissingKeysValuesAndHandlesAreReportedAsWindowsDoes) {
    RegKeyHandle key = 77;
    EXPECT_EQ(registry_->OpenKey(RootKey::LocalMachine, "SOFTWARE\\Nobody", 0, key), reg::kFileNotFound);
    EXPECT_EQ(key, 0u);
    EXPECT_EQ(registry_->OpenKey(RootKey::CurrentUser, "SOFTWARE\\Veltrane\\Common Files", 0, key), reg::kFileNotFound);
    ASSERT_EQ(registry_->OpenKey(RootKey::LocalMachine, "software\\veltrane\\common files", 0, key), reg::kSuccess);
    std::uint32_t size = 0;
    EXPECT_EQ(registry_->QueryValue(key, "Nothing", nullptr, nullptr, &size), reg::kFileNotFound);
    EXPECT_EQ(registry_->CloseKey(key), reg::kSuccess);
    EXPECT_EQ(registry_->CloseKey(key), reg::kInvalidHandle);
    EXPECT_EQ(registry_->QueryValue(key, "Path", nullptr, nullptr, &size), reg::kInvalidHandle);
}

TEST_F(RegistryCalls, AnOpenKeySeesValuesSavedLaterByAnotherProgram) {
    RegKeyHandle key = 0;
    ASSERT_EQ(registry_->OpenKey(RootKey::LocalMachine, "SOFTWARE\\Veltrane\\Common Files", 0, key), reg::kSuccess);
    registry::FileStore other(dir_.File("r.reg"));
    registry::KeyChange change;
    change.path = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltrane\\Common Files";
    change.values.push_back({"Path", registry::RegValue::Text("D:\\Elsewhere")});
    ASSERT_TRUE(other.Apply({change}).ok());
    char buffer[64] = {};
    std::uint32_t size = sizeof buffer;
    ASSERT_EQ(registry_->QueryValue(key, "Path", nullptr, buffer, &size), reg::kSuccess);
    EXPECT_STREQ(buffer, "D:\\Elsewhere");
    EXPECT_EQ(registry_->CloseKey(key), reg::kSuccess);
}

}  // namespace
}  // namespace diags::platform
