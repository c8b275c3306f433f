// Times the shipped dialog as a host sees it, through the registered component:
//   open   from the host's ConfigureDiagnostics call to the dialog shown and fully painted;
//   select from the selection of "Desktop Editors" in the trace tree (which fills the panel)
//          to the last repaint;
//   check  from a user's space on the selected "Desktop Editors" to the last repaint;
//   advanced  from a click on the Advanced tab to the module tree shown and painted (the tree
//          gets its native items on that first show).
// A thread timer of the host thread watches: WM_PAINT is handed out before WM_TIMER, so when
// the timer runs and no window of the dialog has an update region left, everything is painted.
// The timer ticks every 10 ms at best, so the end of the last repaint is taken from a message
// hook instead: each WM_PAINT taken from the queue posts a marker message, which the thread
// takes as soon as that paint has been dispatched (posted messages come before paints).
// Each round closes the dialog (and answers its exit question with No). The first round is
// cold; the figures are the median and the best of the warm rounds, in milliseconds, of the
// wall time and of the host thread's CPU time (which leaves out the Wine server's work).
// Last, the reference: the same registry calls the store makes to read the configuration,
// with nothing else, as a floor for the first paint.
//
//   bench_dialog_wine [rounds [scale]]
// With a scale above 1 the configuration is that many times the default's size: a first,
// untimed round installs the default configuration, then every component with outputs is
// copied under new names ("<component> #k"), which the map links to the same editors.
#include <windows.h>
#include <commctrl.h>
#include <oleauto.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/ComPtr.h"
#include "platform/win32/Owned.h"

namespace {

using Clock = std::chrono::steady_clock;
using diags::platform::win32::ComApartment;
using diags::platform::win32::ComPtr;
using diags::platform::win32::OwnedKey;
using diags::platform::win32::OwnedVariant;

enum class Phase { WaitShown, WaitSelected, WaitChecked, WaitAdvanced, Closing };

struct Round {
    Phase phase = Phase::WaitShown;
    Clock::time_point called, selected, toggled, switched, lastPaint;
    double cpuCalled = 0, cpuToggled = 0, cpuSwitched = 0, cpuLastPaint = 0;
    double openMs = -1, selectMs = -1, checkMs = -1, openCpuMs = -1, checkCpuMs = -1, advancedMs = -1, advancedCpuMs = -1;
    HWND traceTree = nullptr;
} round;

double Since(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }
double Between(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

double ThreadCpuMs() {
    FILETIME created, exited, kernel, user;
    if (!::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    const auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4;
    };
    return ms(kernel) + ms(user);
}

constexpr UINT kPaintDone = WM_APP + 0x3A1;
bool markerPending = false;

LRESULT CALLBACK WatchPaints(int code, WPARAM removal, LPARAM data) {
    const MSG& msg = *reinterpret_cast<const MSG*>(data);
    if (code == HC_ACTION && removal == PM_REMOVE) {
        if (msg.message == WM_PAINT && !markerPending) {
            markerPending = true;
            ::PostThreadMessageA(::GetCurrentThreadId(), kPaintDone, 0, 0);
        } else if (msg.message == kPaintDone && msg.hwnd == nullptr) {
            markerPending = false;
            round.lastPaint = Clock::now();
            round.cpuLastPaint = ThreadCpuMs();
        }
    }
    return ::CallNextHookEx(nullptr, code, removal, data);
}

BOOL CALLBACK FindDialog(HWND w, LPARAM out) {
    char name[32] = {};
    ::GetClassNameA(w, name, sizeof(name));
    DWORD process = 0;
    ::GetWindowThreadProcessId(w, &process);
    if (process == ::GetCurrentProcessId() && ::lstrcmpA(name, "DiagsForm") == 0 && ::IsWindowVisible(w)) {
        *reinterpret_cast<HWND*>(out) = w;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK AnyUnpainted(HWND w, LPARAM out) {
    if (::IsWindowVisible(w) && ::GetUpdateRect(w, nullptr, FALSE)) {
        *reinterpret_cast<bool*>(out) = true;
        return FALSE;
    }
    return TRUE;
}

struct ChildSearch {
    const char* className;
    HWND found = nullptr;
};

BOOL CALLBACK MatchChild(HWND w, LPARAM data) {
    auto& search = *reinterpret_cast<ChildSearch*>(data);
    char name[32] = {};
    ::GetClassNameA(w, name, sizeof(name));
    if (::lstrcmpA(name, search.className) != 0 || !::IsWindowVisible(w)) return TRUE;
    search.found = w;
    return FALSE;
}

// The first visible child window of `parent` (at any depth) of the class, or null.
HWND FindVisibleChild(HWND parent, const char* className) {
    ChildSearch search{className};
    ::EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The user clicks the second tab (Advanced); false when the dialog has no such tab.
bool ClickAdvancedTab(HWND dialog) {
    HWND tabs = FindVisibleChild(dialog, WC_TABCONTROLA);
    RECT r{};
    if (tabs == nullptr || !TabCtrl_GetItemRect(tabs, 1, &r)) return false;
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ::PostMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageA(tabs, WM_LBUTTONUP, 0, at);
    return true;
}

BOOL CALLBACK AnswerNo(HWND w, LPARAM) {
    char name[32] = {};
    ::GetClassNameA(w, name, sizeof(name));
    DWORD process = 0;
    ::GetWindowThreadProcessId(w, &process);
    if (process == ::GetCurrentProcessId() && ::lstrcmpA(name, "#32770") == 0 && ::IsWindowVisible(w))
        ::PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(w, IDNO)));
    return TRUE;
}

bool Painted(HWND dialog) {
    bool unpainted = ::GetUpdateRect(dialog, nullptr, FALSE) != FALSE;
    if (!unpainted) ::EnumChildWindows(dialog, AnyUnpainted, reinterpret_cast<LPARAM>(&unpainted));
    return !unpainted;
}

void CALLBACK Watch(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = nullptr;
    ::EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (round.phase == Phase::Closing) {
        ::EnumWindows(AnswerNo, 0);
        return;
    }
    if (dialog == nullptr || !Painted(dialog)) return;
    HWND tree = FindVisibleChild(dialog, WC_TREEVIEWA);
    HTREEITEM root = tree ? TreeView_GetRoot(tree) : nullptr;
    if (round.phase == Phase::WaitShown) {
        round.openMs = Since(round.called);
        round.openCpuMs = ThreadCpuMs() - round.cpuCalled;
        if (root == nullptr) {
            round.phase = Phase::Closing;
            ::PostMessageA(dialog, WM_CLOSE, 0, 0);
            return;
        }
        // The user selects "Desktop Editors"; once that is painted, presses space on it.
        round.selected = Clock::now();
        ::SetFocus(tree);
        TreeView_SelectItem(tree, root);
        round.phase = Phase::WaitSelected;
        return;
    }
    if (round.phase == Phase::WaitSelected) {
        round.selectMs = round.lastPaint > round.selected ? Between(round.selected, round.lastPaint) : Since(round.selected);
        round.phase = Phase::WaitChecked;
        round.toggled = Clock::now();
        round.cpuToggled = ThreadCpuMs();
        ::PostMessageA(tree, WM_KEYDOWN, VK_SPACE, 0);
        return;
    }
    if (round.phase == Phase::WaitChecked &&
        (TreeView_GetItemState(tree, root, TVIS_STATEIMAGEMASK) & TVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2)) {
        const bool repainted = round.lastPaint > round.toggled;
        round.checkMs = repainted ? Between(round.toggled, round.lastPaint) : Since(round.toggled);
        round.checkCpuMs = (repainted ? round.cpuLastPaint : ThreadCpuMs()) - round.cpuToggled;
        round.traceTree = tree;
        round.switched = Clock::now();
        round.cpuSwitched = ThreadCpuMs();
        round.phase = ClickAdvancedTab(dialog) ? Phase::WaitAdvanced : Phase::Closing;
        if (round.phase == Phase::Closing) ::PostMessageA(dialog, WM_CLOSE, 0, 0);
        return;
    }
    if (round.phase == Phase::WaitAdvanced && tree != nullptr && tree != round.traceTree &&
        round.lastPaint > round.switched) {
        round.advancedMs = Between(round.switched, round.lastPaint);
        round.advancedCpuMs = round.cpuLastPaint - round.cpuSwitched;
        round.phase = Phase::Closing;
        ::PostMessageA(dialog, WM_CLOSE, 0, 0);
    }
}

// Copies the subkeys and values of `from` into `to`.
bool CopyKey(HKEY from, HKEY to) {
    char name[256];
    BYTE data[4096];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof(name), dataLength = sizeof(data), type = 0;
        const LONG status = ::RegEnumValueA(from, i, name, &nameLength, nullptr, &type, data, &dataLength);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS || ::RegSetValueExA(to, name, 0, type, data, dataLength) != ERROR_SUCCESS)
            return false;
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof(name);
        const LONG status = ::RegEnumKeyExA(from, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        OwnedKey source, target;
        if (status != ERROR_SUCCESS || ::RegOpenKeyExA(from, name, 0, KEY_READ, source.put()) != ERROR_SUCCESS ||
            ::RegCreateKeyExA(to, name, 0, nullptr, 0, KEY_WRITE, nullptr, target.put(), nullptr) != ERROR_SUCCESS ||
            !CopyKey(source.get(), target.get()))
            return false;
    }
    return true;
}

// Every component that has outputs, copied `scale - 1` times as "<component> #k".
bool ScaleConfiguration(int scale) {
    OwnedKey root;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Veltrane\\Log Configuration", 0, KEY_READ | KEY_WRITE,
                        root.put()) != ERROR_SUCCESS)
        return false;
    std::vector<std::string> components;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof(name), subkeys = 0;
        if (::RegEnumKeyExA(root.get(), i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        OwnedKey component;
        if (::RegOpenKeyExA(root.get(), name, 0, KEY_READ, component.put()) == ERROR_SUCCESS &&
            ::RegQueryInfoKeyA(component.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
            subkeys > 0)
            components.emplace_back(name, nameLength);
    }
    for (const std::string& component : components) {
        OwnedKey source;
        if (::RegOpenKeyExA(root.get(), component.c_str(), 0, KEY_READ, source.put()) != ERROR_SUCCESS) return false;
        for (int copy = 1; copy < scale; ++copy) {
            OwnedKey target;
            const std::string copyName = component + " #" + std::to_string(copy);
            if (::RegCreateKeyExA(root.get(), copyName.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, target.put(),
                                  nullptr) != ERROR_SUCCESS ||
                !CopyKey(source.get(), target.get()))
                return false;
        }
    }
    return true;
}

// Reads every value of the key and its subkeys with the calls the store makes.
void ReadKey(HKEY key) {
    DWORD subKeys = 0, maxSubKey = 0, values = 0, maxName = 0, maxData = 0;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr, &values, &maxName, &maxData,
                           nullptr, nullptr) != ERROR_SUCCESS)
        return;
    std::wstring name(maxName + 2, L'\0');
    std::vector<BYTE> data(maxData + 2);
    for (DWORD i = 0; i < values; ++i) {
        DWORD length = static_cast<DWORD>(name.size()), size = static_cast<DWORD>(data.size()), type = 0;
        if (::RegEnumValueW(key, i, name.data(), &length, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
    }
    std::wstring child(maxSubKey + 2, L'\0');
    for (DWORD i = 0; i < subKeys; ++i) {
        DWORD length = static_cast<DWORD>(child.size());
        if (::RegEnumKeyExW(key, i, child.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        OwnedKey sub;
        if (::RegOpenKeyExW(key, child.c_str(), 0, KEY_READ, sub.put()) == ERROR_SUCCESS) ReadKey(sub.get());
    }
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

// One call of the host: the dialog shown, checked and closed; false when the call failed.
bool RunRound(const CLSID& clsid) {
    ComPtr<IDispatch> component;
    if (FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                  reinterpret_cast<void**>(component.Put()))))
        return false;
    LPOLESTR name = const_cast<LPOLESTR>(L"ConfigureDiagnostics");
    DISPID id = 0;
    if (FAILED(component->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id))) return false;
    OwnedVariant error, result;
    VARIANT argument;
    ::VariantInit(&argument);
    V_VT(&argument) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&argument) = error.get();
    DISPPARAMS params{&argument, nullptr, 1, 0};
    round = Round{};
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 1, Watch);
    HHOOK hook = ::SetWindowsHookExA(WH_GETMESSAGE, WatchPaints, nullptr, ::GetCurrentThreadId());
    round.cpuCalled = ThreadCpuMs();
    round.called = Clock::now();
    component->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.put(), nullptr, nullptr);
    ::KillTimer(nullptr, timer);
    if (hook != nullptr) ::UnhookWindowsHookEx(hook);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(2, std::atoi(argv[1])) : 6;
    const int scale = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
    const ComApartment apartment(COINIT_APARTMENTTHREADED);
    CLSID clsid{};
    if (FAILED(::CLSIDFromProgID(L"DiagsConfig.CDiagnosticsConfig", &clsid))) {
        std::fprintf(stderr, "bench: DiagsConfig.CDiagnosticsConfig is not registered\n");
        return 1;
    }
    if (scale > 1) {
        if (!RunRound(clsid) || !ScaleConfiguration(scale)) {
            std::fprintf(stderr, "bench: the configuration could not be scaled\n");
            return 1;
        }
        std::printf("configuration: %d times the default\n", scale);
    }
    std::vector<double> open, check, openCpu, checkCpu, advanced, advancedCpu;
    for (int i = 0; i < rounds; ++i) {
        if (!RunRound(clsid)) return 1;
        std::printf("round %d: open %.1f ms (cpu %.0f), select %.1f ms, check %.1f ms (cpu %.0f), advanced tab %.1f ms (cpu %.0f)%s\n",
                    i + 1, round.openMs, round.openCpuMs, round.selectMs, round.checkMs, round.checkCpuMs, round.advancedMs, round.advancedCpuMs,
                    i == 0 ? " (cold)" : "");
        if (i > 0) {
            open.push_back(round.openMs);
            check.push_back(round.checkMs);
            openCpu.push_back(round.openCpuMs);
            checkCpu.push_back(round.checkCpuMs);
            advanced.push_back(round.advancedMs);
            advancedCpu.push_back(round.advancedCpuMs);
        }
    }
    std::printf("warm median: open %.1f ms (best %.1f), check Desktop Editors %.1f ms (best %.1f), advanced tab %.1f ms\n",
                Median(open), *std::min_element(open.begin(), open.end()), Median(check),
                *std::min_element(check.begin(), check.end()), Median(advanced));
    std::printf("warm median cpu: open %.0f ms, check %.0f ms, advanced tab %.0f ms\n", Median(openCpu), Median(checkCpu),
                Median(advancedCpu));
    std::vector<double> read, readCpu;
    for (int i = 0; i < 3; ++i) {
        OwnedKey config;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Veltrane\\Log Configuration", 0, KEY_READ, config.put()) !=
            ERROR_SUCCESS)
            break;
        const double cpu = ThreadCpuMs();
        const Clock::time_point start = Clock::now();
        ReadKey(config.get());
        read.push_back(Since(start));
        readCpu.push_back(ThreadCpuMs() - cpu);
    }
    if (!read.empty())
        std::printf("reference, the bare registry read of the configuration: median %.1f ms (cpu %.0f); open / read %.2f\n",
                    Median(read), Median(readCpu), Median(open) / Median(read));
    return 0;
}
