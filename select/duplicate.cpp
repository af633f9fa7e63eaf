#include "select/duplicate.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "select/flat_hash.h"
#include "host/host_api.h"
#include "mesh/host_count.h"
#include "select/object_snapshot.h"
#include "select/scratch.h"

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

// Rounds a count up to a power of two with room to spare: open-addressing
// tables below are kept at most half full.
std::size_t TableSize(std::size_t keys) {
    std::size_t size = 16;
    while (size < keys * 2) size *= 2;
    return size;
}

// Exact positions of the live vertices, each distinct position once, with a
// mark when more than one live vertex stands there. A slot holds vertex + 1
// (0 for an empty slot) of the first vertex found at its position, and
// kMore when another followed. Vertex indices are below 2^31 - 1, so
// vertex + 1 never reaches the mark's bit.
class ExactIndex {
public:
    explicit ExactIndex(const VertexTable &vertices) : positions_(vertices.Positions()) {
        std::size_t filed = 0;
        for (int32_t v = 0; v < vertices.VertexCount(); ++v)
            if (vertices.IsLive(v) && !HasNaN(vertices.Position(v))) ++filed;
        slots_->assign(TableSize(filed), 0);
        mask_ = slots_->size() - 1;
        for (int32_t v = 0; v < vertices.VertexCount(); ++v)
            if (vertices.IsLive(v) && !HasNaN(vertices.Position(v))) File(v);
    }

    // True when a live vertex other than v stands exactly at p.
    bool HasTwin(const cmq::CMQVec3 &p, int32_t v) const {
        if (HasNaN(p)) return false;
        const std::vector<uint32_t> &slots = *slots_;
        for (std::size_t i = Home(p);; i = (i + 1) & mask_) {
            const uint32_t s = slots[i];
            if (s == 0) return false;
            const int32_t o = static_cast<int32_t>((s & ~kMore) - 1);
            if (ExactlyEqual(positions_[static_cast<std::size_t>(o)], p)) return o != v || (s & kMore) != 0;
        }
    }

private:
    static constexpr uint32_t kMore = 0x80000000u;

    std::size_t Home(const cmq::CMQVec3 &p) const {
        const uint64_t xy = ValueBits(p.x) | (ValueBits(p.y) << 32);
        return static_cast<std::size_t>(MixHash(xy + ValueBits(p.z) * 0x9E3779B97F4A7C15ull)) & mask_;
    }

    void File(int32_t v) {
        const cmq::CMQVec3 &p = positions_[static_cast<std::size_t>(v)];
        std::vector<uint32_t> &slots = *slots_;
        for (std::size_t i = Home(p);; i = (i + 1) & mask_) {
            const uint32_t s = slots[i];
            if (s == 0) {
                slots[i] = static_cast<uint32_t>(v) + 1;
                return;
            }
            if (ExactlyEqual(positions_[static_cast<std::size_t>((s & ~kMore) - 1)], p)) {
                slots[i] = s | kMore;
                return;
            }
        }
    }

    std::span<const cmq::CMQVec3> positions_;
    ScratchVector<uint32_t> slots_;
    std::size_t mask_ = 0;
};

// The live vertices with finite positions filed by grid cell: a flat hash
// from cell key to the cell's run of vertices, and the runs in one array
// that holds each vertex's position beside its index, so a lookup touches
// one slot and one run. Cell keys are hashes of the cell's axis keys, so two
// cells may share a key; a run then holds both cells' vertices, which only
// widens the search.
class GridIndex {
public:
    struct Filed {
        cmq::CMQVec3 position;
        int32_t vertex;
    };

    explicit GridIndex(const VertexTable &vertices) {
        const std::size_t slotCount = static_cast<std::size_t>(vertices.VertexCount());
        std::vector<uint32_t> &slotOf = *slotOfVertex_;
        slotOf.assign(slotCount, kNone);
        std::size_t filed = 0;
        for (int32_t v = 0; v < vertices.VertexCount(); ++v)
            if (vertices.IsLive(v) && IsFinite(vertices.Position(v))) ++filed;
        slots_->assign(TableSize(filed), Slot{});
        mask_ = slots_->size() - 1;
        std::vector<Slot> &slots = *slots_;
        // 16 bits per vertex: small enough to stay in cache, sparse enough
        // that most empty cells find their bit clear.
        occupied_->assign(std::max<std::size_t>(1, TableSize(filed) / 8), 0);
        bitMask_ = occupied_->size() * 64 - 1;
        // Count each cell's vertices, remembering every vertex's slot.
        for (int32_t v = 0; v < vertices.VertexCount(); ++v) {
            const cmq::CMQVec3 &p = vertices.Position(v);
            if (!vertices.IsLive(v) || !IsFinite(p)) continue;
            const int64_t key = CellKey(HomeAxisKey(p.x), HomeAxisKey(p.y), HomeAxisKey(p.z));
            const uint32_t i = SlotFor(key);
            ++slots[i].count;
            const std::size_t bit = Bit(key);
            (*occupied_)[bit / 64] |= uint64_t{1} << (bit % 64);
            slotOf[static_cast<std::size_t>(v)] = i;
        }
        // Counts to runs, in slot order; then each vertex into its run.
        uint32_t sum = 0;
        for (Slot &slot : slots) {
            slot.start = sum;
            sum += slot.count;
            slot.count = 0;
        }
        std::vector<Filed> &items = *items_;
        items.resize(sum);
        for (std::size_t v = 0; v < slotCount; ++v) {
            if (slotOf[v] == kNone) continue;
            Slot &slot = slots[slotOf[v]];
            items[slot.start + slot.count++] = {vertices.Position(static_cast<int32_t>(v)), static_cast<int32_t>(v)};
        }
    }

    // The vertices filed under `key`; empty when there are none.
    std::span<const Filed> Find(int64_t key) const {
        // A clear bit: no vertex was filed under the key. A set one may
        // belong to another key; the table decides.
        const std::size_t bit = Bit(key);
        if (((*occupied_)[bit / 64] & (uint64_t{1} << (bit % 64))) == 0) return {};
        const std::vector<Slot> &slots = *slots_;
        for (std::size_t i = static_cast<std::size_t>(key) & mask_;; i = (i + 1) & mask_) {
            const Slot &slot = slots[i];
            if (slot.count == 0) return {};
            if (slot.key == key) return {items_->data() + slot.start, slot.count};
        }
    }

private:
    static constexpr uint32_t kNone = 0xFFFFFFFFu;

    // A slot of the table: empty while its count is 0.
    struct Slot {
        int64_t key = 0;
        uint32_t start = 0;
        uint32_t count = 0;
    };

    // The slot of `key`, claimed when the key is new. Keys are already well
    // mixed, so their low bits pick the slot. Only while filing, when a
    // claimed slot's count is at least 1.
    uint32_t SlotFor(int64_t key) {
        std::vector<Slot> &slots = *slots_;
        for (std::size_t i = static_cast<std::size_t>(key) & mask_;; i = (i + 1) & mask_) {
            if (slots[i].count == 0) {
                slots[i].key = key;
                return static_cast<uint32_t>(i);
            }
            if (slots[i].key == key) return static_cast<uint32_t>(i);
        }
    }

    // The occupancy filter's bit of a key: from the key's upper half, which
    // the table's slot choice does not use.
    std::size_t Bit(int64_t key) const { return static_cast<std::size_t>(static_cast<uint64_t>(key) >> 32) & bitMask_; }

    ScratchVector<Slot> slots_;
    ScratchVector<Filed> items_;
    ScratchVector<uint32_t> slotOfVertex_;
    ScratchVector<uint64_t> occupied_;
    std::size_t mask_ = 0;
    std::size_t bitMask_ = 0;
};

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
    return PlanAndApply(object.document, [&](SelectionPlan &plan) { return FaceToDuplicateVertex(object, plan); });
}

int LineToDuplicateVertex(const cmq::CMQObject &object) {
    return PlanAndApply(object.document, [&](SelectionPlan &plan) { return LineToDuplicateVertex(object, plan); });
}

int FaceToDuplicateVertex(const cmq::CMQObject &object, SelectionPlan &plan) {
    SelectionCalls sel(object, plan);
    std::optional<VertexTable> vertices;
    std::optional<ExactIndex> byPosition;
    const auto hasTwin = [&](int32_t v) {
        if (!vertices) {
            vertices.emplace(object);
            byPosition.emplace(*vertices);
        }
        return byPosition->HasTwin(CandidatePosition(object, *vertices, v), v);
    };

    // Only the selected faces' points are read. A point shared by several
    // selected faces is looked at once: if it had a twin it was selected
    // then, and if not it has none now.
    const int faceCount = static_cast<int>(cmq::CheckedCount(hostapi::MQObj_GetFaceCount(object.object)));
    const int32_t slots = static_cast<int32_t>(cmq::CheckedCount(hostapi::MQObj_GetVertexCount(object.object)));
    ScratchVector<uint8_t> seenVector;
    std::vector<uint8_t> &seen = *seenVector;
    seen.assign(static_cast<std::size_t>(slots), 0);
    ScratchVector<int32_t> pointsVector;
    std::vector<int32_t> &points = *pointsVector;
    for (int32_t f = 0; f < faceCount; ++f) {
        const int n = static_cast<int>(cmq::CheckedCount(hostapi::MQObj_GetFacePointCount(object.object, f), sizeof(int32_t)));
        if (n == 0 || !sel.IsFaceSelected(f)) continue;
        // Preset to -1: an entry the host leaves unwritten names no vertex.
        points.assign(static_cast<std::size_t>(n), -1);
        hostapi::MQObj_GetFacePointArray(object.object, f, points.data());
        for (int32_t v : points) {
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

int LineToDuplicateVertex(const cmq::CMQObject &object, SelectionPlan &plan) {
    SelectionCalls sel(object, plan);
    std::optional<VertexTable> vertices;
    std::optional<GridIndex> grid;
    const auto hasTwin = [&](int32_t v) {
        if (!vertices) {
            vertices.emplace(object);
            grid.emplace(*vertices);
        }
        const cmq::CMQVec3 p = CandidatePosition(object, *vertices, v);
        if (!IsFinite(p)) return false;
        const AxisCells cx = CellsNear(p.x), cy = CellsNear(p.y), cz = CellsNear(p.z);
        for (int i = 0; i < cx.count; ++i)
            for (int j = 0; j < cy.count; ++j)
                for (int k = 0; k < cz.count; ++k)
                    for (const GridIndex::Filed &o : grid->Find(CellKey(cx.key[i], cy.key[j], cz.key[k])))
                        if (o.vertex != v && IsNearTwin(p, o.position)) return true;
        return false;
    };

    // Each endpoint is searched once: a found one is selected and never
    // searched again; one without a twin has none at its next line either.
    // Every selected line is handled, also when both its endpoints were
    // found before, and the line selection is cleared at the end (which also
    // drops each handled line). A face's points are read only when one of
    // its lines is selected.
    const int faceCount = static_cast<int>(cmq::CheckedCount(hostapi::MQObj_GetFaceCount(object.object)));
    const int32_t slots = static_cast<int32_t>(cmq::CheckedCount(hostapi::MQObj_GetVertexCount(object.object)));
    ScratchVector<Twin> twinVector;
    std::vector<Twin> &twin = *twinVector;
    twin.assign(static_cast<std::size_t>(slots), Twin::Unknown);
    const auto handle = [&](int32_t v) {
        if (v < 0 || v >= slots) return; // names no vertex: the host would refuse it
        Twin &state = twin[static_cast<std::size_t>(v)];
        if (state != Twin::Unknown) return;
        state = hasTwin(v) ? Twin::Found : Twin::None;
        if (state == Twin::Found) sel.AddVertex(v);
    };
    ScratchVector<int32_t> pointsVector;
    std::vector<int32_t> &points = *pointsVector;
    for (int32_t f = 0; f < faceCount; ++f) {
        const int n = static_cast<int>(cmq::CheckedCount(hostapi::MQObj_GetFacePointCount(object.object, f), sizeof(int32_t)));
        bool read = false;
        for (int32_t j = 0; j < n; ++j) {
            if (!sel.IsLineSelected(f, j)) continue;
            if (!read) {
                points.assign(static_cast<std::size_t>(n), -1);
                hostapi::MQObj_GetFacePointArray(object.object, f, points.data());
                read = true;
            }
            handle(points[static_cast<std::size_t>(j)]);
            handle(points[static_cast<std::size_t>(j + 1 == n ? 0 : j + 1)]);
        }
    }
    sel.Clear(MQ_SELECT_LINE);
    return 1;
}

} // namespace selection
