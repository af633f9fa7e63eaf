// The lines of the edge and ridge commands grouped by the unordered vertex
// pair (edge) they run along. The commands only need to tell a pair of one
// line (a border) and a pair of exactly two lines (a ridge candidate) from
// the others, so each pair keeps no more than that: the second line of a
// pair of two, on its first line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "mesh/mesh_view.h"

namespace selection {

// Line i is line i of the mesh view (Points()[i] is its start). For the
// first line i of each pair (its leader), in line order:
//   second[i] = kAlone       when no other line runs along the pair;
//   second[i] = the other line, when exactly one other line does;
//   second[i] = kNone        when two or more others do.
// Every line that is not its pair's first has kNone. Walking the lines in
// order and taking the leaders visits the pairs in the order they were
// first met. A caller may set a leader's entry to kNone to drop its pair
// (the ridges whose fold is outside the window).
struct EdgeGroups {
    static constexpr uint32_t kNone = UINT32_MAX;
    static constexpr uint32_t kAlone = UINT32_MAX - 1;
    // Below kAlone: every line index is, as an object has fewer lines.
    static constexpr std::size_t kMostLines = kAlone;

    std::vector<uint32_t> second;

    static bool IsPairOfTwo(uint32_t entry) { return entry < kAlone; }
};

// The least scratch the grouping works in, in lines (see below).
inline constexpr std::size_t kLeastGroupingRange = std::size_t{1} << 16;

// Groups the lines of `mesh`, reading the mesh view alone and nothing else,
// so that it may run beside the host's thread (select/parallel.h) while the
// command asks the host about the selection. Throws std::length_error for
// an object of more than EdgeGroups::kMostLines lines.
//
// The lines are put in runs by their smaller vertex with a counting sort,
// keeping line order within a vertex, and each vertex's short run is then
// grouped by the larger vertex, scanning back for its first line (long
// runs, as the centre of a large fan makes, are sorted instead). The runs
// are made for one range of smaller vertices at a time, each range holding
// at most an eighth of the lines (but `leastRange` lines or one vertex at
// the least), in scratch of 8 bytes per line of the largest range; each
// range's pass visits only the faces that hold one of its lines, as far as
// a coarse index of the vertices tells. The count of each vertex's run takes
// 4 bytes per vertex slot used. All scratch is freed on return.
EdgeGroups GroupLinesByEdge(const cmq::MeshView &mesh, std::size_t leastRange = kLeastGroupingRange);

} // namespace selection
