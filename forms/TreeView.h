#pragma once
// Tree view model with nodes. Nodes are owned by the tree; keys are unique (compared without
// regard to case) and found in constant time; sibling, child and index navigation are
// constant time, so trees of 100,000 nodes stay fast.
//
// Notifications: a node's check mark set from code raises nothing; the user's toggle (mouse
// on the check box, or space on the selected node) raises MouseDown (mouse only) and then
// NodeCheck. A user's click on a node raises MouseDown, NodeClick, MouseUp and Click.
// Selecting a node from code raises nothing. Mouse coordinates in notifications follow the
// model's own row geometry (RowHeight, Indent), so HitTest on them finds the node the user
// entry point acted on; a renderer installs its native hit test instead, and its entry
// points pass the positions the native control reported.
//
// A renderer mirrors the tree incrementally: NodeAdded (after the node took its place),
// NodeRemoving (before the node and its subtree are destroyed), Clearing (before every node
// goes), NodeMoved (a top-level node took a new place among its siblings, by sorting or by
// renaming a sorted node; its subtree moves with it), NodeChanged (one node's state) and
// Updating (true at the outermost BeginUpdate, false at the matching EndUpdate).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/TextBlocks.h"
#include "forms/Control.h"

namespace diags::forms {

class ImageList;
class TreeView;

// The part of a row a mouse click hit.
enum class TreeHit : std::int8_t { Nowhere, Label, CheckBox, Button };

// Relationship of a new node to its relative node.
enum class Relationship : std::int16_t { First = 0, Last = 1, Next = 2, Previous = 3, Child = 4 };

class Node {
public:
    // Only the tree creates nodes (the token's constructor is private to it).
    class Token {
        friend class TreeView;
        Token() = default;
    };
    // The key and text are kept by the tree already.
    Node(Token, TreeView& tree, std::string_view key, std::string_view text, const std::string& image);
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    TreeView& Tree() const noexcept { return *tree_; }
    // The key and the text, each followed by a NUL. The characters stay where they are until
    // the tree is cleared or destroyed, even after SetText gives the node a new text.
    std::string_view Key() const noexcept { return key_; }
    std::string_view Text() const noexcept { return text_; }
    void SetText(std::string_view text);
    // Image key in the tree's image list ("" = none).
    const std::string& Image() const noexcept { return *image_; }
    void SetImage(std::string_view imageKey);

    Node* Parent() const noexcept { return parent_; }
    Node* Root() noexcept;
    Node* Child() const noexcept { return firstChild_; }  // first child
    std::int32_t Children() const noexcept { return childCount_; }
    Node* Next() const noexcept { return next_; }
    Node* Previous() const noexcept { return previous_; }
    Node* FirstSibling() const noexcept;
    Node* LastSibling() const noexcept;
    // 1-based position in the tree's Nodes collection (order of adding).
    std::int32_t Index() const noexcept { return index_; }

    bool Checked() const noexcept { return checked_; }
    void SetChecked(bool value);  // raises no notification
    // A node's colour until one is set: the system's window text colour.
    static constexpr std::uint32_t kDefaultForeColor = 0x80000008;
    bool Expanded() const noexcept { return expanded_; }
    void SetExpanded(bool value);
    bool Bold() const noexcept { return bold_; }
    void SetBold(bool value);
    std::uint32_t ForeColor() const noexcept { return foreColor_; }
    void SetForeColor(std::uint32_t colour);
    bool Selected() const noexcept;
    void SetSelected(bool value);
    // Expands every ancestor and scrolls the node into the visible rows.
    void EnsureVisible();
    // Visible when every ancestor is expanded.
    bool Reachable() const noexcept;

    // A renderer's slot for the node's native item (0 = none); the model never reads it.
    std::uintptr_t NativeHandle() const noexcept { return native_; }
    void SetNativeHandle(std::uintptr_t handle) noexcept { native_ = handle; }

private:
    friend class TreeView;
    void Changed(Prop property);
    std::uintptr_t native_ = 0;

    TreeView* tree_;  // non-owning; the tree owns the node
    std::string_view key_, text_;  // in the tree's text blocks
    const std::string* image_;  // one of the tree's image keys (a tree uses a handful)
    Node* parent_ = nullptr;
    Node* firstChild_ = nullptr;
    Node* lastChild_ = nullptr;
    Node* next_ = nullptr;
    Node* previous_ = nullptr;
    std::int32_t childCount_ = 0;
    std::int32_t index_ = 0;
    bool checked_ = false, expanded_ = false, bold_ = false;
    std::uint32_t foreColor_ = kDefaultForeColor;
};

class TreeView : public Control {
public:
    explicit TreeView(std::string name, int index = -1);
    ~TreeView() override;

    // --- the Nodes collection
    // Adds a node. With a relative node, the relationship places it (Child = last child of
    // the relative). Without one, it becomes the last top-level node (first for First).
    // A duplicate key is error 35602; a relative from another tree is error 35601.
    Node& Add(Node* relative, Relationship relationship, std::string_view key, std::string_view text,
              std::string_view image = {});
    Node& AddRoot(std::string_view key, std::string_view text, std::string_view image = {});
    Node& AddChild(Node& parent, std::string_view key, std::string_view text, std::string_view image = {});
    // Removes the node with its descendants.
    void Remove(Node& node);
    void Clear();
    // Brackets a bulk fill so a renderer can hold its repaints; calls nest.
    void BeginUpdate();
    void EndUpdate();
    bool Updating() const noexcept { return updateDepth_ > 0; }
    std::int32_t Count() const noexcept { return static_cast<std::int32_t>(nodes_.size()); }
    // Item by key (error 35601 when missing) or by 1-based index (error 35600).
    Node& Item(std::string_view key) const;
    Node& Item(std::int32_t index) const;
    Node* Find(std::string_view key) const noexcept;
    // The first top-level node; the others follow through Next().
    Node* FirstRoot() const noexcept { return firstRoot_; }
    Node* LastRoot() const noexcept { return lastRoot_; }

    // --- control properties
    // Sorted keeps the top-level nodes in alphabetical order of their texts (compared
    // without regard to case); nodes under a parent keep the order they were added in.
    bool Sorted() const noexcept { return sorted_; }
    void SetSorted(bool value);
    bool Checkboxes() const noexcept { return checkboxes_; }
    void SetCheckboxes(bool value);
    ImageList* ImageListControl() const noexcept { return imageList_; }
    void SetImageList(ImageList* images);  // non-owning; null takes it away
    Node* SelectedItem() const noexcept { return selected_; }
    void SetSelectedItem(Node* node);  // raises nothing

    // Rows: each reachable node is one row of RowHeight twips; TopRow is the first row shown.
    static constexpr std::int32_t kRowHeight = 255;
    static constexpr std::int32_t kIndent = 285;      // per level, twips
    static constexpr std::int32_t kCheckWidth = 255;  // check box left of the text
    std::int32_t TopRow() const noexcept { return topRow_; }
    std::int32_t VisibleRowCount() const noexcept;
    // The node at the point (twips, relative to the control), or null: the renderer's hit
    // test when one is installed, else the model's own rows.
    Node* HitTest(float x, float y) const;
    using HitTester = std::function<Node*(float x, float y)>;
    void SetHitTester(HitTester tester) { hitTester_ = std::move(tester); }
    // The row of a reachable node (0-based), or -1.
    std::int32_t RowOf(const Node& node) const;

    // --- notifications
    Signal<Node&> NodeClick;
    Signal<Node&> NodeCheck;
    Signal<Node&> Expand;
    Signal<Node&> Collapse;
    Signal<> Click;
    Signal<std::int16_t& /*keyCode*/, std::int16_t /*shift*/> KeyDown;
    Signal<std::int16_t& /*keyAscii*/> KeyPress;
    Signal<std::int16_t /*button*/, std::int16_t /*shift*/, float /*x*/, float /*y*/> MouseDown;
    Signal<std::int16_t, std::int16_t, float, float> MouseUp;
    // Renderer hooks (see the top of this file).
    Signal<Node&, Prop> NodeChanged;
    Signal<Node&> NodeAdded;
    Signal<Node&> NodeRemoving;
    Signal<> Clearing;
    Signal<Node&> NodeMoved;
    Signal<bool> UpdatingChanged;

    void RaiseKeyDown(std::int16_t& keyCode, std::int16_t shiftState) override;

    // --- what the user does (nothing happens while the tree cannot be reached)
    // Clicks the node's text: MouseDown, selection, NodeClick, MouseUp, Click.
    void UserClickNode(Node& node);
    // Clicks the node's check box: MouseDown, toggle, NodeCheck, MouseUp.
    void UserToggleCheck(Node& node);
    // A key while the tree has the focus: KeyDown once (through the form's key preview when
    // the tree is its active control); a key code left non-zero then goes to UserKeyAction.
    void UserKey(std::int16_t keyCode, std::int16_t shiftState = 0);
    // The tree's own action on a key that the key notifications left: for a character
    // KeyPress first; space toggles the selected node's check box (NodeCheck), Up and Down
    // move the selection (NodeClick), Left/Right collapse/expand.
    void UserKeyAction(std::int16_t keyCode);
    // Expands or collapses the node with its plus/minus sign (Expand/Collapse).
    void UserToggleExpanded(Node& node);
    // A mouse click the renderer saw at (x, y) twips on `node`'s `part` (native hit test):
    // MouseDown; the check box toggles (NodeCheck), the label selects (NodeClick), the
    // button expands or collapses; MouseUp; a label click ends with Click.
    void UserClickAt(float x, float y, Node* node, TreeHit part);
    // The native control moved the selection (keyboard, type-ahead): NodeClick on a change.
    void UserSelected(Node& node);
    // The user scrolled the rows; `topRow` is the first row shown.
    void UserScrolled(std::int32_t topRow);

private:
    friend class Node;
    void Link(Node& node, Node* parent, Node* before);
    void Unlink(Node& node);
    void InsertSortedRoot(Node& node);
    void SortRoots();
    void RemoveRecursive(Node& node, std::vector<Node*>& removed);
    void Renumber();
    void UserToggle(Node& node);
    Node* NextReachable(Node& node) const;
    Node* PreviousReachable(Node& node) const;
    void ScrollTo(const Node& node);
    void Moved(Node& node, Node* oldPrevious, Node* oldNext);

    // The key index: open addressing with linear probing over a power-of-two table, at most
    // half full; each slot keeps the low half of the key's case-blind hash and the node's
    // index, whose own key is the only copy (a node's key never changes). One table for the
    // whole tree: nothing is allocated or freed per node, and a look-up touches one slot of
    // eight bytes.
    struct KeySlot {
        std::uint32_t hash = 0;
        std::uint32_t index = 0;  // the node's Index(); 0: empty
    };
    Node* FindKey(std::string_view key, std::uint64_t hash) const noexcept;
    void ReserveKeys(std::size_t keys);
    static void PlaceKey(std::vector<KeySlot>& table, KeySlot slot) noexcept;

    // The nodes by index - 1. They live in chunks the tree owns, each twice the size of the
    // last (up to a limit): nothing is allocated or freed per node. A removed node stays in
    // its chunk, unreachable, until the tree is cleared or destroyed.
    std::vector<Node*> nodes_;
    std::vector<std::unique_ptr<std::optional<Node>[]>> chunks_;
    std::size_t lastChunkSize_ = 0, lastChunkUsed_ = 0;
    Node& NewNode(std::string_view key, std::string_view text, std::string_view image);
    // The nodes' keys and texts: nothing is allocated or freed per node. A text that SetText
    // replaced stays until the tree is cleared.
    TextBlocks texts_;
    // Every image key a node has used, each kept once (the nodes point at them).
    const std::string& ImageKey(std::string_view key);
    std::set<std::string, std::less<>> imageKeys_;
    std::vector<KeySlot> keyIndex_;
    std::size_t keyed_ = 0;  // nodes with a key
    Node* firstRoot_ = nullptr;
    Node* lastRoot_ = nullptr;
    Node* selected_ = nullptr;
    ImageList* imageList_ = nullptr;  // non-owning; the form owns the image list
    bool sorted_ = false;
    bool checkboxes_ = false;
    std::int32_t topRow_ = 0;
    std::int32_t updateDepth_ = 0;
    HitTester hitTester_;
};

// Brackets a bulk change of a tree: BeginUpdate now, EndUpdate however the scope is left.
class ScopedTreeUpdate {
public:
    explicit ScopedTreeUpdate(TreeView& tree) : tree_(tree) { tree_.BeginUpdate(); }
    ~ScopedTreeUpdate() { tree_.EndUpdate(); }
    ScopedTreeUpdate(const ScopedTreeUpdate&) = delete;
    ScopedTreeUpdate& operator=(const ScopedTreeUpdate&) = delete;

private:
    TreeView& tree_;
};

}  // namespace diags::forms
