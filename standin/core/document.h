// The stand-in host's document model: object slots, objects with vertices
// and faces, and the selection of vertices, lines and faces per object.
//
// Tests and tools build documents through this C++ interface; the plug-in
// sees the same documents through the host functions (host_functions.cpp),
// which check every handle and index before they touch anything.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "abi/mq_abi.h"

namespace standin {

using Matrix = std::array<float, 16>;

inline constexpr Matrix kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

struct LineRef {
    int32_t face = 0;
    int32_t line = 0;
    friend bool operator==(const LineRef &, const LineRef &) = default;
    friend auto operator<=>(const LineRef &, const LineRef &) = default;
};

// One object: vertex slots, face slots and their selection.
//
// Faces are stored flat (start and count into one index array) so that
// queries cost O(1) without allocation. A deleted face keeps its slot with
// zero points; a vertex's reference count is the number of face corners
// that use it, kept in step with the faces.
class Object {
public:
    explicit Object(std::string name = {});

    const std::string &Name() const { return name_; }

    int32_t AddVertex(MQPoint position);
    // Adds a face of the given points; every index must name a vertex slot.
    // Returns the face index, or -1 (nothing added) for a bad index.
    int32_t AddFace(std::span<const int32_t> points);
    // Empties the face slot (point count 0); its corners stop counting.
    void DeleteFace(int32_t face);

    int32_t VertexCount() const { return static_cast<int32_t>(positions_.size()); }
    int32_t FaceCount() const { return static_cast<int32_t>(faceStart_.size()); }
    bool IsVertex(int32_t v) const { return v >= 0 && v < VertexCount(); }
    bool IsFace(int32_t f) const { return f >= 0 && f < FaceCount(); }
    bool IsLine(int32_t f, int32_t l) const { return IsFace(f) && l >= 0 && l < PointCount(f); }

    MQPoint Position(int32_t v) const { return positions_[static_cast<size_t>(v)]; }
    void SetPosition(int32_t v, MQPoint p) { positions_[static_cast<size_t>(v)] = p; }
    int32_t RefCount(int32_t v) const { return refCounts_[static_cast<size_t>(v)]; }
    int32_t PointCount(int32_t f) const { return faceCount_[static_cast<size_t>(f)]; }
    std::span<const int32_t> Points(int32_t f) const {
        return {indices_.data() + faceStart_[static_cast<size_t>(f)],
                static_cast<size_t>(faceCount_[static_cast<size_t>(f)])};
    }

    bool locked = false;
    Matrix matrix = kIdentity;

    // Selection. Out-of-range elements are never selected.
    bool IsVertexSelected(int32_t v) const { return IsVertex(v) && vertexSel_[static_cast<size_t>(v)] != 0; }
    bool IsFaceSelected(int32_t f) const { return IsFace(f) && faceSel_[static_cast<size_t>(f)] != 0; }
    bool IsLineSelected(int32_t f, int32_t l) const;
    bool SelectVertex(int32_t v, bool on);
    bool SelectFace(int32_t f, bool on);
    bool SelectLine(int32_t f, int32_t l, bool on);
    void ClearSelection(MQDWORD kinds);

    std::vector<int32_t> SelectedVertices() const;
    std::vector<int32_t> SelectedFaces() const;
    std::vector<LineRef> SelectedLines() const;

private:
    friend class Document;
    const class Document *owner_ = nullptr;
    int32_t slot_ = -1;

    std::string name_;
    std::vector<MQPoint> positions_;
    std::vector<int32_t> refCounts_;
    std::vector<uint32_t> faceStart_;
    std::vector<int32_t> faceCount_;
    std::vector<int32_t> indices_;
    std::vector<uint8_t> vertexSel_;
    std::vector<uint8_t> faceSel_;
    std::vector<uint8_t> lineSel_; // one flag per face corner, at faceStart + line
};

// A document: object slots (a slot may be empty) and the current object.
// Registered with the host while it lives, so its handle and its objects'
// handles are accepted by the host functions.
class Document {
public:
    Document();
    ~Document();
    Document(const Document &) = delete;
    Document &operator=(const Document &) = delete;

    MQDocument Handle() { return reinterpret_cast<MQDocument>(this); }

    // Appends an object slot holding a new object; returns its index.
    int32_t AddObject(std::string name = {});
    // Appends an empty slot; returns its index.
    int32_t AddEmptySlot();
    // Empties slot i (the object is gone; its handle is refused afterwards).
    void RemoveObject(int32_t i);

    int32_t ObjectCount() const { return static_cast<int32_t>(slots_.size()); }
    // The object in slot i, or null for an empty slot or a bad index.
    Object *ObjectAt(int32_t i);
    const Object *ObjectAt(int32_t i) const;
    // Slot of `object` in this document, or -1.
    int32_t IndexOf(const Object *object) const;

    int32_t currentObject = 0;

    // Clears the given selection kinds of every object.
    void ClearSelection(MQDWORD kinds);

    // The registered document behind a handle, or null for anything else.
    static Document *FromHandle(MQDocument handle);
    // The registered object behind a handle, or null for anything else.
    static Object *ObjectFromHandle(MQObject handle);
    static MQObject HandleOf(Object *object) { return reinterpret_cast<MQObject>(object); }

private:
    std::vector<std::unique_ptr<Object>> slots_;
};

} // namespace standin
