#pragma once
// The Win32 renderer of one form model: every control model becomes its native common
// control (or one of our small window classes for frames, picture boxes and images), kept in
// step both ways by one mirror per control (Mirror.h). The form window creates the windows
// from the creation table, routes each window's messages to its mirror by HWND, and brackets
// real input.
//
// How a model change reaches the screen
// -------------------------------------
//  1. A mirrored control raises StateChanged(property); the form window marks the pair
//     (control, property) in its ChangeQueue.
//  2. Outside a user call the queue pushes the pair at once. During a user call (UserCall:
//     real input handed to a model's user entry point) pairs wait, and are pushed once each
//     when the outermost call returns, so a handler's corrections reach the screen while the
//     value the user just typed is not written back over itself.
//  3. A push goes to the control's mirror (Mirror::Push), which writes only what the window
//     shows differently. A control without a window (an image list) is offered to every
//     mirror (Mirror::OnOtherChanged); the form itself is pushed by PushForm.
//  4. Tree nodes bypass the queue: the tree's mirror gets the tree's node notifications
//     directly. A tree on screen whose nodes change during a user call has its painting
//     suspended at the first change and resumed once when the call returns (Freeze/Thaw);
//     inside the model's update bracket (BeginUpdate/EndUpdate) its painting is suspended
//     too, with the native control's own switch.
//  5. A tree not on screen does not write its items' text, image and check: those nodes are
//     remembered as stale and caught up when the tree is shown.
//  6. A tree's items are made lazily: the children of a folder get theirs when the folder is
//     first expanded (by the user, by the model, or by a selection or EnsureVisible below it;
//     every node's on the first typed letter, for the control's type-ahead);
//     until then the folder's item asks the mirror whether it has children, and changes to
//     the nodes below it stay in the model, read from there when their items are made.
//  7. The pushing guard: while the renderer writes to a window (Pushing), the notifications
//     the window sends back are echoes of that write, and UserCall ignores them.
//
//   FormWindow.cpp       creation from the table, pushing the form, geometry helpers
//   Input.cpp            window procedures, routing by HWND, the modal loop and its keys
//   Mirror.h/.cpp        the mirror base: what every control's window shows (geometry,
//                        enabled, visible, font, colours), shared window helpers
//   CreationTable.cpp    control kind -> window class, styles, mirror
//   *Mirror.cpp          one mirror per control kind
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "forms/ChangeQueue.h"
#include "forms/Form.h"
#include "forms/Signal.h"
#include "platform/win32/Owned.h"

namespace diags::forms {
class Node;
}  // namespace diags::forms

namespace diags::win32ui {

class Mirror;

// Twips and pixels at one resolution (1440 twips per inch).
struct Scale {
    int dpi = 96;
    double TwipsPerPixel() const noexcept { return 1440.0 / dpi; }
    int Pixels(std::int32_t twips) const noexcept;
    std::int32_t Twips(int pixels) const noexcept;
    // A size the design gives in pixels at 96 DPI (15 twips each), at this resolution.
    int DesignPixels(std::int32_t designPixels) const noexcept;
};

// A COLORREF for a model colour (0x00BBGGRR, or 0x800000nn for system colour nn).
COLORREF ToColorRef(std::uint32_t colour) noexcept;

class FormWindow {
public:
    // Creates the form's windows (hidden) and mirrors the models' current state. `dpi` 0
    // takes the screen's resolution.
    FormWindow(forms::Form& form, int dpi);
    ~FormWindow();
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    // Shows the form over the active window (disabled meanwhile) and runs the message loop
    // until the form has unloaded; the owner is enabled and activated again after.
    void RunModal();

    forms::Form& Model() const noexcept { return *form_; }
    HWND Root() const noexcept { return root_.get(); }
    HWND WindowOf(const forms::Control& control) const noexcept;
    forms::Control* ControlOf(HWND window) const noexcept;
    const Scale& Scaling() const noexcept { return scale_; }
    // The native tree item of a node, for tests.
    static HTREEITEM ItemOf(const forms::Node& node) noexcept;

    // Window procedures (registered by the host).
    static LRESULT CALLBACK RootProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK ContainerProc(HWND, UINT, WPARAM, LPARAM);
    static FormWindow* FromWindow(HWND window) noexcept;

    // ---- for the mirrors
    // The client rectangle of a control in its parent window, in pixels.
    RECT PixelRect(const forms::Control& control) const noexcept;
    HFONT FontFor(const std::string& face, double points, bool bold);
    HBRUSH BrushFor(COLORREF colour);
    // Reports the window's frame and menu band to the form (the client area is what is left).
    void ReportNonClientSize(bool withMenu);
    // The mirror that owns the window's menu: menu commands, pop-ups opening, tooltips and
    // size changes of the form's window go to it (Mirror::OnRootMessage).
    void ClaimMenu(Mirror& owner) noexcept { menuOwner_ = &owner; }
    // Resumes a mirror's painting (Mirror::Thaw) when the current user call returns.
    void ThawAfterUserCall(Mirror& mirror) { frozen_.push_back(&mirror); }
    bool InUserCall() const noexcept { return queue_.InUserCall(); }
    bool IsPushing() const noexcept { return pushing_ > 0; }

    // Writes model state to windows: the windows' notifications meanwhile are echoes.
    template <class Fn>
    void Pushing(Fn&& fn) {
        ++pushing_;
        try {
            fn();
        } catch (...) {
            // A push runs inside the model's own notification; what it can throw (a model
            // getter's run-time error, memory) must not unwind into the model's setter or a
            // window procedure. The window stays behind the model until the next change of
            // that property is pushed.
        }
        --pushing_;
    }

    // Hands real input to a model's user entry point; see the top of this file.
    template <class Fn>
    void UserCall(Fn&& fn) {
        if (pushing_ > 0) return;  // the window's echo of our own write
        {
            auto call = queue_.EnterUserCall();
            try {
                fn();
            } catch (...) {
                // A model refusing the input (a run-time error) leaves it as it was.
            }
        }  // pushes what the call changed
        if (!queue_.InUserCall()) Thaw();
    }
    static std::int16_t ShiftState() noexcept;

private:
    // ---- creation (FormWindow.cpp)
    void CreateRoot();
    HWND CreateFor(forms::Control& control);
    HWND ParentFor(forms::Control& control);
    void Register(std::unique_ptr<Mirror> mirror);
    void Watch(forms::Control& control);
    void Forget(forms::Control& control) noexcept;
    void ReportMetrics();
    void MirrorCurrentState();

    // ---- pushing (FormWindow.cpp)
    void Push(forms::Control& control, forms::Prop property);
    void PushForm(forms::Prop property);
    void PushFormSize();
    void PushWindowState();
    void PushFormIcon();
    void PushZOrder();
    Mirror* MirrorOf(const forms::Control& control) const noexcept;
    Mirror* MirrorOf(HWND window) const noexcept;

    // ---- input (Input.cpp)
    LRESULT OnRootMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnContainerMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnNotify(NMHDR& header);
    LRESULT OnColour(HDC dc, HWND window);
    bool OnActivate(WPARAM wParam);
    bool OnSetCursor(HWND window);
    void OnSize(WPARAM kind);
    bool PreTranslate(MSG& msg);
    void SyncFocus();
    // Trees whose nodes changed during a user call repaint once, when the call returns.
    void Thaw();

    // ---- the modal loop (Input.cpp)
    HWND ActiveOwner() const noexcept;
    void AttachTo(HWND owner);
    void CentreOver(HWND owner);
    void PrepareToShow();
    void ShowAndFocus();
    void PumpUntilUnloaded();
    void GiveBackTo(HWND owner);

    forms::Form* form_;  // non-owning; the form outlives its windows
    Scale scale_;
    platform::win32::OwnedWindow root_;
    std::vector<std::unique_ptr<Mirror>> mirrors_;                 // in creation order
    std::unordered_map<const forms::Control*, Mirror*> byControl_;  // live models only
    std::unordered_map<HWND, Mirror*> byWindow_;                   // live models only
    std::vector<forms::ScopedConnection> connections_;
    forms::ChangeQueue queue_;
    int pushing_ = 0;
    std::map<std::string, platform::win32::OwnedFont> fonts_;
    std::map<COLORREF, platform::win32::OwnedBrush> brushes_;
    std::vector<Mirror*> frozen_;  // mirrors whose painting resumes when the user call returns
    Mirror* menuOwner_ = nullptr;  // non-owning; one of mirrors_

    platform::PicturePtr bigIcon_;  // the form's icon at the large size
    HWND lastFocus_ = nullptr;      // the focused control when the window was last deactivated
};

}  // namespace diags::win32ui
