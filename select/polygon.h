// Commands 10 to 13: faces by their number of points.
#pragma once

#include "mesh/cmq_object.h"
#include "select/selection_plan.h"

namespace selection {

// Adds every live face whose point count matches the command to the face
// selection: 10 five or more, 11 four, 12 three, 13 two. Returns 1 for those
// commands, 0 (touching nothing) for any other.
int SelectPolygonByCount(cmq::CMQObject &object, int command);
int SelectPolygonByCount(cmq::CMQObject &object, int command, SelectionPlan &plan);

} // namespace selection
