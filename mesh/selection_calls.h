// The selection queries and changes of one command on one object: queries
// go to the host (the vertex selection cached for commands that ask about a
// vertex many times), changes are recorded in the command's plan.
//
// The host's selection does not change until the plan is applied after the
// command, so what is cached stays true for the length of the command.
#pragma once

#include <cstdint>
#include <vector>

#include "mesh/cmq_object.h"
#include "mesh/host_count.h"
#include "mesh/selection_plan.h"

namespace cmq {

// The selection calls of one command on one object, with the object's index
// in the document read once (it cannot change while a command runs). Queries
// go to the host at once; changes are recorded in `plan`.
class SelectionCalls {
public:
    SelectionCalls(const cmq::CMQObject &object, SelectionPlan &plan);

    // Vertex selection, asked of the host once per vertex and then cached.
    // Only for commands that do not add vertices themselves.
    bool IsVertexSelectedCached(int32_t v) {
        int8_t &slot = CacheSlot(vertexSelected_, v);
        if (slot == kUnknown) slot = IsVertexSelected(v) ? 1 : 0;
        return slot != 0;
    }

    bool IsVertexSelected(int32_t v) const { return host_.vertex(document_, objectIndex_, v) != 0; }
    bool IsFaceSelected(int32_t face) const { return host_.face(document_, objectIndex_, face) != 0; }
    bool IsLineSelected(int32_t face, int32_t line) const {
        return host_.line(document_, objectIndex_, face, line) != 0;
    }
    // Recorded in the plan (inline: commands call these once per element).
    void AddVertex(int32_t v) { plan_.AddVertex(objectIndex_, v); }
    void AddFace(int32_t face) { plan_.AddFace(objectIndex_, face); }
    void AddLine(int32_t face, int32_t line) { plan_.AddLine(objectIndex_, face, line); }
    void Clear(MQDWORD kinds) { plan_.Clear(kinds); }

    // Adds the vertex unless this object has already added it during this
    // command (adding twice changes nothing). The cached calls take vertex
    // slots only (the mesh view's points are checked to be).
    void AddVertexOnce(int32_t v);

private:
    static constexpr int8_t kUnknown = -1;
    // The cache entry of vertex slot v, the cache filled on first use. A v
    // outside the slot count read here (a host whose counts change within
    // a command) fails the command.
    int8_t &CacheSlot(std::vector<int8_t> &cache, int32_t v) {
        if (cache.empty()) [[unlikely]]
            FillCache(cache);
        if (v < 0 || v >= vertexSlots_) [[unlikely]]
            throw cmq::BadHostAnswer();
        return cache[static_cast<std::size_t>(v)];
    }
    // Reads the vertex slot count (the first time) and sizes the cache by it.
    void FillCache(std::vector<int8_t> &cache);

    // The host's selection queries, taken from the host table when the
    // calls are made (the table is host/'s, which a command does not see),
    // so that the queries above, inlined into the commands, call the host
    // directly (what that buys: mesh/mesh_view.h, beside its own).
    struct Queries {
        MQDoc_IsSelectVertex_fn vertex;
        MQDoc_IsSelectFace_fn face;
        MQDoc_IsSelectLine_fn line;
    };

    Queries host_;
    MQDocument document_;
    SelectionPlan &plan_;
    int objectIndex_;
    const cmq::CMQObject &object_;
    int32_t vertexSlots_ = -1; // read on first use of a cache
    std::vector<int8_t> vertexSelected_; // kUnknown, 0 or 1
    std::vector<int8_t> vertexAdded_;    // 0 or 1
};

} // namespace cmq
