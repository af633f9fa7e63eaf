// Flat open-addressing hash containers for 64-bit keys, used by the
// selection commands to index a whole object once per command.
//
// Linear probing over one power-of-two array; the table is kept at most half
// full, so a lookup touches one or two cache lines. One key value (the
// sentinel) marks empty slots and is stored aside, so every int64 is a valid
// key. There is no erase: the commands only build and query.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace selection {

// A strong 64-bit mixer (the splitmix64 finaliser): consecutive keys such as
// edge keys of neighbouring vertices land far apart.
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

// Map from int64 to V.
template <class V>
class FlatInt64Map {
public:
    FlatInt64Map() { Rehash(16); }

    // Makes room for `count` keys without rehashing.
    void Reserve(std::size_t count) {
        std::size_t want = 16;
        while (want < count * 2) want *= 2;
        if (want > keys_.size()) Rehash(want);
    }

    std::size_t Size() const { return size_ + (hasSentinel_ ? 1 : 0); }

    // The value of `key`, inserted as `fresh` when absent; the bool is true
    // when it was inserted now.
    std::pair<V *, bool> TryEmplace(int64_t key, const V &fresh) {
        if (key == kEmpty) {
            if (hasSentinel_) return {&sentinelValue_, false};
            hasSentinel_ = true;
            sentinelValue_ = fresh;
            return {&sentinelValue_, true};
        }
        if ((size_ + 1) * 2 > keys_.size()) Rehash(keys_.size() * 2);
        std::size_t i = Slot(key);
        while (keys_[i] != kEmpty) {
            if (keys_[i] == key) return {&values_[i], false};
            i = (i + 1) & mask_;
        }
        keys_[i] = key;
        values_[i] = fresh;
        ++size_;
        return {&values_[i], true};
    }

    // The value of `key`, or null when absent.
    const V *Find(int64_t key) const {
        if (key == kEmpty) return hasSentinel_ ? &sentinelValue_ : nullptr;
        std::size_t i = Slot(key);
        while (keys_[i] != kEmpty) {
            if (keys_[i] == key) return &values_[i];
            i = (i + 1) & mask_;
        }
        return nullptr;
    }

    bool Contains(int64_t key) const { return Find(key) != nullptr; }

private:
    static constexpr int64_t kEmpty = INT64_MIN;

    std::size_t Slot(int64_t key) const {
        return static_cast<std::size_t>(MixHash(static_cast<uint64_t>(key))) & mask_;
    }

    void Rehash(std::size_t capacity) {
        std::vector<int64_t> oldKeys(capacity, kEmpty);
        std::vector<V> oldValues(capacity);
        oldKeys.swap(keys_);
        oldValues.swap(values_);
        mask_ = capacity - 1;
        size_ = 0;
        for (std::size_t i = 0; i < oldKeys.size(); ++i) {
            if (oldKeys[i] == kEmpty) continue;
            std::size_t j = Slot(oldKeys[i]);
            while (keys_[j] != kEmpty) j = (j + 1) & mask_;
            keys_[j] = oldKeys[i];
            values_[j] = std::move(oldValues[i]);
            ++size_;
        }
    }

    std::vector<int64_t> keys_;
    std::vector<V> values_;
    std::size_t mask_ = 0;
    std::size_t size_ = 0; // keys other than the sentinel
    bool hasSentinel_ = false;
    V sentinelValue_{};
};

// Set of int64.
class FlatInt64Set {
public:
    void Reserve(std::size_t count) { map_.Reserve(count); }
    // True when the key was not there before.
    bool Insert(int64_t key) { return map_.TryEmplace(key, Unit{}).second; }
    bool Contains(int64_t key) const { return map_.Contains(key); }
    std::size_t Size() const { return map_.Size(); }

private:
    struct Unit {};
    FlatInt64Map<Unit> map_;
};

// Groups items by a 64-bit key: built once from (key, item) pairs, then asked
// for all items of one key, in the order they were added. Storage is one flat
// array of items and one offset per distinct key.
template <class T>
class BucketIndex {
public:
    explicit BucketIndex(std::span<const std::pair<int64_t, T>> entries) {
        bucketOf_.Reserve(entries.size());
        std::vector<int32_t> bucket(entries.size());
        std::vector<uint32_t> counts;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const auto [slot, added] =
                bucketOf_.TryEmplace(entries[i].first, static_cast<int32_t>(counts.size()));
            if (added) counts.push_back(0);
            bucket[i] = *slot;
            ++counts[static_cast<std::size_t>(*slot)];
        }
        start_.assign(counts.size() + 1, 0);
        for (std::size_t b = 0; b < counts.size(); ++b) start_[b + 1] = start_[b] + counts[b];
        items_.resize(entries.size());
        std::vector<uint32_t> fill(start_.begin(), start_.end() - 1);
        for (std::size_t i = 0; i < entries.size(); ++i)
            items_[fill[static_cast<std::size_t>(bucket[i])]++] = entries[i].second;
    }

    // The items filed under `key`; empty when there are none.
    std::span<const T> Find(int64_t key) const {
        const int32_t *b = bucketOf_.Find(key);
        if (b == nullptr) return {};
        const std::size_t i = static_cast<std::size_t>(*b);
        return {items_.data() + start_[i], start_[i + 1] - start_[i]};
    }

private:
    FlatInt64Map<int32_t> bucketOf_;
    std::vector<uint32_t> start_;
    std::vector<T> items_;
};

} // namespace selection
