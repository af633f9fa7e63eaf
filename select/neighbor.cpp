#include "select/neighbor.h"

#include <cstddef>
#include <span>
#include <vector>

#include "select/duplicate.h"
#include "host/host_api.h"
#include "mesh/host_count.h"
#include "select/object_snapshot.h"
#include "select/scratch.h"
#include "select/vertex_pair_set.h"

namespace selection {
namespace {

int32_t VertexSlots(const cmq::CMQObject &object) {
    return static_cast<int32_t>(cmq::CheckedCount(hostapi::MQObj_GetVertexCount(object.object)));
}

void AddLine(VertexPairSet &edges, const FaceTable &faces, int32_t face, int32_t line) {
    const cmq::CMQLineEnds ends = faces.Line(face, line);
    edges.Add(ends.start, ends.end);
}

bool HasLine(const VertexPairSet &edges, const FaceTable &faces, int32_t face, int32_t line) {
    const cmq::CMQLineEnds ends = faces.Line(face, line);
    return edges.Contains(ends.start, ends.end);
}

// Adds every line of every live face whose endpoints pass `test`, which is
// given the start and end vertex and the selection cache.
template <class Test>
void AddLinesWhere(const cmq::CMQObject &object, SelectionPlan &plan, Test test) {
    const FaceTable faces(object);
    SelectionCalls sel(object, plan);
    plan.ReserveLines(faces.TotalPoints()); // at most every line once
    for (int32_t f = 0; f < faces.FaceCount(); ++f) {
        for (int32_t j = 0; j < faces.PointCount(f); ++j) {
            const cmq::CMQLineEnds ends = faces.Line(f, j);
            if (test(sel, ends.start, ends.end)) sel.AddLine(f, j);
        }
    }
}

} // namespace

int VertexToFaceAny(const cmq::CMQObject &object, SelectionPlan &plan) {
    const FaceTable faces(object);
    SelectionCalls sel(object, plan);
    for (int32_t f = 0; f < faces.FaceCount(); ++f) {
        for (int32_t v : faces.Points(f)) {
            if (sel.IsVertexSelectedCached(v)) {
                sel.AddFace(f);
                break;
            }
        }
    }
    return 1;
}

int VertexToFaceAll(const cmq::CMQObject &object, SelectionPlan &plan) {
    const FaceTable faces(object);
    SelectionCalls sel(object, plan);
    for (int32_t f = 0; f < faces.FaceCount(); ++f) {
        if (!faces.IsLive(f)) continue;
        bool all = true;
        for (int32_t v : faces.Points(f)) {
            if (!sel.IsVertexSelectedCached(v)) {
                all = false;
                break;
            }
        }
        if (all) sel.AddFace(f);
    }
    return 1;
}

int LineToVertex(const cmq::CMQObject &object, SelectionPlan &plan) {
    const FaceTable faces(object);
    SelectionCalls sel(object, plan);
    for (int32_t f = 0; f < faces.FaceCount(); ++f) {
        for (int32_t j = 0; j < faces.PointCount(f); ++j) {
            if (!sel.IsLineSelected(f, j)) continue;
            const cmq::CMQLineEnds ends = faces.Line(f, j);
            sel.AddVertexOnce(ends.start);
            sel.AddVertexOnce(ends.end);
        }
    }
    return 1;
}

int FaceToVertex(const cmq::CMQObject &object, SelectionPlan &plan) {
    const FaceTable faces(object);
    SelectionCalls sel(object, plan);
    for (int32_t f = 0; f < faces.FaceCount(); ++f) {
        if (!faces.IsLive(f) || !sel.IsFaceSelected(f)) continue;
        for (int32_t v : faces.Points(f)) sel.AddVertexOnce(v);
    }
    return 1;
}

int VertexToLineAny(const cmq::CMQObject &object, SelectionPlan &plan) {
    AddLinesWhere(object, plan, [](SelectionCalls &sel, int32_t a, int32_t b) {
        return sel.IsVertexSelectedCached(a) || sel.IsVertexSelectedCached(b);
    });
    return 1;
}

int VertexToLineAll(const cmq::CMQObject &object, SelectionPlan &plan) {
    AddLinesWhere(object, plan, [](SelectionCalls &sel, int32_t a, int32_t b) {
        return sel.IsVertexSelectedCached(a) && sel.IsVertexSelectedCached(b);
    });
    return 1;
}

int FaceToLine(const cmq::CMQObject &object, SelectionPlan &plan) {
    const FaceTable faces(object);
    SelectionCalls sel(object, plan);
    // Every line of a selected face is added, so a line of another selected
    // face on a shared edge is added by that face itself. Only unselected
    // faces need the edge lookup, and only when there are some is the edge
    // set of the selected faces built.
    ScratchVector<uint8_t> selectedVector;
    std::vector<uint8_t> &selected = *selectedVector;
    selected.assign(static_cast<std::size_t>(faces.FaceCount()), 0);
    bool reserved = false;
    bool unselected = false;
    for (int32_t f = 0; f < faces.FaceCount(); ++f) {
        if (!faces.IsLive(f)) continue;
        if (!sel.IsFaceSelected(f)) {
            unselected = true;
            continue;
        }
        if (!reserved) {
            // Every line is added at most once. (Only once there is
            // something to add: fresh room for a command that adds nothing
            // costs more than it saves.)
            plan.ReserveLines(faces.TotalPoints());
            reserved = true;
        }
        selected[static_cast<std::size_t>(f)] = 1;
        for (int32_t j = 0; j < faces.PointCount(f); ++j) sel.AddLine(f, j);
    }
    if (!reserved || !unselected) return 1;
    VertexPairSet edges(VertexSlots(object));
    edges.Reserve(faces.TotalPoints());
    for (int32_t f = 0; f < faces.FaceCount(); ++f)
        if (selected[static_cast<std::size_t>(f)] != 0)
            for (int32_t j = 0; j < faces.PointCount(f); ++j) AddLine(edges, faces, f, j);
    edges.Build();
    for (int32_t g = 0; g < faces.FaceCount(); ++g) {
        if (selected[static_cast<std::size_t>(g)] != 0) continue;
        const int32_t n = faces.PointCount(g);
        // A two-point face's line 1 joins the same vertices as its line 0,
        // backwards; the edge is reported once, through line 0.
        const int32_t searched = n == 2 ? 1 : n;
        for (int32_t k = 0; k < searched; ++k)
            if (HasLine(edges, faces, g, k)) sel.AddLine(g, k);
    }
    return 1;
}

int TwoLinesToFace(const cmq::CMQObject &object, SelectionPlan &plan) {
    const FaceTable faces(object);
    SelectionCalls sel(object, plan);
    VertexPairSet edges(VertexSlots(object));
    for (int32_t f = 0; f < faces.FaceCount(); ++f)
        for (int32_t j = 0; j < faces.PointCount(f); ++j)
            if (sel.IsLineSelected(f, j)) AddLine(edges, faces, f, j);
    if (edges.Empty()) return 1;
    edges.Build();
    for (int32_t f = 0; f < faces.FaceCount(); ++f) {
        int count = 0;
        for (int32_t j = 0; j < faces.PointCount(f) && count < 2; ++j)
            if (HasLine(edges, faces, f, j)) ++count;
        if (count >= 2) sel.AddFace(f);
    }
    return 1;
}

int DispatchNeighborCommand(cmq::CMQObject &object, int command, SelectionPlan &plan) {
    if (command < 16 || command > 25) return 0;
    // A document without a current object: nothing to work on.
    if (object.object == nullptr) return 1;
    switch (command) {
    case 16: return VertexToFaceAny(object, plan);
    case 17: return VertexToFaceAll(object, plan);
    case 18: return LineToVertex(object, plan);
    case 19: return FaceToVertex(object, plan);
    case 20: return VertexToLineAny(object, plan);
    case 21: return VertexToLineAll(object, plan);
    case 22: return FaceToLine(object, plan);
    case 23: return TwoLinesToFace(object, plan);
    case 24: return FaceToDuplicateVertex(object, plan);
    default: return LineToDuplicateVertex(object, plan);
    }
}

int DispatchNeighborCommand(cmq::CMQObject &object, int command) {
    return PlanAndApply(object.document,
                        [&](SelectionPlan &plan) { return DispatchNeighborCommand(object, command, plan); });
}

} // namespace selection
