#include "select/object_snapshot.h"

#include <algorithm>

#include "host/host_api.h"
#include "mesh/host_count.h"

namespace selection {

FaceTable::FaceTable(const cmq::CMQObject &object) {
    const std::size_t faceCount = cmq::CheckedCount(hostapi::MQObj_GetFaceCount(object.object), sizeof(std::size_t));
    std::vector<std::size_t> &start = *start_;
    std::vector<int32_t> &count = *count_;
    std::vector<int32_t> &points = *points_;
    start.resize(faceCount);
    count.resize(faceCount);
    // Quads are typical; a host reporting very many slots does not get a
    // huge reservation up front, the list grows as faces arrive instead.
    points.reserve(std::min<std::size_t>(faceCount * 4, std::size_t{1} << 24));
    for (int32_t f = 0; static_cast<std::size_t>(f) < faceCount; ++f) {
        const int n = hostapi::MQObj_GetFacePointCount(object.object, f);
        const std::size_t at = points.size();
        start[static_cast<std::size_t>(f)] = at;
        // A deleted face has no points; fewer than none is no answer.
        count[static_cast<std::size_t>(f)] = static_cast<int32_t>(cmq::CheckedCount(n, sizeof(int32_t)));
        if (n == 0) continue;
        cmq::CheckedCount(static_cast<int64_t>(at) + n, sizeof(int32_t));
        // Preset to -1: an entry the host leaves unwritten names no vertex.
        points.resize(at + static_cast<std::size_t>(n), -1);
        hostapi::MQObj_GetFacePointArray(object.object, f, points.data() + at);
    }
}

cmq::CMQLineEnds FaceTable::Line(int32_t face, int32_t line) const {
    const std::span<const int32_t> p = Points(face);
    const std::size_t j = static_cast<std::size_t>(line);
    return {p[j], p[j + 1 == p.size() ? 0 : j + 1]};
}

VertexTable::VertexTable(const cmq::CMQObject &object) {
    const int vertexCount = hostapi::MQObj_GetVertexCount(object.object);
    const std::size_t slots = cmq::CheckedCount(vertexCount, sizeof(cmq::CMQVec3));
    std::vector<uint8_t> &live = *live_;
    std::vector<cmq::CMQVec3> &positions = *positions_;
    live.assign(slots, 0);
    positions.assign(slots, cmq::CMQVec3{0.0f, 0.0f, 0.0f});
    for (int32_t v = 0; v < vertexCount; ++v) {
        if (hostapi::MQObj_GetVertexRefCount(object.object, v) < 1) continue;
        live[static_cast<std::size_t>(v)] = 1;
        positions[static_cast<std::size_t>(v)] = object.GetVertexPosition(v);
    }
}

SelectionCalls::SelectionCalls(const cmq::CMQObject &object, SelectionPlan &plan)
    : document_(object.document),
      plan_(plan),
      objectIndex_(hostapi::MQDoc_GetObjectIndex(object.document, object.object)),
      vertexSlots_(static_cast<int32_t>(cmq::CheckedCount(hostapi::MQObj_GetVertexCount(object.object)))) {}

void SelectionCalls::FillCache(std::vector<int8_t> &cache) const {
    cache.assign(static_cast<std::size_t>(vertexSlots_), kUnknown);
}

bool SelectionCalls::IsVertexSelected(int32_t v) const {
    return hostapi::MQDoc_IsSelectVertex(document_, objectIndex_, v) != 0;
}

bool SelectionCalls::IsFaceSelected(int32_t face) const {
    return hostapi::MQDoc_IsSelectFace(document_, objectIndex_, face) != 0;
}

bool SelectionCalls::IsLineSelected(int32_t face, int32_t line) const {
    return hostapi::MQDoc_IsSelectLine(document_, objectIndex_, face, line) != 0;
}

void SelectionCalls::AddVertexOnce(int32_t v) {
    int8_t *slot = CacheSlot(*vertexAdded_, v);
    if (slot != nullptr) {
        if (*slot == 1) return;
        *slot = 1;
    }
    AddVertex(v);
}

} // namespace selection
