// Single-precision vector arithmetic of the mesh model and the selection
// commands (line normals and side points, fold angles, object coordinates).
//
// Every product and sum is one float operation, evaluated in the order
// written; results are compared exactly (a fold of exactly -90 degrees must
// equal the window bound), so these must not be rewritten algebraically.
// The build forbids contraction into fused multiply-adds and excess
// precision (cmake/floating_point.cmake); the guards below refuse a build
// that would silently break that.
#pragma once

#include <cfloat>
#include <cmath>

#include "mesh/cmq_object.h"

#if defined(__FAST_MATH__)
#error "the mesh model and the selection commands need IEEE single-precision arithmetic; do not build with -ffast-math"
#endif
#if defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD != 0
#error "float expressions must be evaluated in float (FLT_EVAL_METHOD 0): use SSE2 arithmetic, not x87"
#endif
#if defined(__clang__)
#pragma clang fp contract(off)
#elif defined(_MSC_VER)
#pragma fp_contract(off)
#endif

namespace cmq::vmath {

inline CMQVec3 Sub(const CMQVec3 &a, const CMQVec3 &b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline CMQVec3 Add(const CMQVec3 &a, const CMQVec3 &b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline CMQVec3 Half(const CMQVec3 &a) { return {a.x * 0.5f, a.y * 0.5f, a.z * 0.5f}; }
inline CMQVec3 Negate(const CMQVec3 &a) { return {-a.x, -a.y, -a.z}; }

inline CMQVec3 Cross(const CMQVec3 &a, const CMQVec3 &b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// (a.x·b.x + a.y·b.y) + a.z·b.z, each step rounded to float.
inline float Dot(const CMQVec3 &a, const CMQVec3 &b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// The unit vector along v. The length is the double-precision square root of
// the single-precision sum of squares, rounded to float. Only a length
// greater than zero divides: a zero-length vector, and one whose length is
// not a number, become (0, 0, 0).
inline CMQVec3 Normalise(const CMQVec3 &v) {
    const float squared = v.x * v.x + v.y * v.y + v.z * v.z;
    const float length = static_cast<float>(std::sqrt(static_cast<double>(squared)));
    if (!(length > 0.0f)) return {};
    return {v.x / length, v.y / length, v.z / length};
}

// The row vector (p, 1) times the 4 × 4 matrix m (rows m[0..3] … m[12..15]);
// the fourth column is not used and nothing is divided by w.
inline CMQVec3 TransformPoint(const CMQVec3 &p, const float (&m)[16]) {
    return {p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12],
            p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13],
            p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14]};
}

} // namespace cmq::vmath
