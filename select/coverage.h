// The selection's coverage of lines, the candidates of the border and ridge
// commands: a line is covered when its face is selected, it is selected
// itself, or both its ends are. Asked of the host through the command's
// selection calls (each vertex's selection at most once).
#pragma once

#include <cstddef>

#include "mesh/mesh_view.h"
#include "mesh/selection_calls.h"

namespace selection {

class Coverage {
public:
    explicit Coverage(cmq::SelectionCalls &sel) : sel_(sel) {}
    bool FaceSelected(const cmq::MeshView::Face &face) const { return sel_.IsFaceSelected(face.index); }
    // Line k of a face that is not selected.
    bool LineCovered(const cmq::MeshView::Face &face, std::size_t k) {
        const std::size_t n = face.points.size();
        return sel_.IsLineSelected(face.index, static_cast<int32_t>(k)) ||
               (sel_.IsVertexSelectedCached(face.points[k]) &&
                sel_.IsVertexSelectedCached(face.points[k + 1 == n ? 0 : k + 1]));
    }

private:
    cmq::SelectionCalls &sel_;
};

} // namespace selection
