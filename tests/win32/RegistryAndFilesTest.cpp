// Registry reads and writes in the product's view, and file identities, against the real registry
// and file system of the machine.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <optional>
#include <string>

#include "platform/registry/FileIo.h"
#include "platform/registry/Store.h"
#include "platform/win32/Win32Parts.h"

namespace diags::platform::win32 {
namespace {

// The registry calls' shared behaviour is checked in tests/store (RegistryCallsTest); here, what
// only the real registry has. The product's machine keys live in the 32-bit view, where the
// 32-bit client's installer writes them. A program of either bitness reads and writes that view,
// and only that view: a different value in the 64-bit view is never seen or touched. (That the
// component and the console tool of both builds read the product folder from it is checked
// by scripts/test-wine.sh.)
class ProductView : public ::testing::Test {
protected:
    static constexpr const char* kPath = "Software\\DiagsConfigViewTest";
    void SetUp() override {
        Write(KEY_WOW64_32KEY, "32-bit view");
        Write(KEY_WOW64_64KEY, "64-bit view");
    }
    void TearDown() override {
        for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kPath, view, 0);
    }
    static void Write(REGSAM view, const char* text) {
        OwnedKey key;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kPath, 0, nullptr, 0, KEY_ALL_ACCESS | view,
                                                   nullptr, key.put(), nullptr));
        ::RegSetValueExA(key.get(), "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                         static_cast<DWORD>(std::strlen(text) + 1));
    }
    static std::string Read(REGSAM view) {
        OwnedKey key;
        char text[64] = {};
        DWORD size = sizeof text - 1;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPath, 0, KEY_READ | view, key.put()) != ERROR_SUCCESS ||
            ::RegQueryValueExA(key.get(), "Path", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS)
            return "(none)";
        return text;
    }
    static std::string Machine(std::string_view rest) { return "HKEY_LOCAL_MACHINE\\" + std::string(kPath) + std::string(rest); }
};

TEST_F(ProductView, TheSeamReadsAndTheStoreReadsWritesAndDeletesOnlyIn32BitView) {
    Win32Registry registry;  // as the panel reads the product folder
    RegKeyHandle key = 0;
    char text[64] = {};
    std::uint32_t type = 0, size = sizeof text;
    ASSERT_EQ(reg::kSuccess, registry.OpenKey(RootKey::LocalMachine, kPath, KEY_READ, key));
    EXPECT_EQ(reg::kSuccess, registry.QueryValue(key, "Path", &type, text, &size));
    EXPECT_STREQ("32-bit view", text);
    registry.CloseKey(key);

    registry::Store& store = registry::NativeStore();
    std::optional<registry::RegKey> tree;
    ASSERT_TRUE(store.ReadTree(Machine(""), tree).ok());
    ASSERT_TRUE(tree && tree->FindValue("Path"));
    EXPECT_EQ("32-bit view", tree->FindValue("Path")->AsText().value_or(""));
    ASSERT_TRUE(store.Apply({registry::KeyChange{Machine(""), false, {{"Path", registry::RegValue::Text("saved")}}}}).ok());
    EXPECT_EQ("saved", Read(KEY_WOW64_32KEY));
    EXPECT_EQ("64-bit view", Read(KEY_WOW64_64KEY));
    ASSERT_TRUE(store.Apply({registry::KeyChange{Machine(""), true, {}}}).ok());
    EXPECT_EQ("(none)", Read(KEY_WOW64_32KEY));
    EXPECT_EQ("64-bit view", Read(KEY_WOW64_64KEY));
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
