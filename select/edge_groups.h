// The lines of the edge and ridge commands grouped by the unordered vertex
// pair (edge) they run along. The commands only need to tell one, two and
// more lines of a pair apart, so a group keeps its first two lines and a
// count that stops at three; that behaves as the full ordered list would
// for every use here.
#pragma once

#include <cstdint>
#include <vector>

#include "mesh/mesh_view.h"

namespace selection {

// The lines of an object grouped by the pair they join, for a whole object
// at once and in little memory.
//
// Line i is line i of the mesh view (Points()[i] is its start). On the way
// out, the first line of each group (its leader) has its group's line count
// in state[i] (1, 2, or 3 for "three or more"); other lines have 0.
// second[i] is the group's second line when the count is at least 2.
// Walking the lines in order and taking the leaders visits the groups in
// the order their pairs were first met.
//
// The grouping reads the mesh view alone, and nothing else, so it may run
// beside the host's thread (select/parallel.h) while the command asks the
// host about the selection.
//
// The lines are sorted by their smaller vertex with a counting sort (two
// sequential passes, 8 bytes per line and 4 per vertex slot, freed on
// return), keeping line order within a vertex; each vertex's short run is
// then grouped by the larger vertex, scanning back for its first line (long
// runs, as the centre of a large fan makes, are sorted instead).
struct EdgeGroups {
    static constexpr uint8_t kCountMask = 0x03;
    // A bit of state[i] that the grouping leaves clear, for the caller to
    // mark groups with (the ridges found).
    static constexpr uint8_t kCallerMark = 0x80;

    std::vector<uint8_t> state;
    std::vector<uint32_t> second;
    // Whether `second` is wanted: the ridges need each pair's second line,
    // the borders only the counts (and then `second` stays empty, which
    // saves four bytes per line).
    bool withSecond = true;

    static int Count(uint8_t s) { return s & kCountMask; }
};
// Fills `groups.state` (one entry per line of the mesh) and, when wanted,
// `groups.second`.
void GroupLinesByEdge(const cmq::MeshView &mesh, EdgeGroups &groups);

} // namespace selection
