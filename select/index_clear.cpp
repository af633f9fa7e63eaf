#include "select/index_clear.h"

#include "host/host_api.h"

namespace selection {

int ClearSelection(MQDocument document, int command) {
    switch (command) {
    case 26: hostapi::MQDoc_ClearSelect(document, MQ_SELECT_VERTEX); break;
    case 27: hostapi::MQDoc_ClearSelect(document, MQ_SELECT_FACE); break;
    case 28: hostapi::MQDoc_ClearSelect(document, MQ_SELECT_LINE); break;
    default: break;
    }
    return 1;
}

int SelectByIndex(cmq::CMQObject &object, int command, int32_t index) {
    const int objectIndex = hostapi::MQDoc_GetObjectIndex(object.document, object.object);
    // The index comes straight from a spin box; only a slot of the object
    // names an element, so anything else is not handed to the host.
    if (command == 29) {
        if (index >= 0 && index < hostapi::MQObj_GetVertexCount(object.object))
            hostapi::MQDoc_AddSelectVertex(object.document, objectIndex, index);
    } else {
        if (index >= 0 && index < hostapi::MQObj_GetFaceCount(object.object))
            hostapi::MQDoc_AddSelectFace(object.document, objectIndex, index);
    }
    return 1;
}

} // namespace selection
