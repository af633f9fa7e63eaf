#include "select/polygon.h"

#include "host/host_api.h"
#include "select/mesh_view.h"

namespace selection {

int SelectPolygonByCount(cmq::CMQObject &object, int command) {
    return PlanAndApply(object.document, [&](SelectionPlan &plan) { return SelectPolygonByCount(object, command, plan); });
}

int SelectPolygonByCount(cmq::CMQObject &object, int command, SelectionPlan &plan) {
    bool (*matches)(int);
    switch (command) {
    case 10: matches = [](int n) { return n >= 5; }; break;
    case 11: matches = [](int n) { return n == 4; }; break;
    case 12: matches = [](int n) { return n == 3; }; break;
    case 13: matches = [](int n) { return n == 2; }; break;
    default: return 0;
    }
    const int objectIndex = hostapi::MQDoc_GetObjectIndex(object.document, object.object);
    MeshView mesh(object);
    mesh.VisitFaces([&](int32_t, std::size_t n) { return matches(static_cast<int>(n)); },
                    [&](const MeshView::Face &face) { plan.AddFace(objectIndex, face.index); }, FacePoints::Skip);
    return 1;
}

} // namespace selection
