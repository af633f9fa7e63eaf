#include "select/edge_groups.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>

#include "mesh/cmq_object.h"

namespace selection {
namespace {

// A vertex starting more lines than this has its run sorted rather than
// scanned back line by line.
constexpr std::size_t kShortRun = 16;

// What the grouping reads and writes, copied into the grouping's own frame
// (it runs beside the thread that owns the mesh view and the groups, and
// that thread's writes next to them would otherwise cost cache misses).
struct Grouping {
    std::span<const int32_t> points;
    std::span<uint8_t> state;
    std::span<uint32_t> second;

    void Open(uint32_t line) const { state[line] = static_cast<uint8_t>(state[line] + 1); }
    void Join(uint32_t leader, uint32_t line) const {
        uint8_t &s = state[leader];
        const int count = EdgeGroups::Count(s);
        if (count == 1 && !second.empty()) second[leader] = line;
        if (count < 3) s = static_cast<uint8_t>(s + 1);
    }
    // The larger vertex of line i.
    int32_t Larger(uint32_t i) const {
        const int32_t a = points[i];
        const std::size_t next = (state[i] & EdgeGroups::kLastOfFace) != 0 ? FirstLineOfFace(state, i) : i + 1;
        const int32_t b = points[next];
        return a < b ? b : a;
    }
};

// Calls visit(line, a, b) for every line of the mesh in order.
template <class Visit>
void ForEachLine(const cmq::MeshView::FaceList &faces, Visit &&visit) {
    for (std::size_t f = 0; f < faces.size(); ++f) {
        const cmq::MeshView::Face face = faces[f];
        const auto n = static_cast<uint32_t>(face.points.size());
        for (uint32_t k = 0; k < n; ++k) visit(face.first + k, face.points[k], face.points[k + 1 == n ? 0 : k + 1]);
    }
}

// One line in the run of its smaller vertex, with its larger vertex.
struct RunEntry {
    int32_t hi;
    uint32_t line;
};

// Groups one vertex's run, whose lines are in line order.
void GroupRun(const Grouping &g, const uint32_t *run, std::size_t size, std::vector<RunEntry> &sorted) {
    if (size <= kShortRun) {
        std::array<int32_t, kShortRun> hi{};
        for (std::size_t i = 0; i < size; ++i) hi[i] = g.Larger(run[i]);
        for (std::size_t i = 0; i < size; ++i) {
            std::size_t j = 0;
            while (hi[j] != hi[i]) ++j; // stops at i at the latest
            if (j == i) {
                g.Open(run[i]);
            } else {
                g.Join(run[j], run[i]);
            }
        }
        return;
    }
    sorted.resize(size);
    for (std::size_t i = 0; i < size; ++i) sorted[i] = {g.Larger(run[i]), run[i]};
    std::sort(sorted.begin(), sorted.end(), [](const RunEntry &x, const RunEntry &y) {
        return x.hi != y.hi ? x.hi < y.hi : x.line < y.line;
    });
    std::size_t leader = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (sorted[i].hi != sorted[leader].hi) leader = i;
        if (leader == i) {
            g.Open(sorted[i].line);
        } else {
            g.Join(sorted[leader].line, sorted[i].line);
        }
    }
}

} // namespace

void GroupLinesByEdge(const cmq::MeshView &mesh, EdgeGroups &groups) {
    const std::size_t count = mesh.LineCount();
    groups.state.assign(count, 0);
    groups.second.assign(groups.withSecond ? count : 0, 0);
    if (count == 0) return;
    const cmq::MeshView::FaceList faces = mesh.Faces();
    const Grouping g{mesh.Points(), groups.state, groups.second};

    // runEnd[v + 1] counts the lines whose smaller vertex is v; summed,
    // runEnd[v] is where v's run starts, and after the scatter where it
    // ends (so v's run is [runEnd[v - 1], runEnd[v])).
    std::vector<uint32_t> runEnd;
    runEnd.assign(mesh.UsedVertexSlots() + 1, 0);
    for (std::size_t f = 0; f < faces.size(); ++f) {
        const cmq::MeshView::Face face = faces[f];
        g.state[face.first + face.points.size() - 1] = EdgeGroups::kLastOfFace;
    }
    ForEachLine(faces, [&](uint32_t, int32_t a, int32_t b) { ++runEnd[static_cast<std::size_t>(a < b ? a : b) + 1]; });
    for (std::size_t v = 1; v < runEnd.size(); ++v) runEnd[v] += runEnd[v - 1];
    std::vector<uint32_t> runs;
    runs.resize(count);
    ForEachLine(faces, [&](uint32_t i, int32_t a, int32_t b) { runs[runEnd[static_cast<std::size_t>(a < b ? a : b)]++] = i; });
    std::vector<RunEntry> sorted; // a long run's lines, by larger vertex
    uint32_t begin = 0;
    for (std::size_t v = 0; v + 1 < runEnd.size(); ++v) {
        const uint32_t end = runEnd[v];
        if (end != begin) GroupRun(g, runs.data() + begin, end - begin, sorted);
        begin = end;
    }
}

} // namespace selection
