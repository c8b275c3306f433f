// The creation table: for each control kind, the window made for it and the mirror that
// keeps the two in step. Every window is a child (WS_CHILD | WS_CLIPSIBLINGS), visible when
// the model is, at the model's design geometry inside its container, unless its row says
// that its mirror places it.
#include <array>

#include "win32ui/Mirror.h"
#include "win32ui/Win32FormHost.h"

namespace diags::win32ui {

// Each mirror file's factory.
std::unique_ptr<Mirror> MakeTreeMirror(FormWindow&, forms::Control&, HWND);
std::unique_ptr<Mirror> MakeTabStripMirror(FormWindow&, forms::Control&, HWND);
std::unique_ptr<Mirror> MakeStatusBarMirror(FormWindow&, forms::Control&, HWND);
std::unique_ptr<Mirror> MakeFrameMirror(FormWindow&, forms::Control&, HWND);
std::unique_ptr<Mirror> MakePictureBoxMirror(FormWindow&, forms::Control&, HWND);
std::unique_ptr<Mirror> MakeImageMirror(FormWindow&, forms::Control&, HWND);
std::unique_ptr<Mirror> MakeLabelMirror(FormWindow&, forms::Control&, HWND);
std::unique_ptr<Mirror> MakeTextBoxMirror(FormWindow&, forms::Control&, HWND);
std::unique_ptr<Mirror> MakeMaskedBoxMirror(FormWindow&, forms::Control&, HWND);
std::unique_ptr<Mirror> MakeCheckBoxMirror(FormWindow&, forms::Control&, HWND);
std::unique_ptr<Mirror> MakeOptionButtonMirror(FormWindow&, forms::Control&, HWND);
std::unique_ptr<Mirror> MakeCommandButtonMirror(FormWindow&, forms::Control&, HWND);
std::unique_ptr<Mirror> MakeMenuMirror(FormWindow&, forms::Control&, HWND);

namespace {

using forms::ControlKind;

constexpr DWORD kContainerStyle = WS_CLIPCHILDREN;
constexpr DWORD kToolBarStyle = TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NODIVIDER |
                                CCS_NOPARENTALIGN | CCS_TOP;

// kind, window class, style, extended style, tab stop, places itself, mirror
const std::array kRecipes{
    WindowRecipe{ControlKind::Form, nullptr, 0, 0, false, false, nullptr},
    WindowRecipe{ControlKind::ImageList, nullptr, 0, 0, false, false, nullptr},
    WindowRecipe{ControlKind::TreeView, WC_TREEVIEWA, TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                 WS_EX_CLIENTEDGE, true, false, &MakeTreeMirror},
    WindowRecipe{ControlKind::TabStrip, WC_TABCONTROLA, 0, 0, true, false, &MakeTabStripMirror},
    WindowRecipe{ControlKind::StatusBar, STATUSCLASSNAMEA, CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 0, false,
                 false, &MakeStatusBarMirror},
    WindowRecipe{ControlKind::Frame, Win32FormHost::kContainerClass, kContainerStyle, 0, false, false, &MakeFrameMirror},
    WindowRecipe{ControlKind::PictureBox, Win32FormHost::kContainerClass, kContainerStyle, 0, false, false,
                 &MakePictureBoxMirror},
    WindowRecipe{ControlKind::Image, Win32FormHost::kContainerClass, kContainerStyle, 0, false, false, &MakeImageMirror},
    WindowRecipe{ControlKind::Label, "STATIC", SS_LEFT, 0, false, false, &MakeLabelMirror},
    WindowRecipe{ControlKind::TextBox, "EDIT", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, true, false, &MakeTextBoxMirror},
    WindowRecipe{ControlKind::MaskedBox, "EDIT", ES_AUTOHSCROLL | ES_NUMBER, WS_EX_CLIENTEDGE, true, false,
                 &MakeMaskedBoxMirror},
    WindowRecipe{ControlKind::CheckBox, "BUTTON", BS_3STATE, 0, true, false, &MakeCheckBoxMirror},
    WindowRecipe{ControlKind::OptionButton, "BUTTON", BS_RADIOBUTTON, 0, true, false, &MakeOptionButtonMirror},
    WindowRecipe{ControlKind::CommandButton, "BUTTON", BS_PUSHBUTTON, 0, true, false, &MakeCommandButtonMirror},
    // The bar's tool band, at the top of the client area; its menu band is the window's menu.
    WindowRecipe{ControlKind::MenuBar, TOOLBARCLASSNAMEA, kToolBarStyle, 0, false, true, &MakeMenuMirror},
};

}  // namespace

const WindowRecipe* RecipeFor(ControlKind kind) noexcept {
    for (const WindowRecipe& recipe : kRecipes)
        if (recipe.kind == kind) return &recipe;
    return nullptr;
}

}  // namespace diags::win32ui
