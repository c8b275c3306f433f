// Registry reads and file-system lookups through the platform seam, against the real
// registry and file system of the machine (a scratch key and a scratch directory).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/win32/Win32Parts.h"
#include "tests/support/TestSupport.h"

namespace diags::platform::win32 {
namespace {

constexpr std::uint32_t kAccess = 0x3F;

// The registry calls' shared behaviour is checked in tests/store (RegistryCallsTest); here, what
// only the real registry has: values stored without any data, and the machine's own keys.
TEST(Registry, AStringStoredWithoutDataHasSizeZero) {
    const std::string path = "Software\\DiagsConfigTests\\Key" + std::to_string(::GetCurrentProcessId());
    HKEY raw = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                               &raw, nullptr));
    ::RegSetValueExA(UniqueKey(raw).get(), "Empty", 0, REG_SZ, nullptr, 0);
    Win32Registry registry;
    RegKeyHandle key = 0;
    ASSERT_EQ(reg::kSuccess, registry.OpenKey(RootKey::CurrentUser, path, kAccess, key));
    std::uint32_t type = 0, size = 99;
    EXPECT_EQ(reg::kSuccess, registry.QueryValue(key, "Empty", &type, nullptr, &size));
    EXPECT_EQ(reg::kSz, type);
    EXPECT_EQ(0u, size);
    registry.CloseKey(key);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\DiagsConfigTests");
}

TEST(Registry, MachineKeysOpenWithTheDocumentedAccessMask) {
    Win32Registry registry;
    RegKeyHandle key = 0;
    ASSERT_EQ(reg::kSuccess, registry.OpenKey(RootKey::LocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion",
                                              kAccess, key));
    std::uint32_t type = 0, size = 0;
    EXPECT_EQ(reg::kSuccess, registry.QueryValue(key, "CurrentVersion", &type, nullptr, &size));
    EXPECT_EQ(reg::kSz, type);
    EXPECT_EQ(reg::kSuccess, registry.CloseKey(key));
}

class ScratchDirectory : public ::testing::Test {
protected:
    diags::testing::TempDir dir_;
    const std::string root_ = dir_.Path().string();
    Win32FileSystem fs_;
};

TEST_F(ScratchDirectory, FilesAndDirectoriesBothCountAsEntries) {
    EXPECT_TRUE(fs_.EntryExists(root_));
    EXPECT_TRUE(fs_.EntryExists(root_ + "\\"));
    EXPECT_FALSE(fs_.EntryExists(root_ + "\\file.txt"));
    const HANDLE file = ::CreateFileA((root_ + "\\file.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    ::CloseHandle(file);
    EXPECT_TRUE(fs_.EntryExists(root_ + "\\file.txt"));
    EXPECT_TRUE(fs_.EntryExists("C:\\"));
    EXPECT_FALSE(fs_.EntryExists(""));
}

TEST_F(ScratchDirectory, MakeDirectoryCreatesOneLevelAndExplainsFailures) {
    EXPECT_EQ(std::nullopt, fs_.MakeDirectory(root_ + "\\A"));
    EXPECT_TRUE(fs_.EntryExists(root_ + "\\A"));
    const auto again = fs_.MakeDirectory(root_ + "\\A");
    ASSERT_TRUE(again.has_value());
    EXPECT_FALSE(again->empty());
    EXPECT_TRUE(fs_.MakeDirectory(root_ + "\\B\\C").has_value());  // parents are not created
    EXPECT_FALSE(fs_.EntryExists(root_ + "\\B"));
    EXPECT_EQ('\\', fs_.Separator());
}

TEST(FileSystem, WindowsDirectoryBufferIsTheWholeNulPaddedBuffer) {
    Win32FileSystem fs;
    const std::string buffer = fs.WindowsDirectoryBuffer(256);
    ASSERT_EQ(256u, buffer.size());
    char expected[MAX_PATH] = {};
    ::GetWindowsDirectoryA(expected, MAX_PATH);
    const std::size_t length = std::string(expected).size();
    ASSERT_GT(length, 2u);
    EXPECT_EQ(expected, buffer.substr(0, length));
    EXPECT_EQ(std::string(256 - length, '\0'), buffer.substr(length));
    EXPECT_TRUE(fs.EntryExists(buffer.substr(0, length)));
}

}  // namespace
}  // namespace diags::platform::win32
