// One read of an object's geometry: every live face with its points, in one
// flat list, and (when asked for) the position of every vertex those faces
// use, each read once through the host functions.
//
// A selection command changes no geometry and the host does not add or
// remove elements while it runs, so what is read here stays true for the
// whole command. Line j of a face runs from its point j to point j + 1, the
// last line closing the face back to point 0; a face's lines are numbered
// like its points, so Points()[i] is also the start of line i of the object.
//
//   selection::MeshView mesh(object);
//   for (const selection::MeshView::Face face : mesh) { face.index; face.first; face.points; }
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "mesh/cmq_object.h"
#include "select/scratch.h"

namespace selection {

class MeshView {
public:
    // One live face: its host index, the index of its first point (and
    // first line) in Points(), and its points.
    struct Face {
        int32_t index = 0;
        uint32_t first = 0;
        std::span<const int32_t> points;
    };

    class Iterator {
    public:
        Iterator(const MeshView &mesh, std::size_t ordinal) : mesh_(&mesh), ordinal_(ordinal) {}
        Face operator*() const { return mesh_->FaceAt(ordinal_); }
        Iterator &operator++() {
            ++ordinal_;
            return *this;
        }
        bool operator==(const Iterator &other) const { return ordinal_ == other.ordinal_; }

    private:
        const MeshView *mesh_;
        std::size_t ordinal_;
    };

    // Reads the face slot count once, then each slot's point count and, for
    // a live face (at least one point), its points: two host calls per live
    // face, one per deleted face. Throws cmq::BadHostAnswer for a negative
    // count or more points than 32-bit offsets can index.
    explicit MeshView(const cmq::CMQObject &object);

    const cmq::CMQObject &Object() const { return *object_; }

    // Live faces, ascending by index.
    std::size_t FaceCount() const { return faceIndex_->size(); }
    Face FaceAt(std::size_t ordinal) const {
        const uint32_t first = (*faceStart_)[ordinal];
        const uint32_t end = (*faceStart_)[ordinal + 1];
        return {(*faceIndex_)[ordinal], first, {points_->data() + first, end - first}};
    }
    Iterator begin() const { return {*this, 0}; }
    Iterator end() const { return {*this, FaceCount()}; }

    // Every live face's points, in face order: one entry per face line.
    std::span<const int32_t> Points() const { return *points_; }
    std::size_t LineCount() const { return points_->size(); }

    // The vertex slot count the host reported.
    int32_t VertexSlots() const { return vertexSlots_; }
    // One more than the largest vertex slot a live face uses (0 when none
    // does); the size of per-vertex arrays indexed by the faces' points.
    std::size_t UsedVertexSlots() const { return usedSlots_; }

    // Reads the position of every vertex slot a live face uses, once each,
    // in ascending order.
    void ReadPositions();
    // The position of vertex v: as read by ReadPositions for a slot a face
    // uses, else asked of the host now (a point naming no slot).
    cmq::CMQVec3 Position(int32_t v) const {
        const auto slot = static_cast<std::size_t>(static_cast<uint32_t>(v));
        if (v >= 0 && slot < positions_->size()) return (*positions_)[slot];
        return object_->GetVertexPosition(v);
    }

private:
    const cmq::CMQObject *object_;
    int32_t vertexSlots_ = 0;
    std::size_t usedSlots_ = 0;
    ScratchVector<int32_t> faceIndex_;  // per live face: its host index
    ScratchVector<uint32_t> faceStart_; // per live face: first point; then the total
    ScratchVector<int32_t> points_;
    ScratchVector<cmq::CMQVec3> positions_; // per used vertex slot, once read
};

} // namespace selection
