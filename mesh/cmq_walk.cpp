#include "mesh/cmq_walk.h"

#include "host/host_api.h"
#include "mesh/host_count.h"

namespace cmq {
namespace {

// A face with fewer than no points is no answer a command can use: the walk
// fails (BadHostAnswer) rather than take the face for a deleted one.
bool IsLiveFace(const CMQObject &object, int32_t i) {
    return CheckedCount(hostapi::MQObj_GetFacePointCount(object.object, i)) >= 1;
}

bool IsLiveVertex(const CMQObject &object, int32_t i) {
    return hostapi::MQObj_GetVertexRefCount(object.object, i) >= 1;
}

int SlotCount(int count) {
    if (count < 0) throw BadHostAnswer();
    return count;
}

} // namespace

CMQFace::~CMQFace() {
    index = -1;
    object = nullptr;
}

int CMQFace::GetPointCount() const { return hostapi::MQObj_GetFacePointCount(object->object, index); }

std::vector<int32_t> CMQFace::GetPoints() const { return object->GetFacePoints(index); }

bool CMQFace::IsSelected() const {
    const int objectIndex = hostapi::MQDoc_GetObjectIndex(object->document, object->object);
    return hostapi::MQDoc_IsSelectFace(object->document, objectIndex, index) != 0;
}

void CMQFace::Select() const {
    const int objectIndex = hostapi::MQDoc_GetObjectIndex(object->document, object->object);
    hostapi::MQDoc_AddSelectFace(object->document, objectIndex, index);
}

CMQVertex::~CMQVertex() {
    index = -1;
    object = nullptr;
    position = {};
}

std::shared_ptr<CMQFace> CMQFaceIterator::operator*() const {
    return std::make_shared<CMQFace>(index, object);
}

std::shared_ptr<CMQVertex> CMQVertexIterator::operator*() const {
    return std::make_shared<CMQVertex>(index, object, object->GetVertexPosition(index));
}

CMQFaceIterator FirstFace(CMQObject &object) {
    CMQFaceIterator it{0, &object};
    if (hostapi::MQObj_GetFaceCount(object.object) > 0 && !IsLiveFace(object, 0)) Next(it);
    return it;
}

CMQVertexIterator FirstVertex(CMQObject &object) {
    CMQVertexIterator it{0, &object};
    if (hostapi::MQObj_GetVertexCount(object.object) > 0 && !IsLiveVertex(object, 0)) Next(it);
    return it;
}

CMQFaceIterator &Next(CMQFaceIterator &it) {
    const int count = hostapi::MQObj_GetFaceCount(it.object->object);
    do {
        ++it.index;
    } while (it.index < count && !IsLiveFace(*it.object, it.index));
    return it;
}

CMQVertexIterator &Next(CMQVertexIterator &it) {
    const int count = hostapi::MQObj_GetVertexCount(it.object->object);
    do {
        ++it.index;
    } while (it.index < count && !IsLiveVertex(*it.object, it.index));
    return it;
}

// A walk over an object with no slots ends at once. A negative count is no
// answer a walk can use: it fails (BadHostAnswer) rather than take the
// object for an empty one, so that a command cannot do half its work (the
// face step of an axis command on the true faces, its vertex step on none).
bool AtEnd(const CMQFaceIterator &it) {
    return it.index >= SlotCount(hostapi::MQObj_GetFaceCount(it.object->object));
}

bool AtEnd(const CMQVertexIterator &it) {
    return it.index >= SlotCount(hostapi::MQObj_GetVertexCount(it.object->object));
}

} // namespace cmq
