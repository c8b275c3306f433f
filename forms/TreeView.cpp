#include "forms/TreeView.h"

#include <algorithm>
#include <unordered_set>

#include "base/RuntimeError.h"
#include "base/Text.h"
#include "forms/BarControls.h"
#include "forms/BasicControls.h"
#include "forms/Errors.h"
#include "forms/Form.h"

namespace diags::forms {

namespace {
constexpr std::int16_t kSpace = 32, kLeft = 37, kUp = 38, kRight = 39, kDown = 40;

bool TextBefore(const Node& a, const Node& b) { return LessNoCase(a.Text(), b.Text()); }
}  // namespace

// ------------------------------------------------------------------ Node

Node::Node(Token, TreeView& tree, std::string_view key, std::string_view text, const std::string& image)
    : tree_(&tree), key_(key), text_(text), image_(&image) {}

void Node::Changed(Prop property) { tree_->NodeChanged(*this, property); }

void Node::SetText(std::string_view text) {
    if (text_ == text) return;
    text_ = tree_->texts_.Keep(text);
    Changed(Prop::NodeText);
    if (parent_ == nullptr && tree_->sorted_) {
        Node* oldPrevious = previous_;
        Node* oldNext = next_;
        tree_->Unlink(*this);
        tree_->InsertSortedRoot(*this);
        tree_->Moved(*this, oldPrevious, oldNext);
    }
}

void Node::SetImage(std::string_view imageKey) {
    if (*image_ == imageKey) return;
    image_ = &tree_->ImageKey(imageKey);
    Changed(Prop::NodeImage);
}

Node* Node::Root() noexcept {
    Node* n = this;
    while (n->parent_ != nullptr) n = n->parent_;
    return n;
}

Node* Node::FirstSibling() const noexcept { return parent_ ? parent_->firstChild_ : tree_->firstRoot_; }
Node* Node::LastSibling() const noexcept { return parent_ ? parent_->lastChild_ : tree_->lastRoot_; }

void Node::SetChecked(bool value) {
    if (checked_ == value) return;
    checked_ = value;
    Changed(Prop::NodeChecked);
}

void Node::SetExpanded(bool value) {
    if (expanded_ == value) return;
    expanded_ = value;
    Changed(Prop::NodeExpanded);
}

void Node::SetBold(bool value) {
    if (bold_ == value) return;
    bold_ = value;
    Changed(Prop::NodeBold);
}

void Node::SetForeColor(std::uint32_t colour) {
    if (foreColor_ == colour) return;
    foreColor_ = colour;
    Changed(Prop::NodeForeColor);
}

bool Node::Selected() const noexcept { return tree_->selected_ == this; }

void Node::SetSelected(bool value) {
    if (value) tree_->SetSelectedItem(this);
    else if (Selected()) tree_->SetSelectedItem(nullptr);
}

bool Node::Reachable() const noexcept {
    for (const Node* p = parent_; p != nullptr; p = p->parent_)
        if (!p->expanded_) return false;
    return true;
}

void Node::EnsureVisible() {
    for (Node* p = parent_; p != nullptr; p = p->parent_) p->SetExpanded(true);
    tree_->ScrollTo(*this);
}

// ------------------------------------------------------------------ TreeView

TreeView::TreeView(std::string name, int index) : Control(ControlKind::TreeView, std::move(name), index) {}

TreeView::~TreeView() = default;

Node& TreeView::Add(Node* relative, Relationship relationship, std::string_view key, std::string_view text,
                    std::string_view image) {
    if (relative != nullptr && &relative->Tree() != this) throw RuntimeError(err::kElementNotFound, "Element not found");
    const std::uint64_t hash = key.empty() ? 0 : HashNoCase(key);
    if (!key.empty()) {
        if (FindKey(key, hash) != nullptr) throw RuntimeError(err::kKeyNotUnique, "Key is not unique in collection");
        ReserveKeys(keyed_ + 1);
    }
    Node& node = NewNode(key, text, image);
    if (!key.empty()) {
        PlaceKey(keyIndex_, {static_cast<std::uint32_t>(hash), static_cast<std::uint32_t>(node.index_)});
        ++keyed_;
    }

    if (relative == nullptr) {
        if (sorted_) InsertSortedRoot(node);
        else Link(node, nullptr, relationship == Relationship::First ? firstRoot_ : nullptr);
    } else {
        switch (relationship) {
            case Relationship::Child: Link(node, relative, nullptr); break;
            case Relationship::First: Link(node, relative->parent_, relative->FirstSibling()); break;
            case Relationship::Last: Link(node, relative->parent_, nullptr); break;
            case Relationship::Next: Link(node, relative->parent_, relative->next_); break;
            case Relationship::Previous: Link(node, relative->parent_, relative); break;
        }
        if (node.parent_ == nullptr && sorted_) {
            Unlink(node);
            InsertSortedRoot(node);
        }
    }
    NodeAdded(node);
    return node;
}

Node& TreeView::NewNode(std::string_view key, std::string_view text, std::string_view image) {
    constexpr std::size_t kFirstChunk = 16, kLargestChunk = 4096;
    // Room is made before the node exists: a failure leaves no stray node.
    if (nodes_.size() == nodes_.capacity()) nodes_.reserve(std::max(kFirstChunk, 2 * nodes_.size()));
    if (lastChunkUsed_ == lastChunkSize_) {
        const std::size_t size = lastChunkSize_ == 0 ? kFirstChunk : std::min(2 * lastChunkSize_, kLargestChunk);
        chunks_.push_back(std::make_unique<std::optional<Node>[]>(size));
        lastChunkSize_ = size;
        lastChunkUsed_ = 0;
    }
    const std::string_view keptKey = texts_.Keep(key);
    // A folder's text is usually its key: the characters are kept once.
    const std::string_view keptText = text == key ? keptKey : texts_.Keep(text);
    Node& node = chunks_.back()[lastChunkUsed_].emplace(Node::Token(), *this, keptKey, keptText, ImageKey(image));
    ++lastChunkUsed_;
    nodes_.push_back(&node);
    node.index_ = static_cast<std::int32_t>(nodes_.size());
    return node;
}

Node& TreeView::AddRoot(std::string_view key, std::string_view text, std::string_view image) {
    return Add(nullptr, Relationship::Last, key, text, image);
}

Node& TreeView::AddChild(Node& parent, std::string_view key, std::string_view text, std::string_view image) {
    return Add(&parent, Relationship::Child, key, text, image);
}

void TreeView::Link(Node& node, Node* parent, Node* before) {
    Node*& first = parent ? parent->firstChild_ : firstRoot_;
    Node*& last = parent ? parent->lastChild_ : lastRoot_;
    node.parent_ = parent;
    node.next_ = before;
    node.previous_ = before ? before->previous_ : last;
    if (node.previous_) node.previous_->next_ = &node;
    else first = &node;
    if (before) before->previous_ = &node;
    else last = &node;
    if (parent) ++parent->childCount_;
}

void TreeView::Unlink(Node& node) {
    Node*& first = node.parent_ ? node.parent_->firstChild_ : firstRoot_;
    Node*& last = node.parent_ ? node.parent_->lastChild_ : lastRoot_;
    if (node.previous_) node.previous_->next_ = node.next_;
    else first = node.next_;
    if (node.next_) node.next_->previous_ = node.previous_;
    else last = node.previous_;
    if (node.parent_) --node.parent_->childCount_;
    node.next_ = node.previous_ = nullptr;
}

void TreeView::InsertSortedRoot(Node& node) {
    // Search from the end: nodes usually arrive in order, so this is constant time then.
    Node* after = lastRoot_;
    while (after != nullptr && TextBefore(node, *after)) after = after->previous_;
    Link(node, nullptr, after ? after->next_ : firstRoot_);
}

void TreeView::SortRoots() {
    // Sorted by case-folded copies of the texts, side by side in one buffer: comparing them
    // byte by byte orders the roots exactly as comparing the texts without regard to case,
    // without a visit to each node and its text for every comparison.
    struct Root {
        std::string_view folded;
        Node* node;
    };
    std::vector<Root> roots;
    std::size_t length = 0;
    for (Node* n = firstRoot_; n != nullptr; n = n->next_) {
        roots.push_back({{}, n});
        length += n->text_.size();
    }
    std::string folded;
    folded.reserve(length);
    for (Root& root : roots) {
        const std::size_t at = folded.size();
        for (const char c : root.node->text_) folded += FoldChar(c);
        root.folded = std::string_view(folded).substr(at);  // no reallocation: reserved
    }
    const auto before = [](const Root& a, const Root& b) {
        const std::size_t common = std::min(a.folded.size(), b.folded.size());
        const int order = common == 0 ? 0 : std::memcmp(a.folded.data(), b.folded.data(), common);
        return order != 0 ? order < 0 : a.folded.size() < b.folded.size();
    };
    if (std::is_sorted(roots.begin(), roots.end(), before)) return;
    std::stable_sort(roots.begin(), roots.end(), before);
    firstRoot_ = lastRoot_ = nullptr;
    for (const Root& root : roots) {
        root.node->next_ = root.node->previous_ = nullptr;
        Link(*root.node, nullptr, nullptr);
    }
    // Each root, front to back, is announced at its new place after its new predecessor.
    for (const Root& root : roots) NodeMoved(*root.node);
}

void TreeView::Moved(Node& node, Node* oldPrevious, Node* oldNext) {
    if (node.previous_ != oldPrevious || node.next_ != oldNext) NodeMoved(node);
}

void TreeView::BeginUpdate() {
    if (updateDepth_++ == 0) UpdatingChanged(true);
}

void TreeView::EndUpdate() {
    if (updateDepth_ == 0) return;
    if (--updateDepth_ == 0) UpdatingChanged(false);
}

void TreeView::Remove(Node& node) {
    if (&node.Tree() != this) throw RuntimeError(err::kElementNotFound, "Element not found");
    NodeRemoving(node);
    std::vector<Node*> removed;
    RemoveRecursive(node, removed);
    Unlink(node);
    const std::unordered_set<const Node*> gone(removed.begin(), removed.end());
    if (gone.contains(selected_)) selected_ = nullptr;
    std::vector<KeySlot> kept(keyIndex_.size());  // made before anything changes
    std::erase_if(nodes_, [&](const Node* p) { return gone.contains(p); });
    Renumber();
    // The indexes changed: the key table is made again from the nodes left.
    keyed_ = 0;
    for (const Node* n : nodes_) {
        if (n->key_.empty()) continue;
        PlaceKey(kept, {static_cast<std::uint32_t>(HashNoCase(n->key_)), static_cast<std::uint32_t>(n->index_)});
        ++keyed_;
    }
    keyIndex_.swap(kept);
}

void TreeView::RemoveRecursive(Node& node, std::vector<Node*>& removed) {
    removed.push_back(&node);
    for (Node* c = node.firstChild_; c != nullptr; c = c->next_) RemoveRecursive(*c, removed);
}

void TreeView::Renumber() {
    for (std::size_t i = 0; i < nodes_.size(); ++i) nodes_[i]->index_ = static_cast<std::int32_t>(i + 1);
}

const std::string& TreeView::ImageKey(std::string_view key) {
    const auto known = imageKeys_.find(key);
    return known != imageKeys_.end() ? *known : *imageKeys_.emplace(key).first;
}

void TreeView::Clear() {
    if (nodes_.empty()) return;
    Clearing();
    selected_ = nullptr;
    firstRoot_ = lastRoot_ = nullptr;
    keyIndex_ = {};
    keyed_ = 0;
    nodes_.clear();
    chunks_.clear();
    lastChunkSize_ = lastChunkUsed_ = 0;
    texts_.Clear();
    topRow_ = 0;
}

Node& TreeView::Item(std::string_view key) const {
    Node* node = Find(key);
    if (node == nullptr) throw RuntimeError(err::kElementNotFound, "Element not found");
    return *node;
}

Node& TreeView::Item(std::int32_t index) const {
    if (index < 1 || index > Count()) throw RuntimeError(err::kIndexOutOfBounds, "Index out of bounds");
    return *nodes_[index - 1];
}

Node* TreeView::Find(std::string_view key) const noexcept {
    return key.empty() ? nullptr : FindKey(key, HashNoCase(key));
}

Node* TreeView::FindKey(std::string_view key, std::uint64_t hash) const noexcept {
    if (keyIndex_.empty()) return nullptr;
    const std::size_t mask = keyIndex_.size() - 1;
    const auto low = static_cast<std::uint32_t>(hash);
    for (std::size_t probe = low & mask;; probe = (probe + 1) & mask) {
        const KeySlot& slot = keyIndex_[probe];
        if (slot.index == 0) return nullptr;
        if (slot.hash == low && EqualsNoCase(nodes_[slot.index - 1]->key_, key)) return nodes_[slot.index - 1];
    }
}

void TreeView::ReserveKeys(std::size_t keys) {
    if (2 * keys <= keyIndex_.size()) return;
    std::size_t size = 16;
    while (size < 2 * keys) size *= 2;
    std::vector<KeySlot> grown(size);
    for (const KeySlot& slot : keyIndex_)
        if (slot.index != 0) PlaceKey(grown, slot);
    keyIndex_.swap(grown);
}

void TreeView::PlaceKey(std::vector<KeySlot>& table, KeySlot slot) noexcept {
    const std::size_t mask = table.size() - 1;
    std::size_t probe = slot.hash & mask;
    while (table[probe].index != 0) probe = (probe + 1) & mask;
    table[probe] = slot;
}

void TreeView::SetSorted(bool value) {
    if (sorted_ == value) return;
    sorted_ = value;
    Touch(Prop::Sorted);
    if (value) SortRoots();
}

void TreeView::SetCheckboxes(bool value) {
    if (checkboxes_ == value) return;
    checkboxes_ = value;
    Touch(Prop::Checkboxes);
}

void TreeView::SetImageList(ImageList* images) {
    if (imageList_ == images) return;
    imageList_ = images;
    Touch(Prop::ImageList);
}

void TreeView::SetSelectedItem(Node* node) {
    if (node != nullptr && &node->Tree() != this) throw RuntimeError(err::kElementNotFound, "Element not found");
    if (selected_ == node) return;
    Node* previous = selected_;
    selected_ = node;
    if (previous) previous->Changed(Prop::NodeSelected);
    if (node) node->Changed(Prop::NodeSelected);
}

std::int32_t TreeView::VisibleRowCount() const noexcept { return std::max(1, Height() / kRowHeight); }

std::int32_t TreeView::RowOf(const Node& node) const {
    if (!node.Reachable()) return -1;
    std::int32_t row = 0;
    for (Node* n = firstRoot_; n != nullptr; n = NextReachable(*n), ++row)
        if (n == &node) return row;
    return -1;
}

Node* TreeView::HitTest(float x, float y) const {
    if (hitTester_) return hitTester_(x, y);
    if (x < 0 || y < 0 || x >= static_cast<float>(std::max(Width(), 1))) return nullptr;
    const std::int32_t row = topRow_ + static_cast<std::int32_t>(y) / kRowHeight;
    std::int32_t r = 0;
    for (Node* n = firstRoot_; n != nullptr; n = NextReachable(*n), ++r)
        if (r == row) return n;
    return nullptr;
}

Node* TreeView::NextReachable(Node& node) const {
    if (node.expanded_ && node.firstChild_) return node.firstChild_;
    for (Node* n = &node; n != nullptr; n = n->parent_)
        if (n->next_) return n->next_;
    return nullptr;
}

Node* TreeView::PreviousReachable(Node& node) const {
    if (node.previous_ == nullptr) return node.parent_;
    Node* n = node.previous_;
    while (n->expanded_ && n->lastChild_) n = n->lastChild_;
    return n;
}

void TreeView::ScrollTo(const Node& node) {
    const std::int32_t row = RowOf(node);
    if (row < 0) return;
    const std::int32_t rows = VisibleRowCount();
    const std::int32_t before = topRow_;
    if (row < topRow_) topRow_ = row;
    else if (row >= topRow_ + rows) topRow_ = row - rows + 1;
    if (topRow_ != before) Touch(Prop::TopRow);
}

void TreeView::RaiseKeyDown(std::int16_t& keyCode, std::int16_t shiftState) { KeyDown(keyCode, shiftState); }

void TreeView::UserClickNode(Node& node) {
    if (!EffectivelyEnabled() || !EffectivelyVisible() || &node.Tree() != this) return;
    node.EnsureVisible();
    const float y = static_cast<float>((RowOf(node) - topRow_) * kRowHeight + kRowHeight / 2);
    float x = 0;
    for (const Node* p = node.parent_; p != nullptr; p = p->parent_) x += kIndent;
    x += kIndent + (checkboxes_ ? kCheckWidth : 0) + 60;
    UserClickAt(x, y, &node, TreeHit::Label);
}

void TreeView::UserToggleCheck(Node& node) {
    if (!EffectivelyEnabled() || !EffectivelyVisible() || !checkboxes_ || &node.Tree() != this) return;
    node.EnsureVisible();
    const float y = static_cast<float>((RowOf(node) - topRow_) * kRowHeight + kRowHeight / 2);
    float x = 0;
    for (const Node* p = node.parent_; p != nullptr; p = p->parent_) x += kIndent;
    x += kIndent + kCheckWidth / 2;
    UserClickAt(x, y, &node, TreeHit::CheckBox);
}

void TreeView::UserClickAt(float x, float y, Node* node, TreeHit part) {
    if (!EffectivelyEnabled() || !EffectivelyVisible()) return;
    if (node != nullptr && &node->Tree() != this) return;
    if (node == nullptr) part = TreeHit::Nowhere;
    if (Parent() != nullptr && !HasFocus()) SetFocus();
    MouseDown(button::kLeft, 0, x, y);
    switch (part) {
        case TreeHit::CheckBox:
            if (checkboxes_) UserToggle(*node);
            break;
        case TreeHit::Label:
            SetSelectedItem(node);
            NodeClick(*node);
            break;
        case TreeHit::Button: UserToggleExpanded(*node); break;
        case TreeHit::Nowhere: break;
    }
    MouseUp(button::kLeft, 0, x, y);
    if (part == TreeHit::Label) Click();
}

void TreeView::UserSelected(Node& node) {
    if (&node.Tree() != this || selected_ == &node) return;
    SetSelectedItem(&node);
    NodeClick(node);
}

void TreeView::UserScrolled(std::int32_t topRow) {
    topRow = std::max(0, topRow);
    if (topRow_ == topRow) return;
    topRow_ = topRow;
    Touch(Prop::TopRow);
}

void TreeView::UserToggle(Node& node) {
    node.SetChecked(!node.checked_);
    NodeCheck(node);
}

void TreeView::UserKey(std::int16_t keyCode, std::int16_t shiftState) {
    if (!EffectivelyEnabled() || !EffectivelyVisible()) return;
    // Through the form when the tree is its active control: the form's preview, then this
    // tree's KeyDown, each once.
    if (Parent() != nullptr && HasFocus()) keyCode = Parent()->UserKeyDown(keyCode, shiftState);
    else KeyDown(keyCode, shiftState);
    if (keyCode != 0) UserKeyAction(keyCode);
}

void TreeView::UserKeyAction(std::int16_t keyCode) {
    if (!EffectivelyEnabled() || !EffectivelyVisible()) return;
    if (keyCode == kSpace || (keyCode >= 'A' && keyCode <= 'Z') || (keyCode >= '0' && keyCode <= '9')) {
        std::int16_t keyAscii = keyCode;
        KeyPress(keyAscii);
        if (keyAscii == 0) return;
    }
    Node* node = selected_;
    if (node == nullptr) return;
    switch (keyCode) {
        case kSpace:
            if (checkboxes_) UserToggle(*node);
            break;
        case kDown:
        case kUp: {
            Node* next = keyCode == kDown ? NextReachable(*node) : PreviousReachable(*node);
            if (next != nullptr) {
                SetSelectedItem(next);
                ScrollTo(*next);
                NodeClick(*next);
            }
            break;
        }
        case kLeft:
            if (node->expanded_ && node->firstChild_) UserToggleExpanded(*node);
            break;
        case kRight:
            if (!node->expanded_ && node->firstChild_) UserToggleExpanded(*node);
            break;
        default: break;
    }
}

void TreeView::UserToggleExpanded(Node& node) {
    if (&node.Tree() != this || node.firstChild_ == nullptr) return;
    const bool expand = !node.expanded_;
    node.SetExpanded(expand);
    if (expand) Expand(node);
    else Collapse(node);
}

}  // namespace diags::forms
