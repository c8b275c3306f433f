// The Win32 owners release exactly once and hand over on move; error codes read as one line.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/win32/ErrorText.h"
#include "platform/win32/Owned.h"

namespace diags::platform::win32 {
namespace {

bool IsOpenHandle(HANDLE h) {
    DWORD flags = 0;
    return ::GetHandleInformation(h, &flags) != FALSE;
}

OwnedHandle NewEvent() { return OwnedHandle(::CreateEventW(nullptr, TRUE, FALSE, nullptr)); }

TEST(Owned, AHandleIsClosedOnceWhenItsLastOwnerGoes) {
    HANDLE raw = nullptr;
    {
        OwnedHandle first = NewEvent();
        raw = first.get();
        ASSERT_TRUE(first);
        OwnedHandle second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(raw, second.get());
        OwnedHandle third;
        third = std::move(second);
        EXPECT_TRUE(IsOpenHandle(raw));
    }
    EXPECT_FALSE(IsOpenHandle(raw));
}

TEST(Owned, ReleaseHandsOverAndResetAndPutCloseTheOldHandle) {
    OwnedHandle owner = NewEvent();
    HANDLE handed = owner.release();
    EXPECT_FALSE(owner);
    EXPECT_TRUE(IsOpenHandle(handed));
    owner.reset(handed);
    HANDLE replaced = owner.get();
    owner.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    EXPECT_FALSE(IsOpenHandle(replaced));
    owner.reset(owner.get());  // taking the same handle again keeps it open
    EXPECT_TRUE(IsOpenHandle(owner.get()));
    const HANDLE old = owner.get();
    HANDLE* slot = owner.put();  // an out parameter, emptied after closing what was held
    EXPECT_FALSE(IsOpenHandle(old));
    EXPECT_EQ(nullptr, *slot);
}

TEST(Owned, AFailedCreateFileOwnsNothing) {
    OwnedHandle file(::CreateFileA("Z:\\no\\such\\folder\\file.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
    EXPECT_EQ(INVALID_HANDLE_VALUE, file.get());
    EXPECT_FALSE(file);
    file.reset();  // must not close INVALID_HANDLE_VALUE (the current process)
    EXPECT_EQ(nullptr, file.get());
}

TEST(Owned, AVariantClearsItsTextAndHandsItOver) {
    OwnedVariant value;
    value->vt = VT_BSTR;
    value->bstrVal = ::SysAllocString(L"kept");
    OwnedVariant moved(std::move(value));
    EXPECT_EQ(VT_EMPTY, value->vt);
    VARIANT out = moved.release();
    EXPECT_EQ(VT_EMPTY, moved->vt);
    ASSERT_EQ(VT_BSTR, out.vt);
    EXPECT_STREQ(L"kept", out.bstrVal);
    OwnedVariant adopted(out);  // frees the text at the end of the test
    EXPECT_EQ(VT_EMPTY, out.vt);
    EXPECT_EQ(VT_BSTR, adopted->vt);
    ::VariantInit(adopted.put());
    EXPECT_EQ(VT_EMPTY, adopted->vt);
}

// The system's texts are one line without the closing full stop; codes without one are named by number.
TEST(ErrorText, SystemTextsAreOneLineWithoutTheClosingFullStopOthersAreNamedByNumber) {
    const std::string denied = Win32ErrorText(ERROR_ACCESS_DENIED);
    EXPECT_FALSE(denied.empty());
    EXPECT_EQ(std::string::npos, denied.find_first_of("\r\n"));
    EXPECT_NE('.', denied.back());
    EXPECT_NE(' ', denied.back());
    EXPECT_EQ(denied, HResultText(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)));
    EXPECT_EQ("Windows error 987654", Win32ErrorText(987654));
    EXPECT_EQ("error 0xA0001234", HResultText(static_cast<HRESULT>(0xA0001234)));
}

}  // namespace
}  // namespace diags::platform::win32
