// Adding one vertex or one face, named by its index, to the selection.
#pragma once

#include <cstdint>

#include "mesh/cmq_object.h"
#include "mesh/selection_plan.h"

namespace selection {

// Adds vertex `index` of `object` to the selection. An index outside the
// vertex slots names no vertex and selects nothing; any slot will do, used
// or not.
void SelectVertexByIndex(const cmq::CMQObject &object, int32_t index, cmq::SelectionPlan &plan);
// Adds face `index` of `object` to the selection. An index outside the face
// slots, or of a deleted face (no points), selects nothing.
void SelectFaceByIndex(const cmq::CMQObject &object, int32_t index, cmq::SelectionPlan &plan);

} // namespace selection
