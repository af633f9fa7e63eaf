// The line queries of cmq::CMQObject that only the tests' literal
// references use (mesh/cmq_object.h declares them with the object). They
// are defined here, among the tests, so that the plug-in does not carry
// them: a command that called one would not link.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/host_api.h"
#include "mesh/cmq_object.h"
#include "mesh/vector_math.h"

namespace cmq {

CMQLineEnds CMQObject::GetLine(int32_t faceIndex, int32_t line) const {
    const std::vector<int32_t> p = GetFacePoints(faceIndex);
    const int32_t n = static_cast<int32_t>(p.size());
    if (n == 0) return {};
    int32_t k = line;
    if (k < 0) k += n;
    k %= n;
    if (k < 0) k += n; // lines below -1 are not asked for; keep the index valid anyway
    const auto at = [&p](int32_t i) { return p[static_cast<std::size_t>(i)]; };
    return {at(k), k == n - 1 ? at(0) : at(k + 1)};
}

CMQVec3 CMQObject::GetLineNormal(int32_t faceIndex, int32_t line) const {
    const CMQLineEnds ab = GetLine(faceIndex, line);
    const CMQVec3 e1 = vmath::Sub(GetVertexPosition(ab.end), GetVertexPosition(ab.start));
    const CMQLineEnds st = GetLine(faceIndex, line - 1);
    const CMQVec3 e2 = vmath::Sub(GetVertexPosition(st.end), GetVertexPosition(st.start));
    CMQVec3 u = e2;
    if (hostapi::MQObj_GetFacePointCount(object, faceIndex) > 3) {
        const CMQLineEnds gh = GetLine(faceIndex, line + 1);
        const CMQVec3 e3 = vmath::Sub(GetVertexPosition(gh.end), GetVertexPosition(gh.start));
        u = vmath::Half(vmath::Sub(e2, e3));
    }
    return vmath::Cross(e1, u);
}

CMQVec3 CMQObject::GetLineSidePoint(int32_t faceIndex, int32_t line) const {
    const CMQLineEnds ab = GetLine(faceIndex, line - 1);
    CMQVec3 d = vmath::Negate(vmath::Sub(GetVertexPosition(ab.end), GetVertexPosition(ab.start)));
    if (hostapi::MQObj_GetFacePointCount(object, faceIndex) > 3) {
        const CMQLineEnds gh = GetLine(faceIndex, line + 1);
        d = vmath::Half(vmath::Add(vmath::Sub(GetVertexPosition(gh.end), GetVertexPosition(gh.start)), d));
    }
    const std::vector<int32_t> p = GetFacePoints(faceIndex);
    if (line < 0 || static_cast<std::size_t>(line) >= p.size()) return d; // outside the contract
    return vmath::Add(GetVertexPosition(p[static_cast<std::size_t>(line)]), d);
}

std::vector<CMQLine> CMQObject::FindEdgeLines(int32_t a, int32_t b, int32_t skipFace) const {
    std::vector<CMQLine> found;
    const int faceCount = hostapi::MQObj_GetFaceCount(object);
    for (int32_t f = 0; f < faceCount; ++f) {
        if (f == skipFace) continue;
        const std::vector<int32_t> p = GetFacePoints(f);
        const int32_t n = static_cast<int32_t>(p.size());
        const int32_t m = n == 2 ? 1 : n;
        for (int32_t k = 0; k < m; ++k) {
            const int32_t s = p[static_cast<std::size_t>(k)];
            const int32_t t = p[static_cast<std::size_t>((k + 1) % n)];
            if ((s == a && t == b) || (s == b && t == a)) found.push_back({f, k});
        }
    }
    return found;
}

} // namespace cmq
