#include "select/polygon.h"

#include "host/host_api.h"
#include "select/mesh_view.h"

namespace selection {

void SelectFacesByPointCount(const cmq::CMQObject &object, PointCount count, SelectionPlan &plan) {
    const auto matches = [count](std::size_t n) {
        switch (count) {
        case PointCount::FiveOrMore: return n >= 5;
        case PointCount::Four: return n == 4;
        case PointCount::Three: return n == 3;
        case PointCount::Two: return n == 2;
        }
        return false;
    };
    const int objectIndex = hostapi::MQDoc_GetObjectIndex(object.document, object.object);
    MeshView mesh(object);
    mesh.VisitFaces([&](int32_t, std::size_t n) { return matches(n); },
                    [&](const MeshView::Face &face) { plan.AddFace(objectIndex, face.index); }, FacePoints::Skip);
}

} // namespace selection
