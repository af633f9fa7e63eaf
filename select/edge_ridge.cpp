#include "select/edge_ridge.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <span>
#include <vector>

#include "host/host_api.h"
#include "mesh/host_count.h"
#include "mesh/cmq_walk.h"
#include "select/edge_table.h"
#include "select/vector_math.h"

namespace selection {
namespace {

constexpr int kEdgeCommand = 14;
constexpr int kRidgeCommand = 15;

// Looked up afresh before every selection query.
int ObjectIndex(const cmq::CMQObject &object) {
    return hostapi::MQDoc_GetObjectIndex(object.document, object.object);
}

// A line is covered by the selection when it is selected itself, its face
// is selected, or both its ends are; the queries stop at the first answer.
bool IsCovered(const cmq::CMQObject &object, int32_t face, int32_t line, int32_t a, int32_t b) {
    if (hostapi::MQDoc_IsSelectLine(object.document, ObjectIndex(object), face, line) != 0) return true;
    if (hostapi::MQDoc_IsSelectFace(object.document, ObjectIndex(object), face) != 0) return true;
    return hostapi::MQDoc_IsSelectVertex(object.document, ObjectIndex(object), a) != 0 &&
           hostapi::MQDoc_IsSelectVertex(object.document, ObjectIndex(object), b) != 0;
}

// What step 1 read of the object: every live face's points, one flat list,
// and per line (in face and line order) its end and whether the selection
// covers it. Line i starts at points[i].
struct FaceLines {
    std::vector<int32_t> points;     // all points of the live faces, in order
    std::vector<int32_t> ends;       // per line: the point it runs to
    std::vector<int32_t> liveFaces;  // the live faces, ascending
    std::vector<uint32_t> faceStart; // per face slot: its first point in `points`
    std::vector<int32_t> faceSize;   // per face slot: its point count (0 when not read)
    EdgeGroups groups;               // per line: kCovered, then the grouping

    // The points of a face read in step 1.
    std::span<const int32_t> PointsOf(int32_t face) const {
        const std::size_t f = static_cast<std::size_t>(face);
        return {points.data() + faceStart[f], static_cast<std::size_t>(faceSize[f])};
    }

    // Line i as the host names it: (face, line).
    cmq::CMQLine LineOf(uint32_t i) const {
        const auto after = std::upper_bound(liveFaces.begin(), liveFaces.end(), i, [this](uint32_t line, int32_t f) {
            return line < faceStart[static_cast<std::size_t>(f)];
        });
        const int32_t face = *(after - 1);
        return {face, static_cast<int32_t>(i - faceStart[static_cast<std::size_t>(face)])};
    }
};

// Step 1: every line of every live face, with the selection queries in the
// order and with the stopping rule of IsCovered. False when a face of fewer
// than two points ends the command.
//
// The lines are only collected here and grouped by vertex pair after the
// walk, in a tight loop: memory touched between host calls cannot overlap
// its cache misses with anything.
bool ReadFaceLines(cmq::CMQObject &object, int faceCount, FaceLines &lines) {
    lines.faceStart.assign(cmq::CheckedCount(faceCount, sizeof(uint32_t) + sizeof(int32_t)), 0);
    lines.faceSize.assign(lines.faceStart.size(), 0);
    // Quads are typical; a host reporting very many slots does not get a
    // huge reservation up front, the lists grow as faces arrive instead.
    const std::size_t expected = std::min<std::size_t>(lines.faceStart.size() * 4, std::size_t{1} << 24);
    lines.points.reserve(expected);
    lines.ends.reserve(expected);
    lines.groups.state.reserve(expected);
    lines.liveFaces.reserve(lines.faceStart.size());
    for (auto it = cmq::FirstFace(object); !cmq::AtEnd(it); cmq::Next(it)) {
        const int32_t face = it.index;
        // As GetFacePoints: the count, then the points of a face that has any.
        const std::size_t n = cmq::CheckedCount(hostapi::MQObj_GetFacePointCount(object.object, face), sizeof(int32_t));
        if (n < 2) return false;
        const std::size_t at = lines.points.size();
        // Faces and lines are found by 32-bit offsets into the point list.
        cmq::CheckFits32(at + n);
        // Preset to 0, as a fresh point list is: an entry the host leaves
        // unwritten reads as vertex 0.
        lines.points.resize(at + n, 0);
        hostapi::MQObj_GetFacePointArray(object.object, face, lines.points.data() + at);
        // The walk stays within the slots counted at the start unless the
        // host adds faces meanwhile, which it does not while a command runs.
        const std::size_t slot = static_cast<std::size_t>(face);
        if (slot >= lines.faceStart.size()) {
            lines.faceStart.resize(slot + 1, 0);
            lines.faceSize.resize(slot + 1, 0);
        }
        lines.faceStart[slot] = static_cast<uint32_t>(at);
        lines.faceSize[slot] = static_cast<int32_t>(n);
        lines.liveFaces.push_back(face);
        for (std::size_t k = 0; k < n; ++k) {
            const int32_t a = lines.points[at + k];
            const int32_t b = lines.points[at + (k + 1 == n ? 0 : k + 1)];
            lines.ends.push_back(b);
            lines.groups.state.push_back(IsCovered(object, face, static_cast<int32_t>(k), a, b) ? EdgeGroups::kCovered
                                                                                               : uint8_t{0});
        }
    }
    return true;
}

// The signed fold of the two faces of a ridge, in radians: the angle between
// their line normals, negative when the side point of the first face lies
// behind the plane of the second (against its normal), else positive.
float SignedFold(const cmq::CMQObject &object, const FaceLines &lines, const cmq::CMQLine &first,
                 const cmq::CMQLine &second) {
    const LineFrame f1 = ReadLineFrame(object, lines.PointsOf(first.face), first.line);
    const LineFrame f2 = ReadLineFrame(object, lines.PointsOf(second.face), second.line);
    const cmq::CMQVec3 m1 = vmath::Normalise(f1.normal);
    const cmq::CMQVec3 m2 = vmath::Normalise(f2.normal);
    const float s = vmath::Dot(f1.sidePoint, m2) - vmath::Dot(f2.start, m2);
    const double sign = s < 0.0f ? -1.0 : 1.0;
    const float theta = JointAngle(vmath::Dot(m1, m2));
    return static_cast<float>(static_cast<double>(theta) * sign);
}

} // namespace

RidgeWindow RidgeWindow::From(const CommandInput &input) {
    if (input.suppl)
        return {(input.angle1 - 180.0f) * kDegreesToRadians, (input.angle2 - 180.0f) * kDegreesToRadians};
    return {(-input.angle2) * kDegreesToRadians, (-input.angle1) * kDegreesToRadians};
}

bool RidgeWindow::Contains(float fold) const {
    if (hi > lo) return lo <= fold && fold <= hi;
    return fold < hi || fold > lo;
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
    return ReadLineFrame(object, points, line);
}

LineFrame ReadLineFrame(const cmq::CMQObject &object, std::span<const int32_t> points, int32_t line) {
    const int32_t n = static_cast<int32_t>(points.size());
    if (n == 0 || line < 0 || line >= n) return {};
    const auto position = [&](int32_t i) {
        return object.GetVertexPosition(points[static_cast<std::size_t>(((i % n) + n) % n)]);
    };
    const cmq::CMQVec3 before = position(line - 1);
    const cmq::CMQVec3 start = position(line);
    const cmq::CMQVec3 end = position(line + 1);

    // Normal: the line times the side entering it or, for faces of more than
    // three points, the mean of that side and the reversed side leaving it.
    const cmq::CMQVec3 along = vmath::Sub(end, start);
    const cmq::CMQVec3 entering = vmath::Sub(start, before);
    cmq::CMQVec3 across = entering;
    // Side point: the start moved back along the entering side or, for larger
    // faces, by the mean of the two sides that leave the line.
    cmq::CMQVec3 offset = vmath::Negate(entering);
    if (n > 3) {
        const cmq::CMQVec3 leaving = vmath::Sub(position(line + 2), end);
        across = vmath::Half(vmath::Sub(entering, leaving));
        offset = vmath::Half(vmath::Add(leaving, offset));
    }
    return {vmath::Cross(along, across), vmath::Add(start, offset), start};
}

int SelectEdgeRidge(cmq::CMQObject &object, const CommandInput &input) {
    return PlanAndApply(object.document, [&](SelectionPlan &plan) { return SelectEdgeRidge(object, input, plan); });
}

int SelectEdgeRidge(cmq::CMQObject &object, const CommandInput &input, SelectionPlan &plan) {
    if (input.command != kEdgeCommand && input.command != kRidgeCommand) return 0;

    // Closed meshes have about two keys per face, so size for that.
    const int faceCount = hostapi::MQObj_GetFaceCount(object.object);
    FaceLines lines;
    if (!ReadFaceLines(object, faceCount, lines)) return 0;
    // The edge table: the lines grouped by vertex pair; the group leaders
    // in line order are the pairs in the order they were first met.
    GroupLinesByEdge(lines.points, lines.ends, lines.groups);
    const EdgeGroups &groups = lines.groups;

    // The old selection has been read into the candidates; with several
    // objects the results accumulate instead. The clear is only recorded:
    // the folds below still read positions, and every read comes before the
    // first change (the positions do not depend on the selection anyway).
    if (!input.allObjects) plan.Clear(MQ_SELECT_ALL);
    const int objectIndex = ObjectIndex(object);

    const RidgeWindow window = RidgeWindow::From(input);
    const bool restricted = groups.anyCandidate;
    for (uint32_t i = 0; i < groups.state.size(); ++i) {
        const uint8_t state = groups.state[i];
        const int count = EdgeGroups::Count(state);
        if (count == 0) continue; // not the first line of its pair
        if (restricted && (state & EdgeGroups::kCandidate) == 0) continue;
        if (input.command == kEdgeCommand) {
            if (count == 1) {
                const cmq::CMQLine line = lines.LineOf(i);
                plan.AddLine(objectIndex, line.face, line.line);
            }
        } else if (count == 2) {
            const cmq::CMQLine first = lines.LineOf(i);
            const cmq::CMQLine second = lines.LineOf(groups.second[i]);
            if (window.Contains(SignedFold(object, lines, first, second))) {
                plan.AddLine(objectIndex, first.face, first.line);
                plan.AddLine(objectIndex, second.face, second.line);
            }
        }
    }
    return 1;
}

} // namespace selection
