#include "select/twin_grid.h"

#include <algorithm>
#include <bit>

namespace selection {
namespace {

// A pair that passes the near-twin test differs by less than 0.0317 in each
// coordinate (the float rounding of dx, dx² and the sum cannot hide more
// than a few parts in 10^7), so a vertex's twins lie in the cells that meet
// [x - kReach, x + kReach] on each axis. The finest cells are 1/8 wide, so
// that range meets at most two of them per axis, and at most two of any
// coarser cells.
//
// From |x| = 2^20 up, neighbouring floats are at least 0.125 apart, and a
// float below 2^20 is at least 0.0625 from any float at or above it, so
// twins there must share that coordinate exactly: such a coordinate has a
// cell of its own, numbered from kExactBase up (down, below zero) by its
// bits. Cells of smaller coordinates lie within ±(2^23 + 1), so the two
// kinds never meet, and every cell number fits in 31 bits and a sign.
constexpr double kCellsPerUnit = 8.0;
constexpr double kReach = 0.0325;
constexpr float kExactFrom = 1048576.0f; // 2^20
constexpr int32_t kExactBase = int32_t{1} << 24;

// floor(x × 8), for |x| below 2^20 and a little: truncation toward zero,
// one less below zero when it rounded up. Exact, and no library call.
int32_t CellOf(double x) {
    const double v = x * kCellsPerUnit;
    const auto t = static_cast<int32_t>(v);
    return static_cast<double>(t) > v ? t - 1 : t;
}

// The cell of a finite coordinate of magnitude at least 2^20.
int32_t ExactCell(float x) {
    const auto above =
        static_cast<int32_t>(std::bit_cast<uint32_t>(std::fabs(x)) - std::bit_cast<uint32_t>(kExactFrom));
    return x > 0.0f ? kExactBase + above : -(kExactBase + above);
}

int32_t HomeCell(float x) { return std::fabs(x) >= kExactFrom ? ExactCell(x) : CellOf(static_cast<double>(x)); }

// The finest cells within reach of x: one or two.
void NearCells(float x, int32_t &lo, int32_t &hi) {
    if (std::fabs(x) >= kExactFrom) {
        lo = hi = ExactCell(x);
        return;
    }
    const auto d = static_cast<double>(x);
    lo = CellOf(d - kReach);
    hi = CellOf(d + kReach);
}

// The key after the last filed vertex: above every key of a cell, which
// has at most 63 bits.
constexpr uint64_t kEnd = ~uint64_t{0};

// A filed vertex's cell key and its place in filing order, sorted together.
struct Keyed {
    uint64_t key;
    uint32_t index;
};

// Sorts by the low `keyBits` of the keys, keeping the order of equal ones:
// least significant digits first, 11 bits at a time; a digit that is the
// same throughout moves nothing and is passed over.
void SortByKey(std::vector<Keyed> &keyed, unsigned keyBits) {
    constexpr unsigned kDigitBits = 11;
    constexpr uint64_t kDigits = uint64_t{1} << kDigitBits;
    std::vector<Keyed> spare;
    std::vector<uint32_t> count(kDigits);
    for (unsigned shift = 0; shift < keyBits; shift += kDigitBits) {
        const auto digit = [&](const Keyed &k) { return static_cast<std::size_t>((k.key >> shift) & (kDigits - 1)); };
        std::fill(count.begin(), count.end(), 0u);
        for (const Keyed &k : keyed) ++count[digit(k)];
        if (count[digit(keyed.front())] == keyed.size()) continue;
        uint32_t sum = 0;
        for (uint32_t &c : count) {
            const uint32_t here = c;
            c = sum;
            sum += here;
        }
        spare.resize(keyed.size());
        for (const Keyed &k : keyed) spare[count[digit(k)]++] = k;
        keyed.swap(spare);
    }
}

} // namespace

void TwinGrid::Reserve(std::size_t count) { filed_.reserve(count); }

void TwinGrid::File(int32_t v, const cmq::CMQVec3 &p) { filed_.push_back({p, v}); }

void TwinGrid::Index() {
    const std::vector<Point> &filed = filed_;
    if (filed.empty()) return;
    std::vector<Cell> cells;
    cells.reserve(filed.size());
    for (const Point &point : filed) {
        const Cell cell = {HomeCell(point.position.x), HomeCell(point.position.y), HomeCell(point.position.z)};
        if (cells.empty()) lowest_ = highest_ = cell;
        for (std::size_t a = 0; a < 3; ++a) {
            lowest_[a] = std::min(lowest_[a], cell[a]);
            highest_[a] = std::max(highest_[a], cell[a]);
        }
        cells.push_back(cell);
    }
    // Each axis's key part runs from 1 above 0 to 1 below its top, so that
    // the cells next to every filed one have a part too. When the three
    // parts would need more than 63 bits (coordinates spread over hundreds
    // of thousands of units on every axis, or cells of single floats far
    // apart), the widest axis's cells are made twice as wide until they
    // fit: wider cells only put more vertices in each.
    const auto fit = [&] {
        unsigned total = 0;
        for (std::size_t a = 0; a < 3; ++a) {
            const int64_t low = lowest_[a] >> shift_[a];
            const int64_t high = highest_[a] >> shift_[a];
            base_[a] = low - 1;
            keyBits_[a] = static_cast<unsigned>(std::bit_width(static_cast<uint64_t>(high - low + 2)));
            total += keyBits_[a];
        }
        return total;
    };
    unsigned keyBits = fit();
    while (keyBits > 63) {
        const auto widest = static_cast<std::size_t>(std::max_element(keyBits_.begin(), keyBits_.end()) - keyBits_.begin());
        ++shift_[widest];
        keyBits = fit();
    }

    std::vector<Keyed> keyed;
    keyed.reserve(filed.size());
    for (std::size_t i = 0; i < filed.size(); ++i) {
        uint64_t key = 0;
        for (std::size_t a = 3; a-- > 0;) {
            const auto part = static_cast<uint64_t>((cells[i][a] >> shift_[a]) - base_[a]);
            key = (key << keyBits_[a]) | part;
        }
        keyed.push_back({key, static_cast<uint32_t>(i)});
    }
    std::vector<Cell>().swap(cells);
    SortByKey(keyed, keyBits);

    // The points in key order, and then, with the filed ones freed, the
    // keys: built together, the three lists and the sorted keys would all be
    // held at once (56 bytes per vertex, where the sort itself holds 48).
    std::vector<uint64_t> &keys = keys_;
    std::vector<Point> &points = points_;
    points.reserve(keyed.size() + 1);
    for (const Keyed &k : keyed) points.push_back(filed[k.index]);
    std::vector<Point>().swap(filed_);
    keys.reserve(keyed.size() + 1);
    for (const Keyed &k : keyed) keys.push_back(k.key);
    // A last key above every key searched for ends every scan.
    keys.push_back(kEnd);
    points.push_back({{0.0f, 0.0f, 0.0f}, -1});

    // Each cell's vertices by position, so that exact twins stand side by
    // side. Most cells hold one vertex or two.
    const auto byPosition = [](const Point &a, const Point &b) { return PositionBefore(a.position, b.position); };
    std::size_t begin = 0;
    for (std::size_t k = 1; k < keys.size(); ++k) {
        if (keys[k] == keys[begin]) continue;
        if (k - begin > 1)
            std::sort(points.begin() + static_cast<std::ptrdiff_t>(begin), points.begin() + static_cast<std::ptrdiff_t>(k),
                      byPosition);
        begin = k;
    }
}

inline TwinGrid::Span TwinGrid::Near(std::size_t axis, float x) const {
    int32_t lo = 0;
    int32_t hi = 0;
    NearCells(x, lo, hi);
    return {(lo >> shift_[axis]) - base_[axis], (hi >> shift_[axis]) - base_[axis]};
}

bool TwinGrid::Scan(std::size_t first, uint64_t lo, uint64_t hi, const cmq::CMQVec3 &p, int32_t v) const {
    const std::vector<uint64_t> &keys = keys_;
    const std::vector<Point> &points = points_;
    for (std::size_t k = first; keys[k] <= hi; ++k)
        if (keys[k] >= lo && points[k].vertex != v && IsNearTwin(p, points[k].position)) return true;
    return false;
}

TwinGrid::Cursors TwinGrid::CursorsAt(std::size_t i) const {
    // Where the cursors of HasTwinAt stand after a search of every filed
    // vertex before i: at the first key of each row offset's start for i.
    const std::vector<uint64_t> &keys = keys_;
    const uint64_t key = keys[i];
    const unsigned yShift = keyBits_[0];
    const unsigned zShift = keyBits_[0] + keyBits_[1];
    const auto homeX = static_cast<int64_t>(key & ((uint64_t{1} << yShift) - 1));
    const auto homeY = static_cast<int64_t>((key >> yShift) & ((uint64_t{1} << keyBits_[1]) - 1));
    const auto homeZ = static_cast<int64_t>(key >> zShift);
    Cursors cursors{};
    for (int64_t dz = -1; dz <= 1; ++dz)
        for (int64_t dy = -1; dy <= 1; ++dy) {
            const uint64_t start = (static_cast<uint64_t>(homeZ + dz) << zShift) |
                                   (static_cast<uint64_t>(homeY + dy) << yShift) | static_cast<uint64_t>(homeX - 1);
            cursors[static_cast<std::size_t>(3 * (dz + 1) + (dy + 1))] =
                static_cast<std::size_t>(std::lower_bound(keys.begin(), keys.end(), start) - keys.begin());
        }
    return cursors;
}

bool TwinGrid::HasTwinAt(std::size_t i, Cursors &cursors) const {
    // A vertex's own cell lies within its reach, so every row searched is
    // at most one cell from its own in y and in z, and its parts are at
    // least 1 (see Index). The cursor of a row offset looks for the cell
    // one before the vertex's own in x: for vertices taken in the grid's
    // order that place never moves back.
    const std::vector<uint64_t> &keys = keys_;
    const uint64_t key = keys[i];
    const cmq::CMQVec3 &p = points_[i].position;
    const unsigned yShift = keyBits_[0];
    const unsigned zShift = keyBits_[0] + keyBits_[1];
    const auto homeX = static_cast<int64_t>(key & ((uint64_t{1} << yShift) - 1));
    const auto homeY = static_cast<int64_t>((key >> yShift) & ((uint64_t{1} << keyBits_[1]) - 1));
    const auto homeZ = static_cast<int64_t>(key >> zShift);
    const Span xs = Near(0, p.x);
    const Span ys = Near(1, p.y);
    const Span zs = Near(2, p.z);
    for (int64_t z = zs.lo; z <= zs.hi; ++z)
        for (int64_t y = ys.lo; y <= ys.hi; ++y) {
            const uint64_t row = (static_cast<uint64_t>(z) << zShift) | (static_cast<uint64_t>(y) << yShift);
            std::size_t &cursor = cursors[static_cast<std::size_t>(3 * (z - homeZ + 1) + (y - homeY + 1))];
            const uint64_t start = row | static_cast<uint64_t>(homeX - 1);
            std::size_t c = cursor;
            while (keys[c] < start) ++c;
            cursor = c;
            if (Scan(c, row | static_cast<uint64_t>(xs.lo), row | static_cast<uint64_t>(xs.hi), p,
                     points_[i].vertex))
                return true;
        }
    return false;
}

} // namespace selection
