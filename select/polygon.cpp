#include "select/polygon.h"

#include "mesh/mesh_view.h"
#include "mesh/selection_calls.h"

namespace selection {

void SelectFacesByPointCount(const cmq::CMQObject &object, PointCount count, cmq::SelectionPlan &plan) {
    const auto matches = [count](std::size_t n) {
        switch (count) {
        case PointCount::FiveOrMore: return n >= 5;
        case PointCount::Four: return n == 4;
        case PointCount::Three: return n == 3;
        case PointCount::Two: return n == 2;
        }
        return false;
    };
    cmq::SelectionCalls sel(object, plan);
    cmq::MeshView mesh(object);
    mesh.VisitFaces([&](int32_t, std::size_t n) { return matches(n); },
                    [&](const cmq::MeshView::Face &face) { sel.AddFace(face.index); }, cmq::FacePoints::Skip);
}

} // namespace selection
