#include "select/edge_ridge.h"

// Not built yet: commands 14 and 15 select nothing until this file is written.
namespace selection {
int SelectEdgeRidge(cmq::CMQObject &, const CommandInput &) { return 0; }
} // namespace selection
