// The grid both twin searches use: finite positions filed by cell, for the
// near twins of "Line => Dup Vertex" and the exact twins of "Face => Dup
// Vertex", and the near-twin test itself.
//
// A near twin of a vertex at p is another vertex q with SquaredDistance(p, q)
// below 0.001; an exact twin stands at p itself (x, y and z each equal as
// floats). The grid files vertices under cells at least 1/8 wide and sorts
// them by a cell key that orders cells z first, then y, then x, and the
// vertices of one cell by position. So exact twins stand side by side, and a
// vertex's near twins lie in the one or two cells per axis within its
// reach: up to four rows of cells (one per y and z cell), and in each a run
// of one or two cells, a range of keys.
//
// Searching the filed vertices in the grid's order (SearchFiled,
// SearchFiledExact) keeps every access sequential: the start of each
// neighbouring row is found by a cursor that only moves forward, nine in
// all, one per row offset. Measured against binary searches for each row
// start, same sitting, 1M quads: "Line => Dup Vertex" with everything
// selected took 1.39 times as long without the cursors (1.27 from a tenth
// selected).
//
// The cell keys are sorted by a radix sort over the bits they span (at most
// six passes): std::sort in its place made "Face => Dup Vertex" 1.29-1.30
// times and "Line => Dup Vertex" 1.24 times as slow at 1M quads (CPU time
// of every thread, 1.32 times).
//
// Cost: File O(1); Index O(n) for the radix sort, and O(k log k) for a cell
// of k vertices; SearchFiled O(n + the vertices in the searched cells);
// SearchFiledExact O(n).
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "mesh/cmq_object.h"
#include "select/parallel.h"

namespace selection {

// The squared distance of the near-twin test, in float, summed in order.
inline float SquaredDistance(const cmq::CMQVec3 &p, const cmq::CMQVec3 &q) {
    const float dx = p.x - q.x;
    const float dy = p.y - q.y;
    const float dz = p.z - q.z;
    return dx * dx + dy * dy + dz * dz;
}

// True when q is a near twin of p (squared distance below 0.001).
inline bool IsNearTwin(const cmq::CMQVec3 &p, const cmq::CMQVec3 &q) { return SquaredDistance(p, q) < 0.001f; }

inline bool IsFinite(const cmq::CMQVec3 &p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

// The exact twin test: +0 equals -0, a NaN equals nothing.
inline bool ExactlyEqual(const cmq::CMQVec3 &p, const cmq::CMQVec3 &q) { return p.x == q.x && p.y == q.y && p.z == q.z; }

// An order of positions without NaN in which equal ones (ExactlyEqual) are
// equivalent: x, then y, then z.
inline bool PositionBefore(const cmq::CMQVec3 &p, const cmq::CMQVec3 &q) {
    if (p.x != q.x) return p.x < q.x;
    if (p.y != q.y) return p.y < q.y;
    return p.z < q.z;
}

class TwinGrid {
public:
    TwinGrid() = default;
    TwinGrid(const TwinGrid &) = delete;
    TwinGrid &operator=(const TwinGrid &) = delete;

    // Room for `count` vertices, so that filing them does not grow.
    void Reserve(std::size_t count);
    // Files vertex v at p, whose coordinates must be finite. A coordinate
    // that is not finite fails every near-twin test; exact twins at an
    // infinity are for the caller to match.
    void File(int32_t v, const cmq::CMQVec3 &p);
    // The vertices filed so far (before Index).
    std::size_t Filed() const { return filed_.size(); }
    // Works out the filed vertices' cells, and sorts the vertices by cell
    // and each cell's by position. Once, after the last File and before any
    // search. Pure computation: it may run on a side task
    // (select/parallel.h).
    void Index();

    // Searches every filed vertex v for which `wanted(v)` holds, and tells
    // `found(v, hasTwin)`: whether another filed vertex is a near twin of
    // it. The vertices are taken in the grid's order, in parts that may run
    // side by side (select/parallel.h): `wanted` and `found` may be called
    // on several threads at once, each vertex on one of them.
    template <class Wanted, class Found>
void SearchFiled(Wanted &&wanted, Found &&found) const;

    // The same for exact twins (`wanted` and `found` as for SearchFiled).
    template <class Wanted, class Found>
void SearchFiledExact(Wanted &&wanted, Found &&found) const;

private:
    // Cell numbers of the three axes, x, y, z, at the finest size.
    using Cell = std::array<int32_t, 3>;
    // The cells of an axis, in key units, within reach of a coordinate.
    struct Span {
        int64_t lo;
        int64_t hi;
    };
    struct Point {
        cmq::CMQVec3 position;
        int32_t vertex;
    };
    // Per row offset (dz, dy), each -1, 0 or 1: where the last search of
    // that row stood.
    using Cursors = std::array<std::size_t, 9>;

    // An axis's cell span within reach of x, in key units.
    Span Near(std::size_t axis, float x) const;
    // Whether a filed vertex other than v, with a key from lo to hi, is a
    // near twin of p; the keys from `first` on are at least lo.
    bool Scan(std::size_t first, uint64_t lo, uint64_t hi, const cmq::CMQVec3 &p, int32_t v) const;
    // The search of the filed vertex at place i, its rows found by cursors.
    bool HasTwinAt(std::size_t i, Cursors &cursors) const;
    // The cursors for a search that starts at place i.
    Cursors CursorsAt(std::size_t i) const;
    // Calls search(begin, end) for parts of the filed places that together
    // make them all, side by side when it pays.
    template <class Search>
void InParts(Search &&search) const;

    std::vector<Point> filed_; // in filing order, until Index
    Cell lowest_{};              // the least cell of each axis filed
    Cell highest_{};             // the greatest

    // After Index. A cell number c of axis a becomes (c >> shift_[a]) -
    // base_[a] in the key, which lays z, y and x side by side from the high
    // bits down: keyBits_[a] bits each, x lowest.
    std::array<unsigned, 3> shift_{};
    std::array<int64_t, 3> base_{};
    std::array<unsigned, 3> keyBits_{};
    std::vector<uint64_t> keys_; // ascending, then an end mark
    std::vector<Point> points_;  // beside keys_
};

template <class Search>
void TwinGrid::InParts(Search &&search) const {
    const std::size_t filed = points_.empty() ? 0 : points_.size() - 1; // the last is the end mark
    const std::size_t parts = PartsFor(filed);
    RunParts(parts, filed, [&](std::size_t part) {
        search(filed / parts * part, part + 1 == parts ? filed : filed / parts * (part + 1));
    });
}

template <class Wanted, class Found>
void TwinGrid::SearchFiled(Wanted &&wanted, Found &&found) const {
    InParts([&](std::size_t begin, std::size_t end) {
        if (begin == end) return;
        Cursors cursors = CursorsAt(begin);
        const std::vector<Point> &points = points_;
        for (std::size_t i = begin; i < end; ++i)
            if (wanted(points[i].vertex)) found(points[i].vertex, HasTwinAt(i, cursors));
    });
}

template <class Wanted, class Found>
void TwinGrid::SearchFiledExact(Wanted &&wanted, Found &&found) const {
    const std::vector<uint64_t> &keys = keys_;
    const std::vector<Point> &points = points_;
    const auto same = [&](std::size_t i, std::size_t j) {
        return keys[i] == keys[j] && ExactlyEqual(points[i].position, points[j].position);
    };
    InParts([&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i)
            if (wanted(points[i].vertex)) found(points[i].vertex, (i > 0 && same(i - 1, i)) || same(i, i + 1));
    });
}

} // namespace selection
