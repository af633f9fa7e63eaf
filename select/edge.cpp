#include "select/edge.h"

#include <cstddef>

#include "select/coverage.h"
#include "select/edge_groups.h"
#include "mesh/mesh_view.h"
#include "select/parallel.h"
#include "mesh/selection_calls.h"

namespace selection {
namespace {

// The first covered line in line order; the line count when none is.
std::size_t FirstCoveredLine(const cmq::MeshView &mesh, Coverage &coverage) {
    for (const cmq::MeshView::Face face : mesh) {
        if (coverage.FaceSelected(face)) return face.first;
        for (std::size_t k = 0; k < face.points.size(); ++k)
            if (coverage.LineCovered(face, k)) return face.first + k;
    }
    return mesh.LineCount();
}

// Adds, in line order, the borders (pairs of one line) the edge
// command chooses: the covered ones, or every one when no line at all is
// covered. The lines before the first covered one were asked and are not
// covered; after it only the borders are asked.
void AddChosenBorders(const cmq::MeshView &mesh, cmq::SelectionCalls &sel, const EdgeGroups &groups, Coverage &coverage,
                      std::size_t firstCovered) {
    const bool restricted = firstCovered < mesh.LineCount();
    for (const cmq::MeshView::Face face : mesh) {
        int faceSelected = -1; // asked once, for a face with a border after the first covered line
        for (std::size_t k = 0; k < face.points.size(); ++k) {
            const std::size_t line = face.first + k;
            if (groups.second[line] != EdgeGroups::kAlone) continue;
            if (restricted && line < firstCovered) continue;
            if (restricted && line > firstCovered) {
                if (faceSelected < 0) faceSelected = coverage.FaceSelected(face) ? 1 : 0;
                if (faceSelected == 0 && !coverage.LineCovered(face, k)) continue;
            }
            sel.AddLine(face.index, static_cast<int32_t>(k));
        }
    }
}

} // namespace

int SelectBorders(const cmq::CMQObject &object, bool addToSelection, cmq::SelectionPlan &plan) {
    cmq::MeshView mesh(object);
    mesh.ReadFaces();
    for (const cmq::MeshView::Face face : mesh)
        if (face.points.size() < 2) return 0;
    EdgeGroups groups;
    // Only a border's coverage matters, and whether any line at all is
    // covered: the lines are asked in order up to the first covered
    // one, and once grouped, only the borders after it. The plan
    // applies its changes when the command ends, so the selection
    // asked is the one the command started from. With several objects
    // the results accumulate instead.
    //
    // The grouping needs nothing the host is asked, so it runs beside
    // the questions.
    cmq::SelectionCalls sel(object, plan);
    Coverage coverage(sel);
    SideTask grouping([&] { groups = GroupLinesByEdge(mesh); }, mesh.LineCount());
    const std::size_t firstCovered = FirstCoveredLine(mesh, coverage);
    grouping.Wait();
    if (!addToSelection) plan.Clear(MQ_SELECT_ALL);
    AddChosenBorders(mesh, sel, groups, coverage, firstCovered);
    return 1;
}

} // namespace selection
