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
#include "mesh/host_count.h"
#include "select/mesh_view.h"
#include "select/selection_calls.h"
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

// floor(x × 8), for the coordinates given cells (|x| below 2^20 and a
// little): truncation toward zero, one less below zero when it rounded up.
// Exact, and no library call on every axis of every search.
int64_t CellOf(double x) {
    const double v = x * kCellsPerUnit;
    const auto t = static_cast<int64_t>(v);
    return static_cast<double>(t) > v ? t - 1 : t;
}

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

// Keys of the exact-position table: vertex indices, hashed and compared by
// the positions they stand at; a position is a probe of its own.
struct PositionOfVertex {
    static constexpr int32_t kEmpty = -1;

    uint64_t Word(const cmq::CMQVec3 &p) const {
        const uint64_t xy = ValueBits(p.x) | (ValueBits(p.y) << 32);
        return xy + ValueBits(p.z) * 0x9E3779B97F4A7C15ull;
    }
    uint64_t Word(int32_t v) const { return Word(At(v)); }
    bool Equal(int32_t stored, const cmq::CMQVec3 &p) const { return ExactlyEqual(At(stored), p); }
    bool Equal(int32_t stored, int32_t v) const { return Equal(stored, At(v)); }

    const cmq::CMQVec3 &At(int32_t v) const { return positions[static_cast<std::size_t>(v)]; }

    std::span<const cmq::CMQVec3> positions;
};

// Exact positions of the live vertices, each distinct position once: the
// first live vertex found there, marked when another followed it. The marks
// sit in a bit per vertex slot beside the table, which keeps the table's
// entries at four bytes.
class ExactIndex {
public:
    // `vertices` has read its live vertices.
    explicit ExactIndex(const MeshView &vertices) : firstAt_(PositionOfVertex{vertices.Positions()}) {
        const std::span<const cmq::CMQVec3> at = vertices.Positions();
        std::size_t filed = 0;
        for (int32_t v = 0; v < vertices.VertexSlots(); ++v)
            if (vertices.IsLiveVertex(v) && !HasNaN(at[static_cast<std::size_t>(v)])) ++filed;
        firstAt_.Reserve(filed);
        followed_->assign(static_cast<std::size_t>(vertices.VertexSlots()) / 64 + 1, 0);
        for (int32_t v = 0; v < vertices.VertexSlots(); ++v) {
            if (!vertices.IsLiveVertex(v) || HasNaN(at[static_cast<std::size_t>(v)])) continue;
            const auto [first, added] = firstAt_.TryEmplace(v, FlatHashUnit{});
            if (added) continue;
            const auto bit = static_cast<std::size_t>(first->key);
            (*followed_)[bit / 64] |= uint64_t{1} << (bit % 64);
        }
    }

    // True when a live vertex other than v stands exactly at p.
    bool HasTwin(const cmq::CMQVec3 &p, int32_t v) const {
        if (HasNaN(p)) return false;
        const auto *first = firstAt_.FindEntry(p);
        if (first == nullptr) return false;
        if (first->key != v) return true;
        const auto bit = static_cast<std::size_t>(v);
        return ((*followed_)[bit / 64] & (uint64_t{1} << (bit % 64))) != 0;
    }

private:
    FlatHashMap<int32_t, FlatHashUnit, PositionOfVertex> firstAt_;
    ScratchVector<uint64_t> followed_; // per vertex slot: another vertex stands at its position
};

// The live vertices with finite positions filed by grid cell: a hash map
// from cell key to the cell's run of vertices, and the runs in one array
// that holds each vertex's position beside its index, so a lookup touches
// one entry and one run. Cell keys are hashes of the cell's axis keys, so
// two cells may share a key; a run then holds both cells' vertices, which
// only widens the search.
class GridIndex {
public:
    struct Filed {
        cmq::CMQVec3 position;
        int32_t vertex;
    };

    // `vertices` has read its live vertices.
    explicit GridIndex(const MeshView &vertices) {
        const std::span<const cmq::CMQVec3> at = vertices.Positions();
        std::size_t filed = 0;
        for (int32_t v = 0; v < vertices.VertexSlots(); ++v)
            if (vertices.IsLiveVertex(v) && IsFinite(at[static_cast<std::size_t>(v)])) ++filed;
        // Reserved for every vertex, the map does not grow while filing, so
        // the places of its entries stay put; with fewer than 2^32 slots,
        // home slots and places fit in 32 bits.
        runOf_.Reserve(filed);
        cmq::CheckFits32(runOf_.Capacity());
        // At least 16 bits per vertex: small enough to stay in cache, sparse
        // enough that most empty cells find their bit clear.
        std::size_t words = 2;
        while (words * 4 < filed) words *= 2;
        occupied_->assign(words, 0);
        bitMask_ = words * 64 - 1;
        // The filed vertices with their cell keys, put in the order of the
        // keys' home slots in the map (a stable radix sort), so that filing
        // them walks the map, and then the runs, from front to back instead
        // of jumping across tens of megabytes for every vertex.
        ScratchVector<Keyed> keyedVector;
        std::vector<Keyed> &keyed = *keyedVector;
        keyed.reserve(filed);
        for (int32_t v = 0; v < vertices.VertexSlots(); ++v) {
            const cmq::CMQVec3 &p = at[static_cast<std::size_t>(v)];
            if (!vertices.IsLiveVertex(v) || !IsFinite(p)) continue;
            const int64_t key = CellKey(HomeAxisKey(p.x), HomeAxisKey(p.y), HomeAxisKey(p.z));
            keyed.push_back({key, static_cast<uint32_t>(runOf_.HomeOf(key)), v});
        }
        SortByHome(keyed, runOf_.Capacity());
        // Count each cell's vertices, remembering where each one's run
        // stands in the map.
        for (Keyed &k : keyed) {
            auto &entry = *runOf_.TryEmplace(k.key, Run{}).first;
            ++entry.value.count;
            const std::size_t bit = Bit(k.key);
            (*occupied_)[bit / 64] |= uint64_t{1} << (bit % 64);
            k.home = static_cast<uint32_t>(runOf_.PlaceOf(entry));
        }
        // Counts to runs, in the map's order; then each vertex into its run.
        uint32_t sum = 0;
        runOf_.ForEach([&](int64_t, Run &run) {
            run.start = sum;
            sum += run.count;
            run.count = 0;
        });
        std::vector<Filed> &items = *items_;
        items.resize(sum);
        for (const Keyed &k : keyed) {
            Run &run = runOf_.EntryAt(k.home).value;
            items[run.start + run.count++] = {at[static_cast<std::size_t>(k.vertex)], k.vertex};
        }
    }

    // Every filed vertex, grouped by cell: neighbours in space are near one
    // another here, not in the order of their indices.
    std::span<const Filed> Items() const { return *items_; }

    // The vertices filed under `key`; empty when there are none.
    std::span<const Filed> Find(int64_t key) const {
        // A clear bit: no vertex was filed under the key. A set one may
        // belong to another key; the map decides.
        const std::size_t bit = Bit(key);
        if (((*occupied_)[bit / 64] & (uint64_t{1} << (bit % 64))) == 0) return {};
        const Run *run = runOf_.Find(key);
        if (run == nullptr) return {};
        return {items_->data() + run->start, run->count};
    }

private:
    struct Run {
        uint32_t start = 0;
        uint32_t count = 0;
    };

    // A vertex to file: its cell key, and the key's home slot in the map
    // (later the place of its entry there).
    struct Keyed {
        int64_t key;
        uint32_t home;
        int32_t vertex;
    };

    // Sorts by home slot (below `slots`, a power of two), keeping the order
    // of equal ones: least significant digits first, 11 bits at a time.
    static void SortByHome(std::vector<Keyed> &keyed, std::size_t slots) {
        constexpr unsigned kDigitBits = 11;
        constexpr std::size_t kDigits = std::size_t{1} << kDigitBits;
        ScratchVector<Keyed> spareVector;
        std::vector<Keyed> &spare = *spareVector;
        spare.resize(keyed.size());
        std::vector<uint32_t> count(kDigits);
        const unsigned bits = static_cast<unsigned>(std::countr_zero(slots));
        for (unsigned shift = 0; shift < bits; shift += kDigitBits) {
            std::fill(count.begin(), count.end(), 0u);
            for (const Keyed &k : keyed) ++count[(k.home >> shift) & (kDigits - 1)];
            uint32_t sum = 0;
            for (uint32_t &c : count) {
                const uint32_t here = c;
                c = sum;
                sum += here;
            }
            for (const Keyed &k : keyed) spare[count[(k.home >> shift) & (kDigits - 1)]++] = k;
            keyed.swap(spare);
        }
    }

    // The occupancy filter's bit of a key, from the key's upper half (cell
    // keys are hashes already, so any of their bits will do).
    std::size_t Bit(int64_t key) const { return static_cast<std::size_t>(static_cast<uint64_t>(key) >> 32) & bitMask_; }

    FlatHashMap<int64_t, Run> runOf_;
    ScratchVector<Filed> items_;
    ScratchVector<uint64_t> occupied_;
    std::size_t bitMask_ = 0;
};

// The position the twin test compares: a live vertex's as the view read it;
// any other slot's asked of the host, as the test would.
cmq::CMQVec3 CandidatePosition(const MeshView &vertices, int32_t v) {
    return vertices.IsLiveVertex(v) ? vertices.Position(v) : vertices.Object().GetVertexPosition(v);
}

// Per-vertex state of one command: not reached yet, reached and waiting for
// the search, or searched and with what result.
enum class Twin : uint8_t { Unknown, Queued, Found, None };

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
    // Only the selected faces' points are read, and the live vertices only
    // when a candidate needs the search.
    MeshView mesh(object);
    std::optional<ExactIndex> byPosition;
    const auto hasTwin = [&](int32_t v) {
        if (!byPosition) {
            mesh.ReadLiveVertices();
            byPosition.emplace(mesh);
        }
        return byPosition->HasTwin(CandidatePosition(mesh, v), v);
    };

    // A point shared by several selected faces is looked at once: if it had
    // a twin it was selected then, and if not it has none now.
    const int32_t slots = mesh.ReadVertexSlots();
    ScratchVector<uint8_t> seenVector;
    std::vector<uint8_t> &seen = *seenVector;
    seen.assign(static_cast<std::size_t>(slots), 0);
    mesh.VisitFaces([&](int32_t face, std::size_t) { return sel.IsFaceSelected(face); },
                    [&](const MeshView::Face &face) {
                        for (const int32_t v : face.points) {
                            if (v < 0 || v >= slots) continue; // names no vertex: the host would refuse it
                            uint8_t &done = seen[static_cast<std::size_t>(v)];
                            if (done != 0) continue;
                            done = 1;
                            if (sel.IsVertexSelected(v)) continue;
                            if (hasTwin(v)) sel.AddVertex(v);
                        }
                    });
    sel.Clear(MQ_SELECT_FACE);
    return 1;
}

int LineToDuplicateVertex(const cmq::CMQObject &object, SelectionPlan &plan) {
    SelectionCalls sel(object, plan);

    // Each endpoint is searched once: a found one is selected and never
    // searched again; one without a twin has none at its next line either.
    // Every selected line is handled, also when both its endpoints were
    // found before, and the line selection is cleared at the end (which also
    // drops each handled line). A face's points are read only when one of
    // its lines is selected.
    //
    // The endpoints are first collected in the order the lines reach them,
    // then searched all together, in the grid's order: a vertex's cell and
    // its neighbours' are then mostly in cache, where searching in the
    // lines' order would jump across the whole grid for every vertex of a
    // large mesh. The twin test depends on the geometry alone, so the order
    // of the searches changes no result; the found vertices are selected in
    // the order the lines reached them.
    MeshView mesh(object);
    const int32_t slots = mesh.ReadVertexSlots();
    ScratchVector<Twin> twinVector;
    std::vector<Twin> &twin = *twinVector;
    twin.assign(static_cast<std::size_t>(slots), Twin::Unknown);
    ScratchVector<int32_t> reachedVector;
    std::vector<int32_t> &reached = *reachedVector;
    const auto reach = [&](int32_t v) {
        if (v < 0 || v >= slots) return; // names no vertex: the host would refuse it
        Twin &state = twin[static_cast<std::size_t>(v)];
        if (state != Twin::Unknown) return;
        state = Twin::Queued;
        reached.push_back(v);
    };
    // A face is read when one of its lines is selected; the search for the
    // first such line stops there, and the rest are asked after the read,
    // so that each line is asked once.
    std::size_t firstSelected = 0;
    const auto anyLineSelected = [&](int32_t face, std::size_t n) {
        for (std::size_t j = 0; j < n; ++j) {
            if (sel.IsLineSelected(face, static_cast<int32_t>(j))) {
                firstSelected = j;
                return true;
            }
        }
        return false;
    };
    mesh.VisitFaces(anyLineSelected, [&](const MeshView::Face &face) {
        for (std::size_t j = firstSelected; j < face.points.size(); ++j) {
            if (j != firstSelected && !sel.IsLineSelected(face.index, static_cast<int32_t>(j))) continue;
            const cmq::CMQLineEnds ends = face.Line(j);
            reach(ends.start);
            reach(ends.end);
        }
    });

    if (!reached.empty()) {
        mesh.ReadLiveVertices();
        const GridIndex grid(mesh);
        const auto hasTwin = [&](const cmq::CMQVec3 &p, int32_t v) {
            if (!IsFinite(p)) return false;
            const AxisCells cx = CellsNear(p.x), cy = CellsNear(p.y), cz = CellsNear(p.z);
            for (int i = 0; i < cx.count; ++i)
                for (int j = 0; j < cy.count; ++j)
                    for (int k = 0; k < cz.count; ++k)
                        for (const GridIndex::Filed &o : grid.Find(CellKey(cx.key[i], cy.key[j], cz.key[k])))
                            if (o.vertex != v && IsNearTwin(p, o.position)) return true;
            return false;
        };
        // The filed vertices (live, finite) in the grid's order; then the
        // rest reached (a slot without a face, whose position the host
        // tells, or a position that is not finite).
        for (const GridIndex::Filed &o : grid.Items()) {
            Twin &state = twin[static_cast<std::size_t>(o.vertex)];
            if (state == Twin::Queued) state = hasTwin(o.position, o.vertex) ? Twin::Found : Twin::None;
        }
        for (const int32_t v : reached) {
            Twin &state = twin[static_cast<std::size_t>(v)];
            if (state == Twin::Queued) state = hasTwin(CandidatePosition(mesh, v), v) ? Twin::Found : Twin::None;
            if (state == Twin::Found) sel.AddVertex(v);
        }
    }
    sel.Clear(MQ_SELECT_LINE);
    return 1;
}

} // namespace selection
