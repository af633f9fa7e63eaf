// "Ridge": the lines where two faces bend by an angle inside the angle
// window (select/ridge_window.h).
#pragma once

#include <cstdint>

#include "mesh/cmq_object.h"
#include "select/ridge_window.h"
#include "mesh/selection_plan.h"

namespace selection {

// Replaces the selection with the lines of `object` along every vertex pair
// shared by exactly two face lines whose signed fold lies in `window` (with
// `addToSelection`, as with "All objects", adds to it instead), both lines
// of each pair, in line order of the pair's first line. Only pairs with a
// line covered by the selection the command starts from (a selected line,
// a line of a selected face, or both ends selected) are candidates; with no
// such line, every pair is. Linear in the face lines and the vertex slots
// used.
// Peak memory, 20.3-23.8 bytes per face line on a quad grid (both builds,
// docs/memory.md), over the 16 the other commands keep to, while the lines
// are grouped beside the host's thread: the mesh view's points and face
// starts (5), the group state and each pair's second line (5), the
// grouping's scratch (9), the coverage (1) and the vertex selection read
// for it (about 0.25), and the positions read meanwhile (12 bytes per
// vertex slot used, 3 per line); then each line's face (4).
// Returns 1 when the command ran; 0, touching nothing, when the object has
// a face of one point.
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

int SelectRidges(const cmq::CMQObject &object, const RidgeWindow &window, bool addToSelection, cmq::SelectionPlan &plan);

} // namespace selection
