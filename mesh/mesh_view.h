// One read of an object's geometry, the view every selection command works
// on: the live faces with their points in one flat list, and the positions of
// the vertices, each read once through the host functions.
//
// A selection command changes no geometry and the host does not add or
// remove elements while it runs, so what is read here stays true for the
// whole command. A view reads only what its command asks for, and keeps
// only what the command looks at more than once:
//
//   ReadFaces()          every live face with its points, kept for the
//                        command to go over (edges, ridges, faces by axis,
//                        the conversions that look at faces twice);
//   VisitFaces(keep, visit)
//                        the live faces `keep(index, pointCount)` accepts,
//                        handed to `visit` one by one and not kept, the
//                        others' points never read (conversions in one
//                        pass, duplicates of selected faces and lines;
//                        with FacePoints::Skip no points at all: polygons by
//                        point count);
//   ReadPositions()      the position of every vertex the kept faces use;
//   VisitLiveVertices(visit)
//                        which vertex slots are live (reference count at
//                        least 1) and their positions, handed out one by one
//                        and not kept (vertices by axis, the twin searches).
//
// Line j of a face runs from its point j to point j + 1, the last line
// closing the face back to point 0; a face's lines are numbered like its
// points, so Points()[i] is also the start of line i of the view.
//
//   cmq::MeshView mesh(object);
//   mesh.ReadFaces();
//   for (const cmq::MeshView::Face face : mesh) { face.index; face.first; face.points; }
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "mesh/cmq_object.h"
#include "mesh/host_count.h"

namespace cmq {

// Whether VisitFaces reads the points of the faces it hands out.
enum class FacePoints { Read, Skip };

class MeshView {
public:
    // One face: its host index, the index of its first point (and first
    // line) among the faces read, and its points (empty when skipped).
    struct Face {
        int32_t index = 0;
        uint32_t first = 0;
        std::span<const int32_t> points;

        // The ends of line j, 0 <= j < points.size().
        cmq::CMQLineEnds Line(std::size_t j) const { return {points[j], points[j + 1 == points.size() ? 0 : j + 1]}; }
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

    // Reads nothing until asked. Every read throws cmq::BadHostAnswer for a
    // negative count, and every read of points for a point that names no
    // vertex slot of the object (below 0, or at or above the slot count): a
    // host that names vertices it does not have makes the command fail whole.
    explicit MeshView(const cmq::CMQObject &object);

    // Reads the vertex and face slot counts, then each face slot's point
    // count and the points of every live face (at least one point). Throws
    // cmq::BadHostAnswer for a negative count, a point naming no vertex slot,
    // or more points than 32-bit offsets can index. Called once per view.
    void ReadFaces();
    // The same reads for the live faces `keep(index, pointCount)` accepts
    // (no points read for the others), each face handed to `visit(face)`
    // before the next slot is read; face.first counts the accepted faces'
    // points before it. Nothing is kept.
    template <class Keep, class Visit>
    void VisitFaces(Keep &&keep, Visit &&visit, FacePoints read = FacePoints::Read);

    const cmq::CMQObject &Object() const { return *object_; }

    // The face slot count (checked as ReadFaces checks it), and one slot's
    // point count (0 for a deleted face).
    std::size_t ReadFaceSlots() const;
    std::size_t ReadPointCount(int32_t face) const {
        return cmq::CheckedCount(host_.pointCount(object_->object, face), sizeof(int32_t));
    }
    // The object's matrix (its local-to-world transform, 16 floats, as the
    // host lays it out); the identity where the host writes nothing.
    void ReadMatrix(float (&matrix)[16]) const;

    // Kept faces, ascending by index.
    std::size_t FaceCount() const { return faceStart_.empty() ? 0 : faceStart_.size() - 1; }
    Face FaceAt(std::size_t ordinal) const { return Faces()[ordinal]; }
    Iterator begin() const { return {*this, 0}; }

    // The kept faces as a value: what FaceAt reads, as three spans. A part
    // of a command run on another thread takes a copy into its own frame,
    // so that its loop never reads the cache lines of the view's owner.
    class FaceList {
    public:
        FaceList(std::span<const int32_t> index, std::span<const uint32_t> start, std::span<const int32_t> points)
            : index_(index), start_(start), points_(points) {}
        Face operator[](std::size_t ordinal) const {
            const uint32_t first = start_[ordinal];
            const int32_t index = index_.empty() ? static_cast<int32_t>(ordinal) : index_[ordinal];
            return {index, first, points_.subspan(first, start_[ordinal + 1] - first)};
        }
        // One past the last line of a face.
        uint32_t EndOf(std::size_t ordinal) const { return start_[ordinal + 1]; }

    private:
        std::span<const int32_t> index_;
        std::span<const uint32_t> start_;
        std::span<const int32_t> points_;
    };
    FaceList Faces() const { return {faceIndex_, faceStart_, points_}; }
    Iterator end() const { return {*this, FaceCount()}; }

    // Every kept face's points, in face order: one entry per face line.
    std::span<const int32_t> Points() const { return points_; }
    std::size_t LineCount() const { return points_.size(); }

    // Reads the vertex slot count, once (ReadFaces and the vertex reads
    // read it too), and returns it.
    int32_t ReadVertexSlots();
    // The vertex slot count read.
    int32_t VertexSlots() const { return vertexSlots_; }
    // One more than the largest vertex slot a kept face uses (0 when none
    // does); the size of per-vertex arrays indexed by the faces' points.
    std::size_t UsedVertexSlots() const { return usedSlots_; }

    // Reads the position of every vertex slot a kept face uses, once each,
    // in ascending order.
    void ReadPositions();
    // Reads every vertex slot's reference count, in ascending order, and
    // each live slot's position right after its count: `visit(v, position)`
    // for each live slot, nothing kept.
    template <class Visit>
    void VisitLiveVertices(Visit &&visit);
    // The position of vertex v, a point of a kept face, after ReadPositions.
    cmq::CMQVec3 Position(int32_t v) const { return positions_[static_cast<std::size_t>(v)]; }
    // Every read slot's position ((0, 0, 0) for one not read).
    std::span<const cmq::CMQVec3> Positions() const { return positions_; }

private:
    // The reads both ReadFaces and VisitFaces make: for each of `slots` face
    // slots that is live and that `keep` accepts, `take(index, pointCount,
    // first)`, first being the accepted faces' points before it. Returns
    // the accepted faces' points in all.
    template <class Keep, class Take>
    std::size_t ForEachFaceSlot(std::size_t slots, Keep &&keep, Take &&take);

    // Throws cmq::BadHostAnswer unless every one of `points` names a vertex
    // slot; returns the largest (-1 for none). One unsigned comparison per
    // point: a negative point wraps above every slot count.
    int32_t CheckPoints(std::span<const int32_t> points) const {
        const auto named = static_cast<uint32_t>(vertexSlots_);
        int32_t largest = -1;
        for (const int32_t p : points) {
            if (static_cast<uint32_t>(p) >= named) throw cmq::BadHostAnswer();
            largest = std::max(largest, p);
        }
        return largest;
    }
    // One host query each.
    bool IsLive(int32_t v) const { return host_.refCount(object_->object, v) >= 1; }
    void ReadPointsOf(int32_t face, int32_t *into) const { host_.points(object_->object, face, into); }
    cmq::CMQVec3 ReadPosition(int32_t v) const {
        float xyz[3] = {0.0f, 0.0f, 0.0f};
        host_.position(object_->object, v, xyz);
        return {xyz[0], xyz[1], xyz[2]};
    }

    // The host functions of the reads made once per element, taken from the
    // host table when the view is made (the table is host/'s, which a
    // command does not see), so that the reads above, inlined into the
    // templates below, call the host directly. With these and the selection
    // calls' own (mesh/selection_calls.h), against both through out-of-line
    // functions, same sitting, 32-bit DLL, 1M quads: "Vertex -> Face" from
    // nothing selected 30.7 -> 27.2 ms, "Vertex => Face" 28.5 -> 24.3 ms,
    // "Line => Dup Vertex" 44.8 -> 36.3 ms.
    struct PerElementReads {
        MQObj_GetFacePointCount_fn pointCount;
        MQObj_GetFacePointArray_fn points;
        MQObj_GetVertexRefCount_fn refCount;
        MQObj_GetVertex_fn position;
    };

    const cmq::CMQObject *object_;
    PerElementReads host_;
    bool vertexSlotsRead_ = false;
    int32_t vertexSlots_ = 0;
    std::size_t usedSlots_ = 0;
    // Per kept face: its host index; empty while that is its ordinal (no
    // face slot before it is deleted, as in most meshes), which saves four
    // bytes per face.
    std::vector<int32_t> faceIndex_;
    std::vector<uint32_t> faceStart_; // per kept face: first point; then the total
    std::vector<int32_t> points_;
    std::vector<cmq::CMQVec3> positions_; // per vertex slot, once read
};

template <class Visit>
void MeshView::VisitLiveVertices(Visit &&visit) {
    ReadVertexSlots();
    for (int32_t v = 0; v < vertexSlots_; ++v)
        if (IsLive(v)) visit(v, ReadPosition(v));
}

template <class Keep, class Take>
std::size_t MeshView::ForEachFaceSlot(std::size_t slots, Keep &&keep, Take &&take) {
    std::size_t total = 0;
    for (std::size_t f = 0; f < slots; ++f) {
        const auto face = static_cast<int32_t>(f);
        const std::size_t n = ReadPointCount(face);
        if (n == 0 || !keep(face, n)) continue; // deleted, or not wanted
        cmq::CheckFits32(total + n);
        take(face, n, total);
        total += n;
    }
    return total;
}

template <class Keep, class Visit>
void MeshView::VisitFaces(Keep &&keep, Visit &&visit, FacePoints read) {
    if (read == FacePoints::Read) ReadVertexSlots();
    std::vector<int32_t> points;
    ForEachFaceSlot(ReadFaceSlots(), keep, [&](int32_t face, std::size_t n, std::size_t first) {
        if (read == FacePoints::Skip) {
            visit(Face{face, static_cast<uint32_t>(first), {}});
            return;
        }
        // Preset to 0, as a fresh point list is: an entry the host leaves
        // unwritten reads as vertex 0.
        if (points.size() < n) points.resize(n);
        std::fill_n(points.data(), n, 0);
        ReadPointsOf(face, points.data());
        CheckPoints({points.data(), n});
        visit(Face{face, static_cast<uint32_t>(first), {points.data(), n}});
    });
}

} // namespace cmq
