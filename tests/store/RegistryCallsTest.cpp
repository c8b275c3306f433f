// The registry calls answer as Windows does on every platform (the Linux registry over its file
// store, the real registry on Windows): not-found codes, the size query, ERROR_MORE_DATA with the
// needed size, NUL-terminated ANSI strings, and values another program saved later.
#include <gtest/gtest.h>

#include "platform/registry/FileStore.h"
#include "tests/support/TestSupport.h"
#ifdef _WIN32
#include "platform/win32/RegistryStoreWin32.h"
#include "platform/win32/Win32Parts.h"
#else
#include "platform/posix/PosixRegistry.h"
#endif

namespace diags::platform {
namespace {

const std::string kScratch = "Software\\DiagsRegistryCalls";
const std::string kPath = kScratch + "\\Common Files";

class RegistryCalls : public ::testing::Test {
protected:
    void SetUp() override {
        registry::KeyChange values;
        values.path = "HKEY_CURRENT_USER\\" + kPath;
        values.values = {{"Path", registry::RegValue::Text("C:\\Program Files\\Common Files\\Veltrane\\")},
                         {"Number", registry::RegValue::Dword(0x400)},
                         {"Accent", registry::RegValue::Text("caf\xC3\xA9")},
                         {"Expandable", registry::RegValue::Text("%WINDIR%\\Temp", reg::kExpandSz)},
                         {"Empty", registry::RegValue::Text("")}};
        ASSERT_TRUE(store_->Apply({values}).ok());
    }
    void TearDown() override {
        registry::KeyChange gone;
        gone.path = "HKEY_CURRENT_USER\\" + kScratch;
        gone.deleteKey = true;
        (void)store_->Apply({gone});
    }
    RegKeyHandle Open() {
        RegKeyHandle key = 0;
        EXPECT_EQ(registry_->OpenKey(RootKey::CurrentUser, kPath, 0x20019, key), reg::kSuccess);
        return key;
    }
#ifdef _WIN32
    std::unique_ptr<registry::Store> AnotherProgramsStore() { return std::make_unique<win32::RegistryStoreWin32>(); }
    std::unique_ptr<registry::Store> store_ = AnotherProgramsStore();
    std::unique_ptr<Registry> registry_ = std::make_unique<win32::Win32Registry>();
#else
    std::unique_ptr<registry::Store> AnotherProgramsStore() {
        return std::make_unique<registry::FileStore>(dir_.File("r.reg"));
    }
    testing::TempDir dir_;
    std::unique_ptr<registry::Store> store_ = AnotherProgramsStore();
    std::unique_ptr<Registry> registry_ = posix::MakeStoreRegistry(*store_);
#endif
};

TEST_F(RegistryCalls, ASmallBufferGetsMoreDataAndTheNeededSizeAndEveryTypeReportsItsOwn) {
    const RegKeyHandle key = Open();
    char small[4] = {};
    std::uint32_t size = sizeof small;
    EXPECT_EQ(registry_->QueryValue(key, "path", nullptr, small, &size), reg::kMoreData);  // names in any case
    EXPECT_EQ(size, 40u);  // the text and its terminating NUL
    char accent[16] = {};
    size = sizeof accent;
    ASSERT_EQ(registry_->QueryValue(key, "Accent", nullptr, accent, &size), reg::kSuccess);
    EXPECT_EQ(std::string(accent, size), std::string("caf\xE9\0", 5));  // ANSI code page
    std::uint32_t number = 0, type = 0;
    size = sizeof number;
    ASSERT_EQ(registry_->QueryValue(key, "Number", &type, reinterpret_cast<char*>(&number), &size), reg::kSuccess);
    EXPECT_EQ(type, reg::kDword);
    EXPECT_EQ(number, 1024u);
    size = 0;
    ASSERT_EQ(registry_->QueryValue(key, "Expandable", &type, nullptr, &size), reg::kSuccess);
    EXPECT_EQ(type, reg::kExpandSz);
    size = 99;
    ASSERT_EQ(registry_->QueryValue(key, "Empty", &type, nullptr, &size), reg::kSuccess);
    EXPECT_EQ(type, reg::kSz);
    EXPECT_EQ(size, 1u);  // the terminator only
    EXPECT_EQ(registry_->CloseKey(key), reg::kSuccess);
}

TEST_F(RegistryCalls, MissingKeysValuesAndHandlesAreReportedAsWindowsDoes) {
    RegKeyHandle key = 77;
    EXPECT_EQ(registry_->OpenKey(RootKey::CurrentUser, kScratch + "\\Nobody", 0x20019, key), reg::kFileNotFound);
    EXPECT_EQ(key, 0u);
    EXPECT_EQ(registry_->OpenKey(RootKey::LocalMachine, kPath, 0x20019, key), reg::kFileNotFound);
    std::uint32_t size = 0;
    EXPECT_NE(registry_->QueryValue(key, "Path", nullptr, nullptr, &size), reg::kSuccess);
    ASSERT_EQ(registry_->OpenKey(RootKey::CurrentUser, "software\\diagsregistrycalls\\COMMON FILES", 0x20019, key),
              reg::kSuccess);
    EXPECT_EQ(registry_->QueryValue(key, "Nothing", nullptr, nullptr, &size), reg::kFileNotFound);
    EXPECT_EQ(registry_->CloseKey(key), reg::kSuccess);
    EXPECT_EQ(registry_->CloseKey(key), reg::kInvalidHandle);
    EXPECT_EQ(registry_->QueryValue(key, "Path", nullptr, nullptr, &size), reg::kInvalidHandle);
}

TEST_F(RegistryCalls, AnOpenKeySeesValuesSavedLaterByAnotherProgram) {
    const RegKeyHandle key = Open();
    registry::KeyChange change;
    change.path = "HKEY_CURRENT_USER\\" + kPath;
    change.values.push_back({"Path", registry::RegValue::Text("D:\\Elsewhere")});
    ASSERT_TRUE(AnotherProgramsStore()->Apply({change}).ok());
    char buffer[64] = {};
    std::uint32_t size = sizeof buffer;
    ASSERT_EQ(registry_->QueryValue(key, "Path", nullptr, buffer, &size), reg::kSuccess);
    EXPECT_STREQ(buffer, "D:\\Elsewhere");
    EXPECT_EQ(registry_->CloseKey(key), reg::kSuccess);
}

}  // namespace
}  // namespace diags::platform
