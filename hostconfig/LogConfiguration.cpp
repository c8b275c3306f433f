#include "hostconfig/LogConfiguration.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "base/RuntimeError.h"
#include "base/TextBlocks.h"
#include "hostconfig/DefaultConfiguration.h"
#include "hostconfig/Properties.h"
#include "platform/registry/Encoding.h"

namespace diags::hostconfig {
namespace registry = platform::registry;

namespace {

std::string LastComponent(std::string_view path) {
    const auto parts = registry::SplitPath(path);
    return parts.empty() ? std::string() : std::string(parts.back());
}

}  // namespace

// The nodes of one configuration: an array sized once for all of them (so a node never
// moves), in breadth-first order, which keeps every node's children next to each other.
struct LogConfigTree : std::enable_shared_from_this<LogConfigTree> {
    registry::Store* store = nullptr;  // not owned; outlives the configuration
    std::string rootKey;
    TextBlocks names;  // every node's ANSI name
    std::vector<LogConfigNode> nodes;
};

// ------------------------------------------------------------------ collection

LogConfigNodePtr LogConfigNodes::At(std::size_t position) const {
    LogConfigNode& node = first_[position];
    return LogConfigNodePtr(node.tree_->shared_from_this(), &node);
}

LogConfigNodePtr LogConfigNodes::Find(std::string_view name) const noexcept {
    try {
        if (!index_) {
            auto index = std::make_unique<std::unordered_map<std::string, std::size_t>>();
            index->reserve(count_);
            // The first of two equal names keeps the position, as adding in order did.
            for (std::size_t i = 0; i < count_; ++i)
                index->emplace(registry::FoldName(registry::Cp1252ToUtf8(first_[i].Name())), i);
            index_ = std::move(index);
        }
        const auto it = index_->find(registry::FoldName(registry::Cp1252ToUtf8(name)));
        return it == index_->end() ? nullptr : At(it->second);
    } catch (...) {
        return nullptr;
    }
}

LogConfigNodePtr LogConfigNodes::Item(std::string_view name) const {
    if (LogConfigNodePtr node = Find(name)) return node;
    throw RuntimeError(err::kSubscript, "Subscript out of range: no log configuration node \"" +
                                            std::string(name) + "\"");
}

LogConfigNodePtr LogConfigNodes::Item(std::int32_t position) const {
    if (position < 1 || position > Count()) throw RuntimeError(err::kSubscript, "Subscript out of range");
    return At(static_cast<std::size_t>(position - 1));
}

// ------------------------------------------------------------------ node

LogConfigNode::LogConfigNode(Token, LogConfigTree& tree, const LogConfigNode* parent, std::string_view utf8Name,
                             registry::ValueSet stored)
    : tree_(&tree), parent_(parent), stored_(std::move(stored)) {
    // Most names are plain ASCII and are kept as they are, without a converted copy.
    if (registry::IsAscii(utf8Name)) {
        name_ = tree.names.Keep(utf8Name);
        return;
    }
    name_ = tree.names.Keep(registry::Utf8ToCp1252(utf8Name));
    if (name_ != utf8Name) utf8Name_ = std::make_unique<const std::string>(utf8Name);
}

registry::Store* LogConfigNode::Store() const noexcept { return tree_->store; }

std::string LogConfigNode::KeyPath() const {
    if (!parent_) return tree_->rootKey;
    std::string path = parent_->KeyPath();
    path.append(1, '\\').append(utf8Name_ ? *utf8Name_ : name_);
    return path;
}

PropertyValue LogConfigNode::Property(std::int32_t index) const {
    if (KindOf(index) == PropertyKind::Unknown)
        throw RuntimeError(err::kInvalidCall, "Invalid property index " + std::to_string(index));
    for (const auto& [put, value] : pending_)
        if (put == index) return FromRegistry(index, &value);
    return FromRegistry(index, stored_.Find(PropertyValueName(index)));
}

LogConfigNode::PropertyValues LogConfigNode::Properties() const {
    constexpr auto kCount = static_cast<std::int32_t>(std::tuple_size_v<PropertyValues>);
    // Each stored value is matched to its property once; the first of two alike names wins,
    // as in a look-up by name.
    static const std::array<std::string_view, kCount> kNames = [] {
        std::array<std::string_view, kCount> names;
        for (std::int32_t index = 0; index < kCount; ++index) names[static_cast<std::size_t>(index)] = PropertyValueName(index);
        return names;
    }();
    std::array<std::optional<registry::RegValueView>, kCount> found;
    for (const registry::ValueSet::Entry entry : stored_) {
        // A name is nearly always stored as the host spells it: only another spelling needs
        // the comparison without regard to case.
        auto match = std::ranges::find(kNames, entry.name);
        if (match == kNames.end()) {
            match = std::ranges::find_if(kNames, [&](std::string_view name) {
                return name.size() == entry.name.size() && registry::SameName(entry.name, name);
            });
        }
        if (match == kNames.end()) continue;
        std::optional<registry::RegValueView>& slot = found[static_cast<std::size_t>(match - kNames.begin())];
        if (!slot) slot = entry.value;
    }
    for (const auto& [put, value] : pending_) found[static_cast<std::size_t>(put)] = registry::RegValueView(value);
    PropertyValues values;
    for (std::int32_t index = 0; index < kCount; ++index) {
        try {
            values[static_cast<std::size_t>(index)] = FromRegistry(index, found[static_cast<std::size_t>(index)]);
        } catch (const RuntimeError&) {
            // unreadable: left empty
        }
    }
    return values;
}

void LogConfigNode::SetProperty(std::int32_t index, const PropertyValue& value) {
    if (KindOf(index) == PropertyKind::Unknown)
        throw RuntimeError(err::kInvalidCall, "Invalid property index " + std::to_string(index));
    registry::RegValue stored = ToRegistry(index, value);
    auto at = std::ranges::lower_bound(pending_, index, {}, &decltype(pending_)::value_type::first);
    if (at != pending_.end() && at->first == index) at->second = std::move(stored);
    else pending_.emplace(at, index, std::move(stored));
}

registry::Status LogConfigNode::TrySave() {
    if (pending_.empty()) return registry::Status::Ok();
    registry::Store* store = Store();
    if (!store) return registry::Status::Fail("the node is not bound to a store");
    registry::KeyChange change;
    change.path = KeyPath();
    for (const auto& [index, value] : pending_) change.values.push_back({std::string(PropertyValueName(index)), value});
    std::vector<registry::ValueSet::Change> saved;
    saved.reserve(change.values.size());
    for (const auto& v : change.values) saved.push_back({v.name, registry::RegValueView(*v.value)});
    registry::ValueSet stored = stored_.With(saved);  // made first: a failure here stores nothing
    if (auto s = store->Apply({change}); !s) return s;
    stored_ = std::move(stored);
    pending_.clear();
    return registry::Status::Ok();
}

void LogConfigNode::Save() {
    if (auto s = TrySave(); !s)
        throw RuntimeError(err::kPathFileAccess, "The log settings of \"" + std::string(name_) + "\" were not saved: " + s.message());
}

// ------------------------------------------------------------------ configuration

LogConfigNodePtr LogConfiguration::Build(const registry::RegKey& root, std::string rootKey, registry::Store* store) {
    auto tree = std::make_shared<LogConfigTree>();
    tree->store = store;
    tree->rootKey = std::move(rootKey);
    // The key of each node, breadth first like the nodes.
    std::vector<const registry::RegKey*> keys;
    const std::size_t count = root.CountKeys();
    keys.reserve(count);
    tree->nodes.reserve(count);
    const LogConfigNode::Token token;
    tree->nodes.emplace_back(token, *tree, nullptr, LastComponent(tree->rootKey), root.Values());
    keys.push_back(&root);
    for (std::size_t at = 0; at < tree->nodes.size(); ++at) {
        const auto& children = keys[at]->Children();
        if (children.empty()) continue;
        if (tree->nodes.size() + children.size() > count) throw std::logic_error("the key count changed");
        LogConfigNode& node = tree->nodes[at];
        node.children_.first_ = tree->nodes.data() + tree->nodes.size();
        node.children_.count_ = children.size();
        for (const auto& child : children) {
            tree->nodes.emplace_back(token, *tree, &node, child->Name(), child->Values());
            keys.push_back(child.get());
        }
    }
    return LogConfigNodePtr(tree, tree->nodes.data());
}

registry::Status LogConfiguration::TryOpen(registry::Store& store, std::string_view rootKey, bool installDefault,
                                           LogConfigNodePtr& out) {
    out.reset();
    store.Invalidate();  // a new configuration is read fresh
    LogConfigNodePtr node;
    auto fill = [&](const registry::RegKey* root) {
        if (root) node = Build(*root, std::string(rootKey), &store);
    };
    if (auto s = store.VisitTree(rootKey, fill); !s) return s;
    if (!node && installDefault) {
        bool installed = false;
        if (auto s = InstallDefaultConfiguration(store, rootKey, installed); !s) return s;
        if (auto s = store.VisitTree(rootKey, fill); !s) return s;
    }
    // A configuration without keys yet is its root alone.
    out = node ? std::move(node) : Build(registry::RegKey(), std::string(rootKey), &store);
    return registry::Status::Ok();
}

LogConfigNodePtr LogConfiguration::Open(registry::Store& store, std::string_view rootKey, bool installDefault) {
    LogConfigNodePtr root;
    if (auto s = TryOpen(store, rootKey, installDefault, root); !s)
        throw RuntimeError(err::kPathFileAccess, "The log configuration cannot be read: " + s.message());
    return root;
}

LogConfigNodePtr LogConfiguration::FromTree(const registry::RegKey& root, std::string rootKey) {
    return Build(root, std::move(rootKey), nullptr);
}

LogConfigNodePtr LogConfiguration::Create() { return Open(registry::NativeStore(), DefaultRootKey()); }

std::string DefaultRootKey() {
    const char* root = std::getenv("DIAGS_LOG_CONFIG_ROOT");
    return root && *root ? std::string(root) : std::string(kBuiltInRootKey);
}

}  // namespace diags::hostconfig
