#include "select/conversions.h"

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "mesh/mesh_view.h"
#include "mesh/selection_calls.h"
#include "select/vertex_pair_set.h"

namespace selection {
namespace {

// Hands every live face with its points to `visit`, one by one.
template <class Visit>
void ForEachFace(const cmq::CMQObject &object, Visit &&visit) {
    cmq::MeshView(object).VisitFaces([](int32_t, std::size_t) { return true; }, visit);
}

// Adds every line of every live face whose endpoints pass `test`, which is
// given the start and end vertex and the selection cache.
template <class Test>
void AddLinesWhere(const cmq::CMQObject &object, cmq::SelectionPlan &plan, Test test) {
    cmq::MeshView mesh(object);
    mesh.ReadFaces();
    cmq::SelectionCalls sel(object, plan);
    plan.ReserveLines(mesh.LineCount()); // at most every line once
    for (const cmq::MeshView::Face face : mesh) {
        for (std::size_t j = 0; j < face.points.size(); ++j) {
            const cmq::CMQLineEnds ends = face.Line(j);
            if (test(sel, ends.start, ends.end)) sel.AddLine(face.index, static_cast<int32_t>(j));
        }
    }
}

// Calls visit(ends) for every line that `inSet(ordinal, face, line)` picks.
template <class InSet, class Visit>
void ForEachLineWhere(const cmq::MeshView &mesh, InSet &&inSet, Visit &&visit) {
    for (std::size_t f = 0; f < mesh.FaceCount(); ++f) {
        const cmq::MeshView::Face face = mesh.FaceAt(f);
        for (std::size_t j = 0; j < face.points.size(); ++j)
            if (inSet(f, face, j)) visit(face.Line(j));
    }
}

bool HasLine(const VertexPairSet &edges, const cmq::MeshView::Face &face, std::size_t j) {
    const cmq::CMQLineEnds ends = face.Line(j);
    return edges.Contains(ends.start, ends.end);
}

} // namespace

void VertexToFaceAny(const cmq::CMQObject &object, cmq::SelectionPlan &plan) {
    cmq::SelectionCalls sel(object, plan);
    ForEachFace(object, [&](const cmq::MeshView::Face &face) {
        for (const int32_t v : face.points) {
            if (sel.IsVertexSelectedCached(v)) {
                sel.AddFace(face.index);
                return;
            }
        }
    });
}

void VertexToFaceAll(const cmq::CMQObject &object, cmq::SelectionPlan &plan) {
    cmq::SelectionCalls sel(object, plan);
    ForEachFace(object, [&](const cmq::MeshView::Face &face) {
        for (const int32_t v : face.points)
            if (!sel.IsVertexSelectedCached(v)) return;
        sel.AddFace(face.index);
    });
}

void LineToVertex(const cmq::CMQObject &object, cmq::SelectionPlan &plan) {
    cmq::SelectionCalls sel(object, plan);
    ForEachFace(object, [&](const cmq::MeshView::Face &face) {
        for (std::size_t j = 0; j < face.points.size(); ++j) {
            if (!sel.IsLineSelected(face.index, static_cast<int32_t>(j))) continue;
            const cmq::CMQLineEnds ends = face.Line(j);
            sel.AddVertexOnce(ends.start);
            sel.AddVertexOnce(ends.end);
        }
    });
}

void FaceToVertex(const cmq::CMQObject &object, cmq::SelectionPlan &plan) {
    cmq::SelectionCalls sel(object, plan);
    // Only the selected faces' points are read.
    cmq::MeshView(object).VisitFaces([&](int32_t face, std::size_t) { return sel.IsFaceSelected(face); },
                                [&](const cmq::MeshView::Face &face) {
                                    for (const int32_t v : face.points) sel.AddVertexOnce(v);
                                });
}

void VertexToLineAny(const cmq::CMQObject &object, cmq::SelectionPlan &plan) {
    AddLinesWhere(object, plan, [](cmq::SelectionCalls &sel, int32_t a, int32_t b) {
        return sel.IsVertexSelectedCached(a) || sel.IsVertexSelectedCached(b);
    });
}

void VertexToLineAll(const cmq::CMQObject &object, cmq::SelectionPlan &plan) {
    AddLinesWhere(object, plan, [](cmq::SelectionCalls &sel, int32_t a, int32_t b) {
        return sel.IsVertexSelectedCached(a) && sel.IsVertexSelectedCached(b);
    });
}

void FaceToLine(const cmq::CMQObject &object, cmq::SelectionPlan &plan) {
    cmq::MeshView mesh(object);
    mesh.ReadFaces();
    cmq::SelectionCalls sel(object, plan);
    // Every line of a selected face is added, so a line of another selected
    // face on a shared edge is added by that face itself. Only unselected
    // faces need the edge lookup, and only when there are some is the edge
    // set of the selected faces built.
    std::vector<uint8_t> selected;
    selected.assign(mesh.FaceCount(), 0);
    bool reserved = false;
    bool unselected = false;
    for (std::size_t f = 0; f < mesh.FaceCount(); ++f) {
        const cmq::MeshView::Face face = mesh.FaceAt(f);
        if (!sel.IsFaceSelected(face.index)) {
            unselected = true;
            continue;
        }
        if (!reserved) {
            // Every line is added at most once. (Only once there is
            // something to add: fresh room for a command that adds nothing
            // costs more than it saves.)
            plan.ReserveLines(mesh.LineCount());
            reserved = true;
        }
        selected[f] = 1;
        for (std::size_t j = 0; j < face.points.size(); ++j) sel.AddLine(face.index, static_cast<int32_t>(j));
    }
    if (!reserved || !unselected) return;
    const auto ofSelected = [&](std::size_t f, const cmq::MeshView::Face &, std::size_t) { return selected[f] != 0; };
    VertexPairSet edges(mesh.VertexSlots());
    ForEachLineWhere(mesh, ofSelected, [&](cmq::CMQLineEnds ends) { edges.Count(ends.start, ends.end); });
    edges.StartFiling();
    ForEachLineWhere(mesh, ofSelected, [&](cmq::CMQLineEnds ends) { edges.File(ends.start, ends.end); });
    edges.Finish();
    for (std::size_t g = 0; g < mesh.FaceCount(); ++g) {
        if (selected[g] != 0) continue;
        const cmq::MeshView::Face face = mesh.FaceAt(g);
        // A two-point face's line 1 joins the same vertices as its line 0,
        // backwards; the edge is reported once, through line 0.
        const std::size_t searched = face.points.size() == 2 ? 1 : face.points.size();
        for (std::size_t k = 0; k < searched; ++k)
            if (HasLine(edges, face, k)) sel.AddLine(face.index, static_cast<int32_t>(k));
    }
}

void TwoLinesToFace(const cmq::CMQObject &object, cmq::SelectionPlan &plan) {
    cmq::MeshView mesh(object);
    mesh.ReadFaces();
    cmq::SelectionCalls sel(object, plan);
    // Each line asked once: the selected ones counted into the edge set,
    // and marked, a bit per line, for filing them. Both are made at the
    // first selected line: with none, the command needs neither.
    std::optional<VertexPairSet> edges;
    std::vector<bool> lineSelected;
    ForEachLineWhere(
        mesh,
        [&](std::size_t, const cmq::MeshView::Face &face, std::size_t j) {
            if (!sel.IsLineSelected(face.index, static_cast<int32_t>(j))) return false;
            if (!edges) {
                edges.emplace(mesh.VertexSlots());
                lineSelected.resize(mesh.LineCount());
            }
            lineSelected[face.first + j] = true;
            return true;
        },
        [&](cmq::CMQLineEnds ends) { edges->Count(ends.start, ends.end); });
    if (!edges) return;
    edges->StartFiling();
    ForEachLineWhere(
        mesh, [&](std::size_t, const cmq::MeshView::Face &face, std::size_t j) { return lineSelected[face.first + j]; },
        [&](cmq::CMQLineEnds ends) { edges->File(ends.start, ends.end); });
    edges->Finish();
    for (const cmq::MeshView::Face face : mesh) {
        int count = 0;
        for (std::size_t j = 0; j < face.points.size() && count < 2; ++j)
            if (HasLine(*edges, face, j)) ++count;
        if (count >= 2) sel.AddFace(face.index);
    }
}

} // namespace selection
