// Small hand-drawn meshes for tests, built in a stand-in document.
#pragma once

#include <initializer_list>
#include <vector>

#include "standin/core/document.h"

namespace testsupport {

// Adds vertices and faces to `object`; faces list vertex indices.
void AddMesh(standin::Object &object, std::initializer_list<MQPoint> vertices,
             std::initializer_list<std::initializer_list<int32_t>> faces);

// The unit cube [0,1]^3: 8 vertices, 6 quads. `clockwise` orders each
// face's points clockwise seen from outside.
void AddCube(standin::Object &object, bool clockwise);

// A flat grid of w × h unit quads in the z = 0 plane, (w+1)(h+1) vertices,
// row by row; quad (i, j) is face j * w + i.
void AddQuadGrid(standin::Object &object, int w, int h);

} // namespace testsupport
