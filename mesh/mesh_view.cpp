#include "mesh/mesh_view.h"

#include <algorithm>

#include "host/host_api.h"

namespace cmq {

MeshView::MeshView(const cmq::CMQObject &object)
    : object_(&object),
      host_{hostapi::Table().MQObj_GetFacePointCount, hostapi::Table().MQObj_GetFacePointArray,
            hostapi::Table().MQObj_GetVertexRefCount, hostapi::Table().MQObj_GetVertex} {}

int32_t MeshView::ReadVertexSlots() {
    if (!vertexSlotsRead_) {
        vertexSlots_ = static_cast<int32_t>(cmq::CheckedCount(hostapi::MQObj_GetVertexCount(object_->object)));
        vertexSlotsRead_ = true;
    }
    return vertexSlots_;
}

std::size_t MeshView::ReadFaceSlots() const {
    return cmq::CheckedCount(hostapi::MQObj_GetFaceCount(object_->object), sizeof(int32_t) + sizeof(uint32_t));
}

void MeshView::ReadMatrix(float (&matrix)[16]) const {
    static constexpr float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::copy(std::begin(kIdentity), std::end(kIdentity), matrix);
    hostapi::MQObj_GetFloatArray(object_->object, MQ_OBJ_FLOAT_MATRIX, matrix);
}

void MeshView::ReadFaces() {
    ReadVertexSlots();
    std::vector<int32_t> &faceIndex = faceIndex_;
    std::vector<uint32_t> &faceStart = faceStart_;
    std::vector<int32_t> &points = points_;
    // Quads are typical; a host reporting very many slots does not get a
    // huge reservation up front, the lists grow as faces arrive instead.
    const std::size_t slots = ReadFaceSlots();
    const std::size_t reserved = std::min<std::size_t>(slots, std::size_t{1} << 22);
    faceStart.reserve(reserved + 1);
    points.reserve(reserved * 4);
    // The list is grown (preset to 0, as a fresh point list is: an entry the
    // host leaves unwritten reads as vertex 0) to its whole room at once,
    // not face by face, and cut to the points read at the end.
    // Each face's points are checked, and the largest one found, while they
    // are still in cache.
    int32_t top = -1;
    const auto take = [&](int32_t face, std::size_t n, std::size_t first) {
        const std::size_t ordinal = faceStart.size();
        if (!faceIndex.empty() || static_cast<std::size_t>(face) != ordinal) {
            // The first face after a deleted slot: from here on the indices
            // are kept, those before it being their ordinals.
            if (faceIndex.empty())
                for (std::size_t o = 0; o < ordinal; ++o) faceIndex.push_back(static_cast<int32_t>(o));
            faceIndex.push_back(face);
        }
        faceStart.push_back(static_cast<uint32_t>(first));
        if (first + n > points.size()) points.resize(std::max({first + n, points.capacity(), 2 * points.size()}), 0);
        ReadPointsOf(face, points.data() + first);
        top = std::max(top, CheckPoints({points.data() + first, n}));
    };
    const std::size_t total = ForEachFaceSlot(slots, [](int32_t, std::size_t) { return true; }, take);
    faceStart.push_back(static_cast<uint32_t>(total));
    // The room reserved or grown beyond what was read is given back (a
    // copy, made before the command's own arrays exist): a triangle mesh
    // fills three quarters of the points reserved, and past 4M faces the
    // lists have grown by doubling. Both lists are then the exact size
    // for the rest of the command.
    points.resize(total);
    points.shrink_to_fit();
    faceStart.shrink_to_fit();
    faceIndex.shrink_to_fit();
    usedSlots_ = top < 0 ? 0 : static_cast<std::size_t>(top) + 1;
}


void MeshView::ReadPositions() {
    const std::size_t usedSlots = usedSlots_;
    std::vector<cmq::CMQVec3> &positions = positions_;
    if (!positions.empty()) return;
    // Which slots the faces use, then their positions in slot order.
    std::vector<uint8_t> used;
    used.assign(usedSlots, 0);
    for (const int32_t p : points_) used[static_cast<std::size_t>(p)] = 1;
    positions.assign(usedSlots, cmq::CMQVec3{});
    for (std::size_t v = 0; v < usedSlots; ++v)
        if (used[v] != 0) positions[v] = ReadPosition(static_cast<int32_t>(v));
}

} // namespace cmq
