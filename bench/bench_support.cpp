#include "bench/bench_support.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>

#include "host/host_api.h"

namespace benchsupport {

void BindHost() {
    static const bool bound = hostapi::Bind(STANDIN_HOST_PATH);
    if (!bound) {
        std::fprintf(stderr, "cannot bind the stand-in host at %s\n", STANDIN_HOST_PATH);
        std::abort();
    }
}

BenchMesh &Mesh(MeshKind kind, int faces) {
    static std::unique_ptr<BenchMesh> last;
    static int lastAsked = -1;
    if (!last || last->kind != kind || lastAsked != faces) {
        last.reset(); // free the old mesh before building the new one
        BindHost();
        last = BuildMesh(kind, faces);
        lastAsked = faces;
    }
    return *last;
}

namespace {

// Every line's edge key of every live face, each face's points read once
// through the host functions; the walk both edge floors share.
template <class Visit>
void ForEachEdgeKey(const cmq::CMQObject &object, int faceCount, Visit visit) {
    std::vector<int32_t> points;
    for (int32_t f = 0; f < faceCount; ++f) {
        const int n = hostapi::MQObj_GetFacePointCount(object.object, f);
        if (n <= 0) continue;
        points.resize(static_cast<std::size_t>(n));
        hostapi::MQObj_GetFacePointArray(object.object, f, points.data());
        for (int k = 0; k < n; ++k)
            visit(cmq::EdgeKey(points[static_cast<std::size_t>(k)],
                               points[static_cast<std::size_t>(k + 1 == n ? 0 : k + 1)]));
    }
}

} // namespace

std::size_t CountDistinct(std::vector<int64_t> &keys) {
    std::sort(keys.begin(), keys.end());
    return static_cast<std::size_t>(std::unique(keys.begin(), keys.end()) - keys.begin());
}

std::size_t EdgeFloor(const cmq::CMQObject &object) {
    const int faceCount = hostapi::MQObj_GetFaceCount(object.object);
    std::vector<int64_t> keys;
    keys.reserve(faceCount > 0 ? static_cast<std::size_t>(faceCount) * 4 : 0);
    ForEachEdgeKey(object, faceCount, [&](int64_t key) { keys.push_back(key); });
    return CountDistinct(keys);
}

std::size_t VertexFloor(const cmq::CMQObject &object) {
    const int count = hostapi::MQObj_GetVertexCount(object.object);
    std::vector<int64_t> positions;
    positions.reserve(count > 0 ? static_cast<std::size_t>(count) : 0);
    for (int32_t v = 0; v < count; ++v) {
        if (hostapi::MQObj_GetVertexRefCount(object.object, v) < 1) continue;
        float p[3] = {0.0f, 0.0f, 0.0f};
        hostapi::MQObj_GetVertex(object.object, v, p);
        const uint64_t xy = (uint64_t{std::bit_cast<uint32_t>(p[0])} << 32) | std::bit_cast<uint32_t>(p[1]);
        positions.push_back(static_cast<int64_t>(xy ^ (uint64_t{std::bit_cast<uint32_t>(p[2])} * 0x9E3779B97F4A7C15ull)));
    }
    return CountDistinct(positions);
}

std::size_t LineQueryFloor(const cmq::CMQObject &object) {
    const int faceCount = hostapi::MQObj_GetFaceCount(object.object);
    const int objectIndex = hostapi::MQDoc_GetObjectIndex(object.document, object.object);
    std::size_t selected = 0;
    for (int32_t f = 0; f < faceCount; ++f) {
        const int n = hostapi::MQObj_GetFacePointCount(object.object, f);
        for (int32_t k = 0; k < n; ++k)
            if (hostapi::MQDoc_IsSelectLine(object.document, objectIndex, f, k) != 0) ++selected;
    }
    return selected;
}

} // namespace benchsupport
