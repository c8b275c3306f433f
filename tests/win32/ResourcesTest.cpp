// The resource DLL as built: every text of the one string list loadable by id, every icon at the
// sizes the dialog asks for. (Opening it by name is checked by the services suite under Wine;
// finding it, and the help page, beside the component by scripts/test-e2e-wine.sh.)
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/win32/Owned.h"
#include "platform/win32/Win32Parts.h"
#include "resources/strings.h"

namespace diags::platform::win32 {
namespace {

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
