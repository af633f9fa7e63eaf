#include "select/duplicate.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "select/flat_hash.h"
#include "host/host_api.h"
#include "select/object_snapshot.h"

// The twin searches index the live vertices once per command instead of
// walking all of them for every candidate: a hash of exact positions for
// command 24 and a uniform grid for command 25. Both indexes only narrow the
// search; the twin test itself is made on every vertex they return.

namespace selection {
namespace {

// Exact positions: +0 and -0 share a key (their bits differ, their values
// do not); any NaN coordinate makes the position unmatchable.
bool HasNaN(const cmq::CMQVec3 &p) { return std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z); }

uint64_t ValueBits(float f) { return std::bit_cast<uint32_t>(f == 0.0f ? 0.0f : f); }

int64_t ExactKey(const cmq::CMQVec3 &p) {
    uint64_t h = CombineHash(0, ValueBits(p.x));
    h = CombineHash(h, ValueBits(p.y));
    return static_cast<int64_t>(CombineHash(h, ValueBits(p.z)));
}

bool ExactlyEqual(const cmq::CMQVec3 &p, const cmq::CMQVec3 &q) {
    return p.x == q.x && p.y == q.y && p.z == q.z;
}

// The grid for the near-twin test.
//
// A pair that passes the test differs by less than 0.0317 in each coordinate
// (the float rounding of dx, dx² and the sum cannot hide more than a few
// parts in 10^7), so a vertex's twins lie in the cells that meet
// [x - kReach, x + kReach] on each axis. Cells are 1/8 wide, so that range
// meets at most two cells per axis.
//
// From |x| = 2^20 up, neighbouring floats are at least 0.125 apart, and a
// float below 2^20 is at least 0.0625 from any float at or above it, so
// twins there must share that coordinate exactly: such a coordinate is keyed
// by its bits alone. Infinite and NaN coordinates never pass the test (the
// difference is NaN or infinite) and are left out.
constexpr double kCellsPerUnit = 8.0;
constexpr double kReach = 0.0325;
constexpr float kExactFrom = 1048576.0f; // 2^20
constexpr int64_t kExactAxisTag = int64_t{1} << 40;

bool IsFinite(const cmq::CMQVec3 &p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

// The one or two axis keys of cells within reach of coordinate x.
struct AxisCells {
    int64_t key[2] = {0, 0};
    int count = 0;
};

int64_t CellOf(double x) { return static_cast<int64_t>(std::floor(x * kCellsPerUnit)); }

AxisCells CellsNear(float x) {
    AxisCells cells;
    if (std::fabs(x) >= kExactFrom) {
        cells.key[0] = kExactAxisTag + static_cast<int64_t>(std::bit_cast<uint32_t>(x));
        cells.count = 1;
        return cells;
    }
    const double d = static_cast<double>(x);
    const int64_t lo = CellOf(d - kReach);
    const int64_t hi = CellOf(d + kReach);
    cells.key[0] = lo;
    cells.key[1] = hi;
    cells.count = lo == hi ? 1 : 2;
    return cells;
}

// The cell a vertex is filed under.
int64_t HomeAxisKey(float x) {
    if (std::fabs(x) >= kExactFrom) return kExactAxisTag + static_cast<int64_t>(std::bit_cast<uint32_t>(x));
    return CellOf(static_cast<double>(x));
}

int64_t CellKey(int64_t cx, int64_t cy, int64_t cz) {
    uint64_t h = CombineHash(0, static_cast<uint64_t>(cx));
    h = CombineHash(h, static_cast<uint64_t>(cy));
    return static_cast<int64_t>(CombineHash(h, static_cast<uint64_t>(cz)));
}

// Live vertices filed by a key of their position.
template <class KeyOf, class Filed>
BucketIndex<int32_t> IndexLiveVertices(const VertexTable &vertices, KeyOf keyOf, Filed filed) {
    std::vector<std::pair<int64_t, int32_t>> entries;
    entries.reserve(static_cast<std::size_t>(vertices.VertexCount()));
    for (int32_t v = 0; v < vertices.VertexCount(); ++v)
        if (vertices.IsLive(v) && filed(vertices.Position(v))) entries.emplace_back(keyOf(vertices.Position(v)), v);
    return BucketIndex<int32_t>(entries);
}

// The position the twin test compares: a live vertex's from the table; any
// other slot's asked of the host, as the test would.
cmq::CMQVec3 CandidatePosition(const cmq::CMQObject &object, const VertexTable &vertices, int32_t v) {
    return vertices.IsLive(v) ? vertices.Position(v) : object.GetVertexPosition(v);
}

// Per-vertex state of one command: searched yet, and with what result.
enum class Twin : uint8_t { Unknown, Found, None };

} // namespace

float SquaredDistance(const cmq::CMQVec3 &p, const cmq::CMQVec3 &q) {
    const float dx = p.x - q.x;
    const float dy = p.y - q.y;
    const float dz = p.z - q.z;
    return dx * dx + dy * dy + dz * dz;
}

bool IsNearTwin(const cmq::CMQVec3 &p, const cmq::CMQVec3 &q) { return SquaredDistance(p, q) < 0.001f; }

int FaceToDuplicateVertex(const cmq::CMQObject &object) {
    const FaceTable faces(object);
    SelectionCalls sel(object);
    std::optional<VertexTable> vertices;
    std::optional<BucketIndex<int32_t>> byPosition;
    const auto hasTwin = [&](int32_t v) {
        if (!vertices) {
            vertices.emplace(object);
            byPosition.emplace(IndexLiveVertices(
                *vertices, ExactKey, [](const cmq::CMQVec3 &p) { return !HasNaN(p); }));
        }
        const cmq::CMQVec3 p = CandidatePosition(object, *vertices, v);
        if (HasNaN(p)) return false;
        for (int32_t o : byPosition->Find(ExactKey(p)))
            if (o != v && ExactlyEqual(p, vertices->Position(o))) return true;
        return false;
    };

    // A point shared by several selected faces is looked at once: if it had
    // a twin it was selected then, and if not it has none now.
    const int32_t slots = std::max(0, hostapi::MQObj_GetVertexCount(object.object));
    std::vector<uint8_t> seen(static_cast<std::size_t>(slots), 0);
    for (int32_t f = 0; f < faces.FaceCount(); ++f) {
        if (!faces.IsLive(f) || !sel.IsFaceSelected(f)) continue;
        for (int32_t v : faces.Points(f)) {
            if (v < 0 || v >= slots) continue; // names no vertex: the host would refuse it
            uint8_t &done = seen[static_cast<std::size_t>(v)];
            if (done != 0) continue;
            done = 1;
            if (sel.IsVertexSelected(v)) continue;
            if (hasTwin(v)) sel.AddVertex(v);
        }
    }
    sel.Clear(MQ_SELECT_FACE);
    return 1;
}

int LineToDuplicateVertex(const cmq::CMQObject &object) {
    const FaceTable faces(object);
    SelectionCalls sel(object);
    std::optional<VertexTable> vertices;
    std::optional<BucketIndex<int32_t>> grid;
    const auto hasTwin = [&](int32_t v) {
        if (!vertices) {
            vertices.emplace(object);
            grid.emplace(IndexLiveVertices(
                *vertices,
                [](const cmq::CMQVec3 &p) { return CellKey(HomeAxisKey(p.x), HomeAxisKey(p.y), HomeAxisKey(p.z)); },
                IsFinite));
        }
        const cmq::CMQVec3 p = CandidatePosition(object, *vertices, v);
        if (!IsFinite(p)) return false;
        const AxisCells cx = CellsNear(p.x), cy = CellsNear(p.y), cz = CellsNear(p.z);
        for (int i = 0; i < cx.count; ++i)
            for (int j = 0; j < cy.count; ++j)
                for (int k = 0; k < cz.count; ++k)
                    for (int32_t o : grid->Find(CellKey(cx.key[i], cy.key[j], cz.key[k])))
                        if (o != v && IsNearTwin(p, vertices->Position(o))) return true;
        return false;
    };

    // Each endpoint is searched once: a found one is selected and never
    // searched again; one without a twin has none at its next line either.
    // Every selected line is handled, also when both its endpoints were
    // found before, and the line selection is cleared at the end (which also
    // drops each handled line).
    const int32_t slots = std::max(0, hostapi::MQObj_GetVertexCount(object.object));
    std::vector<Twin> twin(static_cast<std::size_t>(slots), Twin::Unknown);
    const auto handle = [&](int32_t v) {
        if (v < 0 || v >= slots) return; // names no vertex: the host would refuse it
        Twin &state = twin[static_cast<std::size_t>(v)];
        if (state != Twin::Unknown) return;
        state = hasTwin(v) ? Twin::Found : Twin::None;
        if (state == Twin::Found) sel.AddVertex(v);
    };
    for (int32_t f = 0; f < faces.FaceCount(); ++f) {
        for (int32_t j = 0; j < faces.PointCount(f); ++j) {
            if (!sel.IsLineSelected(f, j)) continue;
            const cmq::CMQLineEnds ends = faces.Line(f, j);
            handle(ends.start);
            handle(ends.end);
        }
    }
    sel.Clear(MQ_SELECT_LINE);
    return 1;
}

} // namespace selection
