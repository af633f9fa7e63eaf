#include "select/index.h"

#include "host/host_api.h"

namespace selection {

// The index comes straight from a spin box: only a slot of the object names
// an element, so anything else is not handed to the host.

void SelectVertexByIndex(const cmq::CMQObject &object, int32_t index, SelectionPlan &plan) {
    const int objectIndex = hostapi::MQDoc_GetObjectIndex(object.document, object.object);
    if (index >= 0 && index < hostapi::MQObj_GetVertexCount(object.object)) plan.AddVertex(objectIndex, index);
}

void SelectFaceByIndex(const cmq::CMQObject &object, int32_t index, SelectionPlan &plan) {
    const int objectIndex = hostapi::MQDoc_GetObjectIndex(object.document, object.object);
    if (index >= 0 && index < hostapi::MQObj_GetFaceCount(object.object) &&
        hostapi::MQObj_GetFacePointCount(object.object, index) >= 1)
        plan.AddFace(objectIndex, index);
}

} // namespace selection
