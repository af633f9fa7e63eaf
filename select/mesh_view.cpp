#include "select/mesh_view.h"

#include <algorithm>

#include "host/host_api.h"
#include "mesh/host_count.h"

namespace selection {

MeshView::MeshView(const cmq::CMQObject &object) : object_(&object) {
    const std::size_t slots =
        cmq::CheckedCount(hostapi::MQObj_GetFaceCount(object.object), sizeof(int32_t) + sizeof(uint32_t));
    vertexSlots_ = static_cast<int32_t>(cmq::CheckedCount(hostapi::MQObj_GetVertexCount(object.object)));
    std::vector<int32_t> &faceIndex = *faceIndex_;
    std::vector<uint32_t> &faceStart = *faceStart_;
    std::vector<int32_t> &points = *points_;
    // Quads are typical; a host reporting very many slots does not get a
    // huge reservation up front, the lists grow as faces arrive instead.
    const std::size_t reserved = std::min<std::size_t>(slots, std::size_t{1} << 22);
    faceIndex.reserve(reserved);
    faceStart.reserve(reserved + 1);
    points.reserve(reserved * 4);
    int32_t top = -1;
    for (std::size_t f = 0; f < slots; ++f) {
        const auto face = static_cast<int32_t>(f);
        const std::size_t n = cmq::CheckedCount(hostapi::MQObj_GetFacePointCount(object.object, face), sizeof(int32_t));
        if (n == 0) continue; // deleted
        const std::size_t at = points.size();
        cmq::CheckFits32(at + n);
        // Preset to 0, as a fresh point list is: an entry the host leaves
        // unwritten reads as vertex 0.
        points.resize(at + n, 0);
        hostapi::MQObj_GetFacePointArray(object.object, face, points.data() + at);
        faceIndex.push_back(face);
        faceStart.push_back(static_cast<uint32_t>(at));
        for (std::size_t k = at; k < at + n; ++k)
            if (points[k] > top && points[k] < vertexSlots_) top = points[k];
    }
    faceStart.push_back(static_cast<uint32_t>(points.size()));
    usedSlots_ = top < 0 ? 0 : static_cast<std::size_t>(top) + 1;
}

void MeshView::ReadPositions() {
    std::vector<cmq::CMQVec3> &positions = *positions_;
    if (!positions.empty() || usedSlots_ == 0) return;
    // Which slots the faces use, then their positions in slot order.
    ScratchVector<uint8_t> usedVector;
    std::vector<uint8_t> &used = *usedVector;
    used.assign(usedSlots_, 0);
    for (const int32_t p : *points_)
        if (p >= 0 && static_cast<std::size_t>(p) < usedSlots_) used[static_cast<std::size_t>(p)] = 1;
    positions.assign(usedSlots_, cmq::CMQVec3{});
    for (std::size_t v = 0; v < usedSlots_; ++v)
        if (used[v] != 0) positions[v] = object_->GetVertexPosition(static_cast<int32_t>(v));
}

} // namespace selection
