#include "select/duplicates.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>
#include <vector>

#include "mesh/host_count.h"
#include "mesh/mesh_view.h"
#include "select/parallel.h"
#include "mesh/selection_calls.h"
#include "select/twin_grid.h"

// The twin searches index the live vertices once per command instead of
// walking all of them for every candidate: a grid sorted by cell
// (select/twin_grid.h), where exact twins stand side by side and near ones
// lie in the neighbouring cells. The grid only narrows the search; the twin
// test itself is made on every vertex it returns.

namespace selection {
namespace {

bool HasNaN(const cmq::CMQVec3 &p) { return std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z); }

// A live vertex with an infinite coordinate and none that is not a number:
// not in the grid (which holds finite positions), and still the exact twin
// of another at the same place.
struct Unbounded {
    cmq::CMQVec3 position;
    int32_t vertex;
};

// The points a command reaches (vertex slots: the mesh view checks them),
// each once, in the order it reaches them, and the state of each: not
// reached yet, waiting for the search, or decided (a point that is not
// searched has no twin found); and which slots are live.
class ReachedPoints {
public:
    explicit ReachedPoints(int32_t slots) : slots_(slots) {
        state_.assign(static_cast<std::size_t>(slots), State::Unknown);
    }
    // True the first time v is reached. The point is then decided without
    // a twin unless Queue'd.
    bool FirstReach(int32_t v) {
        State &state = At(v);
        if ((state & kStateMask) != State::Unknown) return false;
        state = state | State::None;
        return true;
    }
    void Queue(int32_t v) {
        Set(v, State::Queued);
        order_.push_back(v);
    }
    bool IsQueued(int32_t v) const { return (state_[static_cast<std::size_t>(v)] & kStateMask) == State::Queued; }
    void Decide(int32_t v, bool hasTwin) { Set(v, hasTwin ? State::Found : State::None); }
    // Marks slot v live (a reference count of at least 1).
    void MarkLive(int32_t v) { At(v) = At(v) | State::Live; }
    // The queued points, in the order reached.
    const std::vector<int32_t> &Queued() const { return order_; }
    int32_t Slots() const { return slots_; }
    // Adds the points found to have a twin to the vertex selection, in the
    // order reached. A point still queued stands where no twin can be (a
    // coordinate that is not a number, or, for near twins, one that is not
    // finite); one that is not live is a face point naming a deleted
    // vertex, which the host should never give: the command fails whole
    // (cmq::BadHostAnswer) before anything is selected.
    void AddFound(cmq::SelectionCalls &sel) const {
        for (const int32_t v : order_)
            if ((state_[static_cast<std::size_t>(v)] & State::Live) != State::Live) throw cmq::BadHostAnswer();
        for (const int32_t v : order_)
            if ((state_[static_cast<std::size_t>(v)] & kStateMask) == State::Found) sel.AddVertex(v);
    }

private:
    enum class State : uint8_t { Unknown = 0, Queued = 1, Found = 2, None = 3, Live = 4 };
    static constexpr State kStateMask = State{3};
    friend State operator&(State a, State b) { return State(uint8_t(a) & uint8_t(b)); }
    friend State operator|(State a, State b) { return State(uint8_t(a) | uint8_t(b)); }
    State &At(int32_t v) { return state_[static_cast<std::size_t>(v)]; }
    void Set(int32_t v, State state) { At(v) = (At(v) & State::Live) | state; }

    int32_t slots_;
    std::vector<State> state_; // per vertex slot
    std::vector<int32_t> order_;
};

// Every live vertex, read once through the host, marked live in `reached`
// and filed in the twin grid (finite positions; with `keepUnbounded`, the
// others without a NaN kept apart), which is then indexed on a side task
// (select/parallel.h) while the host's thread goes on asking the selection.
class FiledVertices {
public:
    void Start(cmq::MeshView &mesh, ReachedPoints &reached, bool keepUnbounded) {
        grid_.Reserve(static_cast<std::size_t>(mesh.ReadVertexSlots()));
        std::vector<Unbounded> &unbounded = unbounded_;
        mesh.VisitLiveVertices([&](int32_t v, const cmq::CMQVec3 &p) {
            reached.MarkLive(v);
            if (IsFinite(p))
                grid_.File(v, p);
            else if (keepUnbounded && !HasNaN(p))
                unbounded.push_back({p, v});
        });
        indexing_.emplace(
            [this, &unbounded] {
                grid_.Index();
                std::sort(unbounded.begin(), unbounded.end(), Before);
            },
            grid_.Filed());
    }
    bool Started() const { return indexing_.has_value(); }
    // Waits for the index, after Start.
    const TwinGrid &Grid() {
        indexing_->Wait();
        return grid_;
    }
    // Whether a vertex other than v kept apart stands exactly at p (which
    // is not finite); after Grid.
    bool HasUnboundedTwin(const cmq::CMQVec3 &p, int32_t v) const {
        const auto [first, last] = std::equal_range(unbounded_.begin(), unbounded_.end(), Unbounded{p, -1}, Before);
        return std::any_of(first, last, [&](const Unbounded &u) { return u.vertex != v; });
    }
    const std::vector<Unbounded> &KeptApart() const { return unbounded_; }

private:
    static bool Before(const Unbounded &a, const Unbounded &b) { return PositionBefore(a.position, b.position); }

    TwinGrid grid_;
    std::vector<Unbounded> unbounded_; // sorted by position once indexed
    std::optional<SideTask> indexing_;   // last: waited for before the rest goes
};

// Decides, for every queued point of `reached`, whether a live vertex other
// than itself stands exactly where it does: all of them searched together
// in the twin grid of `filed` (started with the unbounded kept). What stays
// queued stands at a NaN, or is not live (see ReachedPoints::AddFound).
void DecideExactTwins(FiledVertices &filed, ReachedPoints &reached) {
    const TwinGrid &grid = filed.Grid();
    grid.SearchFiledExact([&](int32_t v) { return reached.IsQueued(v); },
                          [&](int32_t v, bool hasTwin) { reached.Decide(v, hasTwin); });
    for (const Unbounded &u : filed.KeptApart())
        if (reached.IsQueued(u.vertex)) reached.Decide(u.vertex, filed.HasUnboundedTwin(u.position, u.vertex));
}

} // namespace

void FaceToDuplicateVertex(const cmq::CMQObject &object, cmq::SelectionPlan &plan) {
    cmq::SelectionCalls sel(object, plan);

    // A point shared by several selected faces is looked at once: if it had
    // a twin it was selected then, and if not it has none now. Only the
    // selected faces' points are read, and the live vertices only when some
    // point needs the search.
    //
    // As for "Line => Dup Vertex", the points to search are first collected
    // in the order the faces reach them, then searched together, and the
    // found ones selected in the order the faces reached them.
    //
    // With side tasks on, the grid is filed at the first point to search and
    // indexed beside the rest of the walk: its cost is then mostly hidden.
    cmq::MeshView mesh(object);
    ReachedPoints reached(mesh.ReadVertexSlots());
    FiledVertices filed;
    const bool early = PartsFor(static_cast<std::size_t>(reached.Slots())) > 1;
    mesh.VisitFaces([&](int32_t face, std::size_t) { return sel.IsFaceSelected(face); },
                    [&](const cmq::MeshView::Face &face) {
                        for (const int32_t v : face.points) {
                            if (!reached.FirstReach(v) || sel.IsVertexSelected(v)) continue;
                            reached.Queue(v);
                            if (early && !filed.Started()) filed.Start(mesh, reached, true);
                        }
                    });

    if (!reached.Queued().empty()) {
        if (!filed.Started()) filed.Start(mesh, reached, true);
        DecideExactTwins(filed, reached);
        reached.AddFound(sel);
    }
    sel.Clear(MQ_SELECT_FACE);
}

void LineToDuplicateVertex(const cmq::CMQObject &object, cmq::SelectionPlan &plan) {
    cmq::SelectionCalls sel(object, plan);

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
    cmq::MeshView mesh(object);
    ReachedPoints reached(mesh.ReadVertexSlots());
    // At the first selected line every live vertex is read and filed, and
    // the grid indexed beside the host's thread while the rest of the lines
    // are asked.
    FiledVertices filed;
    const auto reach = [&](int32_t v) {
        if (reached.FirstReach(v)) reached.Queue(v);
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
    mesh.VisitFaces(anyLineSelected, [&](const cmq::MeshView::Face &face) {
        if (!filed.Started()) filed.Start(mesh, reached, false);
        for (std::size_t j = firstSelected; j < face.points.size(); ++j) {
            if (j != firstSelected && !sel.IsLineSelected(face.index, static_cast<int32_t>(j))) continue;
            const cmq::CMQLineEnds ends = face.Line(j);
            reach(ends.start);
            reach(ends.end);
        }
    });

    if (filed.Started()) {
        const TwinGrid &grid = filed.Grid();
        grid.SearchFiled([&](int32_t v) { return reached.IsQueued(v); },
                         [&](int32_t v, bool hasTwin) { reached.Decide(v, hasTwin); });
        // What is still queued was not filed: a live vertex whose position
        // is not finite (which has no twin), or a slot that is not live.
        reached.AddFound(sel);
    }
    sel.Clear(MQ_SELECT_LINE);
}

} // namespace selection
