// A set of unordered vertex pairs (edges), filed under the smaller vertex.
//
// For the pairs of a whole object this is much lighter than a hash set of
// edge keys: the pairs are bucketed by counting sort into one array with an
// offset per vertex, so building and asking touch small, mostly sequential
// memory. Each bucket is sorted, so a vertex shared by very many edges
// (the centre of a fan) costs a binary search, not a scan.
//
// The caller hands the pairs over twice: once to count each bucket, once to
// fill it. No list of the pairs is kept in between, so the set's peak is
// its own size, 4 bytes per pair and 4 per vertex slot ("2Line -> Face"
// with every line of 1M quads selected, 32-bit DLL: 19.0 bytes per face
// line with a list of the pairs, 10.1 without).
//
//   VertexPairSet edges(vertexSlots);
//   for (each pair) edges.Count(a, b);
//   edges.StartFiling();
//   for (the same pairs) edges.File(a, b);
//   edges.Finish();
//   edges.Contains(a, b);
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace selection {

class VertexPairSet {
public:
    // For pairs of vertices in [0, vertexSlots) (the mesh view's points
    // are).
    explicit VertexPairSet(int32_t vertexSlots);

    // A pair counted, before StartFiling.
    void Count(int32_t a, int32_t b) { ++start_[static_cast<std::size_t>(a < b ? a : b) + 1]; }
    // Makes room for the pairs counted.
    void StartFiling();
    // A pair counted, filed: every counted pair once, in any order.
    void File(int32_t a, int32_t b) { larger_[start_[static_cast<std::size_t>(a < b ? a : b)]++] = a < b ? b : a; }
    // Once, after the last File and before Contains.
    void Finish();

    // True when {a, b} is in the set, in either order; a and b in
    // [0, vertexSlots).
    bool Contains(int32_t a, int32_t b) const;

private:
    // Per vertex slot, where its bucket of larger_ starts; then the end.
    // While filing, where the next pair of each bucket goes.
    std::vector<uint32_t> start_;
    std::vector<int32_t> larger_; // each bucket's larger vertices, sorted
};

} // namespace selection
