#include "select/index.h"

#include "mesh/mesh_view.h"
#include "mesh/selection_calls.h"

namespace selection {

// The index comes straight from a spin box: only a slot of the object names
// an element, so anything else is not handed to the host.

void SelectVertexByIndex(const cmq::CMQObject &object, int32_t index, cmq::SelectionPlan &plan) {
    cmq::SelectionCalls sel(object, plan);
    cmq::MeshView mesh(object);
    if (index >= 0 && index < mesh.ReadVertexSlots()) sel.AddVertex(index);
}

void SelectFaceByIndex(const cmq::CMQObject &object, int32_t index, cmq::SelectionPlan &plan) {
    cmq::SelectionCalls sel(object, plan);
    const cmq::MeshView mesh(object);
    if (index >= 0 && static_cast<std::size_t>(index) < mesh.ReadFaceSlots() && mesh.ReadPointCount(index) >= 1)
        sel.AddFace(index);
}

} // namespace selection
