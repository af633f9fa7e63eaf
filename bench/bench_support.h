// Shared helpers of the benchmarks: the generated meshes (bench_mesh.h),
// kept between runs, and the "edge floor" that a command over face lines is
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

#include "bench/bench_mesh.h"
#include "mesh/cmq_object.h"

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

// The mesh of `kind` with about `faces` faces (BuildMesh), with the host
// table bound (BindHost) so that the floors can read it. Built on first use;
// the last mesh is kept so repeated benchmark runs do not rebuild it, and is
// released when another kind or size is asked for (a 1M-face mesh holds
// tens of megabytes). The reference is valid until then.
BenchMesh &Mesh(MeshKind kind, int faces);

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

} // namespace benchsupport
