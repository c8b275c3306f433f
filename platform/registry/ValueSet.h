#pragma once
// The named values of one registry key, kept together in one immutable, shared block: every
// value's type, name and data in a single allocation. A large configuration has a hundred
// thousand keys of eight values each; one heap block per value name and per text would cost
// more than the values themselves. Copies share the block; a change makes a new one.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace diags::platform::registry {

struct RegValue;

// A value seen where it is kept: its REG_* type and raw data, without a copy. Valid while
// what holds the value lives (the block, or the RegValue it was made from).
struct RegValueView {
    std::uint32_t type = 0;
    std::string_view data;

    RegValueView() = default;
    RegValueView(std::uint32_t valueType, std::string_view valueData) : type(valueType), data(valueData) {}
    RegValueView(const RegValue& value);  // NOLINT(google-explicit-constructor): a view of it

    RegValue Copy() const;
    // As RegValue::AsText and AsDword.
    std::optional<std::string> AsText() const;
    std::optional<std::uint32_t> AsDword() const;
    bool operator==(const RegValueView& other) const noexcept { return type == other.type && data == other.data; }
};

class ValueSet {
public:
    struct Entry {
        std::string_view name;  // "" is the key's default value
        RegValueView value;
    };
    // One change: set `name` to `value`, or remove it when `value` is empty.
    struct Change {
        std::string_view name;
        std::optional<RegValueView> value;
    };

    ValueSet() = default;

    std::size_t size() const noexcept { return block_ ? block_[0] : 0; }
    bool empty() const noexcept { return size() == 0; }
    // The value named so (names compared without regard to case), or nullopt.
    std::optional<RegValueView> Find(std::string_view name) const noexcept;

    // A set with the changes made in order: a name already present keeps its place and
    // takes the new value, a new name goes last, a removal drops the name. The set itself
    // is unchanged (its block may be shared).
    ValueSet With(std::span<const Change> changes) const;

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Entry;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = Entry;
        const_iterator() = default;
        const_iterator(const std::uint32_t* block, std::size_t at, std::size_t offset)
            : block_(block), at_(at), offset_(offset) {}
        Entry operator*() const noexcept;
        const_iterator& operator++() noexcept;
        const_iterator operator++(int) noexcept { const_iterator old = *this; ++*this; return old; }
        bool operator==(const const_iterator& other) const noexcept { return at_ == other.at_; }

    private:
        const std::uint32_t* block_ = nullptr;
        std::size_t at_ = 0;
        std::size_t offset_ = 0;  // of this value's name, in bytes from the block's start
    };
    const_iterator begin() const noexcept { return {block_.get(), 0, HeaderBytes(size())}; }
    const_iterator end() const noexcept { return {block_.get(), size(), 0}; }

private:
    // Block layout, in 32-bit words: the count, then per value its type and the lengths of its
    // name and data; then the characters, each value's name followed by its data.
    static constexpr std::size_t kWordsPerEntry = 3;
    static constexpr std::size_t HeaderBytes(std::size_t count) noexcept {
        return sizeof(std::uint32_t) * (1 + kWordsPerEntry * count);
    }
    std::shared_ptr<const std::uint32_t[]> block_;
};

}  // namespace diags::platform::registry
