// A set of unordered vertex pairs (edges), filed under the smaller vertex.
//
// For the pairs of a whole object this is much lighter than a hash set of
// edge keys: the pairs are bucketed by counting sort into one array with an
// offset per vertex, so building and asking touch small, mostly sequential
// memory. Each bucket is sorted, so a vertex shared by very many edges
// (the centre of a fan) costs a binary search, not a scan.
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

    // Makes room for `pairs` pairs up front, when a bound is known (only
    // address space until used); without it the list grows as pairs arrive.
    void Reserve(std::size_t pairs) noexcept;
    // Collects a pair; call Build once after the last Add.
    void Add(int32_t a, int32_t b);
    void Build();

    bool Empty() const { return pending_.empty() && larger_.empty(); }
    // True when {a, b} was added, in either order. Only after Build.
    bool Contains(int32_t a, int32_t b) const;

private:
    struct Pair {
        int32_t lo;
        int32_t hi;
    };
    int32_t slots_;
    std::vector<Pair> pending_;
    std::vector<uint32_t> start_; // per vertex, into larger_
    std::vector<int32_t> larger_; // each bucket's larger vertices, sorted
};

} // namespace selection
