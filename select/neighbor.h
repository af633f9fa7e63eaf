// Commands 16 to 23: conversions between vertex, line and face selections,
// and the sub-dispatch of commands 16 to 25.
#pragma once

#include "mesh/cmq_object.h"

namespace selection {

// Runs the conversion (16-23) or duplicated-vertex search (24, 25) of
// `command` on `object`. Returns 1 when the command is one of 16-25.
int DispatchNeighborCommand(cmq::CMQObject &object, int command);

} // namespace selection
