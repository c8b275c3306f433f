#include "hostconfig/LogConfiguration.h"

#include <algorithm>
#include <cstdlib>

#include "base/RuntimeError.h"
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

// ------------------------------------------------------------------ collection

void LogConfigNodes::Add(LogConfigNodePtr node) {
    if (index_) index_->emplace(registry::FoldName(registry::Cp1252ToUtf8(node->Name())), nodes_.size());
    nodes_.push_back(std::move(node));
}

LogConfigNodePtr LogConfigNodes::Find(std::string_view name) const noexcept {
    try {
        if (!index_) {
            auto index = std::make_unique<std::unordered_map<std::string, std::size_t>>();
            index->reserve(nodes_.size());
            // The first of two equal names keeps the position, as adding in order did.
            for (std::size_t i = 0; i < nodes_.size(); ++i)
                index->emplace(registry::FoldName(registry::Cp1252ToUtf8(nodes_[i]->Name())), i);
            index_ = std::move(index);
        }
        const auto it = index_->find(registry::FoldName(registry::Cp1252ToUtf8(name)));
        return it == index_->end() ? nullptr : nodes_[it->second];
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
    return nodes_[static_cast<std::size_t>(position - 1)];
}

// ------------------------------------------------------------------ node

LogConfigNode::LogConfigNode(std::string keyPath, std::string utf8Name, registry::Store* store)
    : path_(std::make_shared<const std::string>(std::move(keyPath))),
      name_(registry::Utf8ToCp1252(utf8Name)),
      store_(store) {}

LogConfigNode::LogConfigNode(ChildOf child, std::string_view utf8Name, registry::Store* store)
    : path_(std::move(child.parentPath)), child_(true), name_(registry::Utf8ToCp1252(utf8Name)), store_(store) {
    if (name_ != utf8Name) utf8Name_ = std::make_unique<const std::string>(utf8Name);
}

std::string LogConfigNode::KeyPath() const {
    if (!child_) return *path_;
    const std::string& own = utf8Name_ ? *utf8Name_ : name_;
    std::string path;
    path.reserve(path_->size() + 1 + own.size());
    path.append(*path_).append(1, '\\').append(own);
    return path;
}

PropertyValue LogConfigNode::Property(std::int32_t index) const {
    if (KindOf(index) == PropertyKind::Unknown)
        throw RuntimeError(err::kInvalidCall, "Invalid property index " + std::to_string(index));
    for (const auto& [put, value] : pending_)
        if (put == index) return FromRegistry(index, &value);
    return FromRegistry(index, stored_.Find(PropertyValueName(index)));
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
    if (!store_) return registry::Status::Fail("the node is not bound to a store");
    registry::KeyChange change;
    change.path = KeyPath();
    for (const auto& [index, value] : pending_) change.values.push_back({std::string(PropertyValueName(index)), value});
    std::vector<registry::ValueSet::Change> saved;
    saved.reserve(change.values.size());
    for (const auto& v : change.values) saved.push_back({v.name, registry::RegValueView(*v.value)});
    registry::ValueSet stored = stored_.With(saved);  // made first: a failure here stores nothing
    if (auto s = store_->Apply({change}); !s) return s;
    stored_ = std::move(stored);
    pending_.clear();
    return registry::Status::Ok();
}

void LogConfigNode::Save() {
    if (auto s = TrySave(); !s)
        throw RuntimeError(err::kPathFileAccess, "The log settings of \"" + name_ + "\" were not saved: " + s.message());
}

// ------------------------------------------------------------------ configuration

void LogConfiguration::Fill(LogConfigNode& node, const registry::RegKey& key, registry::Store* store) {
    node.stored_ = key.Values();
    if (key.Children().empty()) return;
    node.children_.Reserve(key.Children().size());
    const LogConfigNode::ChildOf parent{std::make_shared<const std::string>(node.KeyPath())};
    for (const auto& child : key.Children()) {
        auto childNode = std::make_shared<LogConfigNode>(parent, child->Name(), store);
        Fill(*childNode, *child, store);
        node.children_.Add(std::move(childNode));
    }
}

registry::Status LogConfiguration::TryOpen(registry::Store& store, std::string_view rootKey, bool installDefault,
                                           LogConfigNodePtr& out) {
    out.reset();
    store.Invalidate();  // a new configuration is read fresh
    auto node = std::make_shared<LogConfigNode>(std::string(rootKey), LastComponent(rootKey), &store);
    bool found = false;
    auto fill = [&](const registry::RegKey* root) {
        found = root != nullptr;
        if (root) Fill(*node, *root, &store);
    };
    if (auto s = store.VisitTree(rootKey, fill); !s) return s;
    if (!found && installDefault) {
        bool installed = false;
        if (auto s = InstallDefaultConfiguration(store, rootKey, installed); !s) return s;
        if (auto s = store.VisitTree(rootKey, fill); !s) return s;
    }
    out = std::move(node);
    return registry::Status::Ok();
}

LogConfigNodePtr LogConfiguration::Open(registry::Store& store, std::string_view rootKey, bool installDefault) {
    LogConfigNodePtr root;
    if (auto s = TryOpen(store, rootKey, installDefault, root); !s)
        throw RuntimeError(err::kPathFileAccess, "The log configuration cannot be read: " + s.message());
    return root;
}

LogConfigNodePtr LogConfiguration::FromTree(const registry::RegKey& root, std::string rootKey) {
    auto node = std::make_shared<LogConfigNode>(rootKey, LastComponent(rootKey), nullptr);
    Fill(*node, root, nullptr);
    return node;
}

LogConfigNodePtr LogConfiguration::Create() { return Open(registry::NativeStore(), DefaultRootKey()); }

std::string DefaultRootKey() {
    const char* root = std::getenv("DIAGS_LOG_CONFIG_ROOT");
    return root && *root ? std::string(root) : std::string(kBuiltInRootKey);
}

}  // namespace diags::hostconfig
