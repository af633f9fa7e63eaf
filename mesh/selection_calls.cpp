#include "mesh/selection_calls.h"

#include "host/host_api.h"
#include "mesh/host_count.h"

namespace cmq {

SelectionCalls::SelectionCalls(const cmq::CMQObject &object, SelectionPlan &plan)
    : document_(object.document),
      plan_(plan),
      objectIndex_(hostapi::MQDoc_GetObjectIndex(object.document, object.object)),
      object_(object) {}

void SelectionCalls::FillCache(std::vector<int8_t> &cache) {
    if (vertexSlots_ < 0)
        vertexSlots_ = static_cast<int32_t>(cmq::CheckedCount(hostapi::MQObj_GetVertexCount(object_.object)));
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
    int8_t &added = CacheSlot(vertexAdded_, v);
    if (added == 1) return;
    added = 1;
    AddVertex(v);
}

} // namespace cmq
