// Guarded window procedures, keystrokes, the mouse pointer, shell open and help addresses, on
// real windows. (Message boxes, answered Yes, No and OK, and the folder browser, with Cancel and
// OK, are driven by scripts/test-e2e-wine.sh.)
#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win32/CallbackGuard.h"
#include "platform/win32/Win32Parts.h"

namespace diags::platform::win32 {
namespace {

// A plain top-level window that records the keys it receives. Its procedure is guarded as the
// renderer's are: WM_APP throws a C++ exception, WM_APP + 1 answers 42.
int gThrown = 0;
class TestWindow {
public:
    TestWindow() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &Proc;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "DiagsTestWindow";
        ::RegisterClassA(&windowClass);  // a second registration fails harmlessly
        window_.reset(::CreateWindowExA(0, "DiagsTestWindow", "test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                        100, nullptr, nullptr, windowClass.hInstance, nullptr));
        ::SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND Hwnd() const { return window_.get(); }
    std::vector<std::pair<WPARAM, bool>> keys;  // key and whether shift was down

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        return Guarded([&]() -> LRESULT {
            if (message == WM_APP) {
                ++gThrown;
                throw std::runtime_error("refused");
            }
            if (message == WM_APP + 1) return 42;
            if (message == WM_KEYDOWN) {
                auto* self = reinterpret_cast<TestWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
                if (self && wParam != VK_SHIFT) self->keys.emplace_back(wParam, (::GetKeyState(VK_SHIFT) & 0x8000) != 0);
            }
            return ::DefWindowProcA(window, message, wParam, lParam);
        }, [&] { return ::DefWindowProcA(window, message, wParam, lParam); });
    }
    OwnedWindow window_;  // declared last: destroyed first, while the members its procedure reads are alive
};

void PumpMessages(int milliseconds) {
    const DWORD end = ::GetTickCount() + static_cast<DWORD>(milliseconds);
    while (::GetTickCount() < end) {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        ::Sleep(10);
    }
}

// A C++ exception raised while a window procedure handles a message, sent or posted, stops at
// the procedure's edge: the system gets the default answer and the program goes on.
// (Unguarded, 32-bit code would unwind into the system's frames and end the process.)
TEST(Callbacks, AnExceptionInAWindowProcedureStopsThereAndTheWindowGoesOnWorking) {
    const TestWindow window;
    EXPECT_EQ(0, ::SendMessageA(window.Hwnd(), WM_APP, 0, 0));
    ASSERT_TRUE(::PostMessageA(window.Hwnd(), WM_APP, 0, 0));
    MSG msg;
    while (::PeekMessageA(&msg, window.Hwnd(), 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    EXPECT_EQ(2, gThrown);
    EXPECT_EQ(42, ::SendMessageA(window.Hwnd(), WM_APP + 1, 0, 0));
}

TEST(KeyStrings, TabShiftTabAndModifiersParseAndMalformedStringsSendNothing) {
    using Keys = std::vector<KeyStroke>;
    EXPECT_EQ(Keys({{VK_TAB}}), ParseKeys("{TAB}"));
    EXPECT_EQ(Keys({{VK_TAB, true}}), ParseKeys("+{TAB}"));
    EXPECT_EQ(Keys({{VK_TAB, true}}), ParseKeys("+{tab}"));
    EXPECT_EQ(Keys({{'S', false, true}}), ParseKeys("^s"));
    EXPECT_EQ(Keys({{VK_F4, false, false, true}}), ParseKeys("%{F4}"));
    EXPECT_EQ(Keys({{VK_ADD}, {VK_RETURN}}), ParseKeys("{+}~"));
    EXPECT_EQ(Keys({{'A'}, {'1'}}), ParseKeys("a1"));
    EXPECT_EQ(Keys{}, ParseKeys(""));
    for (const char* bad : {"{NOSUCHKEY}", "{TAB", "+", "{}"}) EXPECT_EQ(std::nullopt, ParseKeys(bad)) << bad;
}

TEST(KeyStrings, SentKeysReachTheFocusedWindowWithTheirModifiers) {
    TestWindow window;
    ::SetForegroundWindow(window.Hwnd());
    ::SetFocus(window.Hwnd());
    PumpMessages(100);
    if (::GetForegroundWindow() != window.Hwnd()) GTEST_SKIP() << "no window manager focus on this display";
    Win32Interaction interaction;
    interaction.SendKeys("{TAB}");
    interaction.SendKeys("+{TAB}");
    PumpMessages(300);
    const std::vector<std::pair<WPARAM, bool>> expected{{VK_TAB, false}, {VK_TAB, true}};
    EXPECT_EQ(expected, window.keys);
    EXPECT_EQ(0, interaction.AsyncKeyState(VK_SHIFT) & 0x8000);  // released again
}

TEST(MousePointer, RemembersThePointerAndShowsTheMatchingCursor) {
    Win32Interaction interaction;
    EXPECT_EQ(pointer::kDefault, interaction.MousePointer());
    interaction.SetMousePointer(pointer::kHourglass);
    EXPECT_EQ(pointer::kHourglass, interaction.MousePointer());
    EXPECT_EQ(::LoadCursorA(nullptr, IDC_WAIT), ::GetCursor());
    interaction.SetMousePointer(pointer::kSizeWestEast);
    EXPECT_EQ(::LoadCursorA(nullptr, IDC_SIZEWE), ::GetCursor());
    interaction.SetMousePointer(pointer::kDefault);
    EXPECT_EQ(::LoadCursorA(nullptr, IDC_ARROW), ::GetCursor());
    EXPECT_EQ(IDC_ARROW, CursorFor(-5));
}

// Help pages open at the topic's anchor (the page itself opens in scripts/test-e2e-wine.sh).
TEST(Shell, HtmlHelpPagesOpenAtTheTopicAnchor) {
    Win32Shell shell;
    EXPECT_TRUE(IsHtmlHelp("C:\\Help\\DiagsConfig.htm"));
    EXPECT_TRUE(IsHtmlHelp("c:\\help\\DIAGS.HTML"));
    EXPECT_FALSE(IsHtmlHelp("C:\\Help\\diags.hlp"));
    EXPECT_FALSE(IsHtmlHelp("C:\\Help\\htm"));
    EXPECT_EQ("file:///C:/Program%20Files/Diags/DiagsConfig.htm#topic-819",
              HtmlHelpAddress("C:\\Program Files\\Diags\\DiagsConfig.htm", HELP_CONTEXT, 819));
    EXPECT_EQ("file:///C:/Diags/DiagsConfig.htm", HtmlHelpAddress("C:\\Diags\\DiagsConfig.htm", HELP_FINDER, 0));
    EXPECT_EQ("file://server/share/h.htm#topic-821", HtmlHelpAddress("\\\\server\\share\\h.htm", HELP_CONTEXT, 821));
    EXPECT_TRUE(shell.Help(0, "C:\\Diags\\DiagsConfig.htm", HELP_QUIT, 0));  // nothing to close
}

}  // namespace
}  // namespace diags::platform::win32
