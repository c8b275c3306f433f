#pragma once
// A mirror keeps one control model and its window in step. The base writes what every
// control's window shows (geometry, enabled, visible, tab stop, font, colours, z-order,
// focus); each control kind's mirror adds what only it shows and handles the notifications
// its window sends, which the form window routes to it by HWND.
//
// A new control kind is one mirror file (a class deriving from Mirror and its factory) and
// one row of the creation table (CreationTable.cpp).
#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "forms/Control.h"
#include "win32ui/FormWindow.h"

namespace diags::win32ui {

class Mirror {
public:
    Mirror(FormWindow& form, forms::Control& model, HWND window) noexcept
        : form_(&form), model_(&model), window_(window) {}
    virtual ~Mirror() = default;
    Mirror(const Mirror&) = delete;
    Mirror& operator=(const Mirror&) = delete;

    FormWindow& Form() const noexcept { return *form_; }
    // The model, or null once it was destroyed (before the windows).
    forms::Control* Model() const noexcept { return model_; }
    HWND Window() const noexcept { return window_; }

    // Sets up the window once the form window routes its messages here: styles, subclass,
    // what the model holds already.
    virtual void Attach() {}
    // Writes everything the window shows of the model (inside the pushing guard).
    void PushAll();
    // Writes one changed property (inside the pushing guard). Kinds override it for their
    // own properties and pass the rest on to the base.
    virtual void Push(forms::Prop property);
    // Writes what the window shows of the model's contents: caption, text, value, tabs...
    virtual void PushContents() {}
    // A control without a window of its own (an image list) changed.
    virtual void OnOtherChanged(forms::Control& /*control*/, forms::Prop /*property*/) {}
    // WM_COMMAND from the window (BN_CLICKED, EN_CHANGE...), or a menu entry's (code 0).
    virtual void OnCommand(UINT /*code*/, UINT /*id*/) {}
    // WM_NOTIFY from the window.
    virtual LRESULT OnNotify(NMHDR& /*header*/) { return 0; }
    // A message to the window itself (our own window classes); a value when handled.
    virtual std::optional<LRESULT> OnMessage(UINT /*message*/, WPARAM, LPARAM) { return std::nullopt; }
    // A message of the form's window that belongs to the mirror that claimed the menu
    // (FormWindow::ClaimMenu); a value when handled.
    virtual std::optional<LRESULT> OnRootMessage(UINT /*message*/, WPARAM, LPARAM) { return std::nullopt; }
    // A key the form's key preview left while the control has the focus; true when taken.
    virtual bool OnKey(std::int16_t /*key*/, std::int16_t /*shift*/) { return false; }
    // The form's metrics are reported (once, after creation).
    virtual void ReportMetrics() {}
    // The form is about to be shown.
    virtual void BeforeShow() {}
    // Painting suspended during a user call resumes (FormWindow::ThawAfterUserCall).
    virtual void Thaw() {}
    // The form's windows go while the model stays: let go of what the model holds of ours.
    virtual void Unwatch() noexcept {}
    // The model is being destroyed before the windows: nothing may reach for it any more.
    void ModelGone() noexcept {
        OnModelGone();
        model_ = nullptr;
    }

protected:
    virtual void OnModelGone() noexcept {}
    // The steps of the base push.
    virtual void PushGeometry();
    virtual void PushVisible();
    void PushEnabled();
    void PushTabStop();
    void PushFont();
    void PushZOrder();
    void PushFocus();

private:
    FormWindow* form_;        // non-owning; the form window owns the mirror
    forms::Control* model_;   // non-owning; see ModelGone
    HWND window_;             // owned by the form's root window
};

// A mirror for a control of the given kind on its new window (the creation table's column).
using MirrorFactory = std::unique_ptr<Mirror> (*)(FormWindow&, forms::Control&, HWND);

// How a control kind's window is made: the creation table's row.
struct WindowRecipe {
    forms::ControlKind kind;
    const char* windowClass;  // null: no window of its own (the form, an image list)
    DWORD style;              // added to WS_CHILD | WS_CLIPSIBLINGS
    DWORD exStyle;
    bool tabStop;             // WS_TABSTOP follows the model's TabStop
    bool placesItself;        // no design geometry: a child of the form, hidden, placed by its mirror
    MirrorFactory make;
};
// The row of a kind, or null.
const WindowRecipe* RecipeFor(forms::ControlKind kind) noexcept;

// ---- window helpers shared by the mirrors
std::string WindowText(HWND window);
void SetTextIfDifferent(HWND window, const std::string& text);
// A button's check state (BST_*), written when the window shows another.
void SetCheckIfDifferent(HWND window, WPARAM state);

}  // namespace diags::win32ui
