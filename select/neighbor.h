// Commands 16 to 23: conversions between vertex, line and face selections,
// and the sub-dispatch of commands 16 to 25.
//
// Each conversion only adds to the selection of `object`; the kind it reads
// is never the kind it adds, so the order of its host calls does not change
// what it selects. Every one reads the object once into a mesh view and runs
// in time linear in the number of face points.
#pragma once

#include "mesh/cmq_object.h"
#include "select/selection_plan.h"

namespace selection {

// Runs the conversion (16-23) or duplicated-vertex search (24, 25) of
// `command` on `object`. Returns 1 when the command is one of 16-25 (an
// object without a handle is then left alone), 0 for any other command.
// The form with a plan records the selection changes in it (nothing changes
// until it is applied); the one without applies them before it returns.
int DispatchNeighborCommand(cmq::CMQObject &object, int command, SelectionPlan &plan);
int DispatchNeighborCommand(cmq::CMQObject &object, int command);

// 16: every live face with at least one selected point.
int VertexToFaceAny(const cmq::CMQObject &object, SelectionPlan &plan);
// 17: every live face whose points are all selected.
int VertexToFaceAll(const cmq::CMQObject &object, SelectionPlan &plan);
// 18: both endpoints of every selected line.
int LineToVertex(const cmq::CMQObject &object, SelectionPlan &plan);
// 19: every point of every selected face.
int FaceToVertex(const cmq::CMQObject &object, SelectionPlan &plan);
// 20: every line with at least one selected endpoint.
int VertexToLineAny(const cmq::CMQObject &object, SelectionPlan &plan);
// 21: every line whose two endpoints are selected.
int VertexToLineAll(const cmq::CMQObject &object, SelectionPlan &plan);
// 22: every line of every selected face, and every line of any other face
// that joins the same two vertices (of a two-point face only its line 0).
int FaceToLine(const cmq::CMQObject &object, SelectionPlan &plan);
// 23: every live face with at least two lines on selected edges, an edge
// being selected when any line of the object joining its two vertices is.
int TwoLinesToFace(const cmq::CMQObject &object, SelectionPlan &plan);

} // namespace selection
