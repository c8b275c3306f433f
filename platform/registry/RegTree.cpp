#include "platform/registry/RegTree.h"

#include <array>
#include <span>
#include <stdexcept>

#include "base/Text.h"
#include "platform/Platform.h"
#include "platform/registry/Encoding.h"

namespace diags::platform::registry {

RegValue RegValue::Text(std::string_view utf8, std::uint32_t type) {
    RegValue v;
    v.type = type;
    v.data.reserve(2 * utf8.size() + 2);  // the text and its NUL without growing
    if (!Utf8ToUtf16Le(utf8, v.data)) {
        v.data.clear();
        Utf8ToUtf16Le(Cp1252ToUtf8(utf8), v.data);
    }
    v.data.append(2, '\0');
    return v;
}

RegValue RegValue::Dword(std::uint32_t value) {
    RegValue v;
    v.type = reg::kDword;
    for (int k = 0; k < 4; ++k) v.data += static_cast<char>((value >> (8 * k)) & 0xFF);
    return v;
}

std::optional<std::string> RegValue::AsText() const { return RegValueView(*this).AsText(); }

std::optional<std::uint32_t> RegValue::AsDword() const { return RegValueView(*this).AsDword(); }

RegKey::RegKey(std::string name) : name_(std::move(name)) {}

RegKey::RegKey(const RegKey& other) : name_(other.name_), childIndex_(other.childIndex_), values_(other.values_) {
    children_.reserve(other.children_.size());
    for (const auto& child : other.children_) children_.push_back(std::make_unique<RegKey>(*child));
}

RegKey& RegKey::operator=(const RegKey& other) {
    if (this != &other) {
        RegKey copy(other);
        *this = std::move(copy);
    }
    return *this;
}

namespace {

constexpr std::size_t kLinearChildren = 8;  // up to this many children: no index

// Names equal without regard to case (SameName) hash alike: the hash of the folded name,
// which for a plain ASCII name is its case-blind hash without a folded copy.
std::uint64_t NameHash(std::string_view name) {
    return IsAscii(name) ? HashNoCase(name) : HashNoCase(FoldName(name));
}

// Puts a child's position (plus one; zero marks a free slot) at the first free slot from its hash.
void PlaceChild(std::vector<std::uint32_t>& table, std::string_view name, std::size_t position) {
    const std::size_t mask = table.size() - 1;
    std::size_t probe = NameHash(name) & mask;
    while (table[probe] != 0) probe = (probe + 1) & mask;
    table[probe] = static_cast<std::uint32_t>(position + 1);
}

}  // namespace

std::size_t RegKey::ChildPosition(std::string_view name) const {
    if (childIndex_.empty()) {
        for (std::size_t i = 0; i < children_.size(); ++i)
            if (SameName(children_[i]->name_, name)) return i;
        return kNoChild;
    }
    const std::size_t mask = childIndex_.size() - 1;
    for (std::size_t probe = NameHash(name) & mask;; probe = (probe + 1) & mask) {
        const std::uint32_t entry = childIndex_[probe];
        if (entry == 0) return kNoChild;
        if (SameName(children_[entry - 1]->name_, name)) return entry - 1;
    }
}

void RegKey::IndexChild(std::size_t position) {
    if (childIndex_.empty() || 2 * children_.size() > childIndex_.size()) return Reindex();
    PlaceChild(childIndex_, children_[position]->name_, position);
}

void RegKey::Reindex() {
    // Without an index the children are searched in order, which is always right: a failure
    // below leaves the key searchable.
    childIndex_ = {};
    if (children_.size() <= kLinearChildren) return;
    std::size_t size = 16;
    while (size < 2 * children_.size() + 2) size *= 2;
    std::vector<std::uint32_t> fresh(size, 0);
    for (std::size_t i = 0; i < children_.size(); ++i) PlaceChild(fresh, children_[i]->name_, i);
    childIndex_.swap(fresh);
}

RegKey* RegKey::FindChild(std::string_view name) noexcept {
    return const_cast<RegKey*>(static_cast<const RegKey*>(this)->FindChild(name));
}

const RegKey* RegKey::FindChild(std::string_view name) const noexcept {
    try {
        const std::size_t at = ChildPosition(name);
        return at == kNoChild ? nullptr : children_[at].get();
    } catch (...) {
        return nullptr;
    }
}

RegKey& RegKey::ChildOrCreate(std::string_view name) {
    if (const std::size_t at = ChildPosition(name); at != kNoChild) return *children_[at];
    if (children_.size() >= 0xFFFFFFFEu) throw std::length_error("too many subkeys");
    children_.push_back(std::make_unique<RegKey>(std::string(name)));
    try {
        IndexChild(children_.size() - 1);
    } catch (...) {
        children_.pop_back();
        throw;
    }
    return *children_.back();
}

bool RegKey::RemoveChild(std::string_view name) {
    const std::size_t at = ChildPosition(name);
    if (at == kNoChild) return false;
    children_.erase(children_.begin() + static_cast<std::ptrdiff_t>(at));
    Reindex();
    return true;
}

std::optional<RegValueView> RegKey::FindValue(std::string_view name) const noexcept { return values_.Find(name); }

void RegKey::SetValue(std::string_view name, const RegValue& value) {
    const ValueSet::Change change{name, RegValueView(value)};
    values_ = values_.With({&change, 1});
}

bool RegKey::RemoveValue(std::string_view name) {
    if (!values_.Find(name)) return false;
    const ValueSet::Change change{name, std::nullopt};
    values_ = values_.With({&change, 1});
    return true;
}

void RegKey::ApplyValues(const std::vector<KeyChange::Value>& values) {
    if (values.empty()) return;
    // A saved key's few changes are gathered on the stack.
    constexpr std::size_t kOnStack = 16;
    std::array<ValueSet::Change, kOnStack> onStack;
    std::vector<ValueSet::Change> onHeap(values.size() > kOnStack ? values.size() : 0);
    const std::span<ValueSet::Change> changes =
        values.size() > kOnStack ? std::span<ValueSet::Change>(onHeap) : std::span(onStack).first(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        changes[i] = {values[i].name, values[i].value ? std::optional<RegValueView>(*values[i].value) : std::nullopt};
    values_ = values_.With(changes);
}

std::vector<std::string_view> SplitPath(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = path.find('\\', start);
        const std::size_t stop = end == std::string_view::npos ? path.size() : end;
        if (stop > start) parts.push_back(path.substr(start, stop - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return parts;
}

const RegKey* RegKey::FindPath(std::string_view path) const noexcept {
    const RegKey* key = this;
    for (std::size_t start = 0; key && start < path.size();) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) key = key->FindChild(path.substr(start, end - start));
        start = end + 1;
    }
    return key;
}

RegKey* RegKey::FindPath(std::string_view path) noexcept {
    return const_cast<RegKey*>(static_cast<const RegKey*>(this)->FindPath(path));
}

RegKey& RegKey::CreatePath(std::string_view path) {
    // Walked in place: a load creates a path per key, and a list of parts would cost an
    // allocation each time.
    RegKey* key = this;
    for (std::size_t start = 0; start < path.size();) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) key = &key->ChildOrCreate(path.substr(start, end - start));
        start = end + 1;
    }
    return *key;
}

bool RegKey::RemovePath(std::string_view path) {
    const auto parts = SplitPath(path);
    if (parts.empty()) return false;
    RegKey* parent = this;
    for (std::size_t i = 0; parent && i + 1 < parts.size(); ++i) parent = parent->FindChild(parts[i]);
    return parent && parent->RemoveChild(parts.back());
}

void RegKey::Apply(const KeyChange& change) {
    if (change.deleteKey) {
        RemovePath(change.path);
        return;
    }
    CreatePath(change.path).ApplyValues(change.values);
}

void ApplyAll(RegKey& tree, const std::vector<KeyChange>& changes) {
    // The parent of the previous change, reused while the following changes are its children.
    std::string parentPath;
    RegKey* parent = nullptr;
    for (const KeyChange& change : changes) {
        const std::string_view path = change.path;
        const auto slash = path.rfind('\\');
        if (change.deleteKey || slash == std::string_view::npos || slash + 1 == path.size()) {
            tree.Apply(change);
            parent = nullptr;  // a deletion may have removed it
            continue;
        }
        if (!parent || path.substr(0, slash) != parentPath) {
            parentPath.assign(path.substr(0, slash));
            parent = &tree.CreatePath(parentPath);
        }
        parent->ChildOrCreate(path.substr(slash + 1)).ApplyValues(change.values);
    }
}

std::size_t RegKey::CountKeys() const noexcept {
    std::size_t n = 1;
    for (const auto& child : children_) n += child->CountKeys();
    return n;
}

}  // namespace diags::platform::registry
