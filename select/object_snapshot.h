// One read of an object's faces, vertices and selection, for commands that
// look at every element and would otherwise ask the host the same question
// many times.
//
// A selection command changes no geometry, so what is read here stays true
// for the length of the command. Selection is read lazily and cached only
// for the kinds a command reads and does not change.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "mesh/cmq_object.h"
#include "select/scratch.h"
#include "select/selection_plan.h"

namespace selection {

// Every face slot's point list, read once: one point-count and one
// point-array call per face slot. Deleted faces have no points.
class FaceTable {
public:
    explicit FaceTable(const cmq::CMQObject &object);

    int32_t FaceCount() const { return static_cast<int32_t>(count_->size()); }
    // The points of all faces, which is also the number of their lines.
    std::size_t TotalPoints() const { return points_->size(); }
    int32_t PointCount(int32_t face) const { return (*count_)[static_cast<std::size_t>(face)]; }
    bool IsLive(int32_t face) const { return PointCount(face) > 0; }
    std::span<const int32_t> Points(int32_t face) const {
        return {points_->data() + (*start_)[static_cast<std::size_t>(face)],
                static_cast<std::size_t>(PointCount(face))};
    }
    // Line j (0 <= j < point count) runs from point j to point j + 1; the
    // last line closes the face back to point 0.
    cmq::CMQLineEnds Line(int32_t face, int32_t line) const;

private:
    ScratchVector<std::size_t> start_;
    ScratchVector<int32_t> count_;
    ScratchVector<int32_t> points_;
};

// The live vertices (reference count at least 1) and their positions, read
// once: one reference-count call per vertex slot and one position call per
// live vertex.
class VertexTable {
public:
    explicit VertexTable(const cmq::CMQObject &object);

    int32_t VertexCount() const { return static_cast<int32_t>(live_->size()); }
    bool IsSlot(int32_t v) const { return v >= 0 && v < VertexCount(); }
    bool IsLive(int32_t v) const { return IsSlot(v) && (*live_)[static_cast<std::size_t>(v)] != 0; }
    // Position of a live vertex.
    const cmq::CMQVec3 &Position(int32_t v) const { return (*positions_)[static_cast<std::size_t>(v)]; }
    // All slots' positions ((0, 0, 0) for a slot that is not live).
    std::span<const cmq::CMQVec3> Positions() const { return *positions_; }

private:
    ScratchVector<uint8_t> live_;
    ScratchVector<cmq::CMQVec3> positions_;
};

// The selection calls of one command on one object, with the object's index
// in the document read once (it cannot change while a command runs). Queries
// go to the host at once; changes are recorded in `plan`.
class SelectionCalls {
public:
    SelectionCalls(const cmq::CMQObject &object, SelectionPlan &plan);

    int ObjectIndex() const { return objectIndex_; }

    // Vertex selection, asked of the host once per vertex and then cached.
    // Only for commands that do not add vertices themselves.
    bool IsVertexSelectedCached(int32_t v) {
        int8_t *slot = CacheSlot(*vertexSelected_, v);
        if (slot == nullptr) return IsVertexSelected(v);
        if (*slot == kUnknown) *slot = IsVertexSelected(v) ? 1 : 0;
        return *slot != 0;
    }

    bool IsVertexSelected(int32_t v) const;
    bool IsFaceSelected(int32_t face) const;
    bool IsLineSelected(int32_t face, int32_t line) const;
    // Recorded in the plan (inline: commands call these once per element).
    void AddVertex(int32_t v) { plan_.AddVertex(objectIndex_, v); }
    void AddFace(int32_t face) { plan_.AddFace(objectIndex_, face); }
    void AddLine(int32_t face, int32_t line) { plan_.AddLine(objectIndex_, face, line); }
    void Clear(MQDWORD kinds) { plan_.Clear(kinds); }

    // Adds the vertex unless this object has already added it during this
    // command (adding twice changes nothing).
    void AddVertexOnce(int32_t v);

private:
    static constexpr int8_t kUnknown = -1;
    // The cache entry of vertex v, the cache filled on first use; null for
    // an index outside the slots.
    int8_t *CacheSlot(std::vector<int8_t> &cache, int32_t v) {
        if (v < 0 || v >= vertexSlots_) return nullptr;
        if (cache.empty()) [[unlikely]]
            FillCache(cache);
        return &cache[static_cast<std::size_t>(v)];
    }
    void FillCache(std::vector<int8_t> &cache) const;

    MQDocument document_;
    SelectionPlan &plan_;
    int objectIndex_;
    int32_t vertexSlots_;
    ScratchVector<int8_t> vertexSelected_; // kUnknown, 0 or 1
    ScratchVector<int8_t> vertexAdded_;    // 0 or 1
};

} // namespace selection
