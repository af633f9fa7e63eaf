#include "tests/support/meshes.h"

#include <algorithm>

namespace testsupport {

void AddMesh(standin::Object &object, std::initializer_list<MQPoint> vertices,
             std::initializer_list<std::initializer_list<int32_t>> faces) {
    const int32_t base = object.VertexCount();
    for (const MQPoint &p : vertices) object.AddVertex(p);
    for (const auto &face : faces) {
        std::vector<int32_t> points(face);
        for (int32_t &v : points) v += base;
        object.AddFace(points);
    }
}

void AddCube(standin::Object &object, bool clockwise) {
    // Counter-clockwise seen from outside.
    std::vector<std::vector<int32_t>> faces = {
        {0, 3, 2, 1}, // z = 0 (bottom)
        {4, 5, 6, 7}, // z = 1 (top)
        {0, 1, 5, 4}, // y = 0
        {2, 3, 7, 6}, // y = 1
        {1, 2, 6, 5}, // x = 1
        {0, 4, 7, 3}, // x = 0
    };
    const MQPoint corners[8] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    const int32_t base = object.VertexCount();
    for (const MQPoint &p : corners) object.AddVertex(p);
    for (auto &face : faces) {
        if (clockwise) std::reverse(face.begin(), face.end());
        for (int32_t &v : face) v += base;
        object.AddFace(face);
    }
}

void AddQuadGrid(standin::Object &object, int w, int h) {
    const int32_t base = object.VertexCount();
    for (int j = 0; j <= h; ++j)
        for (int i = 0; i <= w; ++i)
            object.AddVertex({static_cast<float>(i), static_cast<float>(j), 0.0f});
    const auto at = [&](int i, int j) { return base + j * (w + 1) + i; };
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const int32_t quad[4] = {at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)};
            object.AddFace(quad);
        }
}

} // namespace testsupport
