// The plug-in's view of one host object: the object handle paired with the
// document that holds it, and the per-element queries the selection
// commands use. Nothing is cached: every query answers from the object as
// the host holds it when the query is made.
#pragma once

#include <cstdint>
#include <vector>

#include "abi/mq_abi.h"

namespace cmq {

// Three single-precision floats; all geometry here is computed in float.
struct CMQVec3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    friend bool operator==(const CMQVec3 &, const CMQVec3 &) = default;
};

// One side of a face as the host names it: (face index, line index).
struct CMQLine {
    int32_t face = 0;
    int32_t line = 0;
    friend bool operator==(const CMQLine &, const CMQLine &) = default;
};

// The two vertex indices a line runs between, start first.
struct CMQLineEnds {
    int32_t start = 0;
    int32_t end = 0;
    friend bool operator==(const CMQLineEnds &, const CMQLineEnds &) = default;
};

class CMQObject {
public:
    CMQObject() = default;
    CMQObject(MQObject objectHandle, MQDocument documentHandle)
        : object(objectHandle), document(documentHandle) {}
    CMQObject(const CMQObject &) = default;
    CMQObject &operator=(const CMQObject &) = default;
    // Owns neither handle; forgets both.
    virtual ~CMQObject();

    // The face's vertex indices in point order; empty for a deleted face.
    std::vector<int32_t> GetFacePoints(int32_t faceIndex) const;

    // The vertex position as the host holds it now.
    CMQVec3 GetVertexPosition(int32_t vertexIndex) const;

    // The line queries the tests' literal references are written in. They
    // are defined among the tests (tests/support/line_queries.cpp), not in
    // the plug-in: a command that called one would not link.

    // Line `line` of a face with at least one point; lines -1 to n are
    // accepted and wrap (line -1 is the closing line, line n is line 0).
    CMQLineEnds GetLine(int32_t faceIndex, int32_t line) const;

    // A vector perpendicular to line j and to the side entering it (for
    // faces of more than three points, the mean of the entering side and
    // the reversed leaving side); not normalised.
    CMQVec3 GetLineNormal(int32_t faceIndex, int32_t line) const;

    // A point of the face beside line j, 0 <= j < point count: the third
    // point of a triangle; for larger faces point j moved by the mean of
    // the two sides that leave line j.
    CMQVec3 GetLineSidePoint(int32_t faceIndex, int32_t line) const;

    // Every line occurrence joining vertices a and b in either direction,
    // except those of face `skipFace`, in ascending face and line order, as
    // the object's faces stand when it is called. Of a two-point face only
    // line 0 is reported.
    std::vector<CMQLine> FindEdgeLines(int32_t a, int32_t b, int32_t skipFace) const;

    MQObject object = nullptr;
    MQDocument document = nullptr;
};

// One 64-bit key for the unordered vertex pair (a, b):
// min × 2^32 + max, with max sign-extended.
constexpr int64_t EdgeKey(int32_t a, int32_t b) {
    const int32_t lo = a < b ? a : b;
    const int32_t hi = a < b ? b : a;
    return static_cast<int64_t>(static_cast<uint64_t>(static_cast<int64_t>(lo)) << 32) +
           static_cast<int64_t>(hi);
}

} // namespace cmq
