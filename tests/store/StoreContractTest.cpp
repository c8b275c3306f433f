// What every registry store backend promises, run against each of them: the file store
// everywhere, and the real registry on Windows (under a scratch key of the current user).
#include <functional>
#include <ostream>
#include <memory>

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"
#include "platform/Platform.h"
#include "platform/registry/FileStore.h"
#ifdef _WIN32
#include <windows.h>

#include "platform/win32/RegistryStoreWin32.h"
#endif

namespace diags::platform::registry {
namespace {

struct Backend {
    std::string name;
    std::function<std::unique_ptr<Store>(const std::string& scratch)> make;
    friend void PrintTo(const Backend& backend, std::ostream* os) { *os << backend.name; }
};

class StoreContract : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        root_ = "HKEY_CURRENT_USER\\Software\\DiagsStoreTest\\" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        store_ = GetParam().make(dir_.File("registry.reg"));
    }
    void TearDown() override {
        KeyChange gone;
        gone.path = "HKEY_CURRENT_USER\\Software\\DiagsStoreTest";
        gone.deleteKey = true;
        (void)store_->Apply({gone});
    }
    std::optional<RegKey> Read(const std::string& path) {
        std::optional<RegKey> key;
        const Status s = store_->ReadTree(path, key);
        EXPECT_TRUE(s.ok()) << s.message();
        return key;
    }

    diags::testing::TempDir dir_;
    std::string root_;
    std::unique_ptr<Store> store_;
};

TEST_P(StoreContract, ValuesOfEveryTypeAndUnicodeNamesComeBackExactly) {
    KeyChange c;
    c.path = root_ + "\\Grüße ☃";
    c.values = {{"", RegValue::Text("default")},
                {"Text", RegValue::Text("C:\\Logs\\café ☃")},
                {"Empty", RegValue::Text("")},
                {"Number", RegValue::Dword(0xDEADBEEF)},
                {"Expand", RegValue::Text("%TEMP%\\x", reg::kExpandSz)},
                {"Multi", RegValue{reg::kMultiSz, std::string("a\0\0\0b\0\0\0\0\0", 10)}},
                {"Binary", RegValue{reg::kBinary, std::string("\x00\xFF\x10", 3)}},
                {"Qword", RegValue{reg::kQword, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)}}};
    ASSERT_TRUE(store_->Apply({c}).ok());
    const auto key = Read(c.path);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->Values().size(), c.values.size());
    for (const auto& v : c.values) {
        ASSERT_TRUE(key->FindValue(v.name)) << v.name;
        EXPECT_EQ(*key->FindValue(v.name), *v.value) << v.name;
    }
}

TEST_P(StoreContract, DeletionsOfValuesAndWholeKeysTakeEffectAndAMissingKeyReadsAsAbsent) {
    const std::string b = root_ + "\\A\\B", c = root_ + "\\C";
    ASSERT_TRUE(store_->Apply({{b, false, {{"keep", RegValue::Dword(1)}, {"drop", RegValue::Dword(2)}}}, {c, false, {}}}).ok());
    ASSERT_TRUE(store_->Apply({{b, false, {{"drop", std::nullopt}}}, {c, true, {}}}).ok());
    const auto root = Read(root_);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->FindChild("C"), nullptr);
    EXPECT_FALSE(Read(c));  // absent, not an error
    const RegKey* key = root->FindPath("a\\b");  // names without regard to case
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(key->FindValue("KEEP"));
    EXPECT_FALSE(key->FindValue("drop"));
}

TEST_P(StoreContract, InstallingIntoAMissingKeyHappensOnceOnly) {
    const std::string config = root_ + "\\Config", item = config + "\\Item";
    bool applied = false;
    ASSERT_TRUE(store_->ApplyIfMissing(config, {{item, false, {{"v", RegValue::Text("first")}}}}, applied).ok());
    EXPECT_TRUE(applied);
    ASSERT_TRUE(store_->ApplyIfMissing(config, {{item, false, {{"v", RegValue::Text("second")}}}}, applied).ok());
    EXPECT_FALSE(applied);
    EXPECT_EQ(Read(item)->FindValue("v")->AsText(), "first");
}

TEST_P(StoreContract, SavesInANestedBatchAreReadableAtOnceAndAfterTheBatchEnds) {
    store_->BeginBatch();
    store_->BeginBatch();
    for (int i = 0; i < 20; ++i) {
        KeyChange c;
        c.path = root_ + "\\Node" + std::to_string(i);
        c.values = {{"v", RegValue::Dword(static_cast<std::uint32_t>(i))}, {"w", RegValue::Text("x")}};
        ASSERT_TRUE(store_->Apply({c}).ok());
        const auto key = Read(c.path);  // seen before any flush
        ASSERT_TRUE(key && key->FindValue("v"));
        EXPECT_EQ(*key->FindValue("v"), RegValue::Dword(static_cast<std::uint32_t>(i)));
    }
    const Status inner = store_->EndBatch();
    EXPECT_TRUE(inner.ok()) << inner.message();
    const Status outer = store_->EndBatch();
    EXPECT_TRUE(outer.ok()) << outer.message();
    EXPECT_TRUE(store_->EndBatch().ok());  // an end without a batch does nothing
    const auto root = Read(root_);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->Children().size(), 20u);
}

// A store may keep what it read; it must never hand out what another program changed since.
TEST_P(StoreContract, EachReadSeesWhatAnotherStoreSavedSinceTheLastOne) {
    const std::string deep = root_ + "\\A\\B\\C", later = root_ + "\\Later";
    ASSERT_TRUE(store_->Apply({{deep, false, {{"v", RegValue::Dword(1)}}}}).ok());
    const auto other = GetParam().make(dir_.File("registry.reg"));
    const auto deepValue = [&]() -> std::optional<std::uint32_t> {
        const auto root = Read(root_);
        const RegKey* key = root ? root->FindPath("A\\B\\C") : nullptr;
        if (!key || !key->FindValue("v")) return std::nullopt;
        return key->FindValue("v")->AsDword();
    };
    EXPECT_EQ(deepValue(), 1u);
    EXPECT_EQ(deepValue(), 1u);  // unchanged: may come from what the store kept

    ASSERT_TRUE(other->Apply({{deep, false, {{"v", RegValue::Dword(2)}}}}).ok());
    EXPECT_EQ(deepValue(), 2u);  // a value deep below
    ASSERT_TRUE(other->Apply({{deep + "\\D", false, {}}}).ok());
    EXPECT_TRUE(Read(root_)->FindPath("A\\B\\C\\D"));  // a key added deep below

    EXPECT_FALSE(Read(later));
    ASSERT_TRUE(other->Apply({{later, false, {}}}).ok());
    EXPECT_TRUE(Read(later));  // a missing key made
    ASSERT_TRUE(other->Apply({{later, true, {}}}).ok());
    EXPECT_FALSE(Read(later));  // an empty key removed
    ASSERT_TRUE(other->Apply({{later, false, {{"w", RegValue::Text("again")}}}}).ok());
    const auto made = Read(later);  // and made again
    ASSERT_TRUE(made && made->FindValue("w"));
    EXPECT_EQ(made->FindValue("w")->AsText(), "again");
}

std::vector<Backend> Backends() {
    std::vector<Backend> all = {{"FileStore", [](const std::string& file) -> std::unique_ptr<Store> {
                                     return std::make_unique<FileStore>(file);
                                 }}};
#ifdef _WIN32
    all.push_back({"WindowsRegistry", [](const std::string&) -> std::unique_ptr<Store> {
                       return std::make_unique<win32::RegistryStoreWin32>();
                   }});
#endif
    return all;
}

INSTANTIATE_TEST_SUITE_P(Backends, StoreContract, ::testing::ValuesIn(Backends()),
                         [](const ::testing::TestParamInfo<Backend>& info) { return info.param.name; });

}  // namespace
}  // namespace diags::platform::registry
