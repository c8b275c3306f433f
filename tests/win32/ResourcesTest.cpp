// The resource DLL as the component finds it: beside its own module, every text of the one
// string list loadable by id, every icon at the sizes the dialog asks for.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/win32/Owned.h"
#include "platform/win32/Win32Parts.h"
#include "base/Text.h"
#include "resources/strings.h"

namespace diags::platform::win32 {
namespace {

std::string ExeDirectory() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text(path);
    return text.substr(0, text.find_last_of('\\'));
}

TEST(ResourceModule, IsFoundBesideTheOwnModule) {
    Win32Resources resources;
    EXPECT_TRUE(diags::EqualsNoCase(ExeDirectory(), resources.ModuleDirectory()));
    EXPECT_FALSE(resources.Open("NOSUCHRES.DLL"));
    EXPECT_EQ(std::nullopt, resources.String(9000));
    EXPECT_EQ(nullptr, resources.LoadPicture(2006, 16, 16));
    EXPECT_TRUE(resources.Open("KVUIEN.DLL"));
    EXPECT_TRUE(resources.Open(resources.ModuleDirectory() + "\\KVUIEN.DLL"));
}

TEST(ResourceModule, EveryListedTextLoadsUnchangedById) {
    Win32Resources resources;
    ASSERT_TRUE(resources.Open("KVUIEN.DLL"));
    const auto strings = resources::BuiltInStrings();
    ASSERT_GT(strings.size(), 50u);
    for (const resources::StringEntry& entry : strings) {
        const std::string expected = [&] {  // the list's escapes stand for these characters
            std::string text;
            for (std::size_t i = 0; i < entry.text.size(); ++i) {
                if (entry.text[i] == '\\' && i + 1 < entry.text.size()) {
                    const char next = entry.text[++i];
                    text += next == 'n' ? '\n' : next == 't' ? '\t' : next;
                } else {
                    text += entry.text[i];
                }
            }
            return text;
        }();
        EXPECT_EQ(expected, resources.String(entry.id).value_or("<missing>")) << "string " << entry.id;
    }
    EXPECT_EQ(std::nullopt, resources.String(1));
    EXPECT_EQ(std::nullopt, resources.String(-1));
}

TEST(ResourceModule, EveryPictureLoadsAtTheRequestedSize) {
    Win32Resources resources;
    ASSERT_TRUE(resources.Open("KVUIEN.DLL"));
    struct Wanted {
        int id, size;
    };
    for (const Wanted wanted : {Wanted{102, 16}, {148, 16}, {2006, 16}, {2008, 16}, {171, 32}, {5022, 16},
                                {5023, 16}, {5024, 16}, {5025, 16}, {6703, 16}, {6704, 16}, {6705, 16}, {2006, 32}}) {
        const PicturePtr picture = resources.LoadPicture(wanted.id, wanted.size, wanted.size);
        ASSERT_NE(nullptr, picture) << "picture " << wanted.id;
        EXPECT_EQ(wanted.id, picture->Id());
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(reinterpret_cast<HICON>(picture->NativeHandle()), &info));
        const OwnedBitmap color(info.hbmColor), mask(info.hbmMask);  // GetIconInfo's copies
        BITMAP bitmap{};
        ::GetObjectA(color.get(), sizeof bitmap, &bitmap);
        EXPECT_EQ(wanted.size, bitmap.bmWidth) << "picture " << wanted.id;
        EXPECT_EQ(wanted.size, bitmap.bmHeight) << "picture " << wanted.id;
    }
    EXPECT_EQ(nullptr, resources.LoadPicture(9999, 16, 16));
}

}  // namespace
}  // namespace diags::platform::win32
