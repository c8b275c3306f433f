#pragma once
// The registry as data: keys with ordered subkeys (in the order they were created) and typed
// named values, plus the change records a registry file is made of. Names are UTF-8 and
// compared without regard to case; the path separator is the backslash.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/ValueSet.h"

namespace diags::platform::registry {

// A value as the registry keeps it: its REG_* type and raw data. String types (REG_SZ,
// REG_EXPAND_SZ, REG_MULTI_SZ) hold UTF-16LE with the terminating NUL(s).
struct RegValue {
    std::uint32_t type = 0;
    std::string data;
    bool operator==(const RegValue&) const = default;

    static RegValue Text(std::string_view utf8, std::uint32_t type = 1);
    static RegValue Dword(std::uint32_t value);
    // The text of a string-typed value without its terminating NUL; nullopt for other types
    // or data that is not well-formed UTF-16.
    std::optional<std::string> AsText() const;
    std::optional<std::uint32_t> AsDword() const;
};

// One section of a registry file: set or delete values of one key, or delete a key.
struct KeyChange {
    std::string path;  // full path, hive first ("HKEY_CURRENT_USER\\Software\\...")
    bool deleteKey = false;
    struct Value {
        std::string name;
        std::optional<RegValue> value;  // nullopt deletes the value
    };
    std::vector<Value> values;
};

class RegKey {
public:
    explicit RegKey(std::string name = {});
    RegKey(const RegKey& other);
    RegKey& operator=(const RegKey& other);
    RegKey(RegKey&&) noexcept = default;
    RegKey& operator=(RegKey&&) noexcept = default;
    ~RegKey() = default;

    const std::string& Name() const noexcept { return name_; }
    const std::vector<std::unique_ptr<RegKey>>& Children() const noexcept { return children_; }
    // The values in one shared block: a copy of the set costs no copy of the values, and
    // later changes to this key leave a copy as it is.
    const ValueSet& Values() const noexcept { return values_; }

    RegKey* FindChild(std::string_view name) noexcept;
    const RegKey* FindChild(std::string_view name) const noexcept;
    RegKey& ChildOrCreate(std::string_view name);
    bool RemoveChild(std::string_view name);

    std::optional<RegValueView> FindValue(std::string_view name) const noexcept;
    void SetValue(std::string_view name, const RegValue& value);
    bool RemoveValue(std::string_view name);
    // Sets and removes values as a change lists them, in one step.
    void ApplyValues(const std::vector<KeyChange::Value>& values);

    // Paths relative to this key, backslash separated; empty components are ignored.
    RegKey* FindPath(std::string_view path) noexcept;
    const RegKey* FindPath(std::string_view path) const noexcept;
    RegKey& CreatePath(std::string_view path);
    bool RemovePath(std::string_view path);

    // Applies one change the way a registry import does (keys are created as needed).
    void Apply(const KeyChange& change);

    // Total number of keys below and including this one.
    std::size_t CountKeys() const noexcept;

private:
    // Position of the child with this name, or kNoChild (may throw while folding a name).
    static constexpr std::size_t kNoChild = static_cast<std::size_t>(-1);
    std::size_t ChildPosition(std::string_view name) const;
    void IndexChild(std::size_t position);
    void Reindex();

    std::string name_;
    std::vector<std::unique_ptr<RegKey>> children_;
    // Open-addressed table of child positions + 1 (0 = empty), hashed by folded name, made
    // only once a key has more than a few children (fewer are searched in order). Nothing
    // is allocated per child: a large configuration has a hundred thousand keys.
    std::vector<std::uint32_t> childIndex_;
    ValueSet values_;  // shared with copies; a change makes a new block
};

// Applies changes in order, quickly for the usual run of sibling keys (a loaded file).
void ApplyAll(RegKey& tree, const std::vector<KeyChange>& changes);

// Splits "A\\B\\C" into its non-empty components.
std::vector<std::string_view> SplitPath(std::string_view path);

}  // namespace diags::platform::registry
