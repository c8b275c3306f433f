// Registry reads (real store on a temporary registry file), the system language, form fonts
// and styles, and releasing collections.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "common/modCommonFunctions.h"
#include "common/modRegistry.h"
#include "forms/BasicControls.h"
#include "forms/Form.h"
#include "forms/OptionButton.h"
#include "forms/TextBox.h"
#include "model/KeyedCollection.h"
#include "tests/support/TestSupport.h"
#if !defined(_WIN32)
#include "platform/posix/PosixRegistry.h"
#include "platform/registry/FileStore.h"
#endif

namespace diags {
namespace {

#if !defined(_WIN32)
namespace fs = std::filesystem;
constexpr std::string_view kKey = "SOFTWARE\\Veltrane\\Common Files";

TEST(Registry, ReadsStringsAndNumbersAndGivesNothingForOtherTypesOrMissingEntries) {
    const testing::TempDir dir;
    const std::string file = dir.File("registry.reg");
    std::ofstream(file, std::ios::binary) << "Windows Registry Editor Version 5.00\r\n\r\n"
                                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltrane\\Common Files]\r\n"
                                             "\"Path\"=\"C:\\\\Program Files\\\\Veltrane\"\r\n"
                                             "\"Empty\"=\"\"\r\n"
                                             "\"Negative\"=dword:ffffffff\r\n"
                                             "\"Expandable\"=hex(2):25,00,54,00,00,00\r\n\r\n";
    {
        platform::registry::FileStore store(file);
        const auto registry = platform::posix::MakeStoreRegistry(store);
        platform::ScopedPart<platform::Registry> installed(&platform::Platform::registry, *registry);
        EXPECT_EQ(GetRegistryValue(kKey, "Path"), RegistryValue(std::string("C:\\Program Files\\Veltrane")));
        EXPECT_EQ(GetRegistryValue(kKey, "Negative"), RegistryValue(std::int32_t{-1}));
        EXPECT_EQ(GetRegistryValue(kKey, "Expandable"), RegistryValue{});
        EXPECT_EQ(GetRegistryValue(kKey, "Missing"), RegistryValue{});
        EXPECT_EQ(GetRegistryValue("SOFTWARE\\Nobody", "Path"), RegistryValue{});

        platform::RegKeyHandle key = 0;
        ASSERT_EQ(registry->OpenKey(platform::RootKey::LocalMachine, kKey, 0x3F, key), 0);
        RegistryValue value = std::int32_t{7};
        EXPECT_EQ(QueryRegValue(key, "Expandable", value), -1);
        EXPECT_EQ(QueryRegValue(key, "Missing", value), platform::reg::kFileNotFound);
        EXPECT_EQ(value, RegistryValue(std::int32_t{7}));  // both leave the value alone
        EXPECT_EQ(QueryRegValue(key, "Empty", value), 0);
        EXPECT_EQ(value, RegistryValue(std::string()));
        registry->CloseKey(key);
    }
}

// The language is read once; DIAGS_LANGID stands in for the system's default language.
TEST(Windows, FarEastLanguagesAreTheChineseJapaneseAndKoreanIdsAndAreRemembered) {
    EXPECT_TRUE(IsFarEastLanguageId(0x0404) && IsFarEastLanguageId(0x1404) && IsFarEastLanguageId(0x0812));
    EXPECT_FALSE(IsFarEastLanguageId(0x0409) || IsFarEastLanguageId(0x1411));
    std::optional<testing::ScopedEnv> language(std::in_place, "DIAGS_LANGID", "0411");
    ForgetSystemLanguage();
    EXPECT_TRUE(IsFarEastLanguage());
    language.emplace("DIAGS_LANGID", "0409");
    EXPECT_TRUE(IsFarEastLanguage());
    ForgetSystemLanguage();
    EXPECT_FALSE(IsFarEastLanguage());
}

TEST(Windows, FormFontsFollowTheModeAndOnlyOptionButtonsWithAWindowGetTheTopStyle) {
    forms::Form form("frmDiagsConfig");
    forms::TextBox text("txtDirectory");
    forms::CheckBox check("chkLogfile");
    forms::OptionButtonArray options("optFileOptions");
    for (forms::Control* c : std::initializer_list<forms::Control*>{&text, &check, &options.Load(0), &options.Load(1)})
        form.AddControl(*c);
    options(0).SetHwnd(0x7100);
    check.SetHwnd(0x7200);
    auto& windows = *platform::Current().windowing;
    windows.SetStyle(0x7100, 9);
    windows.SetStyle(0x7200, 3);
    std::optional<testing::ScopedEnv> forced;
    const auto fontAfter = [&](const char* language, std::int32_t mode) {
        forced.emplace("DIAGS_LANGID", language);
        ForgetSystemLanguage();
        text.SetFont("Original", 10);
        ApplyFormFont(form.Controls(), mode);
        return text.FontName();
    };
    EXPECT_EQ(fontAfter("0409", 1), "Original");
    EXPECT_EQ(fontAfter("0409", 2), "Original");
    EXPECT_NE(fontAfter("0409", 0), "Original");
    EXPECT_NE(fontAfter("0411", 2), "Original");
    EXPECT_EQ(windows.GetStyle(0x7100), 0x409);
    EXPECT_EQ(windows.GetStyle(0x7200), 3);
    forced.reset();
    ForgetSystemLanguage();

    text.SetText("Trace.log");
    SelectAllText(text);
    EXPECT_EQ(text.SelText(), "Trace.log");
}
#endif

TEST(ReleaseCollection, AlwaysEmptiesTheReferenceAndEmptiesLargeCollectionsInLinearTime) {
    for (const int count : {0, 299, 300, 100000}) {
        auto collection = NewCollection<int>();
        for (int i = 0; i < count; ++i) collection->Add(std::make_shared<int>(i), std::to_string(i));
        const std::weak_ptr<int> last = count ? collection->Item(count) : nullptr;
        const auto other = collection;
        const auto start = std::chrono::steady_clock::now();
        ReleaseCollection(collection);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << count;
        EXPECT_EQ(collection, nullptr);
        // Another holder sees a large collection emptied and a small one untouched.
        EXPECT_EQ(other->Count(), count >= 300 ? 0 : count);
        EXPECT_EQ(last.expired(), count == 0 || count >= 300);
    }
}

}  // namespace
}  // namespace diags
