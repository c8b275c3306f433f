// Tree views mirrored node by node: each node's native item is kept in the node's handle
// slot and carries the node in its lParam. The tree's node notifications reach the mirror
// directly (not through the change queue); see the top of FormWindow.h for how their
// painting is held back. The mouse on the tree goes to the model (with the native hit test);
// the native control's own selection and expansion changes come back as user calls.
// A tree gets its items when it is first shown, and a folder's children theirs when the
// folder is first expanded (by the user, the model, or a selection or EnsureVisible below it);
// until then the folder's item asks for its button (I_CHILDRENCALLBACK) and its descendants
// live only in the model. Whatever changes on them meanwhile is read from the model when their
// items are made. A tree filled while hidden (one root per component, thousands in a large
// configuration) so costs the dialog's first paint nothing.
#include <windowsx.h>

#include <unordered_set>
#include <utility>
#include <vector>

#include "forms/BarControls.h"
#include "forms/TreeView.h"
#include "platform/win32/CallbackGuard.h"
#include "win32ui/Mirror.h"

namespace diags::win32ui {

namespace {

using forms::Node;
using forms::Prop;
using forms::TreeView;

// The state images of a tree with check boxes.
constexpr UINT kUncheckedImage = 1, kCheckedImage = 2;
constexpr UINT_PTR kSubclassId = 1;

UINT StateOf(const TreeView& tree, const Node& node) {
    UINT state = node.Bold() ? TVIS_BOLD : 0;
    if (tree.Checkboxes()) state |= INDEXTOSTATEIMAGEMASK(node.Checked() ? kCheckedImage : kUncheckedImage);
    return state;
}

UINT StateMaskOf(const TreeView& tree) { return TVIS_BOLD | (tree.Checkboxes() ? TVIS_STATEIMAGEMASK : 0); }

int ImageOf(const TreeView& tree, const Node& node) {
    const forms::ImageList* images = tree.ImageListControl();
    if (images == nullptr || node.Image().empty()) return I_IMAGENONE;
    const std::int32_t index = images->IndexOf(node.Image());
    return index > 0 ? index - 1 : I_IMAGENONE;
}

// What a node shows on its item; a change to one of these on a tree not on screen waits
// until the tree is shown.
bool ShownOnItem(Prop property) {
    return property == Prop::NodeText || property == Prop::NodeImage || property == Prop::NodeChecked ||
           property == Prop::NodeBold || property == Prop::NodeForeColor;
}

// Visits the node and its descendants, parents first.
template <class Visit>
void ForSubtree(Node& node, Visit& visit) {
    visit(node);
    for (Node* c = node.Child(); c != nullptr; c = c->Next()) ForSubtree(*c, visit);
}

// Visits every node of the tree, parents first.
template <class Visit>
void ForEveryNode(const TreeView& tree, Visit visit) {
    for (Node* n = tree.FirstRoot(); n != nullptr; n = n->Next()) ForSubtree(*n, visit);
}

// The node shown in a row of the model's rows (each reachable node one row), or null.
Node* NodeAtRow(const TreeView& tree, std::int32_t row) {
    Node* node = tree.FirstRoot();
    for (std::int32_t r = 0; node != nullptr && r < row; ++r) {
        if (node->Expanded() && node->Child() != nullptr) {
            node = node->Child();
            continue;
        }
        while (node != nullptr && node->Next() == nullptr) node = node->Parent();
        if (node != nullptr) node = node->Next();
    }
    return node;
}

// Painting of a tree on screen is suspended by clearing its visible bit the way
// DefWindowProc's WM_SETREDRAW does (the window stays where it is), so the invalidations and
// scroll-bar updates the control makes for each changed item cost nothing. A tree view that
// handles WM_SETREDRAW itself without that still repaints its scroll bars for every item
// (over ten milliseconds an item on some platforms). The
// control's own switch (`ownSwitch`) also spares it the per-item layout work, at the price of
// one layout of the whole tree on resuming: worth it for a bulk fill, not for a few items.
// A tree filled before its dialog is shown owes that layout work too (for every root item, in
// time growing with the items already there), so a bulk fill takes the control's own switch
// on a hidden tree as well.
// A tree not on screen keeps its hidden bit: switching redrawing back on would show it.
enum class Held { Nothing, OwnSwitch, Both };

bool OnScreen(HWND tree) { return ::IsWindowVisible(tree) != FALSE; }

Held SuspendPainting(HWND tree, bool ownSwitch) {
    const bool shown = (::GetWindowLongA(tree, GWL_STYLE) & WS_VISIBLE) != 0;
    if (!ownSwitch && !OnScreen(tree)) return Held::Nothing;
    if (ownSwitch) ::SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
    if (!shown) return Held::OwnSwitch;
    ::DefWindowProcA(tree, WM_SETREDRAW, FALSE, 0);
    return Held::Both;
}

void ResumePainting(HWND tree, bool ownSwitch, Held held) {
    if (held == Held::Nothing) return;
    if (held == Held::Both) ::DefWindowProcA(tree, WM_SETREDRAW, TRUE, 0);
    if (ownSwitch) {
        ::SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
        // A control that passes the message on to DefWindowProc has just made itself visible.
        if (held == Held::OwnSwitch && (::GetWindowLongA(tree, GWL_STYLE) & WS_VISIBLE) != 0)
            ::DefWindowProcA(tree, WM_SETREDRAW, FALSE, 0);
    }
    if (held == Held::Both) ::RedrawWindow(tree, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

class TreeMirror final : public Mirror {
public:
    using Mirror::Mirror;

    void Attach() override {
        ApplyCheckboxStyle();
        ::SetWindowSubclass(Window(), &TreeMirror::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
        InstallHitTester();
        ConnectNodeNotifications();
        // Nodes the tree holds already.
        RefreshImages();
        if (Tree().Visible()) Populate();
    }

    void Push(Prop property) override {
        switch (property) {
            case Prop::Checkboxes: PushCheckboxes(); break;
            case Prop::ImageList: RefreshImages(); break;
            case Prop::TopRow: PushTopRow(); break;
            case Prop::Sorted: break;  // the moved nodes come as NodeMoved
            default: Mirror::Push(property); break;
        }
    }

    void OnOtherChanged(forms::Control& control, Prop property) override {
        if (&control == Tree().ImageListControl() && (property == Prop::ListImages || property == Prop::ImageSize))
            RefreshImages();
    }

    LRESULT OnNotify(NMHDR& header) override;

    // The tree's own action on space, once: the native control never sees the key.
    bool OnKey(std::int16_t key, std::int16_t /*shift*/) override {
        if (key != VK_SPACE) return false;
        TreeView& tree = Tree();
        Form().UserCall([&] { tree.UserKeyAction(VK_SPACE); });
        return true;
    }

    // Trees filled while hidden show the rows the models say are on top.
    void BeforeShow() override { PushTopRow(); }

    void Thaw() override {
        ResumePainting(Window(), false, Held::Both);
        frozen_ = false;
    }

    void Unwatch() noexcept override {
        connections_.clear();
        Tree().SetHitTester({});
        ForEveryNode(Tree(), [](Node& n) { n.SetNativeHandle(0); });
        stale_.clear();
        filled_.clear();
    }

protected:
    void PushVisible() override {
        if (Tree().Visible()) {
            if (populated_ && !rebuild_) CatchUp();
            else Rebuild();
        }
        Mirror::PushVisible();
    }

    void OnModelGone() noexcept override {
        connections_.clear();
        stale_.clear();
        filled_.clear();
    }

private:
    // A point on the window and what is there.
    struct Hit {
        HTREEITEM item = nullptr;
        Node* node = nullptr;
        UINT flags = 0;
    };

    TreeView& Tree() const noexcept { return static_cast<TreeView&>(*Model()); }

    // ---- set-up
    void ApplyCheckboxStyle() {
        const LONG style = ::GetWindowLongA(Window(), GWL_STYLE);
        const LONG want = Tree().Checkboxes() ? (style | TVS_CHECKBOXES) : (style & ~TVS_CHECKBOXES);
        if (want != style) ::SetWindowLongA(Window(), GWL_STYLE, want);
    }

    void InstallHitTester() {
        Tree().SetHitTester([this](float x, float y) -> Node* {
            const Scale& scale = Form().Scaling();
            const Hit hit = HitAt(POINT{scale.Pixels(static_cast<std::int32_t>(x)), scale.Pixels(static_cast<std::int32_t>(y))});
            return (hit.flags & TVHT_ONITEM) != 0 ? hit.node : nullptr;
        });
    }

    void ConnectNodeNotifications() {
        TreeView& tree = Tree();
        connections_.emplace_back(tree.NodeAdded.Connect([this](Node& n) { Form().Pushing([&] { OnNodeAdded(n); }); }));
        connections_.emplace_back(tree.NodeRemoving.Connect([this](Node& n) { Form().Pushing([&] { DeleteItems(n); }); }));
        connections_.emplace_back(tree.Clearing.Connect([this] {
            stale_.clear();
            filled_.clear();
            Form().Pushing([&] { TreeView_DeleteAllItems(Window()); });
        }));
        connections_.emplace_back(tree.NodeMoved.Connect([this](Node& n) {
            Form().Pushing([&] {
                DeleteItems(n);
                InsertSubtree(n);
                PushSelection();
            });
        }));
        connections_.emplace_back(tree.NodeChanged.Connect([this](Node& n, Prop p) { OnNodeChanged(n, p); }));
        connections_.emplace_back(tree.UpdatingChanged.Connect([this](bool on) { OnUpdatingChanged(on); }));
    }

    // ---- node notifications
    void OnNodeChanged(Node& node, Prop property) {
        // A tree the user cannot see is brought up to date when it is shown: each item set
        // costs the native control its layout and scroll-bar work, and a check on one tree
        // can change the images of hundreds of nodes on the other.
        if (!Tree().Visible() && ShownOnItem(property)) {
            stale_.insert(&node);
            return;
        }
        Form().Pushing([&] {
            Freeze();
            PushNode(node, property);
        });
    }

    // The model's update bracket: painting held with the control's own switch too.
    void OnUpdatingChanged(bool on) {
        if (on && updating_ == Held::Nothing) {
            updating_ = SuspendPainting(Window(), true);
        } else if (!on && updating_ != Held::Nothing) {
            ResumePainting(Window(), true, std::exchange(updating_, Held::Nothing));
        }
    }

    // The node's item (with its subtree's) goes; the nodes forget their items.
    void DeleteItems(Node& node) {
        if (HTREEITEM item = FormWindow::ItemOf(node)) TreeView_DeleteItem(Window(), item);
        auto forget = [this](Node& n) {
            n.SetNativeHandle(0);
            stale_.erase(&n);
            filled_.erase(&n);
        };
        ForSubtree(node, forget);
    }

    // Pushes what changed on the nodes while the tree was not shown; many changed items are
    // made again instead.
    void CatchUp() {
        if (stale_.empty()) return;
        constexpr std::size_t kMostItemChanges = 64;
        std::size_t withItems = 0;
        for (Node* node : stale_) withItems += FormWindow::ItemOf(*node) != nullptr ? 1 : 0;
        if (withItems > kMostItemChanges) {
            Rebuild();
            return;
        }
        const std::unordered_set<Node*> stale = std::move(stale_);
        stale_.clear();
        // A colour needs no push: the item is drawn with the node's colour when the tree shows.
        for (Node* node : stale)
            for (Prop p : {Prop::NodeText, Prop::NodeImage, Prop::NodeChecked}) PushNode(*node, p);
    }

    // Suspends painting of a tree on screen until the user call returns.
    void Freeze() {
        if (!Form().InUserCall() || frozen_) return;
        if (SuspendPainting(Window(), false) != Held::Nothing) {
            frozen_ = true;
            Form().ThawAfterUserCall(*this);
        }
    }

    // ---- items
    // The node's item, and its children's when the node is expanded (recursively).
    void InsertSubtree(Node& node) {
        InsertNode(node);
        HTREEITEM item = FormWindow::ItemOf(node);
        if (item == nullptr || !node.Expanded()) return;
        Fill(node);
        if (node.Child() != nullptr) TreeView_Expand(Window(), item, TVE_EXPAND);
    }

    // Makes the items of the roots (and of the expanded folders below them) in bulk: the
    // control lays out the whole tree when painting resumes, not once for every item.
    void Populate() {
        populated_ = true;
        stale_.clear();  // the items are made from the nodes as they are now
        const Held held = updating_ == Held::Nothing ? SuspendPainting(Window(), true) : Held::Nothing;
        for (Node* n = Tree().FirstRoot(); n != nullptr; n = n->Next()) InsertSubtree(*n);
        ResumePainting(Window(), true, held);
        PushSelection();
        PushTopRow();
    }

    // Makes every item again from the model, in bulk. Changing thousands of items one by one
    // costs more: the control passes over all its items to size its scroll bars after each.
    // The first row shown stays the same node's.
    void Rebuild() {
        const Node* top = NodeOf(TreeView_GetFirstVisible(Window()));
        TreeView_DeleteAllItems(Window());
        ForEveryNode(Tree(), [](Node& n) { n.SetNativeHandle(0); });
        filled_.clear();
        rebuild_ = false;
        Populate();
        if (HTREEITEM item = top != nullptr ? FormWindow::ItemOf(*top) : nullptr)
            TreeView_Select(Window(), item, TVGN_FIRSTVISIBLE);
    }

    // Gives the children of a node with an item theirs, once.
    void Fill(Node& node) {
        if (FormWindow::ItemOf(node) == nullptr || !filled_.insert(&node).second) return;
        for (Node* c = node.Child(); c != nullptr; c = c->Next()) InsertSubtree(*c);
    }

    // Makes the items of the node's ancestors' children, from the top, so the node has one.
    void Reveal(Node& node) {
        std::vector<Node*> chain;
        for (Node* p = node.Parent(); p != nullptr; p = p->Parent()) chain.push_back(p);
        for (auto p = chain.rbegin(); p != chain.rend(); ++p) Fill(**p);
    }

    // The model's selected node is the control's, made first if it is still only in the model.
    void PushSelection() {
        Node* selected = Tree().SelectedItem();
        if (selected == nullptr) return;
        if (FormWindow::ItemOf(*selected) == nullptr) Reveal(*selected);
        if (FormWindow::ItemOf(*selected) != nullptr) PushNode(*selected, Prop::NodeSelected);
    }

    // A new node gets its item when its parent's children have theirs; otherwise the parent's
    // button is redrawn, since it may have just got its first child.
    void OnNodeAdded(Node& node) {
        Node* parent = node.Parent();
        if (parent == nullptr || filled_.count(parent) != 0 || (parent->Expanded() && FormWindow::ItemOf(*parent) != nullptr)) {
            if (parent != nullptr) Fill(*parent);  // an expanded parent not filled yet takes all its children
            InsertNode(node);
            return;
        }
        // Only a first child changes the button, and only a tree on screen shows it.
        if (parent->Child() != &node || node.Next() != nullptr || !::IsWindowVisible(Window())) return;
        RECT r;
        if (HTREEITEM item = FormWindow::ItemOf(*parent); item != nullptr && TreeView_GetItemRect(Window(), item, &r, FALSE))
            ::InvalidateRect(Window(), &r, TRUE);
    }

    void InsertNode(Node& node);
    void PushNode(Node& node, Prop property);

    void PushCheckboxes() {
        ApplyCheckboxStyle();
        ForEveryNode(Tree(), [this](Node& n) { PushNode(n, Prop::NodeChecked); });
    }

    void RefreshImages();

    // The node shown in the model's first row becomes the first visible item.
    void PushTopRow() {
        const Node* node = NodeAtRow(Tree(), Tree().TopRow());
        HTREEITEM item = node != nullptr ? FormWindow::ItemOf(*node) : nullptr;
        if (item != nullptr && TreeView_GetFirstVisible(Window()) != item) TreeView_Select(Window(), item, TVGN_FIRSTVISIBLE);
    }

    // The node an item shows, or null.
    Node* NodeOf(HTREEITEM item) const {
        if (item == nullptr) return nullptr;
        TVITEMA data{};
        data.mask = TVIF_PARAM;
        data.hItem = item;
        ::SendMessageA(Window(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
        return reinterpret_cast<Node*>(data.lParam);
    }

    // ---- input
    Hit HitAt(POINT pixel) const {
        TVHITTESTINFO info{};
        info.pt = pixel;
        Hit hit;
        hit.item = TreeView_HitTest(Window(), &info);
        hit.flags = info.flags;
        hit.node = NodeOf(hit.item);
        return hit;
    }

    void OnMouseDown(LPARAM lParam) {
        const POINT pixel{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const Hit hit = HitAt(pixel);
        forms::TreeHit part = forms::TreeHit::Nowhere;
        if (hit.flags & TVHT_ONITEMSTATEICON) part = forms::TreeHit::CheckBox;
        else if (hit.flags & (TVHT_ONITEMLABEL | TVHT_ONITEMICON)) part = forms::TreeHit::Label;
        else if (hit.flags & TVHT_ONITEMBUTTON) part = forms::TreeHit::Button;
        ::SetFocus(Window());
        const Scale& scale = Form().Scaling();
        const float x = static_cast<float>(scale.Twips(pixel.x)), y = static_cast<float>(scale.Twips(pixel.y));
        TreeView& tree = Tree();
        Form().UserCall([&] { tree.UserClickAt(x, y, hit.node, part); });
    }

    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data);
    LRESULT OnSubclassMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::vector<forms::ScopedConnection> connections_;
    platform::win32::OwnedImageList images_;
    // Nodes whose items show an old text, image, check or colour while the tree is hidden.
    std::unordered_set<Node*> stale_;
    // Nodes whose children have their items.
    std::unordered_set<const Node*> filled_;
    bool populated_ = false;  // the roots have their items (the tree has been shown)
    bool rebuild_ = false;    // every item is made again when the tree is next shown
    bool frozen_ = false;    // painting suspended until the user call returns
    Held updating_ = Held::Nothing;  // painting suspended inside the model's update bracket
};

void TreeMirror::InsertNode(Node& node) {
    const TreeView& tree = Tree();
    HTREEITEM parent = TVI_ROOT;
    if (node.Parent() == nullptr && !populated_) return;  // comes when the tree is first shown
    if (node.Parent() != nullptr) {
        parent = FormWindow::ItemOf(*node.Parent());
        // The node comes with its parent's subtree, or when its parent is first expanded.
        if (parent == nullptr || filled_.count(node.Parent()) == 0) return;
        if (FormWindow::ItemOf(node) != nullptr) return;  // made already by a fill
    }
    HTREEITEM after = TVI_FIRST;
    if (node.Previous() != nullptr) {
        after = FormWindow::ItemOf(*node.Previous());
        if (after == nullptr) after = TVI_LAST;
    }
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    TVITEMA& item = insert.item;
    item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    item.cChildren = I_CHILDRENCALLBACK;
    item.pszText = const_cast<char*>(node.Text().data());  // NUL-terminated
    item.lParam = reinterpret_cast<LPARAM>(&node);
    item.state = StateOf(tree, node);
    item.stateMask = StateMaskOf(tree);
    item.iImage = item.iSelectedImage = ImageOf(tree, node);
    HWND window = Window();
    HTREEITEM created = reinterpret_cast<HTREEITEM>(::SendMessageA(window, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    node.SetNativeHandle(reinterpret_cast<std::uintptr_t>(created));
    // A parent expanded before it had children opens now that it has one.
    if (node.Parent() != nullptr && node.Parent()->Expanded()) TreeView_Expand(window, parent, TVE_EXPAND);
    if (node.Selected()) TreeView_SelectItem(window, created);
}

void TreeMirror::PushNode(Node& node, Prop property) {
    const TreeView& tree = Tree();
    HWND window = Window();
    HTREEITEM item = FormWindow::ItemOf(node);
    if (item == nullptr) {
        // A node only in the model shows its state when its item is made; a selection makes
        // its item now.
        if (property == Prop::NodeSelected && node.Selected()) PushSelection();
        return;
    }
    TVITEMA data{};
    data.hItem = item;
    switch (property) {
        case Prop::NodeText:
            data.mask = TVIF_TEXT;
            data.pszText = const_cast<char*>(node.Text().data());  // NUL-terminated
            ::SendMessageA(window, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&data));
            break;
        case Prop::NodeImage:
            data.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
            data.iImage = data.iSelectedImage = ImageOf(tree, node);
            ::SendMessageA(window, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&data));
            break;
        case Prop::NodeChecked:
        case Prop::NodeBold: {
            const UINT mask = StateMaskOf(tree);
            const UINT want = StateOf(tree, node);
            if ((TreeView_GetItemState(window, item, mask) & mask) != want) TreeView_SetItemState(window, item, want, mask);
            break;
        }
        case Prop::NodeExpanded: {
            if (node.Expanded()) Fill(node);
            const bool shown = (TreeView_GetItemState(window, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
            if (shown != node.Expanded()) TreeView_Expand(window, item, node.Expanded() ? TVE_EXPAND : TVE_COLLAPSE);
            break;
        }
        case Prop::NodeForeColor: {
            RECT r;
            if (TreeView_GetItemRect(window, item, &r, FALSE)) ::InvalidateRect(window, &r, TRUE);
            break;
        }
        case Prop::NodeSelected: {
            HTREEITEM caret = TreeView_GetSelection(window);
            if (node.Selected() && caret != item) TreeView_SelectItem(window, item);
            else if (!node.Selected() && caret == item && tree.SelectedItem() == nullptr) TreeView_SelectItem(window, nullptr);
            break;
        }
        default: break;
    }
}

void TreeMirror::RefreshImages() {
    const forms::ImageList* images = Tree().ImageListControl();
    platform::win32::OwnedImageList list;
    if (images != nullptr && images->Count() > 0) {
        const Scale& scale = Form().Scaling();
        list.reset(::ImageList_Create(scale.DesignPixels(images->ImageWidth), scale.DesignPixels(images->ImageHeight),
                                      ILC_COLOR32 | ILC_MASK, static_cast<int>(images->Count()), 4));
        for (std::int32_t i = 1; i <= static_cast<std::int32_t>(images->Count()); ++i)
            ::ImageList_AddIcon(list.get(), reinterpret_cast<HICON>(images->Item(i)->NativeHandle()));
    }
    TreeView_SetImageList(Window(), list.get(), TVSIL_NORMAL);
    images_ = std::move(list);
    // Without a list the control draws no images, whatever its items hold (the dialog drops
    // its list on unload). With a new one every item's image changes: a tree on screen gets
    // its items made again, a hidden one when it is shown.
    if (!populated_ || TreeView_GetCount(Window()) == 0 || !images_) return;
    if (Tree().Visible()) Rebuild();
    else rebuild_ = true;
}

LRESULT TreeMirror::OnNotify(NMHDR& header) {
    if (header.code == NM_CUSTOMDRAW) {
        auto& draw = reinterpret_cast<NMTVCUSTOMDRAW&>(header);
        if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
        if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
            const Node* node = reinterpret_cast<const Node*>(draw.nmcd.lItemlParam);
            if (node != nullptr && node->ForeColor() != Node::kDefaultForeColor && (draw.nmcd.uItemState & CDIS_SELECTED) == 0)
                draw.clrText = ToColorRef(node->ForeColor());
        }
        return CDRF_DODEFAULT;
    }
    if (header.code == TVN_GETDISPINFOA || header.code == TVN_GETDISPINFOW) {
        // The A and W forms share the layout up to cChildren.
        auto& info = reinterpret_cast<NMTVDISPINFOA&>(header);
        const Node* node = reinterpret_cast<const Node*>(info.item.lParam);
        if ((info.item.mask & TVIF_CHILDREN) != 0) info.item.cChildren = node != nullptr && node->Child() != nullptr ? 1 : 0;
        return 0;
    }
    if (header.code == TVN_ITEMEXPANDINGA || header.code == TVN_ITEMEXPANDINGW) {
        // The control opens a folder itself (from the keyboard): its children come first.
        auto& change = reinterpret_cast<NMTREEVIEWA&>(header);
        if (Node* node = reinterpret_cast<Node*>(change.itemNew.lParam); node != nullptr && (change.action & TVE_EXPAND) != 0)
            Form().Pushing([&] { Fill(*node); });
        return 0;
    }
    if (Form().IsPushing()) return 0;
    TreeView& tree = Tree();
    if (header.code == TVN_SELCHANGEDA || header.code == TVN_SELCHANGEDW) {
        auto& change = reinterpret_cast<NMTREEVIEWA&>(header);
        if (Node* node = reinterpret_cast<Node*>(change.itemNew.lParam)) Form().UserCall([&] { tree.UserSelected(*node); });
    } else if (header.code == TVN_ITEMEXPANDEDA || header.code == TVN_ITEMEXPANDEDW) {
        auto& change = reinterpret_cast<NMTREEVIEWA&>(header);
        Node* node = reinterpret_cast<Node*>(change.itemNew.lParam);
        const bool expanded = (change.itemNew.state & TVIS_EXPANDED) != 0;
        if (node != nullptr && node->Expanded() != expanded) Form().UserCall([&] { tree.UserToggleExpanded(*node); });
    }
    return 0;
}

LRESULT CALLBACK TreeMirror::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR data) {
    auto* self = reinterpret_cast<TreeMirror*>(data);
    return platform::win32::Guarded([&] { return self->OnSubclassMessage(window, message, wParam, lParam); },
                                    [&] { return ::DefSubclassProc(window, message, wParam, lParam); });
}

LRESULT TreeMirror::OnSubclassMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (Model() != nullptr) {
        if (message == WM_LBUTTONDOWN) {
            OnMouseDown(lParam);
            return 0;
        }
        if (message == WM_CHAR) {
            // The control's type-ahead searches collapsed folders too: every node gets its
            // item before the first letter reaches it.
            Form().Pushing([&] { ForEveryNode(Tree(), [this](Node& n) { Fill(n); }); });
        }
        if (message == WM_VSCROLL || message == WM_MOUSEWHEEL) {
            const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
            const int top = ::GetScrollPos(window, SB_VERT);
            TreeView& tree = Tree();
            Form().UserCall([&] { tree.UserScrolled(top); });
            return result;
        }
    }
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(window, &TreeMirror::SubclassProc, kSubclassId);
    return ::DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

std::unique_ptr<Mirror> MakeTreeMirror(FormWindow& form, forms::Control& model, HWND window) {
    return std::make_unique<TreeMirror>(form, model, window);
}

}  // namespace diags::win32ui
