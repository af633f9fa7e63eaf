// Shared helpers of the benchmarks: large deterministic meshes held in the
// stand-in host, and the "edge floor" that a command over face lines is
// measured against.
//
// Every benchmark runs in process: the plug-in's code is linked in
// (vexolin_core) and calls the stand-in host through the host table, bound
// to the stand-in module exactly as the modeller's module would be. So a
// benchmark pays for host calls as the plug-in does in the modeller, less
// the cost of the modeller's own bookkeeping.
//
// Typical use:
//   benchsupport::BindHost();
//   benchsupport::BenchMesh &mesh = benchsupport::Mesh(MeshKind::NoisyGrid, 100000);
//   for (auto _ : state) RunCommand(mesh.object);
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "mesh/cmq_object.h"
#include "standin/core/document.h"

namespace benchsupport {

// How every benchmark here is timed: in milliseconds of wall time, since a
// command may compute on threads of its own beside the host's; the CPU time
// reported beside it is the whole process's, every thread's together.
inline benchmark::internal::Benchmark *Timed(benchmark::internal::Benchmark *b) {
    return b->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
}

// Face counts the benchmarks run at.
inline constexpr int kFaceCounts[] = {10000, 100000, 1000000};

// Binds the host table to the stand-in host (STANDIN_HOST_PATH) once per
// process; aborts with a message when that fails, as no benchmark can run.
void BindHost();

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

// The mesh of `kind` with about `faces` faces: exactly `faces` for the grids
// when it has a divisor near its square root (10k, 100k and 1M do), and
// 6·s² for the cubes with s = round(sqrt(faces / 6)). Built on first use;
// the last mesh is kept so repeated benchmark runs do not rebuild it, and is
// released when another kind or size is asked for (a 1M-face mesh holds
// tens of megabytes). The reference is valid until then.
BenchMesh &Mesh(MeshKind kind, int faces);

// Builders, for other uses of the same meshes. `seed` picks the jitter.
void AddNoisyGrid(standin::Object &object, int w, int h, uint32_t seed);
void AddSubdividedCube(standin::Object &object, int s, bool clockwise);
// Returns the number of duplicated vertices added.
int32_t AddGridWithDuplicates(standin::Object &object, int w, int h, uint32_t seed);

// The edge floor: reads every live face's points through the host functions
// the commands use (MQObj_GetFaceCount, MQObj_GetFacePointCount,
// MQObj_GetFacePointArray, into one reused buffer), collects the edge key of
// every line in one vector and sorts it. Returns the number of distinct
// keys.
// A command that must group every face line cannot be faster than this;
// benchmarks report their time as a multiple of it.
std::size_t EdgeFloor(const cmq::CMQObject &object);

// Sorts `keys` and returns how many distinct ones it holds.
std::size_t CountDistinct(std::vector<int64_t> &keys);

// The vertex floor: reads every vertex slot's reference count and every live
// vertex's position once through the host (MQObj_GetVertexCount,
// MQObj_GetVertexRefCount, MQObj_GetVertex), collects a key of each position
// in one vector and sorts it. Returns the number of distinct keys.
// A command that must look at every vertex cannot be faster than this.
std::size_t VertexFloor(const cmq::CMQObject &object);

// The line query floor: asks the selection of every line of every live face
// once (MQObj_GetFaceCount, MQObj_GetFacePointCount, MQDoc_IsSelectLine,
// the object's index asked once), with nothing selected. Returns the number
// of lines found selected.
// What a command that reads the line selection pays before it computes
// anything; shown beside the floors, not used as one.
std::size_t LineQueryFloor(const cmq::CMQObject &object);

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

} // namespace benchsupport
