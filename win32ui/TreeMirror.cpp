// Tree views mirrored node by node: each node's native item is kept in the node's handle
// slot and carries the node in its lParam. The mouse on the tree goes to the model (with the
// native hit test); the native control's own selection and expansion changes come back as
// user calls.
#include "platform/win32/CallbackGuard.h"
#include "win32ui/FormWindow.h"

#include <memory>

#include <windowsx.h>

#include <algorithm>

#include "forms/BarControls.h"
#include "forms/TreeView.h"

namespace diags::win32ui {

using forms::Node;
using forms::Prop;
using forms::TreeView;

namespace {

constexpr std::uint32_t kDefaultNodeColour = 0x80000008;

UINT StateOf(const TreeView& tree, const Node& node) {
    UINT state = node.Bold() ? TVIS_BOLD : 0;
    if (tree.Checkboxes()) state |= INDEXTOSTATEIMAGEMASK(node.Checked() ? 2 : 1);
    return state;
}

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

// Painting of a tree on screen is suspended by clearing its visible bit the way
// DefWindowProc's WM_SETREDRAW does (the window stays where it is), so the invalidations and
// scroll-bar updates the control makes for each changed item cost nothing. A tree view that
// handles WM_SETREDRAW itself without that still repaints its scroll bars for every item
// (over ten milliseconds an item on some platforms). The
// control's own switch (`ownSwitch`) also spares it the per-item layout work, at the price of
// one layout of the whole tree on resuming: worth it for a bulk fill, not for a few items.
// A tree not on screen is left alone: switching redrawing back on would show it.
bool SuspendPainting(HWND tree, bool ownSwitch) {
    if (!::IsWindowVisible(tree)) return false;
    if (ownSwitch) ::SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
    ::DefWindowProcA(tree, WM_SETREDRAW, FALSE, 0);
    return true;
}

void ResumePainting(HWND tree, bool ownSwitch) {
    ::DefWindowProcA(tree, WM_SETREDRAW, TRUE, 0);
    if (ownSwitch) ::SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
    ::RedrawWindow(tree, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

}  // namespace

HTREEITEM FormWindow::ItemOf(const Node& node) noexcept { return reinterpret_cast<HTREEITEM>(node.NativeHandle()); }

void FormWindow::ForgetItems(TreeView& tree, Node& node) {
    node.SetNativeHandle(0);
    if (auto it = staleNodes_.find(&tree); it != staleNodes_.end()) it->second.erase(&node);
    for (Node* c = node.Child(); c != nullptr; c = c->Next()) ForgetItems(tree, *c);
}

void FormWindow::WatchTree(TreeView& tree) {
    HWND window = WindowOf(tree);
    if (tree.Checkboxes())
        ::SetWindowLongA(window, GWL_STYLE, ::GetWindowLongA(window, GWL_STYLE) | TVS_CHECKBOXES);
    ::SetWindowSubclass(window, &FormWindow::TreeSubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
    tree.SetHitTester([this, window](float x, float y) -> Node* {
        TVHITTESTINFO hit{};
        hit.pt = POINT{scale_.Pixels(static_cast<std::int32_t>(x)), scale_.Pixels(static_cast<std::int32_t>(y))};
        HTREEITEM item = TreeView_HitTest(window, &hit);
        if (item == nullptr || (hit.flags & TVHT_ONITEM) == 0) return nullptr;
        TVITEMA data{};
        data.mask = TVIF_PARAM;
        data.hItem = item;
        ::SendMessageA(window, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
        return reinterpret_cast<Node*>(data.lParam);
    });
    const auto added = tree.NodeAdded.Connect([this, &tree](Node& n) { Pushing([&] { InsertNode(tree, n); }); });
    const auto removing = tree.NodeRemoving.Connect([this, &tree, window](Node& n) {
        Pushing([&] {
            if (HTREEITEM item = ItemOf(n)) TreeView_DeleteItem(window, item);
            ForgetItems(tree, n);
        });
    });
    const auto clearing = tree.Clearing.Connect([this, &tree, window] {
        staleNodes_.erase(&tree);
        Pushing([&] { TreeView_DeleteAllItems(window); });
    });
    const auto moved = tree.NodeMoved.Connect([this, &tree, window](Node& n) {
        Pushing([&] {
            if (HTREEITEM item = ItemOf(n)) TreeView_DeleteItem(window, item);
            ForgetItems(tree, n);
            InsertSubtree(tree, n);
        });
    });
    const auto changed = tree.NodeChanged.Connect([this, &tree, window](Node& n, Prop p) {
        // A tree the user cannot see is brought up to date when it is shown: each item set
        // costs the native control its layout and scroll-bar work, and a check on one tree
        // can change the images of hundreds of nodes on the other.
        if (!tree.Visible() && ShownOnItem(p)) {
            staleNodes_[&tree].insert(&n);
            return;
        }
        Pushing([&] {
            Freeze(window);
            PushNode(tree, n, p);
        });
    });
    const auto updating = tree.UpdatingChanged.Connect([window, frozen = std::make_shared<bool>(false)](bool on) {
        if (on && !*frozen) {
            *frozen = SuspendPainting(window, true);
        } else if (!on && *frozen) {
            ResumePainting(window, true);
            *frozen = false;
        }
    });
    disconnect_.push_back([this, &tree, added, removing, clearing, moved, changed, updating] {
        if (gone_.contains(&tree)) return;
        tree.NodeAdded.Disconnect(added);
        tree.NodeRemoving.Disconnect(removing);
        tree.Clearing.Disconnect(clearing);
        tree.NodeMoved.Disconnect(moved);
        tree.NodeChanged.Disconnect(changed);
        tree.UpdatingChanged.Disconnect(updating);
        tree.SetHitTester({});
        for (Node* n = tree.FirstRoot(); n != nullptr; n = n->Next()) ForgetItems(tree, *n);
        staleNodes_.erase(&tree);
    });
    // Nodes the tree holds already.
    RefreshTreeImages(tree);
    for (Node* n = tree.FirstRoot(); n != nullptr; n = n->Next()) InsertSubtree(tree, *n);
}

void FormWindow::CatchUp(TreeView& tree) {
    auto it = staleNodes_.find(&tree);
    if (it == staleNodes_.end()) return;
    const std::unordered_set<Node*> stale = std::move(it->second);
    staleNodes_.erase(it);
    // A colour needs no push: the item is drawn with the node's colour when the tree shows.
    for (Node* node : stale)
        for (Prop p : {Prop::NodeText, Prop::NodeImage, Prop::NodeChecked}) PushNode(tree, *node, p);
}

void FormWindow::Freeze(HWND tree) {
    if (inUserCall_ == 0 || std::find(frozen_.begin(), frozen_.end(), tree) != frozen_.end()) return;
    if (SuspendPainting(tree, false)) frozen_.push_back(tree);
}

void FormWindow::Thaw() {
    for (HWND tree : frozen_) ResumePainting(tree, false);
    frozen_.clear();
}

void FormWindow::InsertSubtree(TreeView& tree, Node& node) {
    InsertNode(tree, node);
    for (Node* c = node.Child(); c != nullptr; c = c->Next()) InsertSubtree(tree, *c);
    if (node.Expanded() && node.Child() != nullptr) TreeView_Expand(WindowOf(tree), ItemOf(node), TVE_EXPAND);
}

void FormWindow::InsertNode(TreeView& tree, Node& node) {
    HWND window = WindowOf(tree);
    HTREEITEM parent = TVI_ROOT;
    if (node.Parent() != nullptr) {
        parent = ItemOf(*node.Parent());
        if (parent == nullptr) return;  // the parent comes with its own subtree
    }
    HTREEITEM after = TVI_FIRST;
    if (node.Previous() != nullptr) {
        after = ItemOf(*node.Previous());
        if (after == nullptr) after = TVI_LAST;
    }
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    TVITEMA& item = insert.item;
    item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.pszText = const_cast<char*>(node.Text().c_str());
    item.lParam = reinterpret_cast<LPARAM>(&node);
    item.state = StateOf(tree, node);
    item.stateMask = TVIS_BOLD | (tree.Checkboxes() ? TVIS_STATEIMAGEMASK : 0);
    item.iImage = item.iSelectedImage = ImageOf(tree, node);
    HTREEITEM created = reinterpret_cast<HTREEITEM>(::SendMessageA(window, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    node.SetNativeHandle(reinterpret_cast<std::uintptr_t>(created));
    // A parent expanded before it had children opens now that it has one.
    if (node.Parent() != nullptr && node.Parent()->Expanded())
        TreeView_Expand(window, parent, TVE_EXPAND);
    if (node.Selected()) TreeView_SelectItem(window, created);
}

void FormWindow::PushNode(TreeView& tree, Node& node, Prop property) {
    HWND window = WindowOf(tree);
    HTREEITEM item = ItemOf(node);
    if (window == nullptr || item == nullptr) return;
    TVITEMA data{};
    data.hItem = item;
    switch (property) {
        case Prop::NodeText:
            data.mask = TVIF_TEXT;
            data.pszText = const_cast<char*>(node.Text().c_str());
            ::SendMessageA(window, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&data));
            break;
        case Prop::NodeImage:
            data.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
            data.iImage = data.iSelectedImage = ImageOf(tree, node);
            ::SendMessageA(window, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&data));
            break;
        case Prop::NodeChecked:
        case Prop::NodeBold: {
            const UINT mask = TVIS_BOLD | (tree.Checkboxes() ? TVIS_STATEIMAGEMASK : 0);
            const UINT want = StateOf(tree, node);
            if ((TreeView_GetItemState(window, item, mask) & mask) != want) TreeView_SetItemState(window, item, want, mask);
            break;
        }
        case Prop::NodeExpanded: {
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

void FormWindow::PushTree(TreeView& tree, Prop property) {
    HWND window = WindowOf(tree);
    if (property == Prop::Checkboxes) {
        const LONG style = ::GetWindowLongA(window, GWL_STYLE);
        ::SetWindowLongA(window, GWL_STYLE, tree.Checkboxes() ? (style | TVS_CHECKBOXES) : (style & ~TVS_CHECKBOXES));
        std::function<void(Node&)> all = [&](Node& n) {
            PushNode(tree, n, Prop::NodeChecked);
            for (Node* c = n.Child(); c != nullptr; c = c->Next()) all(*c);
        };
        for (Node* n = tree.FirstRoot(); n != nullptr; n = n->Next()) all(*n);
    } else if (property == Prop::ImageList) {
        RefreshTreeImages(tree);
    } else if (property == Prop::TopRow) {
        // The node shown in the model's first row becomes the first visible item.
        Node* node = tree.FirstRoot();
        for (std::int32_t row = 0; node != nullptr && row < tree.TopRow(); ++row) {
            if (node->Expanded() && node->Child() != nullptr) {
                node = node->Child();
                continue;
            }
            while (node != nullptr && node->Next() == nullptr) node = node->Parent();
            if (node != nullptr) node = node->Next();
        }
        HTREEITEM item = node != nullptr ? ItemOf(*node) : nullptr;
        if (item != nullptr && TreeView_GetFirstVisible(window) != item) TreeView_Select(window, item, TVGN_FIRSTVISIBLE);
    }
}

void FormWindow::RefreshTreeImages(TreeView& tree) {
    HWND window = WindowOf(tree);
    const forms::ImageList* images = tree.ImageListControl();
    UniqueImageList list;
    if (images != nullptr && images->Count() > 0) {
        const int width = scale_.Pixels(images->ImageWidth * 15), height = scale_.Pixels(images->ImageHeight * 15);
        list.reset(::ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, static_cast<int>(images->Count()), 4));
        for (std::int32_t i = 1; i <= static_cast<std::int32_t>(images->Count()); ++i)
            ::ImageList_AddIcon(list.get(), reinterpret_cast<HICON>(images->Item(i)->NativeHandle()));
    }
    TreeView_SetImageList(window, list.get(), TVSIL_NORMAL);
    treeImages_[&tree] = std::move(list);
    std::function<void(Node&)> all = [&](Node& n) {
        PushNode(tree, n, Prop::NodeImage);
        for (Node* c = n.Child(); c != nullptr; c = c->Next()) all(*c);
    };
    for (Node* n = tree.FirstRoot(); n != nullptr; n = n->Next()) all(*n);
}

LRESULT FormWindow::OnTreeNotify(TreeView& tree, NMHDR& header) {
    if (header.code == NM_CUSTOMDRAW) {
        auto& draw = reinterpret_cast<NMTVCUSTOMDRAW&>(header);
        if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
        if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
            const Node* node = reinterpret_cast<const Node*>(draw.nmcd.lItemlParam);
            if (node != nullptr && node->ForeColor() != kDefaultNodeColour && (draw.nmcd.uItemState & CDIS_SELECTED) == 0)
                draw.clrText = ToColorRef(node->ForeColor());
        }
        return CDRF_DODEFAULT;
    }
    if (pushing_ > 0) return 0;
    if (header.code == TVN_SELCHANGEDA || header.code == TVN_SELCHANGEDW) {
        auto& change = reinterpret_cast<NMTREEVIEWA&>(header);
        if (Node* node = reinterpret_cast<Node*>(change.itemNew.lParam)) UserCall([&] { tree.UserSelected(*node); });
    } else if (header.code == TVN_ITEMEXPANDEDA || header.code == TVN_ITEMEXPANDEDW) {
        auto& change = reinterpret_cast<NMTREEVIEWA&>(header);
        Node* node = reinterpret_cast<Node*>(change.itemNew.lParam);
        const bool expanded = (change.itemNew.state & TVIS_EXPANDED) != 0;
        if (node != nullptr && node->Expanded() != expanded) UserCall([&] { tree.UserToggleExpanded(*node); });
    }
    return 0;
}

bool FormWindow::OnTreeMouseDown(TreeView& tree, HWND window, LPARAM lParam) {
    TVHITTESTINFO hit{};
    hit.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    HTREEITEM item = TreeView_HitTest(window, &hit);
    Node* node = nullptr;
    if (item != nullptr) {
        TVITEMA data{};
        data.mask = TVIF_PARAM;
        data.hItem = item;
        ::SendMessageA(window, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
        node = reinterpret_cast<Node*>(data.lParam);
    }
    forms::TreeHit part = forms::TreeHit::Nowhere;
    if (hit.flags & TVHT_ONITEMSTATEICON) part = forms::TreeHit::CheckBox;
    else if (hit.flags & (TVHT_ONITEMLABEL | TVHT_ONITEMICON)) part = forms::TreeHit::Label;
    else if (hit.flags & TVHT_ONITEMBUTTON) part = forms::TreeHit::Button;
    ::SetFocus(window);
    const float x = static_cast<float>(scale_.Twips(hit.pt.x)), y = static_cast<float>(scale_.Twips(hit.pt.y));
    UserCall([&] { tree.UserClickAt(x, y, node, part); });
    return true;
}

LRESULT CALLBACK FormWindow::TreeSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR data) {
    auto* self = reinterpret_cast<FormWindow*>(data);
    return platform::win32::Guarded([&] { return self->OnTreeMessage(window, message, wParam, lParam); },
                                    [&] { return ::DefSubclassProc(window, message, wParam, lParam); });
}

LRESULT FormWindow::OnTreeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* tree = static_cast<TreeView*>(ControlOf(window));
    if (tree != nullptr) {
        if (message == WM_LBUTTONDOWN && OnTreeMouseDown(*tree, window, lParam)) return 0;
        if (message == WM_VSCROLL || message == WM_MOUSEWHEEL) {
            const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
            const int top = ::GetScrollPos(window, SB_VERT);
            UserCall([&] { tree->UserScrolled(top); });
            return result;
        }
    }
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(window, &FormWindow::TreeSubclassProc, 1);
    return ::DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace diags::win32ui
