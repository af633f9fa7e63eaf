// Commands 14 and 15: border lines, and lines where two faces bend by an
// angle inside the angle window.
#pragma once

#include "mesh/cmq_object.h"
#include "select/command_input.h"

namespace selection {

// Returns 1 for commands 14 and 15, 0 (touching nothing) otherwise.
int SelectEdgeRidge(cmq::CMQObject &object, const CommandInput &input);

} // namespace selection
