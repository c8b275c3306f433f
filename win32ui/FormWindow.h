#pragma once
// The Win32 renderer of one form model: every control model becomes its native common
// control (or one of our small window classes for frames, picture boxes and images), kept in
// step both ways. Models -> windows: each typed change notification marks the control dirty
// in a ChangeQueue and is pushed (only a value the window does not show already is written).
// Windows -> models: real input is handed to the models' user entry points inside a user
// call, so a handler's corrections reach the screen once the call returns.
//
//   FormWindow.cpp   creation, geometry and pushing model state to the windows
//   Input.cpp        window procedures, notifications and the modal loop with its keys
//   TreeMirror.cpp   tree views, node by node
//   MenuMirror.cpp   the menu bar and the tool bar of the bar control
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "forms/ChangeQueue.h"
#include "forms/Form.h"
#include "win32ui/Owners.h"

namespace diags::forms {
class MenuBar;
class Node;
class TreeView;
class ImageList;
}  // namespace diags::forms

namespace diags::win32ui {

// Twips and pixels at one resolution (1440 twips per inch).
struct Scale {
    int dpi = 96;
    double TwipsPerPixel() const noexcept { return 1440.0 / dpi; }
    int Pixels(std::int32_t twips) const noexcept;
    std::int32_t Twips(int pixels) const noexcept;
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

private:
    // ---- creation and pushing (FormWindow.cpp)
    void CreateRoot();
    HWND CreateFor(forms::Control& control);
    void Watch(forms::Control& control);
    void Push(forms::Control& control, forms::Prop property);
    void PushGeometry(forms::Control& control);
    void PushForm(forms::Prop property);
    void PushFont(forms::Control& control);
    void PushText(forms::Control& control);
    void PushZOrder();
    RECT PixelRect(const forms::Control& control) const noexcept;
    HFONT FontFor(const std::string& face, double points, bool bold);
    HBRUSH BrushFor(COLORREF colour);
    void ReportMetrics();
    template <class Fn>
    void Pushing(Fn&& fn) {
        ++pushing_;
        try {
            fn();
        } catch (...) {
        }
        --pushing_;
    }

    // ---- input (Input.cpp)
    LRESULT OnRootMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnContainerMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnNotify(NMHDR& header);
    LRESULT OnColour(HDC dc, HWND window);
    bool OnSetCursor(HWND window);
    void OnSize(WPARAM kind);
    bool PreTranslate(MSG& msg);
    void SyncFocus();
    void PaintContainer(HWND window, forms::Control& control);
    static std::int16_t ShiftState() noexcept;
    template <class Fn>
    void UserCall(Fn&& fn) {
        if (pushing_ > 0) return;  // the window's echo of our own write
        {
            auto call = queue_.EnterUserCall();
            ++inUserCall_;
            try {
                fn();
            } catch (...) {
                // A model refusing the input (a run-time error) leaves it as it was.
            }
            --inUserCall_;
        }
        if (inUserCall_ == 0) Thaw();
    }
    // Trees whose nodes change during a user call repaint once, when the call returns.
    void Freeze(HWND tree);
    void Thaw();

    // ---- trees (TreeMirror.cpp)
    void WatchTree(forms::TreeView& tree);
    // The node (and its subtree) loses its native item.
    void ForgetItems(forms::TreeView& tree, forms::Node& node);
    // Pushes what changed on the nodes of a tree while it was not shown.
    void CatchUp(forms::TreeView& tree);
    void InsertSubtree(forms::TreeView& tree, forms::Node& node);
    void InsertNode(forms::TreeView& tree, forms::Node& node);
    void PushNode(forms::TreeView& tree, forms::Node& node, forms::Prop property);
    void PushTree(forms::TreeView& tree, forms::Prop property);
    void RefreshTreeImages(forms::TreeView& tree);
    LRESULT OnTreeNotify(forms::TreeView& tree, NMHDR& header);
    bool OnTreeMouseDown(forms::TreeView& tree, HWND window, LPARAM lParam);
    static LRESULT CALLBACK TreeSubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    LRESULT OnTreeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // ---- menu and tool bar (MenuMirror.cpp)
    void CreateToolBar(forms::MenuBar& bar);
    void PushBands(forms::MenuBar& bar);
    HMENU BuildMenu(forms::MenuBar& bar, const std::string& bandKey, bool isBar);
    HBITMAP MenuPicture(std::uintptr_t icon);
    void OnMenuCommand(UINT id);
    // A pop-up band about to open asks the bar's open query; a refused one is closed again.
    void OnMenuOpening(HMENU popup);
    // The tool bar's tooltip asks for a button's text: the tool's ToolTipText.
    LRESULT OnToolTip(NMHDR& header);
    int ToolBarHeight() const noexcept;

    forms::Form* form_;  // non-owning; the form outlives its windows
    Scale scale_;
    UniqueWindow root_;
    std::unordered_map<const forms::Control*, HWND> windows_;
    std::unordered_map<HWND, forms::Control*> controls_;
    std::vector<std::function<void()>> disconnect_;
    std::unordered_set<const forms::Control*> gone_;  // destroyed before the windows were
    forms::ChangeQueue queue_;
    int pushing_ = 0;
    int inUserCall_ = 0;
    std::map<std::string, UniqueFont> fonts_;
    std::map<COLORREF, UniqueBrush> brushes_;
    std::unordered_map<const forms::TreeView*, UniqueImageList> treeImages_;
    std::vector<HWND> frozen_;
    // Nodes of hidden trees whose items show an old text, image, check or colour.
    std::unordered_map<const forms::TreeView*, std::unordered_set<forms::Node*>> staleNodes_;

    // menu and tool bar
    forms::MenuBar* bar_ = nullptr;  // non-owning; one of the form's controls
    UniqueMenu menu_;
    UniqueImageList toolImages_;
    std::vector<UniqueBitmap> menuPictures_;
    std::vector<std::pair<std::string, std::string>> commands_;  // id - kFirstCommand -> band, tool
    std::unordered_map<HMENU, std::string> popupBands_;          // pop-up menu -> its band's key
    std::string tipText_;                                        // the text a tooltip was last given
    std::wstring tipWideText_;
    std::size_t builtTools_ = 0;

    platform::PicturePtr bigIcon_;  // the form's icon at the large size
    HWND lastFocus_ = nullptr;      // the focused control when the window was last deactivated
};

}  // namespace diags::win32ui
