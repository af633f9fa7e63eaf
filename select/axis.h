// Commands 1 to 9: vertices below, on or above the plane where x, y or z is
// zero, and optionally the faces wholly on one side.
#pragma once

#include "commands/options.h"
#include "mesh/cmq_object.h"
#include "select/selection_plan.h"

namespace selection {

// The vertex step: adds every live vertex whose (optionally transformed)
// coordinate passes the command's tolerance test. 1 for commands 1-9, else 0.
int SelectVertexByAxis(cmq::CMQObject &object, const vexolin::Options &input);
int SelectVertexByAxis(cmq::CMQObject &object, const vexolin::Options &input, SelectionPlan &plan);

// The face step: adds every live face all of whose points lie on the
// command's side (1, 3, 4, 6, 7, 9). 1 for those commands, else 0.
int SelectFaceByAxis(cmq::CMQObject &object, const vexolin::Options &input);
int SelectFaceByAxis(cmq::CMQObject &object, const vexolin::Options &input, SelectionPlan &plan);

} // namespace selection
