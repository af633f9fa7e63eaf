#include "select/edge_ridge.h"

#include <cmath>
#include <cstddef>
#include <vector>

#include "host/host_api.h"
#include "mesh/cmq_walk.h"
#include "select/edge_table.h"
#include "select/vector_math.h"

namespace selection {
namespace {

constexpr int kEdgeCommand = 14;
constexpr int kRidgeCommand = 15;

// Looked up afresh before every selection query and change.
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

void AddLine(const cmq::CMQObject &object, const cmq::CMQLine &line) {
    hostapi::MQDoc_AddSelectLine(object.document, ObjectIndex(object), line.face, line.line);
}

// Step 1: every line of every live face into the table, with the candidates.
// False when a face of fewer than two points ends the command.
bool BuildEdgeTable(cmq::CMQObject &object, EdgeTable &table) {
    for (auto it = cmq::FirstFace(object); !cmq::AtEnd(it); cmq::Next(it)) {
        const int32_t face = it.index;
        const std::vector<int32_t> points = object.GetFacePoints(face);
        const std::size_t n = points.size();
        if (n < 2) return false;
        for (std::size_t k = 0; k < n; ++k) {
            const int32_t a = points[k];
            const int32_t b = points[k + 1 == n ? 0 : k + 1];
            const int32_t line = static_cast<int32_t>(k);
            const bool covered = IsCovered(object, face, line, a, b);
            EdgeTable::Entry &entry = table.Add(cmq::EdgeKey(a, b), {face, line});
            if (covered) table.MarkCandidate(entry);
        }
    }
    return true;
}

// The signed fold of the two faces of a ridge, in radians: the angle between
// their line normals, negative when the side point of the first face lies
// behind the plane of the second (against its normal), else positive.
float SignedFold(const cmq::CMQObject &object, const cmq::CMQLine &first, const cmq::CMQLine &second) {
    const LineFrame f1 = ReadLineFrame(object, first.face, first.line);
    const LineFrame f2 = ReadLineFrame(object, second.face, second.line);
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
    if (input.command != kEdgeCommand && input.command != kRidgeCommand) return 0;

    // Closed meshes have about two keys per face, so size for that.
    const int faceCount = hostapi::MQObj_GetFaceCount(object.object);
    EdgeTable table(faceCount > 0 ? static_cast<std::size_t>(faceCount) * 2 : 0);
    if (!BuildEdgeTable(object, table)) return 0;

    // The old selection has been read into the candidates; with several
    // objects the results accumulate instead.
    if (!input.allObjects) hostapi::MQDoc_ClearSelect(object.document, MQ_SELECT_ALL);

    const RidgeWindow window = RidgeWindow::From(input);
    const bool restricted = table.HasCandidates();
    for (const EdgeTable::Entry &entry : table.Entries()) {
        if (restricted && !entry.candidate) continue;
        if (input.command == kEdgeCommand) {
            if (entry.count == 1) AddLine(object, entry.first);
        } else if (entry.count == 2) {
            if (window.Contains(SignedFold(object, entry.first, entry.second))) {
                AddLine(object, entry.first);
                AddLine(object, entry.second);
            }
        }
    }
    return 1;
}

} // namespace selection
