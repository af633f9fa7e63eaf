#include "select/axis.h"

#include <cmath>

#include "mesh/selection_calls.h"
#include "mesh/vector_math.h"
#include "mesh/mesh_view.h"

namespace selection {
namespace {

// The object matrix, read once per step whether or not it is used.
struct ObjectMatrix {
    float m[16];
};

float Coordinate(const cmq::CMQVec3 &position, bool local, const ObjectMatrix &matrix, int axis) {
    const cmq::CMQVec3 p = local ? cmq::vmath::TransformPoint(position, matrix.m) : position;
    return axis == 0 ? p.x : axis == 1 ? p.y : p.z;
}

// Strict tests against the tolerance. A coordinate that is not a number
// fails every comparison, so it is never selected.
bool VertexPasses(Side side, float v, float range) {
    switch (side) {
    case Side::Below: return v < -range;
    case Side::On: return std::fabs(v) < range;
    case Side::Above: return v > range;
    }
    return false;
}

} // namespace

void SelectVerticesByAxis(const cmq::CMQObject &object, int axis, Side side, float range, bool local,
                          cmq::SelectionPlan &plan) {
    cmq::MeshView mesh(object);
    ObjectMatrix matrix;
    mesh.ReadMatrix(matrix.m);
    cmq::SelectionCalls sel(object, plan);
    mesh.VisitLiveVertices([&](int32_t v, const cmq::CMQVec3 &position) {
        if (VertexPasses(side, Coordinate(position, local, matrix, axis), range)) sel.AddVertex(v);
    });
}

void SelectFacesByAxis(const cmq::CMQObject &object, int axis, Side side, bool local, cmq::SelectionPlan &plan) {
    cmq::MeshView mesh(object);
    ObjectMatrix matrix;
    mesh.ReadMatrix(matrix.m);
    cmq::SelectionCalls sel(object, plan);
    mesh.ReadFaces();
    mesh.ReadPositions();
    for (const cmq::MeshView::Face face : mesh) {
        // Not tolerant and not strict: a face touching the plane still lies on
        // its side. Every point is tested; a NaN coordinate fails the face.
        bool onSide = true;
        for (const int32_t v : face.points) {
            const float c = Coordinate(mesh.Position(v), local, matrix, axis);
            const bool passes = side == Side::Below ? c <= 0.0f : c >= 0.0f;
            onSide = onSide && passes;
        }
        if (onSide) sel.AddFace(face.index);
    }
}

} // namespace selection
