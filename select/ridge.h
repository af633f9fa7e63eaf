// "Ridge": the lines where two faces bend by an angle inside the angle
// window (select/ridge_window.h).
#pragma once

#include <cstdint>

#include "mesh/cmq_object.h"
#include "select/ridge_window.h"
#include "mesh/selection_plan.h"

namespace selection {

// What the ridge test needs of one line of a face: the line normal (not
// normalised), a point of the face beside the line, and the position of the
// line's start.
struct LineFrame {
    cmq::CMQVec3 normal;
    cmq::CMQVec3 sidePoint;
    cmq::CMQVec3 start;
};
// The frame of line `line` of `face`, read with one point-list query of
// the face and the positions of its points: the same single-precision
// arithmetic as the command's, and as cmq::CMQObject::GetLineNormal and
// GetLineSidePoint. The face must have at least one point and
// 0 <= line < point count.
LineFrame ReadLineFrame(const cmq::CMQObject &object, int32_t face, int32_t line);

// Replaces the selection with the lines of `object` along every vertex pair
// shared by exactly two face lines whose signed fold lies in `window` (with
// `addToSelection`, as with "All objects", adds to it instead), both lines
// of each pair, in line order of the pair's first line. Only pairs with a
// line covered by the selection the command starts from (a selected line,
// a line of a selected face, or both ends selected) are candidates; with no
// such line, every pair is. Linear in the face lines and the vertex slots
// used.
// Peak memory, 13.2-14.9 bytes per face line on a quad grid (both builds,
// docs/memory.md), while the lines are grouped beside the host's thread:
// the mesh view's points and face starts (5), each line's group entry (4),
// the grouping's scratch (8 per line of its largest range of vertices, at
// most an eighth of the lines, and 4 per vertex slot used: 2 in all), the
// coverage, a bit per line, and the vertex selection read for it (about
// 0.4), and the positions read meanwhile (12 bytes per vertex slot used, 3
// per line). Afterwards the scratch is freed and the index of each line's
// face (0.5) made.
// Returns 1 when the command ran; 0, touching nothing, when the object has
// a face of one point.
int SelectRidges(const cmq::CMQObject &object, const RidgeWindow &window, bool addToSelection, cmq::SelectionPlan &plan);

} // namespace selection
