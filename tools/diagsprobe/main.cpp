// diagsprobe: the dialog seen from outside its process, through the windowing system only.
//   diagsprobe rect [SECONDS]     waits for the dialog; prints "left top width height" (screen)
//   diagsprobe texts              one line per window of the dialog: class|state|text|screen rect
//   diagsprobe question [SECONDS] waits for a message box over the dialog; prints its text
//   diagsprobe answer yes|no|cancel|ok   presses that button of the message box
//   diagsprobe closebox           prints the screen point "x y" of the dialog's close box
//   diagsprobe closer SECONDS [CAPTION]   for that long, closes each dialog (with that
//                                 caption) that appears, and answers its exit question with No
// Exit code 0 when it found what it was asked for, 1 otherwise.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/win32/CallbackGuard.h"

namespace {

constexpr const char* kDialogClass = "DiagsForm";

std::string Text(HWND w) {
    char text[1024] = {};
    ::SendMessageTimeoutA(w, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

struct Search {
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND w, LPARAM out) {
    auto& s = *reinterpret_cast<Search*>(out);
    char name[64] = {}, title[256] = {};
    ::GetClassNameA(w, name, sizeof(name));
    ::GetWindowTextA(w, title, sizeof(title));
    if (std::strcmp(name, kDialogClass) == 0 && ::IsWindowVisible(w) &&
        (s.caption == nullptr || std::strcmp(title, s.caption) == 0)) {
        s.found = w;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK MatchQuestion(HWND w, LPARAM out) {
    char name[64] = {};
    ::GetClassNameA(w, name, sizeof(name));
    HWND owner = ::GetWindow(w, GW_OWNER);
    char ownerName[64] = {};
    if (owner) ::GetClassNameA(owner, ownerName, sizeof(ownerName));
    if (std::strcmp(name, "#32770") == 0 && ::IsWindowVisible(w) && std::strcmp(ownerName, kDialogClass) == 0) {
        *reinterpret_cast<HWND*>(out) = w;
        return FALSE;
    }
    return TRUE;
}

// The callbacks that build strings run inside Guarded: a string that cannot grow stops the
// enumeration instead of unwinding through the system's frames.
BOOL CALLBACK PrintChild(HWND w, LPARAM) {
    return diags::platform::win32::Guarded([&]() -> BOOL {
        char name[64] = {};
        ::GetClassNameA(w, name, sizeof(name));
        std::string state = ::IsWindowVisible(w) ? "visible" : "hidden";
        state += ::IsWindowEnabled(w) ? ",enabled" : ",disabled";
        if (std::strcmp(name, "Button") == 0) {
            const LRESULT check = ::SendMessageA(w, BM_GETCHECK, 0, 0);
            state += check == BST_CHECKED ? ",checked" : check == BST_INDETERMINATE ? ",grey" : ",clear";
        }
        if (std::strcmp(name, WC_TABCONTROLA) == 0)
            state += ",tab=" + std::to_string(::SendMessageA(w, TCM_GETCURSEL, 0, 0) + 1);
        if (std::strcmp(name, "Edit") == 0 && (::GetWindowLongA(w, GWL_STYLE) & ES_READONLY)) state += ",readonly";
        RECT r;
        ::GetWindowRect(w, &r);
        std::printf("%s|%s|%s|%ld %ld %ld %ld\n", name, state.c_str(), Text(w).c_str(), r.left, r.top, r.right - r.left,
                    r.bottom - r.top);
        return TRUE;
    }, [] { return FALSE; });
}

BOOL CALLBACK CollectStatic(HWND w, LPARAM out) {
    return diags::platform::win32::Guarded([&]() -> BOOL {
        char name[64] = {};
        ::GetClassNameA(w, name, sizeof(name));
        if (std::strcmp(name, "Static") == 0) *reinterpret_cast<std::string*>(out) += Text(w);
        return TRUE;
    }, [] { return FALSE; });
}

// The shown dialog (with that caption, when one is given).
HWND Dialog(const char* caption = nullptr) {
    Search search{caption, nullptr};
    ::EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A message box (dialog class #32770) owned by a dialog of ours.
HWND Question() {
    HWND found = nullptr;
    ::EnumWindows(MatchQuestion, reinterpret_cast<LPARAM>(&found));
    return found;
}

template <class Find>
HWND WaitFor(Find find, double seconds) {
    for (int i = 0; i <= static_cast<int>(seconds * 20); ++i) {
        if (HWND w = find()) return w;
        ::Sleep(50);
    }
    return nullptr;
}

int Rect(double seconds) {
    HWND dialog = WaitFor([] { return Dialog(); }, seconds);
    if (!dialog) return 1;
    RECT r;
    ::GetWindowRect(dialog, &r);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return 0;
}

int Texts() {
    HWND dialog = Dialog();
    if (!dialog) return 1;
    std::printf("DiagsForm|%s|%s\n", ::IsWindowEnabled(dialog) ? "enabled" : "disabled", Text(dialog).c_str());
    ::EnumChildWindows(dialog, PrintChild, 0);
    return 0;
}

int AskQuestion(double seconds) {
    HWND box = WaitFor(Question, seconds);
    if (!box) return 1;
    std::string text;
    ::EnumChildWindows(box, CollectStatic, reinterpret_cast<LPARAM>(&text));
    std::printf("%s|%s\n", Text(box).c_str(), text.c_str());
    return 0;
}

int Answer(const char* which) {
    HWND box = WaitFor(Question, 5);
    if (!box) return 1;
    const int id = std::strcmp(which, "yes") == 0 ? IDYES : std::strcmp(which, "no") == 0 ? IDNO
                 : std::strcmp(which, "cancel") == 0 ? IDCANCEL : IDOK;
    HWND button = ::GetDlgItem(box, id);
    if (!button) return 1;
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return 0;
}

// The close box, found by asking the window what lies along its caption from the right.
int CloseBox() {
    HWND dialog = Dialog();
    if (!dialog) return 1;
    RECT r;
    ::GetWindowRect(dialog, &r);
    for (int y = r.top + 2; y < r.top + 40; y += 2)
        for (int x = r.right - 1; x > r.right - 80; --x)
            if (::SendMessageA(dialog, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
                std::printf("%d %d\n", x - 6, y + 6);
                return 0;
            }
    return 1;
}

int Closer(double seconds, const char* caption) {
    const DWORD end = ::GetTickCount() + static_cast<DWORD>(seconds * 1000);
    while (::GetTickCount() < end) {
        if (HWND box = Question()) {
            HWND no = ::GetDlgItem(box, IDNO);
            const int id = no ? IDNO : IDOK;
            ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(box, id)));
        } else if (HWND dialog = Dialog(caption); dialog && ::IsWindowEnabled(dialog)) {
            ::PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        ::Sleep(200);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    const double seconds = argc > 2 ? std::atof(argv[2]) : 10;
    if (command == "rect") return Rect(seconds);
    if (command == "texts") return Texts();
    if (command == "question") return AskQuestion(seconds);
    if (command == "answer" && argc > 2) return Answer(argv[2]);
    if (command == "closer") return Closer(seconds, argc > 3 ? argv[3] : nullptr);
    if (command == "closebox") return CloseBox();
    std::fprintf(stderr, "usage: diagsprobe rect|texts|question [SECONDS] | answer yes|no|cancel|ok | closebox | closer SECONDS\n");
    return 2;
}
