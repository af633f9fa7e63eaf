// Faces by their number of points. Keeps nothing per face: under 0.5 bytes
// per face line with what it adds (docs/memory.md).
#pragma once

#include "mesh/cmq_object.h"
#include "mesh/selection_plan.h"

namespace selection {

enum class PointCount { FiveOrMore, Four, Three, Two };

// Adds every live face with `count` points to the face selection. Reads
// the point counts only.
void SelectFacesByPointCount(const cmq::CMQObject &object, PointCount count, cmq::SelectionPlan &plan);

} // namespace selection
