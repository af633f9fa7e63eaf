#include "select/axis.h"

// Not built yet: commands 1-9 select nothing until this file is written.
namespace selection {
int SelectVertexByAxis(cmq::CMQObject &, const CommandInput &) { return 0; }
int SelectFaceByAxis(cmq::CMQObject &, const CommandInput &) { return 0; }
} // namespace selection
