// The renderer against real common controls: what the models hold is what the windows show
// (texts, checks, enabled state, geometry in pixels at 96 and 144 DPI, tree contents through a
// sort, a rename and a removal, folders' children made on first expansion, the bar's menus),
// and real input reaches the models once.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "forms/BarControls.h"
#include "forms/BasicControls.h"
#include "forms/MaskedBox.h"
#include "forms/MenuBar.h"
#include "forms/TextBox.h"
#include "forms/TreeView.h"
#include "platform/win32/Owned.h"
#include "win32ui/FormWindow.h"
#include "win32ui/Win32FormHost.h"

namespace diags::win32ui {
namespace {

struct SampleForm : forms::Form {
    forms::TreeView tree{"tvTrace"};
    forms::Frame frame{"fraOutput"};
    forms::CheckBox check{"chkLogfile"};
    forms::TextBox text{"txtFileName"};
    forms::MaskedBox size{"txtFileSize"};
    forms::Label label{"lblFileName"};
    forms::MenuBar bar{"abMenuBar"};

    SampleForm() : Form("frmSample") {
        SetCaption("Renderer sample");
        SetClientSize(6000, 4500);
        SetKeyPreview(true);
        std::int32_t tab = 0;
        for (forms::Control* c : std::initializer_list<forms::Control*>{&tree, &frame, &check, &text, &size, &label, &bar}) {
            AddControl(*c);
            c->SetTabIndex(tab++);
        }
        tree.Move(150, 300, 2400, 3000);
        tree.SetCheckboxes(true);
        frame.Move(2700, 300, 3000, 3000);
        frame.SetCaption("Output");
        for (forms::Control* c : std::initializer_list<forms::Control*>{&check, &text, &size, &label}) c->SetContainer(&frame);
        check.Move(120, 240, 2700, 315);
        check.SetCaption("Log to file");
        label.Move(120, 600, 2700, 315);
        label.SetCaption("File name:");
        text.Move(120, 960, 2700, 315);
        size.Move(120, 1440, 1500, 315);
        size.SetMaxCharPerCell(5);
    }
};

std::string Text(HWND window) {
    char text[256] = {};
    ::GetWindowTextA(window, text, sizeof(text));
    return text;
}

RECT InParent(HWND window) {
    RECT r;
    ::GetWindowRect(window, &r);
    ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The control's item, with the fields `mask` asks for.
TVITEMA NativeItem(HWND tree, HTREEITEM item, UINT mask, char* text = nullptr, int size = 0) {
    TVITEMA data{};
    data.mask = mask;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = size;
    ::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    return data;
}
std::string ItemText(HWND tree, HTREEITEM item) {
    char text[128] = {};
    NativeItem(tree, item, TVIF_TEXT, text, sizeof text);
    return text;
}

FormWindow& Show(forms::Form& form, Win32FormHost& host) {
    form.SetFormHost(&host);
    return *host.WindowsOf(form);
}

// The sample shown at 96 DPI.
class Renderer : public ::testing::Test {
protected:
    Win32FormHost host{96};
    SampleForm form;
    FormWindow& window = Show(form, host);
};

TEST(RendererGeometry, IsTwipsAtTheWindowsResolution) {
    for (const int dpi : {96, 144}) {
        Win32FormHost host(dpi);
        SampleForm form;
        FormWindow& window = Show(form, host);
        const double perPixel = 1440.0 / dpi;
        const RECT tree = InParent(window.WindowOf(form.tree));
        EXPECT_EQ(tree.left, static_cast<LONG>(150 / perPixel + 0.5)) << dpi;
        EXPECT_EQ(tree.right - tree.left, static_cast<LONG>(2400 / perPixel + 0.5)) << dpi;
        const RECT check = InParent(window.WindowOf(form.check));  // relative to its frame
        EXPECT_EQ(check.left, static_cast<LONG>(120 / perPixel + 0.5)) << dpi;
        EXPECT_EQ(check.top, static_cast<LONG>(240 / perPixel + 0.5)) << dpi;
        RECT outer;
        ::GetWindowRect(window.Root(), &outer);
        EXPECT_EQ(outer.right - outer.left, static_cast<LONG>(form.Width() / perPixel + 0.5)) << dpi;

        form.frame.SetLeft(3000);  // a change from code moves the window
        EXPECT_EQ(InParent(window.WindowOf(form.frame)).left, static_cast<LONG>(3000 / perPixel + 0.5)) << dpi;
    }
}

// Captions, check states and texts are also read off the real dialog by scripts/test-e2e-wine.sh.
TEST_F(Renderer, WindowsShowTheModelsStateAndRealInputReachesTheModelsOnce) {
    EXPECT_EQ(Text(window.Root()), "Renderer sample");
    EXPECT_EQ(Text(window.WindowOf(form.label)), "File name:");
    EXPECT_NE(form.tree.hWnd(), 0u);  // every control has its window before the first use
    int clicks = 0, changes = 0;
    form.check.Click.Connect([&] { ++clicks; });
    form.text.Change.Connect([&] {
        ++changes;
        if (!form.text.Text().empty() && form.text.Text().back() == ' ')
            form.text.SetText(form.text.Text().substr(0, form.text.Text().size() - 1));
    });

    ::SendMessageA(window.WindowOf(form.check), BM_CLICK, 0, 0);
    EXPECT_EQ(form.check.Value(), 1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(::SendMessageA(window.WindowOf(form.check), BM_GETCHECK, 0, 0), BST_CHECKED);
    form.check.SetValue(0);
    EXPECT_EQ(::SendMessageA(window.WindowOf(form.check), BM_GETCHECK, 0, 0), BST_UNCHECKED);

    ::SetWindowTextA(window.WindowOf(form.text), "errors.log");  // the edit box reports a change
    EXPECT_EQ(form.text.Text(), "errors.log");
    EXPECT_EQ(changes, 1);
    ::SetWindowTextA(window.WindowOf(form.text), "errors.log ");
    EXPECT_EQ(form.text.Text(), "errors.log");
    EXPECT_EQ(Text(window.WindowOf(form.text)), "errors.log");  // the handler's correction is shown

    ::SetWindowTextA(window.WindowOf(form.size), "12a345678");  // a paste: digits, five at most
    EXPECT_EQ(form.size.Text(), "12345");
    EXPECT_EQ(Text(window.WindowOf(form.size)), "12345");
    form.size.SetEnable(false);
    form.label.SetEnabled(false);
    EXPECT_NE(::GetWindowLongA(window.WindowOf(form.size), GWL_STYLE) & ES_READONLY, 0);
    EXPECT_TRUE(::IsWindowEnabled(window.WindowOf(form.size)));  // its own switch, not Enabled
    EXPECT_FALSE(::IsWindowEnabled(window.WindowOf(form.label)));
}

bool NativeChecked(HWND tree, const forms::Node& node) {
    return (TreeView_GetItemState(tree, FormWindow::ItemOf(node), TVIS_STATEIMAGEMASK) & TVIS_STATEIMAGEMASK) ==
           INDEXTOSTATEIMAGEMASK(2);
}

// The items under `first` are the nodes from `node` on, in order, each with its text, check, bold
// and selection; the children of an expanded node, or of one whose children have items, too.
void ExpectSiblingsAgree(HWND tree, HTREEITEM first, const forms::Node* node) {
    HTREEITEM item = first;
    for (; node != nullptr; node = node->Next(), item = TreeView_GetNextSibling(tree, item)) {
        ASSERT_EQ(item, FormWindow::ItemOf(*node)) << node->Text();
        EXPECT_EQ(ItemText(tree, item), node->Text());
        EXPECT_EQ(NativeChecked(tree, *node), node->Checked()) << node->Text();
        EXPECT_EQ((TreeView_GetItemState(tree, item, TVIS_BOLD) & TVIS_BOLD) != 0, node->Bold()) << node->Text();
        EXPECT_EQ(TreeView_GetSelection(tree) == item, node->Selected()) << node->Text();
        HTREEITEM child = TreeView_GetChild(tree, item);
        if (child != nullptr || node->Expanded()) ExpectSiblingsAgree(tree, child, node->Child());
    }
    EXPECT_EQ(item, nullptr) << "an item without its node";
}

// A stock icon for an image list.
struct StockIcon final : platform::Picture {
    std::int32_t Id() const noexcept override { return 1; }
    std::int32_t Width() const noexcept override { return 16; }
    std::int32_t Height() const noexcept override { return 16; }
    std::uintptr_t NativeHandle() const noexcept override {
        return reinterpret_cast<std::uintptr_t>(::LoadIconA(nullptr, IDI_APPLICATION));
    }
};

// The sample with a second tree behind the first, as the two tabs have.
struct TwoTreeForm : SampleForm {
    forms::TreeView hidden{"tvModules"};
    TwoTreeForm() {
        AddControl(hidden);
        hidden.Move(150, 300, 2400, 3000);
        hidden.SetVisible(false);
    }
};

// Clicks a node's check box with the mouse, as a person does.
void ClickCheckBox(HWND tree, HTREEITEM item) {
    RECT text{};
    TreeView_GetItemRect(tree, item, &text, TRUE);
    TVHITTESTINFO hit{};
    hit.pt = POINT{text.left - 1, (text.top + text.bottom) / 2};
    while (hit.pt.x > 0 && (TreeView_HitTest(tree, &hit), (hit.flags & TVHT_ONITEMSTATEICON) == 0)) --hit.pt.x;
    ASSERT_NE(hit.flags & TVHT_ONITEMSTATEICON, 0u) << "no check box left of the text";
    ::SendMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(hit.pt.x, hit.pt.y));
    ::SendMessageA(tree, WM_LBUTTONUP, 0, MAKELPARAM(hit.pt.x, hit.pt.y));
}

TEST(RendererTwoTrees, ACheckThatChangesBothShowsOnTheShownTreeAndReachesTheOtherWhenItIsShown) {
    Win32FormHost host(96);
    TwoTreeForm form;
    form.SetVisible(true);
    FormWindow& window = Show(form, host);
    ::ShowWindow(window.Root(), SW_SHOWNA);
    HWND shown = window.WindowOf(form.tree), hidden = window.WindowOf(form.hidden);
    forms::Node& editors = form.tree.AddRoot("Desktop Editors", "Desktop Editors");
    editors.SetExpanded(true);
    std::vector<forms::Node*> editorNodes;
    for (const char* name : {"Report Editor", "Form Editor", "Chart Editor"})
        editorNodes.push_back(&form.tree.AddChild(editors, name, name));
    form.hidden.BeginUpdate();  // a bulk fill of a hidden tree leaves it hidden
    forms::Node& folder = form.hidden.AddRoot("Report Editor", "Report Editor");
    folder.SetExpanded(true);
    forms::Node& output = form.hidden.AddChild(folder, "Report Editor\\Trace", "Trace");
    forms::Node& dropped = form.hidden.AddChild(folder, "Report Editor\\Old", "Old");
    form.hidden.EndUpdate();
    EXPECT_EQ(::GetWindowLongA(hidden, GWL_STYLE) & WS_VISIBLE, 0);
    // What a propagating handler does: the children follow their root, the other tree's
    // nodes show what changed, and a node of the other tree goes away after changing.
    form.tree.NodeCheck.Connect([&](forms::Node& root) {
        for (forms::Node* n : editorNodes) n->SetChecked(root.Checked());
        folder.SetBold(true);
        output.SetText("Trace (on)");
        dropped.SetText("Old (on)");
        form.hidden.Remove(dropped);
    });

    ClickCheckBox(shown, FormWindow::ItemOf(editors));
    ASSERT_TRUE(editors.Checked());
    EXPECT_TRUE(NativeChecked(shown, editors));
    for (forms::Node* n : editorNodes) EXPECT_TRUE(NativeChecked(shown, *n)) << n->Text();
    EXPECT_TRUE(::IsWindowVisible(shown)) << "the shown tree stays on screen after the change";
    EXPECT_FALSE(::IsWindowVisible(hidden)) << "the other tree stays hidden";
    EXPECT_EQ(TreeView_GetCount(hidden), 0u) << "a tree never shown has no items yet";

    // The tab switch (which tree is on screen then: scripts/test-e2e-wine.sh): the other tree
    // gets its items, with every change made while it was hidden and its folder open.
    output.SetSelected(true);
    form.tree.SetVisible(false);
    form.hidden.SetVisible(true);
    EXPECT_EQ(TreeView_GetCount(hidden), 2u);
    ExpectSiblingsAgree(hidden, TreeView_GetRoot(hidden), form.hidden.FirstRoot());
    EXPECT_EQ(ItemText(hidden, FormWindow::ItemOf(output)), "Trace (on)");
    EXPECT_NE(TreeView_GetItemState(hidden, FormWindow::ItemOf(folder), TVIS_BOLD) & TVIS_BOLD, 0u);
    // Changes on the tree now shown go straight to its items.
    output.SetText("Trace");
    EXPECT_EQ(ItemText(hidden, FormWindow::ItemOf(output)), "Trace");

    // Hidden again, its items take a new image list's pictures when it is shown next.
    output.SetImage("open");
    form.hidden.SetVisible(false);
    forms::ImageList images{"ilsSmall"};
    for (const char* key : {"closed", "open"}) images.Add(key, std::make_shared<StockIcon>());
    form.hidden.SetImageList(&images);
    form.hidden.SetVisible(true);
    EXPECT_EQ(NativeItem(hidden, FormWindow::ItemOf(output), TVIF_IMAGE).iImage, 1);
    form.hidden.SetImageList(nullptr);
    ExpectSiblingsAgree(hidden, TreeView_GetRoot(hidden), form.hidden.FirstRoot());

    // Many items changed while it is hidden are made again when it is shown, the first row kept.
    std::vector<forms::Node*> many;
    for (int i = 0; i < 70; ++i) many.push_back(&form.hidden.AddRoot("R" + std::to_string(i), "Root " + std::to_string(i)));
    TreeView_Select(hidden, FormWindow::ItemOf(*many[30]), TVGN_FIRSTVISIBLE);
    form.hidden.SetVisible(false);
    for (forms::Node* n : many) n->SetBold(true);
    form.hidden.SetVisible(true);
    ExpectSiblingsAgree(hidden, TreeView_GetRoot(hidden), form.hidden.FirstRoot());
    EXPECT_EQ(TreeView_GetFirstVisible(hidden), FormWindow::ItemOf(*many[30]));
}

TEST_F(Renderer, TreesAgreeNodeByNodeAndAFoldersChildrenGetTheirItemsWhenItIsFirstExpanded) {
    HWND tree = window.WindowOf(form.tree);
    forms::TreeView& model = form.tree;
    forms::ImageList images{"ilsSmall"};
    for (const char* key : {"closed", "open"}) images.Add(key, std::make_shared<StockIcon>());
    model.SetImageList(&images);
    forms::Node& root = model.AddRoot("Root", "Root");
    forms::Node& folder = model.AddChild(root, "Folder", "Folder");
    forms::Node& deep = model.AddChild(folder, "Deep", "Deep");
    forms::Node& b = model.AddChild(root, "B", "B");
    forms::Node& a = model.AddChild(root, "A", "A");
    forms::Node& other = model.AddRoot("Other", "Other");
    forms::Node& sub = model.AddChild(other, "Sub", "Sub");
    forms::Node& leaf = model.AddChild(sub, "Leaf", "Leaf");
    forms::Node& keyed = model.AddRoot("Keyed", "Keyed");
    model.AddChild(keyed, "Opened", "Opened");
    EXPECT_EQ(TreeView_GetCount(tree), 3u) << "only the roots have items";
    EXPECT_EQ(NativeItem(tree, FormWindow::ItemOf(root), TVIF_CHILDREN).cChildren, 1) << "a folder shows its button";
    EXPECT_EQ(FormWindow::ItemOf(a), nullptr);

    // Changes to nodes only in the model, then the folder opened by the model.
    a.SetChecked(true);
    a.SetImage("open");
    b.SetText("Bee");
    b.SetBold(true);
    model.SetSorted(true);
    root.SetExpanded(true);
    EXPECT_NE(TreeView_GetItemState(tree, FormWindow::ItemOf(root), TVIS_EXPANDED) & TVIS_EXPANDED, 0u);
    EXPECT_EQ(FormWindow::ItemOf(deep), nullptr) << "a collapsed folder below keeps its children";
    ExpectSiblingsAgree(tree, TreeView_GetRoot(tree), model.FirstRoot());
    EXPECT_EQ(NativeItem(tree, FormWindow::ItemOf(a), TVIF_IMAGE).iImage, 1);

    // A deep node selected, and another made visible, by the model.
    deep.SetSelected(true);
    ASSERT_NE(FormWindow::ItemOf(deep), nullptr);
    EXPECT_EQ(TreeView_GetSelection(tree), FormWindow::ItemOf(deep));
    leaf.EnsureVisible();
    ASSERT_NE(FormWindow::ItemOf(leaf), nullptr);
    EXPECT_NE(TreeView_GetItemState(tree, FormWindow::ItemOf(sub), TVIS_EXPANDED) & TVIS_EXPANDED, 0u);

    // The control opening a folder itself (as from the keyboard) reaches the model.
    TreeView_Expand(tree, FormWindow::ItemOf(keyed), TVE_EXPAND);
    EXPECT_TRUE(keyed.Expanded());
    leaf.SetChecked(true);
    keyed.SetBold(true);
    ExpectSiblingsAgree(tree, TreeView_GetRoot(tree), model.FirstRoot());
    EXPECT_EQ(TreeView_GetCount(tree), static_cast<UINT>(model.Count()));

    // A renamed root moves, with its items, to its sorted place; a removed one takes its items.
    other.SetText("Alpha");
    ExpectSiblingsAgree(tree, TreeView_GetRoot(tree), model.FirstRoot());
    model.Remove(keyed);
    ExpectSiblingsAgree(tree, TreeView_GetRoot(tree), model.FirstRoot());
    EXPECT_EQ(TreeView_GetCount(tree), static_cast<UINT>(model.Count()));
    // A new image list on a tree on screen: its items are made again, as the model has them.
    forms::ImageList reordered{"ilsLarge"};
    for (const char* key : {"open", "closed"}) reordered.Add(key, std::make_shared<StockIcon>());
    model.SetImageList(&reordered);
    ExpectSiblingsAgree(tree, TreeView_GetRoot(tree), model.FirstRoot());
    EXPECT_EQ(NativeItem(tree, FormWindow::ItemOf(a), TVIF_IMAGE).iImage, 0);
    model.SetImageList(nullptr);
}

// A choice reaching the bar once is checked on the real dialog by scripts/test-e2e-wine.sh.
TEST_F(Renderer, TheBarBecomesAMenuWithShortcutsPicturesAndAToolBarWithTips) {
    forms::Band& main = form.bar.AddBand("mnuBandMain");
    main.SetKind(forms::band_kind::kMenuBar);
    main.AddTool(1, "mnuFile").Caption = "&File";
    main.ToolByKey("mnuFile").SubBand = "mnuBandFile";
    forms::Band& file = form.bar.AddBand("mnuBandFile");
    file.SetKind(forms::band_kind::kPopup);
    forms::Tool& save = file.AddTool(4, "mnuSave");
    save.Caption = "&Save";
    save.SetShortcut(19);
    save.SetPicture(0, std::make_shared<StockIcon>(), 0);
    forms::Tool& exit = file.AddTool(5, "mnuExit");
    exit.Caption = "E&xit";
    exit.BeginGroup = true;
    forms::Band& tools = form.bar.AddBand("mnuToolBar");
    tools.AddTool(18, "mnuSaveClose").Caption = "Save and close";
    tools.AddTool(6, "mnuClearAll").Caption = "Clear all";
    tools.ToolByKey("mnuClearAll").BeginGroup = true;
    form.bar.RecalcLayout();

    HMENU menu = ::GetMenu(window.Root());
    ASSERT_NE(menu, nullptr);
    HMENU popup = ::GetSubMenu(menu, 0);
    ASSERT_NE(popup, nullptr);
    char text[64] = {};
    ::GetMenuStringA(popup, 0, text, sizeof(text), MF_BYPOSITION);
    EXPECT_STREQ(text, "&Save\tCtrl+S");
    EXPECT_EQ(::GetMenuState(popup, 1, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    // An entry's picture is drawn by the window owning the menu, at the small-icon size, so its
    // transparent parts show the entry's background, highlighted or not.
    MENUITEMINFOA entry{};
    entry.cbSize = sizeof entry;
    entry.fMask = MIIM_BITMAP | MIIM_DATA;
    ASSERT_TRUE(::GetMenuItemInfoA(popup, 0, TRUE, &entry));
    EXPECT_EQ(entry.hbmpItem, HBMMENU_CALLBACK);
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemData = entry.dwItemData;
    EXPECT_TRUE(::SendMessageA(window.Root(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)));
    EXPECT_EQ(measure.itemWidth, static_cast<UINT>(::GetSystemMetrics(SM_CXSMICON)));
    {
        platform::win32::WindowDc screen(nullptr);
        platform::win32::OwnedMemoryDc dc(::CreateCompatibleDC(screen.get()));
        platform::win32::OwnedBitmap canvas(::CreateCompatibleBitmap(screen.get(), 32, 32));
        platform::win32::SelectedObject selected(dc.get(), canvas.get());
        const RECT all{0, 0, 32, 32};
        ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_MENU;
        draw.hDC = dc.get();
        draw.rcItem = all;
        draw.itemData = entry.dwItemData;
        EXPECT_TRUE(::SendMessageA(window.Root(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw)));
        int drawn = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) drawn += ::GetPixel(dc.get(), x, y) != RGB(255, 255, 255);
        EXPECT_GT(drawn, 0) << "the picture was drawn";
    }
    HWND bar = window.WindowOf(form.bar);
    EXPECT_EQ(::SendMessageA(bar, TB_BUTTONCOUNT, 0, 0), 3);  // two buttons and the group's separator
    // The tool bar takes its real height at the top of the inner area.
    RECT barRect;
    ::GetWindowRect(bar, &barRect);
    EXPECT_EQ(form.ReservedTop(), window.Scaling().Twips(barRect.bottom - barRect.top));

    // Opening the pop-up asks the bar first.
    int asked = 0;
    form.bar.BandOpenQuery.Connect([&](bool& answer) {
        ++asked;
        answer = true;
    });
    ::SendMessageA(window.Root(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(0, FALSE));
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(file.Open());

    // A tool-bar button's tooltip is its tool's tip text.
    tools.ToolByKey("mnuSaveClose").ToolTipText = "Saves and closes";
    TBBUTTON first{};
    ASSERT_TRUE(::SendMessageA(bar, TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&first)));
    NMTTDISPINFOA tip{};
    tip.hdr.hwndFrom = reinterpret_cast<HWND>(::SendMessageA(bar, TB_GETTOOLTIPS, 0, 0));
    tip.hdr.idFrom = static_cast<UINT_PTR>(first.idCommand);
    tip.hdr.code = TTN_GETDISPINFOA;
    ::SendMessageA(window.Root(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
    ASSERT_NE(tip.lpszText, nullptr);
    EXPECT_STREQ(tip.lpszText, "Saves and closes");
}

TEST_F(Renderer, TheModalLoopDisablesItsOwnerRoutesKeysOnceAndClosesThroughQueryUnload) {
    HWND owner = ::CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                   nullptr, nullptr, nullptr);
    ::SetActiveWindow(owner);  // the modal loop's owner is the window active when it starts
    forms::Node& node = form.tree.AddRoot("Common Tasks", "Common Tasks");
    form.tree.SetSelectedItem(&node);
    int previewed = 0, treeKeys = 0, checks = 0;
    std::vector<std::int16_t> modes;
    bool ownerDisabledMeanwhile = false;
    form.KeyDown.Connect([&](std::int16_t&, std::int16_t) { ++previewed; });
    form.tree.KeyDown.Connect([&](std::int16_t&, std::int16_t) { ++treeKeys; });
    form.tree.NodeCheck.Connect([&](forms::Node&) { ++checks; });
    form.QueryUnload.Connect([&](std::int16_t&, std::int16_t mode) {
        modes.push_back(mode);
        ownerDisabledMeanwhile = !::IsWindowEnabled(owner);
    });

    ::PostMessageA(window.WindowOf(form.tree), WM_KEYDOWN, VK_SPACE, 0);
    ::PostMessageA(window.Root(), WM_CLOSE, 0, 0);
    form.ShowModal();

    EXPECT_EQ(previewed, 1);
    EXPECT_EQ(treeKeys, 1);
    EXPECT_EQ(checks, 1);  // space toggled the check once
    EXPECT_TRUE(node.Checked());
    EXPECT_EQ(modes, std::vector<std::int16_t>{forms::unload_mode::kFormControlMenu});
    EXPECT_TRUE(ownerDisabledMeanwhile);
    EXPECT_TRUE(::IsWindowEnabled(owner));
    EXPECT_EQ(form.hWnd(), 0u);  // the windows went with the unload
    ::DestroyWindow(owner);
}

}  // namespace
}  // namespace diags::win32ui
