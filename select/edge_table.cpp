#include "select/edge_table.h"

#include <algorithm>
#include <utility>

namespace selection {
namespace {

constexpr std::size_t kMinSlots = 16;
// Sizing from a face count must not reserve gigabytes for a host that
// reports many deleted slots; beyond this the table grows as keys arrive.
constexpr std::size_t kMaxPresetSlots = std::size_t{1} << 23;

// At most three quarters of the slots hold a key.
bool Overfull(std::size_t keys, std::size_t slots) { return keys * 4 > slots * 3; }

} // namespace

EdgeTable::EdgeTable(std::size_t expectedKeys) {
    std::size_t slots = kMinSlots;
    while (Overfull(expectedKeys, slots) && slots < kMaxPresetSlots) slots *= 2;
    // Room for a few more keys than expected: reserving touches no memory,
    // while growing past it would copy every entry.
    entries_.reserve(expectedKeys < slots ? expectedKeys + expectedKeys / 8 : slots);
    Grow(slots);
}

void EdgeTable::Grow(std::size_t slotCount) {
    slots_.assign(slotCount, Slot{});
    mask_ = slotCount - 1;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const uint64_t hash = HashEdgeKey(entries_[i].key);
        std::size_t s = static_cast<std::size_t>(hash) & mask_;
        while (slots_[s].entry >= 0) s = (s + 1) & mask_;
        slots_[s] = {static_cast<int32_t>(i), static_cast<uint32_t>(hash >> 32)};
    }
}

EdgeTable::Entry &EdgeTable::Add(int64_t key, cmq::CMQLine line) {
    const uint64_t hash = HashEdgeKey(key);
    const uint32_t tag = static_cast<uint32_t>(hash >> 32);
    std::size_t s = static_cast<std::size_t>(hash) & mask_;
    while (slots_[s].entry >= 0) {
        if (slots_[s].tag == tag) {
            Entry &entry = entries_[static_cast<std::size_t>(slots_[s].entry)];
            if (entry.key == key) {
                if (entry.count == 1) entry.second = line;
                if (entry.count < 3) ++entry.count;
                return entry;
            }
        }
        s = (s + 1) & mask_;
    }
    if (Overfull(entries_.size() + 1, slots_.size())) {
        Grow(slots_.size() * 2);
        s = static_cast<std::size_t>(hash) & mask_;
        while (slots_[s].entry >= 0) s = (s + 1) & mask_;
    }
    slots_[s] = {static_cast<int32_t>(entries_.size()), tag};
    Entry &entry = entries_.emplace_back();
    entry.key = key;
    entry.first = line;
    entry.count = 1;
    return entry;
}

void EdgeTable::MarkCandidate(Entry &entry) {
    if (entry.candidate) return;
    entry.candidate = true;
    ++candidateCount_;
}

const EdgeTable::Entry *EdgeTable::Find(int64_t key) const {
    const uint64_t hash = HashEdgeKey(key);
    std::size_t s = static_cast<std::size_t>(hash) & mask_;
    while (slots_[s].entry >= 0) {
        const Entry &entry = entries_[static_cast<std::size_t>(slots_[s].entry)];
        if (slots_[s].tag == static_cast<uint32_t>(hash >> 32) && entry.key == key) return &entry;
        s = (s + 1) & mask_;
    }
    return nullptr;
}

} // namespace selection

namespace selection {
namespace {

// Beyond this a smaller vertex is not taken for a vertex slot of the lines'
// object, and the pairs are hashed instead of chained.
std::size_t ChainLimit(std::size_t lines) { return lines * 4 + 65536; }
// A chain longer than this (one vertex starting that many distinct pairs, as
// the centre of a large fan does) makes chaining quadratic: hash instead.
constexpr int kLongestChain = 64;

constexpr uint8_t kGroupBits = EdgeGroups::kCountMask | EdgeGroups::kCandidate;

void Join(EdgeGroups &groups, uint32_t leader, uint32_t line) {
    uint8_t &s = groups.state[leader];
    const int count = EdgeGroups::Count(s);
    if (count == 1) groups.second[leader] = line;
    if (count < 3) s = static_cast<uint8_t>(s + 1);
    if ((groups.state[line] & EdgeGroups::kCovered) != 0) s |= EdgeGroups::kCandidate;
}

void Open(EdgeGroups &groups, uint32_t line) {
    uint8_t &s = groups.state[line];
    s = static_cast<uint8_t>((s & EdgeGroups::kCovered) | 1);
    if ((s & EdgeGroups::kCovered) != 0) s |= EdgeGroups::kCandidate;
}

void GroupByHashing(std::span<const int32_t> start, std::span<const int32_t> end, EdgeGroups &groups) {
    for (uint8_t &s : groups.state) s = static_cast<uint8_t>(s & ~kGroupBits);
    EdgeTable table(start.size() / 2);
    for (std::size_t i = 0; i < start.size(); ++i) {
        const EdgeTable::Entry &entry = table.Add(cmq::EdgeKey(start[i], end[i]), {0, static_cast<int32_t>(i)});
        const uint32_t leader = static_cast<uint32_t>(entry.first.line);
        if (leader == i) {
            Open(groups, leader);
        } else {
            Join(groups, leader, static_cast<uint32_t>(i));
        }
    }
}

} // namespace

void GroupLinesByEdge(std::span<const int32_t> start, std::span<const int32_t> end, EdgeGroups &groups) {
    const std::size_t count = start.size();
    groups.second.assign(count, 0);
    groups.anyCandidate = false;
    if (count == 0) return;

    int64_t top = 0;
    bool chainable = count < (std::size_t{1} << 31);
    for (std::size_t i = 0; i < count && chainable; ++i) {
        const int32_t lo = start[i] < end[i] ? start[i] : end[i];
        if (lo < 0) chainable = false;
        if (lo > top) top = lo;
    }
    chainable = chainable && static_cast<std::size_t>(top) < ChainLimit(count);

    if (chainable) {
        // Each vertex heads a chain of the leaders whose smaller vertex it
        // is; a line joins the leader in its chain with the same larger
        // vertex, or becomes a leader itself. `next` links the chain; the
        // larger vertex of a leader is read back from its ends.
        constexpr uint32_t kNone = UINT32_MAX;
        std::vector<uint32_t> head(static_cast<std::size_t>(top) + 1, kNone);
        std::vector<uint32_t> next(count);
        for (std::size_t i = 0; i < count && chainable; ++i) {
            const int32_t a = start[i], b = end[i];
            const int32_t lo = a < b ? a : b;
            const int32_t hi = a < b ? b : a;
            uint32_t &first = head[static_cast<std::size_t>(lo)];
            uint32_t at = first;
            int steps = 0;
            while (at != kNone) {
                const int32_t atHi = start[at] < end[at] ? end[at] : start[at];
                if (atHi == hi) break;
                at = next[at];
                if (++steps > kLongestChain) {
                    chainable = false;
                    break;
                }
            }
            if (!chainable) break;
            if (at != kNone) {
                groups.state[i] = static_cast<uint8_t>(groups.state[i] & ~kGroupBits);
                Join(groups, at, static_cast<uint32_t>(i));
            } else {
                Open(groups, static_cast<uint32_t>(i));
                next[i] = first;
                first = static_cast<uint32_t>(i);
            }
        }
    }
    if (!chainable) GroupByHashing(start, end, groups);

    for (const uint8_t s : groups.state) {
        if ((s & EdgeGroups::kCandidate) != 0) {
            groups.anyCandidate = true;
            break;
        }
    }
}

} // namespace selection
