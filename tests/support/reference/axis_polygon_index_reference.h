// Slow, literal versions of commands 1 to 13 (vertices and faces by axis
// side, faces by point count) and 29, 30 (one vertex or face by index), for
// differential tests only.
//
// Straight loops over the object's slots through the host functions: every
// vertex slot with a reference count of at least one, every face slot with
// at least one point, each position read when it is tested, the object's
// index looked up before every selection call. Each command only adds to
// the selection.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "host/host_api.h"
#include "mesh/cmq_object.h"
#include "commands/options.h"

// Every product and sum below is one single-precision operation, in the
// order written, as in the commands.
#if defined(__clang__)
#pragma clang fp contract(off)
#endif

namespace reference {

struct Float3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

inline Float3 Position(const cmq::CMQObject &o, int32_t v) {
    float p[3] = {0.0f, 0.0f, 0.0f};
    hostapi::MQObj_GetVertex(o.object, v, p);
    return {p[0], p[1], p[2]};
}

// The coordinate on `axis` (0 x, 1 y, 2 z), after the row vector (x, y, z, 1)
// is multiplied by the object matrix when `local` is set.
inline float AxisCoordinate(const Float3 &p, bool local, const float (&m)[16], int axis) {
    float x = p.x, y = p.y, z = p.z;
    if (local) {
        x = p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12];
        y = p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13];
        z = p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14];
    }
    if (axis == 0) return x;
    if (axis == 1) return y;
    return z;
}

inline void ReadMatrix(const cmq::CMQObject &o, float (&m)[16]) {
    for (int i = 0; i < 16; ++i) m[i] = i % 5 == 0 ? 1.0f : 0.0f;
    hostapi::MQObj_GetFloatArray(o.object, MQ_OBJ_FLOAT_MATRIX, m);
}

// Commands 1-9, the face step ("(&F)ace" set, run before the vertex step):
// "<0" buttons add every face all of whose points have coordinate <= 0,
// ">0" buttons >= 0; "=0" buttons add none.
inline void AxisFaces(const cmq::CMQObject &o, const vexolin::Options &in) {
    const int axis = (in.commandNumber - 1) / 3;
    const int side = (in.commandNumber - 1) % 3; // 0 below, 1 on, 2 above
    if (in.commandNumber < 1 || in.commandNumber > 9 || side == 1) return;
    float m[16];
    ReadMatrix(o, m);
    for (int32_t f = 0; f < hostapi::MQObj_GetFaceCount(o.object); ++f) {
        const int32_t n = hostapi::MQObj_GetFacePointCount(o.object, f);
        if (n < 1) continue;
        std::vector<int32_t> points(static_cast<size_t>(n));
        hostapi::MQObj_GetFacePointArray(o.object, f, points.data());
        bool all = true;
        for (int32_t v : points) {
            const float c = AxisCoordinate(Position(o, v), in.local, m, axis);
            if (side == 0 && !(c <= 0.0f)) all = false;
            if (side == 2 && !(c >= 0.0f)) all = false;
        }
        if (all) hostapi::MQDoc_AddSelectFace(o.document, hostapi::MQDoc_GetObjectIndex(o.document, o.object), f);
    }
}

// Commands 1-9, the vertex step: every used vertex with coordinate below
// -range, of magnitude below range, or above range (all strict).
inline void AxisVertices(const cmq::CMQObject &o, const vexolin::Options &in) {
    if (in.commandNumber < 1 || in.commandNumber > 9) return;
    const int axis = (in.commandNumber - 1) / 3;
    const int side = (in.commandNumber - 1) % 3;
    float m[16];
    ReadMatrix(o, m);
    for (int32_t v = 0; v < hostapi::MQObj_GetVertexCount(o.object); ++v) {
        if (hostapi::MQObj_GetVertexRefCount(o.object, v) < 1) continue;
        const float c = AxisCoordinate(Position(o, v), in.local, m, axis);
        bool selected = false;
        if (side == 0) selected = c < -in.range;
        if (side == 1) selected = std::fabs(c) < in.range;
        if (side == 2) selected = c > in.range;
        if (selected) hostapi::MQDoc_AddSelectVertex(o.document, hostapi::MQDoc_GetObjectIndex(o.document, o.object), v);
    }
}

// Commands 10-13: faces of five or more, four, three and two points.
inline void PolygonByCount(const cmq::CMQObject &o, int command) {
    for (int32_t f = 0; f < hostapi::MQObj_GetFaceCount(o.object); ++f) {
        const int32_t n = hostapi::MQObj_GetFacePointCount(o.object, f);
        if (n < 1) continue;
        const bool selected = (command == 10 && n >= 5) || (command == 11 && n == 4) ||
                              (command == 12 && n == 3) || (command == 13 && n == 2);
        if (selected) hostapi::MQDoc_AddSelectFace(o.document, hostapi::MQDoc_GetObjectIndex(o.document, o.object), f);
    }
}

// Commands 29 and 30: the index goes to the host as it is; the host takes
// only an index that names a vertex, or a face that is not deleted.
inline void SelectByIndex(const cmq::CMQObject &o, int command, int32_t index) {
    const int objectIndex = hostapi::MQDoc_GetObjectIndex(o.document, o.object);
    if (command == 29) hostapi::MQDoc_AddSelectVertex(o.document, objectIndex, index);
    if (command == 30) hostapi::MQDoc_AddSelectFace(o.document, objectIndex, index);
}

} // namespace reference
