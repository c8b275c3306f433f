#pragma once
// An ordered collection of shared object references, addressed by 1-based position or by a
// text key compared without regard to case (FoldCase). Items may be added without a key.
// Adding a duplicate key, or reading a missing key or position, throws RuntimeError as the
// classic collection raises its run-time errors (457, 5, 9).
//
// Costs: key lookup O(1); position lookup O(1); removing the first item O(1) (the release
// loops remove from the front); removing elsewhere O(n).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "base/RuntimeError.h"
#include "base/Text.h"

namespace diags {

template <class T>
class KeyedCollection {
public:
    using Ptr = std::shared_ptr<T>;

private:
    struct Slot {
        Ptr item;
        const std::string* foldedKey;  // the key as stored in byKey_ (nodes never move); null when unkeyed
    };

public:
    KeyedCollection() = default;
    KeyedCollection(KeyedCollection&&) = default;
    KeyedCollection& operator=(KeyedCollection&&) = default;
    // A copy holds the same items under the same keys (the slots point into its own index).
    KeyedCollection(const KeyedCollection& other) {
        for (const Slot& slot : other.Slots())
            Add(slot.item, slot.foldedKey ? std::optional<std::string_view>(*slot.foldedKey) : std::nullopt);
    }
    KeyedCollection& operator=(const KeyedCollection& other) {
        if (this != &other) {
            KeyedCollection copy(other);
            *this = std::move(copy);
        }
        return *this;
    }

    std::int32_t Count() const noexcept { return static_cast<std::int32_t>(Slots().size()); }
    bool Empty() const noexcept { return Slots().empty(); }
    // Prepares for `more` further keyed items (saves rehashing while a large link set grows).
    // Grows geometrically, so repeated calls stay amortised O(1) per item.
    void Reserve(std::size_t more) {
        const std::size_t wanted = byKey_.size() + more;
        if (static_cast<float>(wanted) > static_cast<float>(byKey_.bucket_count()) * byKey_.max_load_factor())
            byKey_.reserve(std::max(wanted, 2 * byKey_.size()));
    }

    // Appends `item`; with a key, the key must not be in use yet.
    void Add(Ptr item, std::optional<std::string_view> key = std::nullopt) {
        if (key) {
            const auto [node, added] = byKey_.try_emplace(FoldCase(*key), item);
            if (!added)
                throw RuntimeError(err::kDuplicateKey,
                                   "This key is already associated with an element of this collection");
            try {
                Grow().push_back({std::move(item), &node->first});
            } catch (...) {
                byKey_.erase(node);
                throw;
            }
        } else {
            Grow().push_back({std::move(item), nullptr});
        }
    }

    // 1-based position.
    const Ptr& Item(std::int32_t position) const {
        if (position < 1 || position > Count()) throw RuntimeError(err::kSubscript, "Subscript out of range");
        return (*items_)[static_cast<std::size_t>(position - 1)].item;
    }
    const Ptr& Item(std::string_view key) const {
        const auto it = byKey_.find(FoldCase(key));
        if (it == byKey_.end()) throw RuntimeError(err::kInvalidCall, "Invalid procedure call or argument");
        return it->second;
    }
    // The item under `key`, or null; never throws for a missing key.
    Ptr Find(std::string_view key) const {
        const auto it = byKey_.find(FoldCase(key));
        return it == byKey_.end() ? nullptr : it->second;
    }
    bool Contains(std::string_view key) const { return byKey_.contains(FoldCase(key)); }

    void Remove(std::int32_t position) {
        if (position < 1 || position > Count()) throw RuntimeError(err::kSubscript, "Subscript out of range");
        const auto at = items_->begin() + (position - 1);
        if (at->foldedKey) byKey_.erase(byKey_.find(*at->foldedKey));
        items_->erase(at);
    }
    void Remove(std::string_view key) {
        const auto node = byKey_.find(FoldCase(key));
        if (node == byKey_.end()) throw RuntimeError(err::kInvalidCall, "Invalid procedure call or argument");
        for (auto it = items_->begin(); it != items_->end(); ++it)
            if (it->foldedKey == &node->first) {
                items_->erase(it);
                break;
            }
        byKey_.erase(node);
    }
    void Clear() noexcept {
        items_.reset();
        byKey_.clear();
    }

    // Iteration in collection order yields the item references.
    class const_iterator {
    public:
        using Inner = typename std::deque<Slot>::const_iterator;
        using iterator_category = std::forward_iterator_tag;
        using value_type = Ptr;
        using difference_type = std::ptrdiff_t;
        using pointer = const Ptr*;
        using reference = const Ptr&;
        const_iterator() = default;
        explicit const_iterator(Inner it) : it_(it) {}
        const Ptr& operator*() const { return it_->item; }
        const Ptr* operator->() const { return &it_->item; }
        const_iterator& operator++() { ++it_; return *this; }
        const_iterator operator++(int) { const_iterator old = *this; ++it_; return old; }
        bool operator==(const const_iterator& other) const { return it_ == other.it_; }

    private:
        Inner it_;
    };
    const_iterator begin() const { return const_iterator(Slots().begin()); }
    const_iterator end() const { return const_iterator(Slots().end()); }

private:
    // The slots are made on the first Add: most link collections of a large configuration
    // stay empty, and an empty deque would still cost a block of memory.
    const std::deque<Slot>& Slots() const noexcept {
        static const std::deque<Slot> none;
        return items_ ? *items_ : none;
    }
    std::deque<Slot>& Grow() {
        if (!items_) items_ = std::make_unique<std::deque<Slot>>();
        return *items_;
    }

    std::unique_ptr<std::deque<Slot>> items_;
    std::unordered_map<std::string, Ptr> byKey_;
};

template <class T>
using CollectionRef = std::shared_ptr<KeyedCollection<T>>;

template <class T>
CollectionRef<T> NewCollection() { return std::make_shared<KeyedCollection<T>>(); }

}  // namespace diags
