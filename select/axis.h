// Vertices below, on or above the plane where x, y or z is zero, and the
// faces wholly on one side of it.
//
// Peak memory per face line on a quad grid (docs/memory.md): the vertex
// step keeps nothing per vertex, under 1 byte with what it adds; the face
// step holds the mesh view (points and face starts, 5).
#pragma once

#include "mesh/cmq_object.h"
#include "mesh/selection_plan.h"

namespace selection {

// Which side of the plane: strictly below -range, within range of it, or
// strictly above range (vertices); at or below 0, at or above 0 (faces).
enum class Side { Below, On, Above };

// The vertex step: adds every live vertex whose coordinate `axis` (0 x,
// 1 y, 2 z), transformed by the object's matrix first when `local` is set,
// passes the tolerance test of `side`.
void SelectVerticesByAxis(const cmq::CMQObject &object, int axis, Side side, float range, bool local,
                          cmq::SelectionPlan &plan);
// The face step: adds every live face all of whose points lie on `side`
// (Below or Above) of the plane.
void SelectFacesByAxis(const cmq::CMQObject &object, int axis, Side side, bool local, cmq::SelectionPlan &plan);

} // namespace selection
