// The edge table of the edge and ridge commands: for each unordered vertex
// pair (edge key) the line occurrences that run along it, and whether the
// pair is a candidate (covered by the selection the command started from).
//
// A flat open-addressing hash map (linear probing, power-of-two slots, at
// most three quarters full) over entries kept in the order their keys were first
// added, so walking the table is deterministic. The commands only need to
// tell one, two and more occurrences apart, so an entry keeps the first two
// occurrences and a count that stops at three; that behaves as the full
// ordered list would for every use here.
//
// Cost: Add is O(1) expected; memory is 32 bytes per entry plus 8 bytes per
// slot, with between 4/3 and 8/3 slots per entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "mesh/cmq_object.h"
#include "select/mesh_view.h"

namespace selection {

// A well-mixed 64-bit hash of an edge key (the MurmurHash3 finaliser). Keys
// of a mesh are highly regular (lo × 2^32 + lo + d for small d), and a plain
// multiplicative hash folds them into a few long runs of a probed table.
inline uint64_t HashEdgeKey(int64_t key) {
    uint64_t x = static_cast<uint64_t>(key);
    x ^= x >> 33;
    x *= 0xFF51AFD7ED558CCDull;
    x ^= x >> 33;
    x *= 0xC4CEB9FE1A85EC53ull;
    x ^= x >> 33;
    return x;
}

class EdgeTable {
public:
    struct Entry {
        int64_t key = 0;
        cmq::CMQLine first;   // the occurrence found first
        cmq::CMQLine second;  // the occurrence found second; valid when count >= 2
        uint8_t count = 0;    // 1, 2, or 3 for "three or more"
        bool candidate = false;
    };

    // `expectedKeys` sizes the table up front; it grows as needed beyond it.
    explicit EdgeTable(std::size_t expectedKeys = 0);

    // Appends the occurrence `line` to the entry of `key`, creating the entry
    // when the key is new, and returns the entry. The reference is valid
    // until the next Add.
    Entry &Add(int64_t key, cmq::CMQLine line);

    // Marks `key`'s entry as a candidate; the key must have been added.
    void MarkCandidate(Entry &entry);

    // True when at least one entry is a candidate.
    bool HasCandidates() const { return candidateCount_ != 0; }

    // The entries in the order their keys were first added.
    const std::vector<Entry> &Entries() const { return entries_; }

    // The entry of `key`, or null.
    const Entry *Find(int64_t key) const;

private:
    // A slot names an entry and keeps 32 bits of its key's hash, so most
    // probes that miss are settled without touching the entries.
    struct Slot {
        int32_t entry = -1; // index into entries_, -1 for an empty slot
        uint32_t tag = 0;   // the upper half of HashEdgeKey(key)
    };

    void Grow(std::size_t slotCount);

    std::vector<Slot> slots_;
    std::vector<Entry> entries_;
    std::size_t mask_ = 0;
    std::size_t candidateCount_ = 0;
};

// The lines of an object grouped by the unordered vertex pair they join, as
// the edge table groups them, for a whole object at once and in little
// memory.
//
// Line i is line i of the mesh view (Points()[i] is its start). state[i]
// holds, on the way in, kCovered when the line is covered by the selection.
// On the way out, the first line of each group (its leader) also has its
// group's line count in the kCountMask bits (1, 2, or 3 for "three or more")
// and kCandidate when any line of the group is covered; other lines have
// count 0. second[i] is the group's second line when the count is at least
// 2. Walking the lines in order and taking the leaders visits the groups in
// the order their pairs were first met, as the edge table's entries come.
//
// The lines are sorted by their smaller vertex with a counting sort (two
// sequential passes, 8 bytes per line and 4 per vertex slot, freed on
// return), keeping line order within a vertex; each vertex's short run is
// then grouped by the larger vertex, scanning back for its first line (long
// runs, as the centre of a large fan makes, are sorted instead). Objects
// with negative vertex indices or indices far beyond the line count are
// grouped through the edge table.
struct EdgeGroups {
    static constexpr uint8_t kCountMask = 0x03;
    static constexpr uint8_t kCandidate = 0x40;
    static constexpr uint8_t kCovered = 0x80;

    std::vector<uint8_t> state;
    std::vector<uint32_t> second;
    bool anyCandidate = false;

    static int Count(uint8_t s) { return s & kCountMask; }
};
// Fills `groups.second` and the group bits of `groups.state` (whose size
// must be the mesh's line count, with kCovered set as wanted).
void GroupLinesByEdge(const MeshView &mesh, EdgeGroups &groups);

} // namespace selection
