// The benchmarks' meshes and the selections a command starts from: large
// deterministic meshes held in the stand-in host, built through its document
// model (no host functions, no benchmark library), so that the Google
// Benchmark programs and the plain memory probe (memory_probe.cpp) measure
// the very same meshes.
//
// Typical use:
//   std::unique_ptr<benchsupport::BenchMesh> mesh =
//       benchsupport::BuildMesh(benchsupport::MeshKind::GridWithDuplicates, 1000000);
//   benchsupport::SetSelection(mesh->Object(), benchsupport::Start::All);
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "commands/command_table.h"
#include "mesh/cmq_object.h"
#include "standin/core/document.h"

namespace benchsupport {

enum class MeshKind {
    // An open grid of w × h quads, points counter-clockwise seen from +z,
    // every vertex moved by a deterministic jitter (x, y up to ±0.2 of the
    // spacing, z up to ±0.25), so no two faces are coplanar. Border lines
    // and ridges of every angle.
    NoisyGrid,
    // A closed cube, each side divided into s × s quads that share their
    // vertices across the cube's edges; points clockwise seen from outside
    // (outward line normals). Flat joints inside the sides, 90-degree folds
    // along the cube's twelve edges, no border.
    CubeClockwise,
    // The same cube with every face's points in the opposite order.
    CubeCounterClockwise,
    // The noisy grid in which about 1% of the vertices have a coincident
    // copy (a vertex slot at the same position), used by the one quad whose
    // first point the original was; so the mesh has seams of unwelded
    // vertices, as imported meshes often do.
    GridWithDuplicates,
};

inline constexpr MeshKind kMeshKinds[] = {MeshKind::NoisyGrid, MeshKind::CubeClockwise,
                                          MeshKind::CubeCounterClockwise, MeshKind::GridWithDuplicates};

// A short name for benchmark labels: "grid", "cube_cw", "cube_ccw", "grid_dup".
const char *Name(MeshKind kind);

// A generated mesh in a stand-in document of its own, as the only (and
// current) object. Owns the document; the wrapper is what the plug-in's
// commands take.
struct BenchMesh {
    MeshKind kind = MeshKind::NoisyGrid;
    int32_t faces = 0;       // face slots (all live)
    int32_t vertices = 0;    // vertex slots (all in use)
    int64_t lines = 0;       // face lines, the sum of the point counts
    int32_t duplicates = 0;  // vertex slots that copy another's position

    std::unique_ptr<standin::Document> document;
    cmq::CMQObject object;

    standin::Object &Object() { return *document->ObjectAt(0); }
};

// A new mesh of `kind` with about `faces` faces, in a document of its own:
// exactly `faces` for the grids when it has a divisor near its square root
// (10k, 100k, 1M and 4M do), and 6·s² for the cubes with
// s = round(sqrt(faces / 6)).
std::unique_ptr<BenchMesh> BuildMesh(MeshKind kind, int faces);

// Builders, for other uses of the same meshes. `seed` picks the jitter.
void AddNoisyGrid(standin::Object &object, int w, int h, uint32_t seed);
void AddSubdividedCube(standin::Object &object, int s, bool clockwise);
// Returns the number of duplicated vertices added.
int32_t AddGridWithDuplicates(standin::Object &object, int w, int h, uint32_t seed);

// Selections a command starts from.
enum class Start {
    None,          // nothing selected
    Tenth,         // about one vertex, face and line in ten (a fixed pattern)
    All,           // every vertex, line and face
    FacesAndLines, // every line and face, no vertex (the full search of 24)
};

// "none", "p10", "all", "faces_lines".
const char *Name(Start start);

// Clears the object's selection and selects the pattern of `start`.
// Deterministic: the same elements every time.
void SetSelection(standin::Object &object, Start start);

// The selections a benchmark runs `command` from: commands that do not read
// the selection run from None only; the clears from All; the commands that
// read it (edge and ridge, neighbours, duplicates) from None, Tenth and All,
// and command 24 also from FacesAndLines (every point searched).
std::vector<Start> StartsOf(const vexolin::CommandInfo &command);

} // namespace benchsupport
