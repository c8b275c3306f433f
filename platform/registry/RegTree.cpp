#include "platform/registry/RegTree.h"

#include <stdexcept>
#include <type_traits>

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

std::optional<std::string> RegValue::AsText() const {
    if (type != reg::kSz && type != reg::kExpandSz && type != reg::kMultiSz) return std::nullopt;
    std::string_view bytes = data;
    if (bytes.size() % 2 != 0) return std::nullopt;
    // Up to the first NUL, as the ANSI and wide registry calls hand a string back.
    for (std::size_t k = 0; k + 1 < bytes.size(); k += 2) {
        if (bytes[k] == '\0' && bytes[k + 1] == '\0') {
            bytes = bytes.substr(0, k);
            break;
        }
    }
    std::string out;
    if (!Utf16LeToUtf8(bytes, out)) return std::nullopt;
    return out;
}

std::optional<std::uint32_t> RegValue::AsDword() const {
    if (type != reg::kDword || data.size() != 4) return std::nullopt;
    std::uint32_t v = 0;
    for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<unsigned char>(data[k]);
    return v;
}

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
    for (const char c : name)
        if (static_cast<unsigned char>(c) >= 0x80) return HashNoCase(FoldName(name));
    return HashNoCase(name);
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

const std::vector<NamedValue>& RegKey::NoValues() noexcept {
    static const std::vector<NamedValue> none;
    return none;
}

std::vector<NamedValue>& RegKey::WritableValues() {
    if (!values_) values_ = std::make_shared<std::vector<NamedValue>>();
    else if (values_.use_count() > 1) values_ = std::make_shared<std::vector<NamedValue>>(*values_);
    return *values_;
}

const RegValue* RegKey::FindValue(std::string_view name) const noexcept {
    for (const auto& v : Values())
        if (SameName(v.name, name)) return &v.value;
    return nullptr;
}

void RegKey::SetValue(std::string_view name, RegValue value) {
    std::vector<NamedValue>& values = WritableValues();
    for (auto& v : values) {
        if (SameName(v.name, name)) {
            v.value = std::move(value);
            return;
        }
    }
    if (values.empty()) values.reserve(8);  // a saved output has eight values
    values.push_back({std::string(name), std::move(value)});
}

bool RegKey::RemoveValue(std::string_view name) {
    const std::vector<NamedValue>& values = Values();
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (SameName(it->name, name)) {
            const auto at = it - values.begin();
            std::vector<NamedValue>& writable = WritableValues();
            writable.erase(writable.begin() + at);
            return true;
        }
    }
    return false;
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
    RegKey* key = this;
    for (const auto part : SplitPath(path)) key = &key->ChildOrCreate(part);
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
    RegKey& key = CreatePath(change.path);
    for (const auto& v : change.values) {
        if (v.value) key.SetValue(v.name, *v.value);
        else key.RemoveValue(v.name);
    }
}

namespace {

// Applies in order; from an rvalue the values' data is moved into the tree, not copied.
template <class Changes>
void ApplyInOrder(RegKey& tree, Changes&& changes) {
    constexpr bool kMove = !std::is_const_v<std::remove_reference_t<Changes>>;
    // The parent of the previous change, reused while the following changes are its children.
    std::string parentPath;
    RegKey* parent = nullptr;
    for (auto& change : changes) {
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
        RegKey& key = parent->ChildOrCreate(path.substr(slash + 1));
        for (auto& v : change.values) {
            if (!v.value) key.RemoveValue(v.name);
            else if constexpr (kMove) key.SetValue(v.name, std::move(*v.value));
            else key.SetValue(v.name, *v.value);
        }
    }
}

}  // namespace

void ApplyAll(RegKey& tree, const std::vector<KeyChange>& changes) { ApplyInOrder(tree, changes); }
void ApplyAll(RegKey& tree, std::vector<KeyChange>&& changes) { ApplyInOrder(tree, changes); }

std::size_t RegKey::CountKeys() const noexcept {
    std::size_t n = 1;
    for (const auto& child : children_) n += child->CountKeys();
    return n;
}

}  // namespace diags::platform::registry
