// The one hash table of the selection commands: flat open addressing, for
// the sets and maps a command builds over a whole object and then queries.
//
// Linear probing over one power-of-two array of entries (key beside value,
// so a probe touches one place); the table is kept at most half full, so a
// lookup touches one or two cache lines. Every key is run through one mixer,
// MixHash, before its low bits pick the home slot. One key value (the key
// traits' kEmpty) marks empty slots; should that value be inserted all the
// same, its entry is kept aside, so every key value is valid. There is no
// erase: the commands only build and query. The entries live in a
// ScratchVector, so a table built by one command reuses the memory of the
// last one.
//
// Cost: TryEmplace and Find are O(1) expected; memory is between two and
// four entries per key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <utility>
#include <vector>

#include "select/scratch.h"

namespace selection {

// The mixer (the splitmix64 finaliser): every bit of the input reaches every
// bit of the output, so regular keys such as the edge keys of neighbouring
// vertices (lo × 2^32 + lo + d for small d) land far apart.
constexpr uint64_t MixHash(uint64_t x) {
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBull;
    x ^= x >> 31;
    return x;
}

// Combines hashes of several words into one 64-bit key. Different inputs may
// give the same key; callers that need exact identity compare the inputs.
constexpr uint64_t CombineHash(uint64_t seed, uint64_t value) {
    return MixHash(seed ^ (value + 0x9E3779B97F4A7C15ull + (seed << 6) + (seed >> 2)));
}

// How a table hashes and compares its keys. This default serves integer
// keys: the key's bits are the word given to the mixer, keys are equal when
// their values are, and the smallest value marks an empty slot.
//
// Other traits (stateful ones too: the table keeps a copy) provide the same
// three members, and may accept other probe types in Word and Equal, so that
// a table of vertex indices can be asked for a position (heterogeneous
// lookup through Find).
template <class Key>
struct FlatHashKey {
    static_assert(std::is_integral_v<Key>);
    static constexpr Key kEmpty = std::numeric_limits<Key>::min();
    static uint64_t Word(Key key) {
        if constexpr (std::is_signed_v<Key>) {
            return static_cast<uint64_t>(static_cast<int64_t>(key));
        } else {
            return static_cast<uint64_t>(key);
        }
    }
    static bool Equal(Key stored, Key probe) { return stored == probe; }
};

// The value of a set's entries: takes no room.
struct FlatHashUnit {};

template <class Key, class Value, class Traits = FlatHashKey<Key>>
class FlatHashMap {
public:
    struct Entry {
        Key key;
        [[no_unique_address]] Value value;
    };

    explicit FlatHashMap(Traits traits = {}) : traits_(std::move(traits)) {}

    // Makes room for `count` keys without growing. No memory is taken before
    // the first Reserve or insertion.
    void Reserve(std::size_t count) {
        const std::size_t want = SlotsFor(count);
        if (want > entries_->size()) Rehash(want);
    }

    std::size_t Size() const { return size_ + (hasAside_ ? 1 : 0); }

    // The entry of `key`, inserted with the value `fresh` when absent; the
    // bool is true when it was inserted now. The entry's key must not be
    // changed. The pointer is valid until the next insertion of a new key
    // that makes the table grow (none while the table holds fewer keys than
    // it was reserved for).
    std::pair<Entry *, bool> TryEmplace(const Key &key, const Value &fresh) {
        if (key == Traits::kEmpty) {
            if (hasAside_) return {&aside_, false};
            hasAside_ = true;
            aside_ = {key, fresh};
            return {&aside_, true};
        }
        std::vector<Entry> &entries = *entries_;
        if (!entries.empty()) {
            std::size_t i = Home(key);
            for (; entries[i].key != Traits::kEmpty; i = (i + 1) & mask_)
                if (traits_.Equal(entries[i].key, key)) return {&entries[i], false};
            if ((size_ + 1) * 2 <= entries.size()) return {Claim(i, key, fresh), true};
        }
        Rehash(entries.empty() ? kMinSlots : entries.size() * 2);
        std::size_t i = Home(key);
        while (entries[i].key != Traits::kEmpty) i = (i + 1) & mask_;
        return {Claim(i, key, fresh), true};
    }

    // The entry whose key equals `probe` (a Key, or any probe type the
    // traits hash and compare), or null when there is none.
    template <class Probe>
    const Entry *FindEntry(const Probe &probe) const {
        if constexpr (std::is_convertible_v<const Probe &, Key>) {
            if (Key{probe} == Traits::kEmpty) return hasAside_ ? &aside_ : nullptr;
        }
        const std::vector<Entry> &entries = *entries_;
        if (entries.empty()) return nullptr;
        for (std::size_t i = Home(probe); entries[i].key != Traits::kEmpty; i = (i + 1) & mask_)
            if (traits_.Equal(entries[i].key, probe)) return &entries[i];
        return nullptr;
    }

    // The value filed under a key equal to `probe`, or null.
    template <class Probe>
    const Value *Find(const Probe &probe) const {
        const Entry *entry = FindEntry(probe);
        return entry != nullptr ? &entry->value : nullptr;
    }
    template <class Probe>
    bool Contains(const Probe &probe) const {
        return Find(probe) != nullptr;
    }

    // Where an entry stands: a number below Capacity() for an entry in the
    // slots, Capacity() for the aside one. Valid, like the entry's address,
    // until the table grows; EntryAt gives the entry back.
    std::size_t PlaceOf(const Entry &entry) const {
        if (&entry == &aside_) return entries_->size();
        return static_cast<std::size_t>(&entry - entries_->data());
    }
    Entry &EntryAt(std::size_t place) { return place == entries_->size() ? aside_ : (*entries_)[place]; }
    std::size_t Capacity() const { return entries_->size(); }

    // Calls visit(key, value) for every entry: in slot order (which depends
    // on the keys' hashes, not on the order they came in), the aside entry
    // last.
    template <class Visit>
    void ForEach(Visit &&visit) {
        for (Entry &entry : *entries_)
            if (entry.key != Traits::kEmpty) visit(std::as_const(entry.key), entry.value);
        if (hasAside_) visit(std::as_const(aside_.key), aside_.value);
    }

private:
    static constexpr std::size_t kMinSlots = 16;

    // At most half the slots hold a key.
    static std::size_t SlotsFor(std::size_t count) {
        std::size_t slots = kMinSlots;
        while (slots / 2 < count) slots *= 2;
        return slots;
    }

    template <class Probe>
    std::size_t Home(const Probe &probe) const {
        return static_cast<std::size_t>(MixHash(traits_.Word(probe))) & mask_;
    }

    Entry *Claim(std::size_t slot, const Key &key, const Value &fresh) {
        Entry &entry = (*entries_)[slot];
        entry = {key, fresh};
        ++size_;
        return &entry;
    }

    // Nothing changes when the new slots cannot be had.
    void Rehash(std::size_t slotCount) {
        // An empty table (the usual case: reserved before the first key)
        // fills its own vector, whose memory may be a pooled one.
        if (size_ == 0) {
            entries_->assign(slotCount, Entry{Traits::kEmpty, Value{}});
            mask_ = slotCount - 1;
            return;
        }
        ScratchVector<Entry> previous;
        previous->assign(slotCount, Entry{Traits::kEmpty, Value{}});
        previous->swap(*entries_);
        std::vector<Entry> &entries = *entries_;
        mask_ = slotCount - 1;
        for (Entry &entry : *previous) {
            if (entry.key == Traits::kEmpty) continue;
            std::size_t i = Home(entry.key);
            while (entries[i].key != Traits::kEmpty) i = (i + 1) & mask_;
            entries[i] = std::move(entry);
        }
    }

    [[no_unique_address]] Traits traits_;
    ScratchVector<Entry> entries_;
    std::size_t mask_ = 0;
    std::size_t size_ = 0; // keys other than the aside one
    bool hasAside_ = false;
    Entry aside_{Traits::kEmpty, Value{}};
};

template <class Key, class Traits = FlatHashKey<Key>>
class FlatHashSet {
public:
    explicit FlatHashSet(Traits traits = {}) : map_(std::move(traits)) {}
    void Reserve(std::size_t count) { map_.Reserve(count); }
    // True when the key was not there before.
    bool Insert(const Key &key) { return map_.TryEmplace(key, FlatHashUnit{}).second; }
    template <class Probe>
    bool Contains(const Probe &probe) const {
        return map_.Contains(probe);
    }
    std::size_t Size() const { return map_.Size(); }

private:
    FlatHashMap<Key, FlatHashUnit, Traits> map_;
};

} // namespace selection
