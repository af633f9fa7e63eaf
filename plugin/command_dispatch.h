// The one dispatch of the thirty commands: for each, the selection function
// that carries it out on one object, called with that command's own
// parameters from the options record.
//
// Plug-in object (plugin/vexolin.cpp) -> PlanCommandOn -> one function of
// select/ (a file per command family) -> the mesh view and the selection
// calls -> the host functions.
#pragma once

#include "commands/options.h"
#include "mesh/cmq_object.h"
#include "mesh/selection_plan.h"

namespace vexolin {

// Records in `plan` what command `options.commandNumber` does on `object`.
// The clears work on the whole document and need no object; every other
// command leaves an object without a handle alone. Returns 1 when the
// command ran; 0 when it left the object alone (no handle, a face of one
// point for the border and ridge commands, or a number no command has).
int PlanCommandOn(const cmq::CMQObject &object, const Options &options, cmq::SelectionPlan &plan);

// The same, the plan applied at once: for callers that run one command on
// one object alone (tests, benchmarks).
int RunCommandOn(const cmq::CMQObject &object, const Options &options);

} // namespace vexolin
