#include "select/edge_groups.h"

#include <algorithm>
#include <cstddef>
#include <span>

#include "mesh/cmq_object.h"

namespace selection {
namespace {

// A vertex starting more lines than this has its run sorted rather than
// scanned back line by line.
constexpr std::size_t kShortRun = 16;

void Join(EdgeGroups &groups, uint32_t leader, uint32_t line) {
    uint8_t &s = groups.state[leader];
    const int count = EdgeGroups::Count(s);
    if (count == 1 && groups.withSecond) groups.second[leader] = line;
    if (count < 3) s = static_cast<uint8_t>(s + 1);
}

void Open(EdgeGroups &groups, uint32_t line) { groups.state[line] = 1; }

// Calls visit(line, a, b) for every line of the mesh in order.
template <class Visit>
void ForEachLine(const cmq::MeshView &mesh, Visit &&visit) {
    const std::span<const int32_t> points = mesh.Points();
    for (const cmq::MeshView::Face face : mesh) {
        const uint32_t n = static_cast<uint32_t>(face.points.size());
        for (uint32_t k = 0; k < n; ++k)
            visit(face.first + k, points[face.first + k], points[face.first + (k + 1 == n ? 0 : k + 1)]);
    }
}

// One line in the run of its smaller vertex.
struct RunEntry {
    int32_t hi;
    uint32_t line;
};

// Groups one vertex's run, whose entries are in line order.
void GroupRun(RunEntry *run, std::size_t size, EdgeGroups &groups) {
    if (size <= kShortRun) {
        for (std::size_t i = 0; i < size; ++i) {
            std::size_t j = 0;
            while (run[j].hi != run[i].hi) ++j; // stops at i at the latest
            if (j == i) {
                Open(groups, run[i].line);
            } else {
                Join(groups, run[j].line, run[i].line);
            }
        }
        return;
    }
    std::sort(run, run + size, [](const RunEntry &x, const RunEntry &y) {
        return x.hi != y.hi ? x.hi < y.hi : x.line < y.line;
    });
    std::size_t leader = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (run[i].hi != run[leader].hi) leader = i;
        if (leader == i) {
            Open(groups, run[i].line);
        } else {
            Join(groups, run[leader].line, run[i].line);
        }
    }
}

} // namespace

void GroupLinesByEdge(const cmq::MeshView &mesh, EdgeGroups &groups) {
    const std::size_t count = mesh.LineCount();
    groups.state.assign(count, 0);
    groups.second.assign(groups.withSecond ? count : 0, 0);
    if (count == 0) return;

    // runEnd[v + 1] counts the lines whose smaller vertex is v; summed,
    // runEnd[v] is where v's run starts, and after the scatter where it
    // ends (so v's run is [runEnd[v - 1], runEnd[v])).
    std::vector<uint32_t> runEnd;
    runEnd.assign(mesh.UsedVertexSlots() + 1, 0);
    ForEachLine(mesh, [&](uint32_t, int32_t a, int32_t b) { ++runEnd[static_cast<std::size_t>(a < b ? a : b) + 1]; });
    for (std::size_t v = 1; v < runEnd.size(); ++v) runEnd[v] += runEnd[v - 1];
    std::vector<RunEntry> runs;
    runs.resize(count);
    ForEachLine(mesh, [&](uint32_t i, int32_t a, int32_t b) {
        uint32_t &at = runEnd[static_cast<std::size_t>(a < b ? a : b)];
        runs[at++] = {a < b ? b : a, i};
    });
    uint32_t begin = 0;
    for (std::size_t v = 0; v + 1 < runEnd.size(); ++v) {
        const uint32_t end = runEnd[v];
        if (end != begin) GroupRun(runs.data() + begin, end - begin, groups);
        begin = end;
    }
}

} // namespace selection
