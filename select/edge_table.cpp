#include "select/edge_table.h"

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
