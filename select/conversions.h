// Conversions between vertex, line and face selections.
//
// Each conversion only adds to the selection of `object`; the kind it reads
// is never the kind it adds, so the order of its host calls does not change
// what it selects. Every one reads the object once into a mesh view and runs
// in time linear in the number of face points.
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
