#include "select/edge_ridge.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <span>
#include <vector>

#include "host/host_api.h"
#include "mesh/host_count.h"
#include "mesh/vector_math.h"
#include "select/edge_groups.h"
#include "select/mesh_view.h"
#include "select/parallel.h"
#include "select/scratch.h"

namespace selection {
namespace {

constexpr int kEdgeCommand = 14;
constexpr int kRidgeCommand = 15;
// Set in the group state of a ridge pair's leader once its fold is found in
// the window; apart from the count bits.
constexpr uint8_t kRidge = 0x80;

// The ordinal of the first face whose lines start at or after `line`.
std::size_t FirstFaceFrom(const MeshView &mesh, std::size_t line) {
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

// The selection of vertices, asked of the host at most once per vertex slot
// a face uses.
class VertexSelection {
public:
    VertexSelection(const MeshView &mesh, int objectIndex) : mesh_(mesh), objectIndex_(objectIndex) {
        known_->assign(mesh.UsedVertexSlots(), kUnknown);
    }
    bool IsSelected(int32_t v) {
        int8_t &known = (*known_)[static_cast<std::size_t>(v)];
        if (known == kUnknown) known = Ask(v) ? 1 : 0;
        return known != 0;
    }

private:
    static constexpr int8_t kUnknown = -1;
    bool Ask(int32_t v) const {
        return hostapi::MQDoc_IsSelectVertex(mesh_.Object().document, objectIndex_, v) != 0;
    }
    const MeshView &mesh_;
    int objectIndex_;
    ScratchVector<int8_t> known_;
};

// The selection's coverage of lines, asked of the host: a line is covered
// when its face is selected, it is selected itself, or both its ends are.
// Each vertex's selection is asked at most once.
class Coverage {
public:
    Coverage(const MeshView &mesh, int objectIndex)
        : document_(mesh.Object().document), objectIndex_(objectIndex), vertices_(mesh, objectIndex) {}
    bool FaceSelected(const MeshView::Face &face) const {
        return hostapi::MQDoc_IsSelectFace(document_, objectIndex_, face.index) != 0;
    }
    // Line k of a face that is not selected.
    bool LineCovered(const MeshView::Face &face, std::size_t k) {
        const std::size_t n = face.points.size();
        return hostapi::MQDoc_IsSelectLine(document_, objectIndex_, face.index, static_cast<int32_t>(k)) != 0 ||
               (vertices_.IsSelected(face.points[k]) && vertices_.IsSelected(face.points[k + 1 == n ? 0 : k + 1]));
    }

private:
    MQDocument document_;
    int objectIndex_;
    VertexSelection vertices_;
};

// Sets `covered` (one entry per line of the mesh) to 1 for the lines the
// selection covers, 0 for the others, and returns whether any line is
// covered. Each face's selection is asked once, and a line's only when its
// face is not selected.
bool ReadCoverage(const MeshView &mesh, int objectIndex, std::vector<uint8_t> &covered) {
    Coverage coverage(mesh, objectIndex);
    covered.assign(mesh.LineCount(), 0);
    bool any = false;
    for (const MeshView::Face face : mesh) {
        const std::size_t n = face.points.size();
        if (coverage.FaceSelected(face)) {
            std::fill_n(covered.data() + face.first, n, uint8_t{1});
            any = true;
            continue;
        }
        for (std::size_t k = 0; k < n; ++k) {
            if (!coverage.LineCovered(face, k)) continue;
            covered[face.first + k] = 1;
            any = true;
        }
    }
    return any;
}

// The first covered line in line order; the line count when none is.
std::size_t FirstCoveredLine(const MeshView &mesh, Coverage &coverage) {
    for (const MeshView::Face face : mesh) {
        if (coverage.FaceSelected(face)) return face.first;
        for (std::size_t k = 0; k < face.points.size(); ++k)
            if (coverage.LineCovered(face, k)) return face.first + k;
    }
    return mesh.LineCount();
}

// Adds to `plan`, in line order, the borders (pairs of one line) the edge
// command chooses: the covered ones, or every one when no line at all is
// covered. The lines before the first covered one were asked and are not
// covered; after it only the borders are asked.
void AddChosenBorders(const MeshView &mesh, int objectIndex, const EdgeGroups &groups, Coverage &coverage,
                      std::size_t firstCovered, SelectionPlan &plan) {
    const bool restricted = firstCovered < mesh.LineCount();
    for (const MeshView::Face face : mesh) {
        int faceSelected = -1; // asked once, for a face with a border after the first covered line
        for (std::size_t k = 0; k < face.points.size(); ++k) {
            const std::size_t line = face.first + k;
            if (EdgeGroups::Count(groups.state[line]) != 1) continue;
            if (restricted && line < firstCovered) continue;
            if (restricted && line > firstCovered) {
                if (faceSelected < 0) faceSelected = coverage.FaceSelected(face) ? 1 : 0;
                if (faceSelected == 0 && !coverage.LineCovered(face, k)) continue;
            }
            plan.AddLine(objectIndex, face.index, static_cast<int32_t>(k));
        }
    }
}

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

// A fold nearer than this to a bound is decided with the arc cosine itself.
// The exact fold (the double arc cosine rounded to float) is within 1.2e-7
// of the true angle A = acos(d), and |acos'| >= 1 everywhere, so a d more
// than kJointMargin from cos c puts A, and the exact fold, more than
// kJointMargin from c, on the side the cosines tell. Past [0, pi] by more
// than the margin, a bound is below or above every fold: the exact fold
// lies in [0, float(pi)], and float(pi) exceeds pi by 8.7e-8.
constexpr double kJointMargin = 1e-6;

RidgeWindow::RidgeWindow(float low, float high) : lo(low), hi(high) {
    const auto l = static_cast<double>(low);
    const auto h = static_cast<double>(high);
    front_[0] = BoundAt(l);
    front_[1] = BoundAt(h);
    behind_[0] = BoundAt(-l);
    behind_[1] = BoundAt(-h);
}

RidgeWindow::AngleBound RidgeWindow::BoundAt(double c) {
    AngleBound bound;
    if (c < -kJointMargin) bound.always = 1;
    else if (c > std::numbers::pi + kJointMargin) bound.always = -1;
    else bound.cosine = std::cos(std::clamp(c, 0.0, std::numbers::pi));
    return bound;
}

int RidgeWindow::AngleBound::Side(double d) const {
    if (always != 0) return always;
    if (d > cosine + kJointMargin) return -1;
    if (d < cosine - kJointMargin) return 1;
    return 0;
}

bool RidgeWindow::ContainsJoint(float dot, bool behind) const {
    if (!std::isnan(dot)) {
        const double d = dot > 1.0f ? 1.0 : dot < -1.0f ? -1.0 : static_cast<double>(dot);
        const bool inOrder = hi > lo;
        if (!behind) {
            // lo <= A <= hi; reversed, A < hi or A > lo.
            const int atLo = front_[0].Side(d);
            const int atHi = front_[1].Side(d);
            if (atLo != 0 && atHi != 0) return inOrder ? atLo > 0 && atHi < 0 : atHi < 0 || atLo > 0;
        } else {
            // lo <= -A <= hi, so -hi <= A <= -lo; reversed, A > -hi or A < -lo.
            const int atLo = behind_[0].Side(d);
            const int atHi = behind_[1].Side(d);
            if (atLo != 0 && atHi != 0) return inOrder ? atHi > 0 && atLo < 0 : atHi > 0 || atLo < 0;
        }
    }
    const double sign = behind ? -1.0 : 1.0;
    return Contains(static_cast<float>(static_cast<double>(JointAngle(dot)) * sign));
}

RidgeWindow RidgeWindow::From(const vexolin::Options &input) {
    if (input.suppl)
        return {(input.angle1 - 180.0f) * kDegreesToRadians, (input.angle2 - 180.0f) * kDegreesToRadians};
    return {(-input.angle2) * kDegreesToRadians, (-input.angle1) * kDegreesToRadians};
}

bool RidgeWindow::Contains(float fold) const { return Within(static_cast<double>(fold)); }

// In double: every float is exactly a double, so each comparison gives the
// answer it gives in float.
bool RidgeWindow::Within(double fold) const {
    const auto l = static_cast<double>(lo);
    const auto h = static_cast<double>(hi);
    if (h > l) return l <= fold && fold <= h;
    return fold < h || fold > l;
}

float JointAngle(float dot) {
    // Not std::clamp or std::min/max: written out so that NaN falls through
    // every comparison and stays NaN, whichever way round the operands are.
    float d = dot;
    if (d > 1.0f) {
        d = 1.0f;
    } else if (d < -1.0f) {
        d = -1.0f;
    }
    return static_cast<float>(std::acos(static_cast<double>(d)));
}

LineFrame ReadLineFrame(const cmq::CMQObject &object, int32_t face, int32_t line) {
    const std::vector<int32_t> points = object.GetFacePoints(face);
    return FrameOf(points, line, [&](int32_t v) { return object.GetVertexPosition(v); });
}

int SelectEdgeRidge(cmq::CMQObject &object, const vexolin::Options &input) {
    return PlanAndApply(object.document, [&](SelectionPlan &plan) { return SelectEdgeRidge(object, input, plan); });
}

int SelectEdgeRidge(cmq::CMQObject &object, const vexolin::Options &input, SelectionPlan &plan) {
    if (input.commandNumber != kEdgeCommand && input.commandNumber != kRidgeCommand) return 0;

    MeshView mesh(object);
    mesh.ReadFaces();
    for (const MeshView::Face face : mesh)
        if (face.points.size() < 2) return 0;
    // The object's index does not change while a command runs.
    const int objectIndex = hostapi::MQDoc_GetObjectIndex(object.document, object.object);
    EdgeGroups groups;
    groups.withSecond = input.commandNumber == kRidgeCommand;
    if (input.commandNumber == kEdgeCommand) {
        // Only a border's coverage matters, and whether any line at all is
        // covered: the lines are asked in order up to the first covered
        // one, and once grouped, only the borders after it. The plan
        // applies its changes when the command ends, so the selection
        // asked is the one the command started from. With several objects
        // the results accumulate instead.
        //
        // The grouping needs nothing the host is asked, so it runs beside
        // the questions.
        Coverage coverage(mesh, objectIndex);
        SideTask grouping([&] { GroupLinesByEdge(mesh, groups); }, mesh.LineCount());
        const std::size_t firstCovered = FirstCoveredLine(mesh, coverage);
        grouping.Wait();
        if (!input.allObjects) plan.Clear(MQ_SELECT_ALL);
        AddChosenBorders(mesh, objectIndex, groups, coverage, firstCovered, plan);
        return 1;
    }
    // Ridges. The grouping and each line's face (for the second line of a
    // pair) need only the faces read, so they are worked out beside the
    // host's thread while it is asked the selection's coverage and every
    // used vertex's position.
    ScratchVector<uint32_t> faceOfVector;
    std::vector<uint32_t> &faceOf = *faceOfVector;
    SideTask grouping(
        [&] {
            // The lines grouped by vertex pair; the group leaders in line
            // order are the pairs in the order they were first met.
            GroupLinesByEdge(mesh, groups);
            faceOf.resize(mesh.LineCount());
            for (std::size_t f = 0; f < mesh.FaceCount(); ++f) {
                const MeshView::Face face = mesh.FaceAt(f);
                std::fill_n(faceOf.data() + face.first, face.points.size(), static_cast<uint32_t>(f));
            }
        },
        mesh.LineCount());
    ScratchVector<uint8_t> coveredVector;
    std::vector<uint8_t> &covered = *coveredVector;
    // A pair of two lines is a candidate when either line is covered, or
    // when no line at all is.
    const bool restricted = ReadCoverage(mesh, objectIndex, covered);
    mesh.ReadPositions();
    grouping.Wait();

    const RidgeWindow window = RidgeWindow::From(input);
    // Marks kRidge on the leader of every chosen pair whose fold lies in the
    // window, for the faces from ordinal `begin` to `end`: a part writes
    // only its own lines' entries, so parts may run side by side.
    const auto markRidges = [&](const auto &position, std::size_t begin, std::size_t end) {
        for (std::size_t f = begin; f < end; ++f) {
            const MeshView::Face face = mesh.FaceAt(f);
            for (uint32_t k = 0; k < face.points.size(); ++k) {
                const uint32_t i = face.first + k;
                if (EdgeGroups::Count(groups.state[i]) != 2) continue;
                const uint32_t s = groups.second[i];
                if (restricted && covered[i] == 0 && covered[s] == 0) continue;
                const MeshView::Face other = mesh.FaceAt(faceOf[s]);
                const LineFrame f1 = FrameOf(face.points, static_cast<int32_t>(k), position);
                const LineFrame f2 = FrameOf(other.points, static_cast<int32_t>(s - other.first), position);
                if (FoldInWindow(window, f1, f2)) groups.state[i] |= kRidge;
            }
        }
    };
    // The faces are split into parts of about equal line counts.
    const std::span<const cmq::CMQVec3> read = mesh.Positions();
    const auto position = [read](int32_t v) { return read[static_cast<std::size_t>(v)]; };
    const std::size_t parts = PartsFor(mesh.LineCount());
    const auto faceAtPart = [&](std::size_t part) {
        if (part == parts) return mesh.FaceCount();
        return FirstFaceFrom(mesh, mesh.LineCount() / parts * part);
    };
    RunParts(parts, mesh.LineCount(),
             [&](std::size_t part) { markRidges(position, faceAtPart(part), faceAtPart(part + 1)); });

    // The marked pairs, in line order: the leader, then the second line.
    if (!input.allObjects) plan.Clear(MQ_SELECT_ALL);
    for (const MeshView::Face face : mesh) {
        for (uint32_t k = 0; k < face.points.size(); ++k) {
            const uint32_t i = face.first + k;
            if ((groups.state[i] & kRidge) == 0) continue;
            const uint32_t s = groups.second[i];
            const MeshView::Face other = mesh.FaceAt(faceOf[s]);
            plan.AddLine(objectIndex, face.index, static_cast<int32_t>(k));
            plan.AddLine(objectIndex, other.index, static_cast<int32_t>(s - other.first));
        }
    }
    return 1;
}

} // namespace selection
