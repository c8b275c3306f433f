// Registry reads and the Windows directory through the platform seam, against the real registry
// and file system of the machine.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/registry/FileIo.h"
#include "platform/win32/Win32Parts.h"

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
    ::RegSetValueExA(OwnedKey(raw).get(), "Empty", 0, REG_SZ, nullptr, 0);
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

// The file store tells a file appended to from a file replaced by its identity.
TEST(FileSystem, AFileKeepsItsIdentityUntilAnotherIsRenamedOverIt) {
    namespace io = registry::io;
    char folder[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "diags-id-" + std::to_string(::GetCurrentProcessId()) + ".reg";
    const std::string other = path + ".new";
    io::RemoveFile(path);
    io::RemoveFile(other);
    io::File first, second, replacement;
    ASSERT_TRUE(io::File::OpenWrite(path, true, first).ok());
    ASSERT_TRUE(first.WriteAt(0, "one").ok());
    bool missing = true;
    ASSERT_TRUE(io::File::OpenRead(path, second, missing).ok());
    io::FileId a, b;
    ASSERT_TRUE(first.Id(a).ok());
    ASSERT_TRUE(second.Id(b).ok());
    EXPECT_EQ(a.device, b.device);
    EXPECT_EQ(a.inode, b.inode);
    EXPECT_EQ(3u, b.size);
    first = io::File();
    second = io::File();

    ASSERT_TRUE(io::File::OpenWrite(other, true, replacement).ok());
    replacement = io::File();
    ASSERT_TRUE(io::RenameOver(other, path).ok());
    io::File reopened;
    ASSERT_TRUE(io::File::OpenRead(path, reopened, missing).ok());
    io::FileId c;
    ASSERT_TRUE(reopened.Id(c).ok());
    EXPECT_NE(a.inode, c.inode);
    reopened = io::File();
    io::RemoveFile(path);
}

}  // namespace
}  // namespace diags::platform::win32
