#include "mesh/cmq_object.h"

#include "host/host_api.h"
#include "mesh/host_count.h"

namespace cmq {

CMQObject::~CMQObject() {
    object = nullptr;
    document = nullptr;
}

std::vector<int32_t> CMQObject::GetFacePoints(int32_t faceIndex) const {
    const int n = hostapi::MQObj_GetFacePointCount(object, faceIndex);
    if (n <= 0) return {};
    // Preset to 0: an entry the host leaves unwritten reads as vertex 0.
    std::vector<int32_t> points(CheckedCount(n, sizeof(int32_t)), 0);
    hostapi::MQObj_GetFacePointArray(object, faceIndex, points.data());
    return points;
}

CMQVec3 CMQObject::GetVertexPosition(int32_t vertexIndex) const {
    float xyz[3] = {0.0f, 0.0f, 0.0f};
    hostapi::MQObj_GetVertex(object, vertexIndex, xyz);
    return {xyz[0], xyz[1], xyz[2]};
}

} // namespace cmq
