#include "select/polygon.h"

#include "host/host_api.h"
#include "mesh/cmq_walk.h"

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
    for (auto it = cmq::FirstFace(object); !cmq::AtEnd(it); cmq::Next(it)) {
        const int n = hostapi::MQObj_GetFacePointCount(object.object, it.index);
        if (matches(n)) plan.AddFace(objectIndex, it.index);
    }
    return 1;
}

} // namespace selection
