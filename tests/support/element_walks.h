// The element-by-element model of an object that the tests' literal
// references are written in: walks over the live faces and live vertices of
// an object, in ascending index order, and the short-lived face and vertex
// records they hand out. Every step asks the host; the plug-in's commands do
// not use these walks (they read an object through their mesh view).
//
// A live face has at least one point; a live vertex is used by at least one
// face corner. The slot count is read from the host again at every AtEnd,
// so a walk always reflects the object as the host holds it. A count or a
// face's point count below zero is no answer a walk can use: the walk throws
// BadHostAnswer (mesh/host_count.h). A record's memory is reused by the next
// record of its kind once the record is released, so a walk that releases
// each record before the next allocates once, not once per element.
//
// Usual loop:
//   for (auto it = FirstFace(obj); !AtEnd(it); Next(it)) { auto face = *it; ... }
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "mesh/cmq_object.h"

namespace cmq {

// A face record; lives for one step of a walk.
struct CMQFace {
    int32_t index = -1;
    CMQObject *object = nullptr;

    CMQFace(int32_t faceIndex, CMQObject *owner) : index(faceIndex), object(owner) {}
    CMQFace(const CMQFace &) = delete;
    CMQFace &operator=(const CMQFace &) = delete;
    // Poisons the record, so a stale pointer to it reads as no face.
    ~CMQFace();

    int GetPointCount() const;
    std::vector<int32_t> GetPoints() const;
    bool IsSelected() const;
    void Select() const;
};

// A vertex record: a snapshot of the position taken when it was made.
struct CMQVertex {
    int32_t index = -1;
    CMQObject *object = nullptr;
    CMQVec3 position;

    CMQVertex(int32_t vertexIndex, CMQObject *owner, CMQVec3 at)
        : index(vertexIndex), object(owner), position(at) {}
    CMQVertex(const CMQVertex &) = delete;
    CMQVertex &operator=(const CMQVertex &) = delete;
    ~CMQVertex();
};

struct CMQFaceIterator {
    int32_t index = 0;
    CMQObject *object = nullptr;
    std::shared_ptr<CMQFace> operator*() const;
};

struct CMQVertexIterator {
    int32_t index = 0;
    CMQObject *object = nullptr;
    std::shared_ptr<CMQVertex> operator*() const;
};

CMQFaceIterator FirstFace(CMQObject &object);
CMQVertexIterator FirstVertex(CMQObject &object);
CMQFaceIterator &Next(CMQFaceIterator &it);
CMQVertexIterator &Next(CMQVertexIterator &it);
bool AtEnd(const CMQFaceIterator &it);
bool AtEnd(const CMQVertexIterator &it);

} // namespace cmq
