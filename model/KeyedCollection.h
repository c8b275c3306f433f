#pragma once
// An ordered collection of shared object references, addressed by 1-based position or by a
// text key compared without regard to case (FoldCase). Items may be added without a key.
// Adding a duplicate key, or reading a missing key or position, throws RuntimeError as the
// classic collection raises its run-time errors (457, 5, 9).
//
// Costs: key lookup O(1); position lookup O(1); removing the first item O(1) (the release
// loops remove from the front); removing elsewhere O(n).
//
// Memory: a large configuration links every output to several trace settings, so there are
// hundreds of thousands of small collections and links. The items sit in one array, the keys'
// characters (as given, not folded) in one buffer, and the key index is an open-addressed
// table of positions that exists only once a collection holds more than a few keys (a small
// one is searched in order). An item costs its reference and two numbers; nothing is
// allocated per item.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/RuntimeError.h"
#include "base/Text.h"

namespace diags {

template <class T>
class KeyedCollection {
public:
    using Ptr = std::shared_ptr<T>;

private:
    static constexpr std::uint32_t kNoKey = 0xFFFFFFFFu;
    struct Slot {
        Ptr item;
        std::uint32_t keyAt;      // offset of the key in keys_, kNoKey when unkeyed
        std::uint32_t keyLength;
    };

public:
    KeyedCollection() = default;
    KeyedCollection(KeyedCollection&&) noexcept = default;
    KeyedCollection& operator=(KeyedCollection&&) noexcept = default;
    // A copy holds the same items under the same keys.
    KeyedCollection(const KeyedCollection& other) {
        slots_.reserve(other.Size());
        for (std::size_t i = other.head_; i < other.slots_.size(); ++i) {
            const Slot& slot = other.slots_[i];
            Add(slot.item, slot.keyAt == kNoKey ? std::nullopt : std::optional<std::string_view>(other.KeyOf(slot)));
        }
    }
    KeyedCollection& operator=(const KeyedCollection& other) {
        if (this != &other) {
            KeyedCollection copy(other);
            *this = std::move(copy);
        }
        return *this;
    }

    std::int32_t Count() const noexcept { return static_cast<std::int32_t>(Size()); }
    bool Empty() const noexcept { return Size() == 0; }
    // Prepares for `more` further keyed items (saves growing while a large link set grows),
    // whose keys have `moreKeyChars` characters in all when the caller knows. Grows
    // geometrically, so repeated calls stay amortised O(1) per item.
    void Reserve(std::size_t more, std::size_t moreKeyChars = 0) {
        const std::size_t wanted = slots_.size() + more;
        if (wanted > slots_.capacity()) slots_.reserve(std::max(wanted, 2 * slots_.size()));
        const std::size_t wantedChars = keys_.size() + moreKeyChars;
        if (wantedChars > keys_.capacity()) keys_.reserve(std::max(wantedChars, 2 * keys_.size()));
        if (keyed_ + more > kLinearKeys) ReserveIndex(keyed_ + more);
    }

    // Appends `item`; with a key, the key must not be in use yet.
    void Add(Ptr item, std::optional<std::string_view> key = std::nullopt) {
        // Most collections are an output's one or two links: room for two first, then doubling.
        if (slots_.capacity() == 0) slots_.reserve(2);
        if (!key) {
            slots_.push_back({std::move(item), kNoKey, 0});
            return;
        }
        const std::uint64_t hash = HashNoCase(*key);
        if (Locate(*key, hash) != kMissing)
            throw RuntimeError(err::kDuplicateKey, "This key is already associated with an element of this collection");
        if (keys_.size() + key->size() >= kNoKey || slots_.size() >= kNoKey - 2)
            throw std::length_error("too many keyed items");
        const std::size_t keyAt = keys_.size();
        keys_.append(*key);
        try {
            slots_.push_back({std::move(item), static_cast<std::uint32_t>(keyAt), static_cast<std::uint32_t>(key->size())});
        } catch (...) {
            keys_.resize(keyAt);
            throw;
        }
        ++keyed_;
        try {
            if (!index_.empty() || keyed_ > kLinearKeys) {
                if (!index_.empty() && 2 * (keyed_ + tombstones_) <= index_.size()) Insert(hash, slots_.size() - 1);
                else ReserveIndex(keyed_);  // indexes every keyed slot, this one included
            }
        } catch (...) {
            --keyed_;
            slots_.pop_back();
            keys_.resize(keyAt);
            throw;
        }
    }

    // 1-based position. The reference is valid until the collection next changes.
    const Ptr& Item(std::int32_t position) const {
        if (position < 1 || position > Count()) throw RuntimeError(err::kSubscript, "Subscript out of range");
        return slots_[head_ + static_cast<std::size_t>(position - 1)].item;
    }
    const Ptr& Item(std::string_view key) const {
        const std::size_t at = Locate(key, HashNoCase(key));
        if (at == kMissing) throw RuntimeError(err::kInvalidCall, "Invalid procedure call or argument");
        return slots_[at].item;
    }
    // The item under `key`, or null; never throws for a missing key.
    Ptr Find(std::string_view key) const {
        const std::size_t at = Locate(key, HashNoCase(key));
        return at == kMissing ? nullptr : slots_[at].item;
    }
    bool Contains(std::string_view key) const { return Locate(key, HashNoCase(key)) != kMissing; }

    void Remove(std::int32_t position) {
        if (position < 1 || position > Count()) throw RuntimeError(err::kSubscript, "Subscript out of range");
        RemoveSlot(head_ + static_cast<std::size_t>(position - 1));
    }
    void Remove(std::string_view key) {
        const std::size_t at = Locate(key, HashNoCase(key));
        if (at == kMissing) throw RuntimeError(err::kInvalidCall, "Invalid procedure call or argument");
        RemoveSlot(at);
    }
    void Clear() noexcept {
        slots_ = {};
        keys_ = {};
        index_ = {};
        head_ = keyed_ = tombstones_ = deadKeyChars_ = 0;
    }

    // Iteration in collection order yields the item references.
    class const_iterator {
    public:
        using Inner = typename std::vector<Slot>::const_iterator;
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
    const_iterator begin() const { return const_iterator(slots_.begin() + static_cast<std::ptrdiff_t>(head_)); }
    const_iterator end() const { return const_iterator(slots_.end()); }

private:
    static constexpr std::size_t kMissing = static_cast<std::size_t>(-1);
    static constexpr std::size_t kLinearKeys = 8;           // up to this many keys: no index
    static constexpr std::uint32_t kEmpty = 0, kTombstone = 1;  // index entries; else slot + 2

    std::size_t Size() const noexcept { return slots_.size() - head_; }
    std::string_view KeyOf(const Slot& slot) const noexcept { return {keys_.data() + slot.keyAt, slot.keyLength}; }
    bool Matches(const Slot& slot, std::string_view key) const noexcept {
        return slot.keyAt != kNoKey && slot.keyLength == key.size() && EqualsNoCase(KeyOf(slot), key);
    }

    // An index entry that names a slot still in the collection (slots removed from the front
    // keep their entries until the next rebuild; they count as tombstones).
    bool Live(std::uint32_t entry) const noexcept { return entry > kTombstone && entry - 2 >= head_; }

    // The slot holding `key`, or kMissing.
    std::size_t Locate(std::string_view key, std::uint64_t hash) const noexcept {
        if (index_.empty()) {
            for (std::size_t i = head_; i < slots_.size(); ++i)
                if (Matches(slots_[i], key)) return i;
            return kMissing;
        }
        const std::size_t mask = index_.size() - 1;
        for (std::size_t probe = hash & mask;; probe = (probe + 1) & mask) {
            const std::uint32_t entry = index_[probe];
            if (entry == kEmpty) return kMissing;
            if (Live(entry) && Matches(slots_[entry - 2], key)) return entry - 2;
        }
    }
    void Insert(std::uint64_t hash, std::size_t slot) noexcept {
        const std::size_t mask = index_.size() - 1;
        std::size_t probe = hash & mask;
        while (Live(index_[probe])) probe = (probe + 1) & mask;
        if (index_[probe] != kEmpty) --tombstones_;
        index_[probe] = static_cast<std::uint32_t>(slot + 2);
    }
    // A fresh index for at least `keys` keys, holding every keyed slot.
    void ReserveIndex(std::size_t keys) {
        std::size_t size = 16;
        while (size < 2 * keys + 2) size *= 2;
        if (size <= index_.size() && tombstones_ == 0) return;
        std::vector<std::uint32_t> fresh(size, kEmpty);
        index_.swap(fresh);
        tombstones_ = 0;
        for (std::size_t i = head_; i < slots_.size(); ++i)
            if (slots_[i].keyAt != kNoKey) Insert(HashNoCase(KeyOf(slots_[i])), i);
    }

    void RemoveSlot(std::size_t at) {
        const bool keyed = slots_[at].keyAt != kNoKey;
        if (keyed) {
            --keyed_;
            deadKeyChars_ += slots_[at].keyLength;
        }
        if (at == head_) {
            if (keyed && !index_.empty()) ++tombstones_;  // its entry now names a slot before head_
            slots_[at] = Slot{nullptr, kNoKey, 0};
            ++head_;
            if (head_ == slots_.size()) return Clear();
        } else {
            slots_.erase(slots_.begin() + static_cast<std::ptrdiff_t>(at));
            const std::uint32_t removed = static_cast<std::uint32_t>(at + 2);
            for (std::uint32_t& entry : index_) {
                if (entry == removed) {
                    entry = kTombstone;
                    ++tombstones_;
                } else if (entry > removed) {
                    --entry;
                }
            }
        }
        if ((head_ >= 64 && 2 * head_ >= slots_.size()) || (deadKeyChars_ >= 4096 && 2 * deadKeyChars_ >= keys_.size()))
            Compact();
    }
    // Drops the removed front slots and the characters of removed keys; renumbers the index.
    void Compact() {
        // Everything is allocated before anything moves, so a failure leaves the collection as it was.
        std::vector<Slot> slots;
        slots.reserve(Size());
        std::string keys;
        keys.reserve(keys_.size() - deadKeyChars_);
        for (std::size_t i = head_; i < slots_.size(); ++i) {
            Slot& slot = slots_[i];
            if (slot.keyAt != kNoKey) {
                const std::string_view key = KeyOf(slot);
                slot.keyAt = static_cast<std::uint32_t>(keys.size());
                keys.append(key);
            }
            slots.push_back(std::move(slot));
        }
        // The index is renumbered, not rebuilt: no key is hashed again. Entries of removed
        // slots become tombstones; too many of them and the index is made afresh. When they
        // outnumber the keys left (a collection emptied from the front) it is made afresh for
        // the keys left without renumbering first, which would walk the largest index at
        // every compaction.
        const bool rebuild = !index_.empty() && tombstones_ > keyed_;
        std::uint32_t tombstones = 0;
        if (!rebuild) {
            for (std::uint32_t& entry : index_) {
                if (Live(entry)) entry -= head_;
                else if (entry != kEmpty) entry = kTombstone, ++tombstones;
            }
        }
        slots_ = std::move(slots);
        keys_ = std::move(keys);
        head_ = deadKeyChars_ = 0;
        tombstones_ = tombstones;
        if (rebuild || (!index_.empty() && 2 * (keyed_ + tombstones_) > index_.size())) {
            index_.clear();
            ReserveIndex(keyed_);
        }
    }

    std::vector<Slot> slots_;             // slots before head_ were removed from the front
    std::string keys_;                    // every key's characters, as given
    std::vector<std::uint32_t> index_;    // open addressing, linear probing; empty below kLinearKeys
    std::uint32_t head_ = 0;
    std::uint32_t keyed_ = 0;             // keyed items
    std::uint32_t tombstones_ = 0;        // removed entries still in index_
    std::uint32_t deadKeyChars_ = 0;      // characters in keys_ of removed keys
};

template <class T>
using CollectionRef = std::shared_ptr<KeyedCollection<T>>;

template <class T>
CollectionRef<T> NewCollection() { return std::make_shared<KeyedCollection<T>>(); }

}  // namespace diags
