#include "mesh/selection_calls.h"

#include "host/host_api.h"
#include "mesh/host_count.h"

namespace cmq {

SelectionCalls::SelectionCalls(const cmq::CMQObject &object, SelectionPlan &plan)
    : host_{hostapi::Table().MQDoc_IsSelectVertex, hostapi::Table().MQDoc_IsSelectFace,
            hostapi::Table().MQDoc_IsSelectLine},
      document_(object.document),
      plan_(plan),
      objectIndex_(hostapi::MQDoc_GetObjectIndex(object.document, object.object)),
      object_(object) {}

void SelectionCalls::FillCache(std::vector<int8_t> &cache) {
    if (vertexSlots_ < 0)
        vertexSlots_ = static_cast<int32_t>(cmq::CheckedCount(hostapi::MQObj_GetVertexCount(object_.object)));
    cache.assign(static_cast<std::size_t>(vertexSlots_), kUnknown);
}

void SelectionCalls::AddVertexOnce(int32_t v) {
    int8_t &added = CacheSlot(vertexAdded_, v);
    if (added == 1) return;
    added = 1;
    AddVertex(v);
}

} // namespace cmq
