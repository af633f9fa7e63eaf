// Vertices that have a twin, another live vertex of the
// same object at the same place, taken from the selected faces or lines.
//
// Peak memory, at most 14.7 bytes per face line on a quad grid (both
// builds, docs/memory.md): per vertex slot, the twin grid's 48 bytes while
// it sorts (the filed points, their keys and the sort's spare copy, 16
// each; 12 per line on a quad grid), a byte of state, and 4 bytes for each
// vertex the selection reaches.
#pragma once

#include "mesh/cmq_object.h"
#include "mesh/selection_plan.h"

namespace selection {

// Face => Dup Vertex: every point of a selected live face that is not selected yet and has a
// twin at exactly the same position (each of x, y, z equal as floats: +0
// equals -0, a NaN equals nothing) is added to the vertex selection. Then the
// document's face selection is cleared, in every object.
void FaceToDuplicateVertex(const cmq::CMQObject &object, cmq::SelectionPlan &plan);

// Line => Dup Vertex: every endpoint of a selected line of a live face that has a twin whose
// squared distance, computed in single precision as dx² + dy² + dz², is
// below 0.001 is added to the vertex selection. Then the document's line
// selection is cleared, in every object.
void LineToDuplicateVertex(const cmq::CMQObject &object, cmq::SelectionPlan &plan);

} // namespace selection
