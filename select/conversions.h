// Conversions between vertex, line and face selections.
//
// Each conversion only adds to the selection of `object`; the kind it reads
// is never the kind it adds, so the order of its host calls does not change
// what it selects. Every one reads the object once into a mesh view and runs
// in time linear in the number of face points.
//
// Peak memory per face line on a quad grid (both builds, docs/memory.md),
// the host's own record of what is added included:
// - Vertex -> Face, Vertex => Face, Line => Vertex, Face => Vertex: one pass
//   over the faces keeping nothing per line: the vertex selection read, or
//   the vertices added (1 byte per vertex slot), under 1.5 bytes in all;
// - Vertex -> Line, Vertex => Line: the mesh view (points and face starts,
//   5) and the vertex selection read (about 0.25): 5.2-5.5, and 9.2-9.5
//   with every line added;
// - Face => Line: the mesh view (5), a byte per face (0.25) and the edge set
//   of the selected faces' lines (4 per such line and 4 per vertex slot):
//   at most 9.5;
// - 2Line -> Face: the mesh view (5), a bit per line and the edge set of the
//   selected lines (4 per such line and 4 per vertex slot): at most 10.4.
#pragma once

#include "mesh/cmq_object.h"
#include "mesh/selection_plan.h"

namespace selection {

// Vertex -> Face: every live face with at least one selected point.
void VertexToFaceAny(const cmq::CMQObject &object, cmq::SelectionPlan &plan);
// Vertex => Face: every live face whose points are all selected.
void VertexToFaceAll(const cmq::CMQObject &object, cmq::SelectionPlan &plan);
// Line => Vertex: both endpoints of every selected line.
void LineToVertex(const cmq::CMQObject &object, cmq::SelectionPlan &plan);
// Face => Vertex: every point of every selected face.
void FaceToVertex(const cmq::CMQObject &object, cmq::SelectionPlan &plan);
// Vertex -> Line: every line with at least one selected endpoint.
void VertexToLineAny(const cmq::CMQObject &object, cmq::SelectionPlan &plan);
// Vertex => Line: every line whose two endpoints are selected.
void VertexToLineAll(const cmq::CMQObject &object, cmq::SelectionPlan &plan);
// Face => Line: every line of every selected face, and every line of any other face
// that joins the same two vertices (of a two-point face only its line 0).
void FaceToLine(const cmq::CMQObject &object, cmq::SelectionPlan &plan);
// 2Line -> Face: every live face with at least two lines on selected edges, an edge
// being selected when any line of the object joining its two vertices is.
void TwoLinesToFace(const cmq::CMQObject &object, cmq::SelectionPlan &plan);

} // namespace selection
