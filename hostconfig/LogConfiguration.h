#pragma once
// The host's log configuration: a tree of nodes over the registry store.
//
//   root (LogConfiguration)          <root key>
//     component  "ZEL ReportServer"  <root key>\ZEL ReportServer
//       output   "Report Source Tracing"      ...\ZEL ReportServer\Report Source Tracing
//     error log  "ZEL Errors"        a component node that carries the output settings itself
//
// A new LogConfiguration reads the whole tree fresh from the store (installing the default
// configuration when the store has none). Children keep the order in which the host created
// them; names are compared without regard to case. Property puts stay in the node until its
// Save, which stores exactly the properties put on that node, durably, and nothing else
// (hostconfig/SaveBatch.h defers the flush to disk of many saves to the batch's end).
//
// The nodes of one configuration live together in one array, allocated once: a reference to
// any node keeps the whole configuration (and nothing is allocated or freed per node).
//
// Texts cross this interface in the ANSI code page, like every other text of the component.
// Failures are run-time errors (RuntimeError), which the calling procedure turns into its
// ErrorObject.
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

#include "platform/registry/Store.h"

namespace diags::hostconfig {

// Property indices of an output node.
namespace prop {
inline constexpr std::int32_t kDebugMonitor = 0, kMessageDll = 1, kLogToFile = 2, kAppendToFile = 3,
                              kErrorThreshold = 4, kFileName = 5, kDirectory = 6, kFileSize = 7,
                              kCircularLogFile = 8;
}

// A property value: empty, boolean, 16-bit integer, double or text. A get returns the type
// the index documents (booleans for 0, 2, 3, 8; 16-bit for 4; double for 7; text for 1, 5, 6);
// a put converts what it is given to that type (a run-time type-mismatch error when it cannot).
using PropertyValue = std::variant<std::monostate, bool, std::int16_t, double, std::string>;

class LogConfigNode;
using LogConfigNodePtr = std::shared_ptr<LogConfigNode>;
struct LogConfigTree;  // the nodes of one configuration, held together

class LogConfigNodes {
public:
    std::int32_t Count() const noexcept { return static_cast<std::int32_t>(count_); }
    // By name, without regard to case; a missing name is run-time error 9 (subscript).
    LogConfigNodePtr Item(std::string_view name) const;
    // By 1-based position; out of range is run-time error 9.
    LogConfigNodePtr Item(std::int32_t position) const;
    // By name, or null.
    LogConfigNodePtr Find(std::string_view name) const noexcept;

    // Iteration in order yields each node's reference (which keeps the configuration alive).
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = LogConfigNodePtr;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = LogConfigNodePtr;
        const_iterator() = default;
        const_iterator(const LogConfigNodes* nodes, std::size_t at) : nodes_(nodes), at_(at) {}
        LogConfigNodePtr operator*() const { return nodes_->At(at_); }
        const_iterator& operator++() noexcept { ++at_; return *this; }
        const_iterator operator++(int) noexcept { const_iterator old = *this; ++at_; return old; }
        bool operator==(const const_iterator& other) const noexcept { return at_ == other.at_; }

    private:
        const LogConfigNodes* nodes_ = nullptr;
        std::size_t at_ = 0;
    };
    const_iterator begin() const noexcept { return {this, 0}; }
    const_iterator end() const noexcept { return {this, count_}; }

private:
    friend class LogConfiguration;
    LogConfigNodePtr At(std::size_t position) const;
    // A node's children are neighbours in the configuration's array of nodes.
    LogConfigNode* first_ = nullptr;
    std::size_t count_ = 0;
    // Folded UTF-8 name -> position, made on the first look-up by name: most nodes of a large
    // configuration are only ever walked in order (and most have no children at all).
    mutable std::unique_ptr<std::unordered_map<std::string, std::size_t>> index_;
};

class LogConfigNode {
public:
    // The node's name as the host gives it (ANSI), NUL-terminated; the configuration keeps
    // the characters as long as any of its nodes is held.
    std::string_view Name() const noexcept { return name_; }
    LogConfigNodes& Children() noexcept { return children_; }
    const LogConfigNodes& Children() const noexcept { return children_; }

    // Property get/put by index (see prop::); an unknown index is run-time error 5.
    PropertyValue Property(std::int32_t index) const;
    // Every property at once, each as Property(index) gives it (nullopt where that raises a
    // run-time error), in one pass over the stored values: a large configuration reads every
    // property of a hundred thousand nodes.
    using PropertyValues = std::array<std::optional<PropertyValue>, 9>;
    PropertyValues Properties() const;
    void SetProperty(std::int32_t index, const PropertyValue& value);

    // Stores the properties put on this node since its last save, durably (inside a SaveBatch:
    // stored now, on disk when the batch commits). On failure (run-time
    // error 75 naming the store and the reason) nothing is stored and the puts are kept, so a
    // later Save can retry.
    void Save();
    // The same without raising: empty on success, else the reason.
    platform::registry::Status TrySave();

    bool HasUnsavedChanges() const noexcept { return !pending_.empty(); }
    // The node's registry key (UTF-8, hive first).
    std::string KeyPath() const;

    // Only the configuration makes nodes (this token's constructor is private to it).
    class Token {
        friend class LogConfiguration;
        Token() = default;
    };
    LogConfigNode(Token, LogConfigTree& tree, const LogConfigNode* parent, std::string_view utf8Name,
                  platform::registry::ValueSet stored);

private:
    friend class LogConfiguration;
    friend class LogConfigNodes;
    friend class SaveBatch;
    platform::registry::Store* Store() const noexcept;

    LogConfigTree* tree_;            // the configuration's, which holds this node
    const LogConfigNode* parent_;    // null for the root
    std::string_view name_;          // ANSI, kept by the configuration
    // The key's own name when the ANSI name does not spell it byte for byte; else null.
    std::unique_ptr<const std::string> utf8Name_;
    // As last read or saved; shared with the store's copy of the key (no copy per node).
    platform::registry::ValueSet stored_;
    // Puts since the last save, in index order (a few at most; none on most nodes).
    std::vector<std::pair<std::int32_t, platform::registry::RegValue>> pending_;
    LogConfigNodes children_;
};

class LogConfiguration {
public:
    // A new log configuration read fresh from this system's store at DefaultRootKey(); the
    // default configuration is installed first when there is none.
    static LogConfigNodePtr Create();
    // The same over any store and root key. The store must outlive every node.
    static LogConfigNodePtr Open(platform::registry::Store& store, std::string_view rootKey,
                                 bool installDefault = true);
    // Without raising: Ok and the root in `out`, or the reason.
    static platform::registry::Status TryOpen(platform::registry::Store& store, std::string_view rootKey,
                                              bool installDefault, LogConfigNodePtr& out);
    // A read-only configuration over a copy of the keys (its nodes cannot be saved).
    static LogConfigNodePtr FromTree(const platform::registry::RegKey& root, std::string rootKey);

private:
    // A configuration of every key from `root` down, the root's node first.
    static LogConfigNodePtr Build(const platform::registry::RegKey& root, std::string rootKey,
                                  platform::registry::Store* store);
};

// The root key of the log configuration: $DIAGS_LOG_CONFIG_ROOT when set, else
// "HKEY_CURRENT_USER\Software\Veltrane\Log Configuration".
std::string DefaultRootKey();
inline constexpr std::string_view kBuiltInRootKey = "HKEY_CURRENT_USER\\Software\\Veltrane\\Log Configuration";

// The registry value name of a property index, or empty for an unknown index.
std::string_view PropertyValueName(std::int32_t index) noexcept;

}  // namespace diags::hostconfig
