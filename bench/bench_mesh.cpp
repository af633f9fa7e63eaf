#include "bench/bench_mesh.h"

#include <cmath>
#include <unordered_map>
#include <utility>

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

} // namespace

std::unique_ptr<BenchMesh> BuildMesh(MeshKind kind, int faces) {
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

const char *Name(MeshKind kind) {
    switch (kind) {
    case MeshKind::NoisyGrid: return "grid";
    case MeshKind::CubeClockwise: return "cube_cw";
    case MeshKind::CubeCounterClockwise: return "cube_ccw";
    case MeshKind::GridWithDuplicates: return "grid_dup";
    }
    return "?";
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

std::vector<Start> StartsOf(const vexolin::CommandInfo &command) {
    using vexolin::Family;
    if (command.family == Family::EdgeRidge || command.family == Family::Neighbor ||
        command.family == Family::Duplicate) {
        std::vector<Start> starts = {Start::None, Start::Tenth, Start::All};
        if (command.command == vexolin::Command::FaceToDuplicateVertex) starts.push_back(Start::FacesAndLines);
        return starts;
    }
    if (command.family == Family::Clear) return {Start::All};
    return {Start::None};
}

} // namespace benchsupport
