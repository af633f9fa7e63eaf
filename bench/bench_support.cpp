#include "bench/bench_support.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>
#include <utility>

#include "host/host_api.h"

namespace benchsupport {
namespace {

// A well-mixed 32-bit hash of an index and a seed (the lowbias32 finaliser).
uint32_t Hash(uint32_t x, uint32_t seed) {
    x ^= seed * 0x9E3779B9u;
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

// A value in [-1, 1] from a hash.
float Unit(uint32_t h) { return static_cast<float>(h >> 8) / static_cast<float>(1u << 23) - 1.0f; }

MQPoint GridPoint(int i, int j, int w, uint32_t seed) {
    const uint32_t v = static_cast<uint32_t>(j * (w + 1) + i);
    return {static_cast<float>(i) + 0.2f * Unit(Hash(v, seed)),
            static_cast<float>(j) + 0.2f * Unit(Hash(v, seed + 1)), 0.25f * Unit(Hash(v, seed + 2))};
}

// The divisor of n nearest below its square root, so w × h = n exactly.
void GridShape(int faces, int &w, int &h) {
    w = static_cast<int>(std::sqrt(static_cast<double>(faces)));
    while (w > 1 && faces % w != 0) --w;
    if (w < 1) w = 1;
    h = faces / w;
}

int CubeDivisions(int faces) {
    const int s = static_cast<int>(std::lround(std::sqrt(static_cast<double>(faces) / 6.0)));
    return s < 1 ? 1 : s;
}

std::unique_ptr<BenchMesh> Build(MeshKind kind, int faces) {
    BindHost();
    auto mesh = std::make_unique<BenchMesh>();
    mesh->kind = kind;
    mesh->document = std::make_unique<standin::Document>();
    mesh->document->AddObject(Name(kind));
    mesh->document->currentObject = 0;
    standin::Object &object = mesh->Object();
    constexpr uint32_t kSeed = 20260101u;
    int w = 0, h = 0;
    switch (kind) {
    case MeshKind::NoisyGrid:
        GridShape(faces, w, h);
        AddNoisyGrid(object, w, h, kSeed);
        break;
    case MeshKind::CubeClockwise:
        AddSubdividedCube(object, CubeDivisions(faces), true);
        break;
    case MeshKind::CubeCounterClockwise:
        AddSubdividedCube(object, CubeDivisions(faces), false);
        break;
    case MeshKind::GridWithDuplicates:
        GridShape(faces, w, h);
        mesh->duplicates = AddGridWithDuplicates(object, w, h, kSeed);
        break;
    }
    mesh->faces = object.FaceCount();
    mesh->vertices = object.VertexCount();
    for (int32_t f = 0; f < mesh->faces; ++f) mesh->lines += object.PointCount(f);
    mesh->object = {standin::Document::HandleOf(&object), mesh->document->Handle()};
    return mesh;
}

} // namespace

void BindHost() {
    static const bool bound = hostapi::Bind(STANDIN_HOST_PATH);
    if (!bound) {
        std::fprintf(stderr, "cannot bind the stand-in host at %s\n", STANDIN_HOST_PATH);
        std::abort();
    }
}

const char *Name(MeshKind kind) {
    switch (kind) {
    case MeshKind::NoisyGrid: return "grid";
    case MeshKind::CubeClockwise: return "cube_cw";
    case MeshKind::CubeCounterClockwise: return "cube_ccw";
    case MeshKind::GridWithDuplicates: return "grid_dup";
    }
    return "?";
}

BenchMesh &Mesh(MeshKind kind, int faces) {
    static std::unique_ptr<BenchMesh> last;
    static int lastAsked = -1;
    if (!last || last->kind != kind || lastAsked != faces) {
        last.reset(); // free the old mesh before building the new one
        last = Build(kind, faces);
        lastAsked = faces;
    }
    return *last;
}

void AddNoisyGrid(standin::Object &object, int w, int h, uint32_t seed) {
    const int32_t base = object.VertexCount();
    for (int j = 0; j <= h; ++j)
        for (int i = 0; i <= w; ++i) object.AddVertex(GridPoint(i, j, w, seed));
    const auto at = [&](int i, int j) { return base + j * (w + 1) + i; };
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const int32_t quad[4] = {at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)};
            object.AddFace(quad);
        }
}

int32_t AddGridWithDuplicates(standin::Object &object, int w, int h, uint32_t seed) {
    const int32_t base = object.VertexCount();
    for (int j = 0; j <= h; ++j)
        for (int i = 0; i <= w; ++i) object.AddVertex(GridPoint(i, j, w, seed));
    const auto at = [&](int i, int j) { return base + j * (w + 1) + i; };
    int32_t duplicates = 0;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            int32_t first = at(i, j);
            // About one vertex in a hundred: its copy takes its place as the
            // first point of this quad only.
            if (Hash(static_cast<uint32_t>(first), seed + 3) % 100u == 0) {
                first = object.AddVertex(object.Position(first));
                ++duplicates;
            }
            const int32_t quad[4] = {first, at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)};
            object.AddFace(quad);
        }
    return duplicates;
}

void AddSubdividedCube(standin::Object &object, int s, bool clockwise) {
    // Lattice points (a, b, c) in [0, s]^3 on the surface, each made once.
    std::unordered_map<uint64_t, int32_t> made;
    made.reserve(static_cast<std::size_t>(6 * (s + 1) * (s + 1)));
    const float step = 2.0f / static_cast<float>(s);
    const auto vertex = [&](int a, int b, int c) {
        const uint64_t key = (static_cast<uint64_t>(a) << 42) | (static_cast<uint64_t>(b) << 21) |
                             static_cast<uint64_t>(c);
        const auto found = made.find(key);
        if (found != made.end()) return found->second;
        const MQPoint p = {-1.0f + step * static_cast<float>(a), -1.0f + step * static_cast<float>(b),
                           -1.0f + step * static_cast<float>(c)};
        const int32_t v = object.AddVertex(p);
        made.emplace(key, v);
        return v;
    };
    // Each side: a fixed axis at 0 or s, and two free axes (u, v) chosen so
    // that u × v points outward; (u, v) order gives counter-clockwise points
    // seen from outside.
    struct Side {
        int fixed, value, u, v;
    };
    const Side sides[6] = {{0, 0, 2, 1}, {0, s, 1, 2}, {1, 0, 0, 2}, {1, s, 2, 0}, {2, 0, 1, 0}, {2, s, 0, 1}};
    for (const Side &side : sides) {
        for (int j = 0; j < s; ++j)
            for (int i = 0; i < s; ++i) {
                const auto corner = [&](int di, int dj) {
                    int c[3];
                    c[side.fixed] = side.value;
                    c[side.u] = i + di;
                    c[side.v] = j + dj;
                    return vertex(c[0], c[1], c[2]);
                };
                int32_t quad[4] = {corner(0, 0), corner(1, 0), corner(1, 1), corner(0, 1)};
                if (clockwise) std::swap(quad[1], quad[3]);
                object.AddFace(quad);
            }
    }
}

namespace {

// Every line's edge key of every live face, each face's points read once
// through the host functions; the walk both edge floors share.
template <class Visit>
void ForEachEdgeKey(const cmq::CMQObject &object, int faceCount, Visit visit) {
    std::vector<int32_t> points;
    for (int32_t f = 0; f < faceCount; ++f) {
        const int n = hostapi::MQObj_GetFacePointCount(object.object, f);
        if (n <= 0) continue;
        points.resize(static_cast<std::size_t>(n));
        hostapi::MQObj_GetFacePointArray(object.object, f, points.data());
        for (int k = 0; k < n; ++k)
            visit(cmq::EdgeKey(points[static_cast<std::size_t>(k)],
                               points[static_cast<std::size_t>(k + 1 == n ? 0 : k + 1)]));
    }
}

} // namespace

std::size_t CountDistinct(std::vector<int64_t> &keys) {
    std::sort(keys.begin(), keys.end());
    return static_cast<std::size_t>(std::unique(keys.begin(), keys.end()) - keys.begin());
}

std::size_t EdgeFloor(const cmq::CMQObject &object) {
    const int faceCount = hostapi::MQObj_GetFaceCount(object.object);
    std::vector<int64_t> keys;
    keys.reserve(faceCount > 0 ? static_cast<std::size_t>(faceCount) * 4 : 0);
    ForEachEdgeKey(object, faceCount, [&](int64_t key) { keys.push_back(key); });
    return CountDistinct(keys);
}

std::size_t VertexFloor(const cmq::CMQObject &object) {
    const int count = hostapi::MQObj_GetVertexCount(object.object);
    std::vector<int64_t> positions;
    positions.reserve(count > 0 ? static_cast<std::size_t>(count) : 0);
    for (int32_t v = 0; v < count; ++v) {
        if (hostapi::MQObj_GetVertexRefCount(object.object, v) < 1) continue;
        float p[3] = {0.0f, 0.0f, 0.0f};
        hostapi::MQObj_GetVertex(object.object, v, p);
        const uint64_t xy = (uint64_t{std::bit_cast<uint32_t>(p[0])} << 32) | std::bit_cast<uint32_t>(p[1]);
        positions.push_back(static_cast<int64_t>(xy ^ (uint64_t{std::bit_cast<uint32_t>(p[2])} * 0x9E3779B97F4A7C15ull)));
    }
    return CountDistinct(positions);
}

std::size_t LineQueryFloor(const cmq::CMQObject &object) {
    const int faceCount = hostapi::MQObj_GetFaceCount(object.object);
    const int objectIndex = hostapi::MQDoc_GetObjectIndex(object.document, object.object);
    std::size_t selected = 0;
    for (int32_t f = 0; f < faceCount; ++f) {
        const int n = hostapi::MQObj_GetFacePointCount(object.object, f);
        for (int32_t k = 0; k < n; ++k)
            if (hostapi::MQDoc_IsSelectLine(object.document, objectIndex, f, k) != 0) ++selected;
    }
    return selected;
}

const char *Name(Start start) {
    switch (start) {
    case Start::None: return "none";
    case Start::Tenth: return "p10";
    case Start::All: return "all";
    case Start::FacesAndLines: return "faces_lines";
    }
    return "?";
}

void SetSelection(standin::Object &object, Start start) {
    object.ClearSelection(MQ_SELECT_ALL);
    if (start == Start::None) return;
    constexpr uint32_t kSeed = 77u;
    const auto pick = [&](uint32_t i, uint32_t salt) {
        return start != Start::Tenth || Hash(i, kSeed + salt) % 10u == 0;
    };
    if (start != Start::FacesAndLines)
        for (int32_t v = 0; v < object.VertexCount(); ++v)
            if (pick(static_cast<uint32_t>(v), 0)) object.SelectVertex(v, true);
    uint32_t corner = 0;
    for (int32_t f = 0; f < object.FaceCount(); ++f) {
        if (pick(static_cast<uint32_t>(f), 1)) object.SelectFace(f, true);
        for (int32_t j = 0; j < object.PointCount(f); ++j, ++corner)
            if (pick(corner, 2)) object.SelectLine(f, j, true);
    }
}

} // namespace benchsupport
