// "Edge": the border lines, vertex pairs that exactly one face line runs
// along.
#pragma once

#include "mesh/cmq_object.h"
#include "mesh/selection_plan.h"

namespace selection {

// Replaces the selection with the border lines of `object` (with
// `addToSelection`, as with "All objects", adds to it instead). Only lines
// covered by the selection the command starts from (a selected line, a line
// of a selected face, or both ends selected) are candidates; with no such
// line, every border is. The selection is asked in line order up to the
// first covered line, and after it only for the borders. Linear in the face
// lines and the vertex slots used.
// Peak memory, 11.1-11.7 bytes per face line on a quad grid (both builds,
// docs/memory.md): the mesh view's points and face starts (5), each line's
// group entry (4), the grouping's scratch (8 per line of its largest range
// of vertices, at most an eighth of the lines, and 4 per vertex slot used:
// 2 in all), the vertex selection read for the coverage (1 per vertex slot,
// about 0.25).
// Returns 1 when the command ran; 0, touching nothing, when the object has
// a face of one point.
int SelectBorders(const cmq::CMQObject &object, bool addToSelection, cmq::SelectionPlan &plan);

} // namespace selection
