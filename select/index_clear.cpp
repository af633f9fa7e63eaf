#include "select/index_clear.h"

#include "host/host_api.h"

namespace selection {

int ClearSelection(MQDocument document, int command) {
    return PlanAndApply(document, [&](SelectionPlan &plan) { return ClearSelection(command, plan); });
}

int ClearSelection(int command, SelectionPlan &plan) {
    switch (command) {
    case 26: plan.Clear(MQ_SELECT_VERTEX); break;
    case 27: plan.Clear(MQ_SELECT_FACE); break;
    case 28: plan.Clear(MQ_SELECT_LINE); break;
    default: break;
    }
    return 1;
}

int SelectByIndex(cmq::CMQObject &object, int command, int32_t index) {
    return PlanAndApply(object.document,
                        [&](SelectionPlan &plan) { return SelectByIndex(object, command, index, plan); });
}

int SelectByIndex(cmq::CMQObject &object, int command, int32_t index, SelectionPlan &plan) {
    const int objectIndex = hostapi::MQDoc_GetObjectIndex(object.document, object.object);
    // The index comes straight from a spin box; only a slot of the object
    // names an element, so anything else is not handed to the host. Any
    // vertex slot will do, used or not; a face slot must hold a face (a
    // deleted face has no points), which the host could not select.
    if (command == 29) {
        if (index >= 0 && index < hostapi::MQObj_GetVertexCount(object.object))
            plan.AddVertex(objectIndex, index);
    } else {
        if (index >= 0 && index < hostapi::MQObj_GetFaceCount(object.object) &&
            hostapi::MQObj_GetFacePointCount(object.object, index) >= 1)
            plan.AddFace(objectIndex, index);
    }
    return 1;
}

} // namespace selection
