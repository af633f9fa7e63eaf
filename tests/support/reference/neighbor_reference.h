// Slow, literal versions of commands 16 to 25, for differential tests only.
//
// Each function follows the commands' definitions step by step through the
// mesh model (face and vertex walks, GetFacePoints, GetLine, FindEdgeLines),
// asks the host for every selection state when it needs it and looks the
// object's index up before every selection call. Nothing is indexed or
// cached, so the cost is quadratic in places; use small meshes only.
#pragma once

#include <cstdint>
#include <unordered_set>
#include <vector>

#include "host/host_api.h"
#include "mesh/cmq_object.h"
#include "tests/support/element_walks.h"

namespace reference {

inline int ObjectIndex(const cmq::CMQObject &o) { return hostapi::MQDoc_GetObjectIndex(o.document, o.object); }
inline bool VertexSelected(const cmq::CMQObject &o, int32_t v) {
    return hostapi::MQDoc_IsSelectVertex(o.document, ObjectIndex(o), v) != 0;
}
inline bool LineSelected(const cmq::CMQObject &o, int32_t f, int32_t j) {
    return hostapi::MQDoc_IsSelectLine(o.document, ObjectIndex(o), f, j) != 0;
}
inline bool FaceSelected(const cmq::CMQObject &o, int32_t f) {
    return hostapi::MQDoc_IsSelectFace(o.document, ObjectIndex(o), f) != 0;
}
inline void AddVertex(const cmq::CMQObject &o, int32_t v) { hostapi::MQDoc_AddSelectVertex(o.document, ObjectIndex(o), v); }
inline void AddLine(const cmq::CMQObject &o, int32_t f, int32_t j) {
    hostapi::MQDoc_AddSelectLine(o.document, ObjectIndex(o), f, j);
}
inline void AddFace(const cmq::CMQObject &o, int32_t f) { hostapi::MQDoc_AddSelectFace(o.document, ObjectIndex(o), f); }

// 16: for each live face, for each point in order, a selected point adds the
// face (once per selected point).
inline int VertexToFaceAny(cmq::CMQObject &object) {
    for (auto it = cmq::FirstFace(object); !cmq::AtEnd(it); cmq::Next(it)) {
        const auto face = *it;
        for (int32_t v : face->GetPoints())
            if (VertexSelected(object, v)) AddFace(object, face->index);
    }
    return 1;
}

// 17: test points in order, stop at the first unselected; all selected adds
// the face once.
inline int VertexToFaceAll(cmq::CMQObject &object) {
    for (auto it = cmq::FirstFace(object); !cmq::AtEnd(it); cmq::Next(it)) {
        const auto face = *it;
        bool all = true;
        for (int32_t v : face->GetPoints()) {
            if (!VertexSelected(object, v)) {
                all = false;
                break;
            }
        }
        if (all) AddFace(object, face->index);
    }
    return 1;
}

// 18: a selected line adds its start, then its end.
inline int LineToVertex(cmq::CMQObject &object) {
    for (auto it = cmq::FirstFace(object); !cmq::AtEnd(it); cmq::Next(it)) {
        const auto face = *it;
        const int n = face->GetPointCount();
        for (int32_t j = 0; j < n; ++j) {
            if (!LineSelected(object, face->index, j)) continue;
            const cmq::CMQLineEnds ab = object.GetLine(face->index, j);
            AddVertex(object, ab.start);
            AddVertex(object, ab.end);
        }
    }
    return 1;
}

// 19: a selected face adds each of its points in order.
inline int FaceToVertex(cmq::CMQObject &object) {
    for (auto it = cmq::FirstFace(object); !cmq::AtEnd(it); cmq::Next(it)) {
        const auto face = *it;
        if (!face->IsSelected()) continue;
        for (int32_t v : face->GetPoints()) AddVertex(object, v);
    }
    return 1;
}

// 20: a is asked first; b only when a is not selected.
inline int VertexToLineAny(cmq::CMQObject &object) {
    for (auto it = cmq::FirstFace(object); !cmq::AtEnd(it); cmq::Next(it)) {
        const auto face = *it;
        const int n = face->GetPointCount();
        for (int32_t j = 0; j < n; ++j) {
            const cmq::CMQLineEnds ab = object.GetLine(face->index, j);
            if (VertexSelected(object, ab.start) || VertexSelected(object, ab.end)) AddLine(object, face->index, j);
        }
    }
    return 1;
}

// 21: b is asked only when a is selected.
inline int VertexToLineAll(cmq::CMQObject &object) {
    for (auto it = cmq::FirstFace(object); !cmq::AtEnd(it); cmq::Next(it)) {
        const auto face = *it;
        const int n = face->GetPointCount();
        for (int32_t j = 0; j < n; ++j) {
            const cmq::CMQLineEnds ab = object.GetLine(face->index, j);
            if (VertexSelected(object, ab.start) && VertexSelected(object, ab.end)) AddLine(object, face->index, j);
        }
    }
    return 1;
}

// 22: each line of a selected face is added, then every line of every other
// face slot that joins the same two vertices (FindEdgeLines scans them all).
inline int FaceToLine(cmq::CMQObject &object) {
    for (auto it = cmq::FirstFace(object); !cmq::AtEnd(it); cmq::Next(it)) {
        const auto face = *it;
        if (!face->IsSelected()) continue;
        const int n = face->GetPointCount();
        for (int32_t j = 0; j < n; ++j) {
            AddLine(object, face->index, j);
            const cmq::CMQLineEnds ab = object.GetLine(face->index, j);
            for (const cmq::CMQLine &r : object.FindEdgeLines(ab.start, ab.end, face->index))
                AddLine(object, r.face, r.line);
        }
    }
    return 1;
}

// 23: edge keys of the selected lines, then per face the number of its lines
// whose key is among them; two or more add the face.
inline int TwoLinesToFace(cmq::CMQObject &object) {
    std::unordered_set<int64_t> edges;
    for (auto it = cmq::FirstFace(object); !cmq::AtEnd(it); cmq::Next(it)) {
        const auto face = *it;
        const int n = face->GetPointCount();
        for (int32_t j = 0; j < n; ++j) {
            if (!LineSelected(object, face->index, j)) continue;
            const cmq::CMQLineEnds ab = object.GetLine(face->index, j);
            edges.insert(cmq::EdgeKey(ab.start, ab.end));
        }
    }
    for (auto it = cmq::FirstFace(object); !cmq::AtEnd(it); cmq::Next(it)) {
        const auto face = *it;
        const int n = face->GetPointCount();
        int count = 0;
        for (int32_t j = 0; j < n; ++j) {
            const cmq::CMQLineEnds ab = object.GetLine(face->index, j);
            if (edges.count(cmq::EdgeKey(ab.start, ab.end)) != 0) ++count;
        }
        if (count >= 2) AddFace(object, face->index);
    }
    return 1;
}

inline cmq::CMQVec3 HostPosition(const cmq::CMQObject &object, int32_t v) {
    float p[3] = {0.0f, 0.0f, 0.0f};
    hostapi::MQObj_GetVertex(object.object, v, p);
    return {p[0], p[1], p[2]};
}

// 24: unselected points of selected faces; a walk over the live vertices
// stops at the first other vertex at exactly the same place. The candidate's
// position is read again for every comparison. Faces are cleared at the end.
inline int FaceToDuplicateVertex(cmq::CMQObject &object) {
    for (auto it = cmq::FirstFace(object); !cmq::AtEnd(it); cmq::Next(it)) {
        const auto face = *it;
        if (!face->IsSelected()) continue;
        for (int32_t v : face->GetPoints()) {
            if (VertexSelected(object, v)) continue;
            for (auto vit = cmq::FirstVertex(object); !cmq::AtEnd(vit); cmq::Next(vit)) {
                const auto o = *vit;
                if (o->index == v) continue;
                const cmq::CMQVec3 q = o->position;
                const cmq::CMQVec3 p = HostPosition(object, v);
                if (p.x == q.x && p.y == q.y && p.z == q.z) {
                    AddVertex(object, v);
                    break;
                }
            }
        }
    }
    hostapi::MQDoc_ClearSelect(object.document, MQ_SELECT_FACE);
    return 1;
}

// 25: each selected line is deselected, then both endpoints not yet found are
// searched for in one walk over the live vertices (squared distance in
// float, summed in order, below 0.001). A line whose endpoints were both
// found before passes on to the face's next line. Lines are cleared at the
// end.
inline int LineToDuplicateVertex(cmq::CMQObject &object) {
    std::unordered_set<int32_t> found;
    const auto near = [&](int32_t candidate, const cmq::CMQVec3 &q) {
        const cmq::CMQVec3 p = HostPosition(object, candidate);
        const float dx = p.x - q.x;
        const float dy = p.y - q.y;
        const float dz = p.z - q.z;
        const float d2 = dx * dx + dy * dy + dz * dz;
        return d2 < 0.001f;
    };
    for (auto it = cmq::FirstFace(object); !cmq::AtEnd(it); cmq::Next(it)) {
        const auto face = *it;
        const int n = face->GetPointCount();
        for (int32_t j = 0; j < n; ++j) {
            if (!LineSelected(object, face->index, j)) continue;
            hostapi::MQDoc_DeleteSelectLine(object.document, ObjectIndex(object), face->index, j);
            const cmq::CMQLineEnds ab = object.GetLine(face->index, j);
            const int32_t a = ab.start;
            const int32_t b = ab.end;
            if (found.count(a) != 0 && found.count(b) != 0) continue;
            for (auto vit = cmq::FirstVertex(object); !cmq::AtEnd(vit); cmq::Next(vit)) {
                const auto o = *vit;
                if (found.count(a) == 0 && o->index != a && near(a, o->position)) {
                    AddVertex(object, a);
                    found.insert(a);
                }
                if (found.count(b) == 0 && o->index != b && near(b, o->position)) {
                    AddVertex(object, b);
                    found.insert(b);
                }
                if (found.count(a) != 0 && found.count(b) != 0) break;
            }
        }
    }
    hostapi::MQDoc_ClearSelect(object.document, MQ_SELECT_LINE);
    return 1;
}

// The reference for one command number 16-25; 0 for any other.
inline int Run(cmq::CMQObject &object, int command) {
    switch (command) {
    case 16: return VertexToFaceAny(object);
    case 17: return VertexToFaceAll(object);
    case 18: return LineToVertex(object);
    case 19: return FaceToVertex(object);
    case 20: return VertexToLineAny(object);
    case 21: return VertexToLineAll(object);
    case 22: return FaceToLine(object);
    case 23: return TwoLinesToFace(object);
    case 24: return FaceToDuplicateVertex(object);
    case 25: return LineToDuplicateVertex(object);
    default: return 0;
    }
}

} // namespace reference
