#include "select/edge_groups.h"

#include <algorithm>
#include <span>
#include <stdexcept>

#include "mesh/cmq_object.h"

namespace selection {
namespace {

// A vertex starting more lines than this has its run sorted rather than
// scanned back line by line.
constexpr std::size_t kShortRun = 16;
// A range of smaller vertices holds at most 1 / kRanges of the lines: the
// scratch is 1 byte per line instead of 8. Measured on Linux, 1M quads,
// same sitting, glibc holding freed memory (GLIBC_TUNABLES), "Edge" from
// everything selected: 60.4 ms at 11.5 bytes per line in ranges, 60.7 ms
// at 18.5 in one range.
constexpr std::size_t kRanges = 8;
// The coarse index of which faces hold a line of a vertex: the first and
// one past the last face, for each of at most this many blocks of vertices.
// Faces and vertices are mostly numbered alike, so each range's pass reads
// about its own share of the faces. In the same sitting as above, every
// range's pass over every face made "Edge" 98.5 ms (against 60.4), from
// nothing selected 94.0 (against 64.2).
constexpr std::size_t kVertexBlocks = 1024;

void Open(std::span<uint32_t> second, uint32_t line) { second[line] = EdgeGroups::kAlone; }

void Join(std::span<uint32_t> second, uint32_t leader, uint32_t line) {
    uint32_t &entry = second[leader];
    entry = entry == EdgeGroups::kAlone ? line : EdgeGroups::kNone;
}

// Calls visit(line, a, b) for every line of the faces from ordinal `begin`
// to `end`, in order.
template <class Visit>
void ForEachLine(const cmq::MeshView &mesh, std::size_t begin, std::size_t end, Visit &&visit) {
    const cmq::MeshView::FaceList faces = mesh.Faces();
    for (std::size_t f = begin; f < end; ++f) {
        const cmq::MeshView::Face face = faces[f];
        const uint32_t n = static_cast<uint32_t>(face.points.size());
        for (uint32_t k = 0; k < n; ++k) visit(f, face.first + k, face.points[k], face.points[k + 1 == n ? 0 : k + 1]);
    }
}

// One line in the run of its smaller vertex.
struct RunEntry {
    int32_t hi;
    uint32_t line;
};

// Groups one vertex's run, whose entries are in line order.
void GroupRun(RunEntry *run, std::size_t size, std::span<uint32_t> second) {
    if (size <= kShortRun) {
        for (std::size_t i = 0; i < size; ++i) {
            std::size_t j = 0;
            while (run[j].hi != run[i].hi) ++j; // stops at i at the latest
            if (j == i) {
                Open(second, run[i].line);
            } else {
                Join(second, run[j].line, run[i].line);
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
            Open(second, run[i].line);
        } else {
            Join(second, run[leader].line, run[i].line);
        }
    }
}

// The smaller vertices from `first` to `last` (exclusive) and the faces
// from `beginFace` to `endFace` that hold every line of theirs.
struct VertexRange {
    std::size_t first;
    std::size_t last;
    std::size_t beginFace;
    std::size_t endFace;
};

} // namespace

EdgeGroups GroupLinesByEdge(const cmq::MeshView &mesh, std::size_t leastRange) {
    const std::size_t count = mesh.LineCount();
    if (count > EdgeGroups::kMostLines) throw std::length_error("too many lines to group");
    EdgeGroups groups;
    groups.second.assign(count, EdgeGroups::kNone);
    if (count == 0) return groups;
    const std::span<uint32_t> second = groups.second;
    const std::size_t slots = mesh.UsedVertexSlots();

    // runEnd[v + 1] counts the lines whose smaller vertex is v; summed,
    // runEnd[v] is where v's run starts, and after its range's scatter
    // where it ends (so v's run is [runEnd[v - 1], runEnd[v])). Meanwhile,
    // each block of 2^shift vertices notes the faces that hold its lines.
    std::vector<uint32_t> runEnd(slots + 1, 0);
    unsigned shift = 0;
    while ((slots >> shift) >= kVertexBlocks) ++shift;
    const std::size_t blocks = ((slots - 1) >> shift) + 1;
    std::vector<std::size_t> blockBegin(blocks, mesh.FaceCount());
    std::vector<std::size_t> blockEnd(blocks, 0);
    ForEachLine(mesh, 0, mesh.FaceCount(), [&](std::size_t f, uint32_t, int32_t a, int32_t b) {
        const auto lo = static_cast<std::size_t>(a < b ? a : b);
        ++runEnd[lo + 1];
        const std::size_t block = lo >> shift;
        blockBegin[block] = std::min(blockBegin[block], f);
        blockEnd[block] = f + 1;
    });
    for (std::size_t v = 1; v < runEnd.size(); ++v) runEnd[v] += runEnd[v - 1];

    // The ranges: each as many vertices as hold at most `most` lines in
    // all, one vertex at the least.
    const std::size_t most = std::max(leastRange, (count + kRanges - 1) / kRanges);
    std::vector<VertexRange> ranges;
    std::size_t scratch = 0;
    for (std::size_t first = 0; first < slots;) {
        const auto past = std::upper_bound(runEnd.begin() + static_cast<std::ptrdiff_t>(first) + 1, runEnd.end(),
                                           runEnd[first] + most);
        const std::size_t last = std::max(first + 1, static_cast<std::size_t>(past - runEnd.begin()) - 1);
        VertexRange range{first, last, mesh.FaceCount(), 0};
        for (std::size_t block = first >> shift; block <= (last - 1) >> shift; ++block) {
            range.beginFace = std::min(range.beginFace, blockBegin[block]);
            range.endFace = std::max(range.endFace, blockEnd[block]);
        }
        ranges.push_back(range);
        scratch = std::max<std::size_t>(scratch, runEnd[last] - runEnd[first]);
        first = last;
    }
    blockBegin = {};
    blockEnd = {};

    std::vector<RunEntry> runs(scratch);
    for (const VertexRange &range : ranges) {
        const uint32_t base = runEnd[range.first];
        const std::size_t width = range.last - range.first;
        ForEachLine(mesh, range.beginFace, range.endFace, [&](std::size_t, uint32_t i, int32_t a, int32_t b) {
            const auto lo = static_cast<std::size_t>(a < b ? a : b);
            if (lo - range.first >= width) return; // another range's
            uint32_t &at = runEnd[lo];
            runs[at++ - base] = {a < b ? b : a, i};
        });
        uint32_t begin = base;
        for (std::size_t v = range.first; v < range.last; ++v) {
            const uint32_t end = runEnd[v];
            if (end != begin) GroupRun(runs.data() + (begin - base), end - begin, second);
            begin = end;
        }
    }
    return groups;
}

} // namespace selection
