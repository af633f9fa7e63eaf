#include "select/ridge.h"

#include <algorithm>
#include <cstddef>
#include <span>
#include <vector>

#include "mesh/vector_math.h"
#include "select/coverage.h"
#include "select/edge_groups.h"
#include "mesh/mesh_view.h"
#include "select/parallel.h"
#include "mesh/selection_calls.h"

namespace selection {
namespace {


// The ordinal of the first face whose lines start at or after `line`.
std::size_t FirstFaceFrom(const cmq::MeshView &mesh, std::size_t line) {
    std::size_t lo = 0;
    std::size_t hi = mesh.FaceCount();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (mesh.FaceAt(mid).first < line)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

// Sets `covered` (a bit per line of the mesh) for the lines the selection
// covers, and returns whether any line is covered. Each face's selection is
// asked once, and a line's only when its face is not selected.
bool ReadCoverage(const cmq::MeshView &mesh, cmq::SelectionCalls &sel, std::vector<bool> &covered) {
    Coverage coverage(sel);
    covered.assign(mesh.LineCount(), false);
    bool any = false;
    for (const cmq::MeshView::Face face : mesh) {
        const std::size_t n = face.points.size();
        if (coverage.FaceSelected(face)) {
            std::fill_n(covered.begin() + static_cast<std::ptrdiff_t>(face.first), n, true);
            any = true;
            continue;
        }
        for (std::size_t k = 0; k < n; ++k) {
            if (!coverage.LineCovered(face, k)) continue;
            covered[face.first + k] = true;
            any = true;
        }
    }
    return any;
}

// The face of each line, from a coarse index: for each block of
// kLinesPerBlock lines, the face of its first line, and the faces' ends
// scanned on from there (a quad's in at most one step). A face number per
// line would take 4 bytes per line; this takes 4 per block.
constexpr std::size_t kLinesPerBlock = 8;

std::vector<uint32_t> BlockFaces(const cmq::MeshView &mesh) {
    const cmq::MeshView::FaceList faces = mesh.Faces();
    std::vector<uint32_t> blockFace((mesh.LineCount() + kLinesPerBlock - 1) / kLinesPerBlock);
    std::size_t block = 0;
    for (std::size_t f = 0; f < mesh.FaceCount(); ++f)
        for (; block < blockFace.size() && block * kLinesPerBlock < faces.EndOf(f); ++block)
            blockFace[block] = static_cast<uint32_t>(f);
    return blockFace;
}

struct LineFaces {
    cmq::MeshView::FaceList faces;
    std::span<const uint32_t> blockFace;

    // The face holding `line`, below the line count.
    cmq::MeshView::Face Of(std::size_t line) const {
        std::size_t f = blockFace[line / kLinesPerBlock];
        while (faces.EndOf(f) <= line) ++f;
        return faces[f];
    }
};

// The frame of line `line` of a face with `points`, positions from `at(v)`.
template <class PositionOf>
LineFrame FrameOf(std::span<const int32_t> points, int32_t line, PositionOf &&at) {
    const int32_t n = static_cast<int32_t>(points.size());
    if (n == 0 || line < 0 || line >= n) return {};
    // Point i + 1 after point i, around the face (no division: this runs for
    // every ridge).
    const auto after = [n](int32_t i) { return i + 1 == n ? 0 : i + 1; };
    const auto position = [&](int32_t i) { return at(points[static_cast<std::size_t>(i)]); };
    const int32_t next = after(line);
    const cmq::CMQVec3 before = position(line == 0 ? n - 1 : line - 1);
    const cmq::CMQVec3 start = position(line);
    const cmq::CMQVec3 end = position(next);

    // Normal: the line times the side entering it or, for faces of more than
    // three points, the mean of that side and the reversed side leaving it.
    const cmq::CMQVec3 along = cmq::vmath::Sub(end, start);
    const cmq::CMQVec3 entering = cmq::vmath::Sub(start, before);
    cmq::CMQVec3 across = entering;
    // Side point: the start moved back along the entering side or, for larger
    // faces, by the mean of the two sides that leave the line.
    cmq::CMQVec3 offset = cmq::vmath::Negate(entering);
    if (n > 3) {
        const cmq::CMQVec3 leaving = cmq::vmath::Sub(position(after(next)), end);
        across = cmq::vmath::Half(cmq::vmath::Sub(entering, leaving));
        offset = cmq::vmath::Half(cmq::vmath::Add(leaving, offset));
    }
    return {cmq::vmath::Cross(along, across), cmq::vmath::Add(start, offset), start};
}

// Whether the signed fold of the two faces of a ridge lies in the window:
// the angle between their line normals, negative when the side point of the
// first face lies behind the plane of the second (against its normal), else
// positive.
bool FoldInWindow(const RidgeWindow &window, const LineFrame &f1, const LineFrame &f2) {
    const cmq::CMQVec3 m1 = cmq::vmath::Normalise(f1.normal);
    const cmq::CMQVec3 m2 = cmq::vmath::Normalise(f2.normal);
    const float s = cmq::vmath::Dot(f1.sidePoint, m2) - cmq::vmath::Dot(f2.start, m2);
    return window.ContainsJoint(cmq::vmath::Dot(m1, m2), s < 0.0f);
}

} // namespace

LineFrame ReadLineFrame(const cmq::CMQObject &object, int32_t face, int32_t line) {
    const std::vector<int32_t> points = object.GetFacePoints(face);
    return FrameOf(points, line, [&](int32_t v) { return object.GetVertexPosition(v); });
}

int SelectRidges(const cmq::CMQObject &object, const RidgeWindow &window, bool addToSelection, cmq::SelectionPlan &plan) {
    cmq::MeshView mesh(object);
    mesh.ReadFaces();
    for (const cmq::MeshView::Face face : mesh)
        if (face.points.size() < 2) return 0;
    cmq::SelectionCalls sel(object, plan);
    EdgeGroups groups;
    // The grouping and the index of each line's face (for the second line
    // of a pair) need only the faces read, so they are worked out beside
    // the host's thread while it is asked the selection's coverage and
    // every used vertex's position.
    std::vector<uint32_t> blockFace;
    SideTask grouping(
        [&] {
            groups = GroupLinesByEdge(mesh);
            blockFace = BlockFaces(mesh);
        },
        mesh.LineCount());
    std::vector<bool> covered;
    // A pair of two lines is a candidate when either line is covered, or
    // when no line at all is.
    const bool restricted = ReadCoverage(mesh, sel, covered);
    mesh.ReadPositions();
    grouping.Wait();
    const LineFaces lineFaces{mesh.Faces(), blockFace};

    // Drops (sets to EdgeGroups::kNone) the leader's entry of every pair of
    // two that is not chosen or whose fold lies outside the window, for the
    // faces from ordinal `begin` to `end`:
    // a part writes only its own lines' entries, so parts may run side by
    // side, split into parts of about equal line counts.
    //
    // A part first copies what its loop reads (the window and the arrays'
    // places) into its own frame. Read through references instead, they
    // sit in this function's frame, beside the slots the part on this
    // thread keeps its temporaries in, and every write there took the line
    // from the other thread's cache. Measured on the 32-bit DLL, 1M quads,
    // same sitting: the whole command 243 ms through the references, 172 ms
    // with the copies, from nothing selected (174 against 145 from a tenth,
    // 234 against 158 from everything); the marking's CPU time halves.
    const auto markRidges = [&](std::size_t begin, std::size_t end) {
        const RidgeWindow inWindow = window;
        const std::span<uint32_t> second = groups.second;
        const LineFaces faceOf = lineFaces;
        const std::vector<bool>::const_iterator bits = covered.cbegin();
        const auto coveredLine = [bits](uint32_t line) { return bits[static_cast<std::ptrdiff_t>(line)]; };
        const bool onlyCovered = restricted;
        const std::span<const cmq::CMQVec3> read = mesh.Positions();
        const auto position = [read](int32_t v) { return read[static_cast<std::size_t>(v)]; };
        const cmq::MeshView::FaceList faces = mesh.Faces();
        for (std::size_t f = begin; f < end; ++f) {
            const cmq::MeshView::Face face = faces[f];
            for (uint32_t k = 0; k < face.points.size(); ++k) {
                const uint32_t i = face.first + k;
                const uint32_t s = second[i];
                if (!EdgeGroups::IsPairOfTwo(s)) continue;
                bool chosen = !onlyCovered || coveredLine(i) || coveredLine(s);
                if (chosen) {
                    const cmq::MeshView::Face other = faceOf.Of(s);
                    const LineFrame f1 = FrameOf(face.points, static_cast<int32_t>(k), position);
                    const LineFrame f2 = FrameOf(other.points, static_cast<int32_t>(s - other.first), position);
                    chosen = FoldInWindow(inWindow, f1, f2);
                }
                if (!chosen) second[i] = EdgeGroups::kNone;
            }
        }
    };
    const std::size_t parts = PartsFor(mesh.LineCount());
    const auto faceAtPart = [&](std::size_t part) {
        if (part == parts) return mesh.FaceCount();
        return FirstFaceFrom(mesh, mesh.LineCount() / parts * part);
    };
    RunParts(parts, mesh.LineCount(),
             [&](std::size_t part) { markRidges(faceAtPart(part), faceAtPart(part + 1)); });

    // The pairs kept, in line order: the leader, then the second line.
    if (!addToSelection) plan.Clear(MQ_SELECT_ALL);
    for (const cmq::MeshView::Face face : mesh) {
        for (uint32_t k = 0; k < face.points.size(); ++k) {
            const uint32_t i = face.first + k;
            const uint32_t s = groups.second[i];
            if (!EdgeGroups::IsPairOfTwo(s)) continue;
            const cmq::MeshView::Face other = lineFaces.Of(s);
            sel.AddLine(face.index, static_cast<int32_t>(k));
            sel.AddLine(other.index, static_cast<int32_t>(s - other.first));
        }
    }
    return 1;
}

} // namespace selection
