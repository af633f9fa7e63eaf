#include "select/edge_table.h"

#include <bit>

namespace selection {
namespace {

constexpr std::size_t kMinSlots = 16;
// Sizing from a face count must not reserve gigabytes for a host that
// reports many deleted slots; beyond this the table grows as keys arrive.
constexpr std::size_t kMaxPresetSlots = std::size_t{1} << 23;

} // namespace

EdgeTable::EdgeTable(std::size_t expectedKeys) {
    std::size_t slots = kMinSlots;
    while (slots < expectedKeys * 2 && slots < kMaxPresetSlots) slots *= 2;
    entries_.reserve(slots / 2);
    Grow(slots);
}

// Fibonacci hashing: the top bits of key × 2^64/φ. The key holds the lower
// vertex index in its upper half and the higher one in its lower half, and
// the multiplication mixes both into the bits that pick the slot.
std::size_t EdgeTable::SlotOf(int64_t key) const {
    const uint64_t mixed = static_cast<uint64_t>(key) * 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(mixed >> shift_);
}

void EdgeTable::Grow(std::size_t slotCount) {
    slots_.assign(slotCount, Slot{});
    mask_ = slotCount - 1;
    shift_ = 64 - std::countr_zero(slotCount);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        std::size_t s = SlotOf(entries_[i].key);
        while (slots_[s].entry >= 0) s = (s + 1) & mask_;
        slots_[s] = {entries_[i].key, static_cast<int32_t>(i)};
    }
}

EdgeTable::Entry &EdgeTable::Add(int64_t key, cmq::CMQLine line) {
    std::size_t s = SlotOf(key);
    while (slots_[s].entry >= 0) {
        if (slots_[s].key == key) {
            Entry &entry = entries_[static_cast<std::size_t>(slots_[s].entry)];
            if (entry.count == 1) entry.second = line;
            if (entry.count < 3) ++entry.count;
            return entry;
        }
        s = (s + 1) & mask_;
    }
    if ((entries_.size() + 1) * 2 > slots_.size()) {
        Grow(slots_.size() * 2);
        s = SlotOf(key);
        while (slots_[s].entry >= 0) s = (s + 1) & mask_;
    }
    slots_[s] = {key, static_cast<int32_t>(entries_.size())};
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
    std::size_t s = SlotOf(key);
    while (slots_[s].entry >= 0) {
        if (slots_[s].key == key) return &entries_[static_cast<std::size_t>(slots_[s].entry)];
        s = (s + 1) & mask_;
    }
    return nullptr;
}

} // namespace selection
