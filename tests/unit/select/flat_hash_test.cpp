// The selection commands' hash table against std::unordered_map: random
// streams of insertions and look-ups over keys that crowd each other (edge
// keys of neighbouring vertices, keys differing only in their upper half,
// the empty marker itself), from an empty table and from reserved ones; and
// a table of indices looked up by what they index.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <span>
#include <unordered_map>
#include <vector>

#include "mesh/cmq_object.h"
#include "select/flat_hash.h"

namespace {

int64_t DrawKey(std::mt19937_64 &engine) {
    const uint64_t r = engine();
    switch (r % 6) {
    case 0: return std::numeric_limits<int64_t>::min(); // the empty marker, kept aside
    case 1: return std::numeric_limits<int64_t>::max();
    case 2: { // edge keys of a small patch of vertices
        const auto a = static_cast<int32_t>((r >> 8) % 300);
        return cmq::EdgeKey(a, a + static_cast<int32_t>((r >> 20) % 5));
    }
    case 3: return static_cast<int64_t>(((r >> 8) % 64) << 32); // upper half only
    case 4: return -static_cast<int64_t>((r >> 8) % 1000);
    default: return static_cast<int64_t>(r >> 3);
    }
}

TEST(FlatHashMap, BehavesAsAMapUnderRandomInsertionsAndLookUps) {
    std::mt19937_64 engine(7);
    for (int round = 0; round < 40; ++round) {
        selection::FlatHashMap<int64_t, uint32_t> table;
        std::unordered_map<int64_t, uint32_t> reference;
        if (round % 3 == 1) table.Reserve(static_cast<std::size_t>(engine() % 4000));
        const int steps = 100 + static_cast<int>(engine() % 6000);
        for (int step = 0; step < steps; ++step) {
            const int64_t key = DrawKey(engine);
            if (engine() % 3 == 0) {
                const uint32_t *found = table.Find(key);
                const auto it = reference.find(key);
                ASSERT_EQ(found != nullptr, it != reference.end()) << key;
                if (found != nullptr) {
                    ASSERT_EQ(*found, it->second) << key;
                }
                continue;
            }
            const auto value = static_cast<uint32_t>(step);
            const auto [entry, added] = table.TryEmplace(key, value);
            const auto [it, referenceAdded] = reference.emplace(key, value);
            ASSERT_EQ(added, referenceAdded) << key;
            ASSERT_EQ(entry->key, key);
            ASSERT_EQ(entry->value, it->second) << key;
            if (engine() % 2 == 0) entry->value = it->second = value + 1000000u; // written through the pointer
        }
        ASSERT_EQ(table.Size(), reference.size());
        std::unordered_map<int64_t, uint32_t> visited;
        table.ForEach([&](int64_t key, uint32_t &value) { EXPECT_TRUE(visited.emplace(key, value).second) << key; });
        EXPECT_EQ(visited, reference);
        const selection::FlatHashSet<int64_t> empty;
        EXPECT_FALSE(empty.Contains(std::numeric_limits<int64_t>::min()));
        EXPECT_FALSE(empty.Contains(int64_t{0}));
    }
}

TEST(FlatHashMap, ValuesStayPutWhileWithinItsReservation) {
    selection::FlatHashMap<int64_t, uint32_t> table;
    table.Reserve(5000);
    std::vector<uint32_t *> slots;
    for (int32_t i = 0; i < 5000; ++i) slots.push_back(&table.TryEmplace(cmq::EdgeKey(i, i + 1), 0).first->value);
    for (int32_t i = 0; i < 5000; ++i) ++*slots[static_cast<std::size_t>(i)];
    for (int32_t i = 0; i < 5000; ++i) ASSERT_EQ(*table.Find(cmq::EdgeKey(i + 1, i)), 1u) << i;
    // Places name the entries back, the aside one (the empty marker's) too.
    auto &aside = *table.TryEmplace(std::numeric_limits<int64_t>::min(), 7).first;
    EXPECT_EQ(table.PlaceOf(aside), table.Capacity());
    EXPECT_EQ(&table.EntryAt(table.PlaceOf(aside)), &aside);
    for (int32_t i = 0; i < 5000; i += 7) {
        auto &entry = *table.TryEmplace(cmq::EdgeKey(i, i + 1), 0).first;
        ASSERT_LT(table.PlaceOf(entry), table.Capacity());
        ASSERT_EQ(&table.EntryAt(table.PlaceOf(entry)), &entry) << i;
    }
}

TEST(FlatHashSet, InsertReportsOnlyNewKeys) {
    selection::FlatHashSet<int64_t> set;
    std::mt19937_64 engine(11);
    std::unordered_map<int64_t, int> reference;
    for (int i = 0; i < 20000; ++i) {
        const int64_t key = DrawKey(engine);
        ASSERT_EQ(set.Insert(key), ++reference[key] == 1) << key;
    }
    EXPECT_EQ(set.Size(), reference.size());
    for (const auto &[key, count] : reference) EXPECT_TRUE(set.Contains(key)) << key;
    // Probes of other integer types find the same keys, the empty marker too.
    selection::FlatHashSet<int64_t> small;
    EXPECT_FALSE(small.Contains(static_cast<long long>(std::numeric_limits<int64_t>::min())));
    small.Insert(-5);
    small.Insert(std::numeric_limits<int64_t>::min());
    EXPECT_TRUE(small.Contains(int32_t{-5}));
    EXPECT_FALSE(small.Contains(int32_t{5}));
    EXPECT_TRUE(small.Contains(static_cast<long long>(std::numeric_limits<int64_t>::min())));
}

// Indices into a list, equal when the values they index are: several
// indices name one value, and a value is a probe of its own.
struct Value {
    int32_t v;
};
struct IndexOfValue {
    static constexpr int32_t kEmpty = -1;
    uint64_t Word(Value probe) const { return static_cast<uint64_t>(probe.v % 7); } // many collide
    uint64_t Word(int32_t index) const { return Word(Value{values[static_cast<std::size_t>(index)]}); }
    bool Equal(int32_t stored, Value probe) const { return values[static_cast<std::size_t>(stored)] == probe.v; }
    bool Equal(int32_t stored, int32_t index) const { return Equal(stored, Value{values[static_cast<std::size_t>(index)]}); }
    std::span<const int32_t> values;
};

TEST(FlatHashMap, FindsIndexedKeysByWhatTheyIndex) {
    std::mt19937 engine(3);
    std::vector<int32_t> values(3000);
    for (int32_t &v : values) v = static_cast<int32_t>(engine() % 500);
    selection::FlatHashMap<int32_t, int, IndexOfValue> firstOf(IndexOfValue{values});
    std::unordered_map<int32_t, std::pair<int32_t, int>> reference; // value -> (first index, count)
    for (int32_t i = 0; i < static_cast<int32_t>(values.size()); ++i) {
        const auto [entry, added] = firstOf.TryEmplace(i, 0);
        ++entry->value;
        auto [it, referenceAdded] = reference.emplace(values[static_cast<std::size_t>(i)], std::pair{i, 0});
        ++it->second.second;
        ASSERT_EQ(added, referenceAdded) << i;
    }
    EXPECT_EQ(firstOf.Size(), reference.size());
    for (int32_t v = -5; v < 520; ++v) {
        const auto *entry = firstOf.FindEntry(Value{v});
        const auto it = reference.find(v);
        ASSERT_EQ(entry != nullptr, it != reference.end()) << v;
        if (entry == nullptr) continue;
        EXPECT_EQ(entry->key, it->second.first) << v;
        EXPECT_EQ(entry->value, it->second.second) << v;
    }
}

} // namespace
