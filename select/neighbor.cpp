#include "select/neighbor.h"

// Not built yet: commands 16-25 select nothing until this file is written.
namespace selection {
int DispatchNeighborCommand(cmq::CMQObject &, int) { return 0; }
} // namespace selection
