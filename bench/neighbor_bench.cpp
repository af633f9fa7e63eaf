// Commands 16 to 25 (neighbour conversions and duplicated vertices) on the
// generated meshes at 10k, 100k and 1M faces, beside the floors they are
// measured against:
//   edge_floor    one host read of every face and one hash insert per line;
//   vertex_floor  one host read of every vertex slot's reference count and
//                 of every live vertex's position, hashed into a flat set.
// Commands 16-23 read every face once (edge floor); 24 and 25 also read
// every vertex once (edge floor + vertex floor). Each benchmark reports
// "x_floor", its time over the floor measured on the same mesh just before.
//
// Every iteration starts with everything selected (vertices, lines, faces),
// so every element is a source, except for command 24, which starts with
// the vertices unselected: a selected point is never searched, and the
// search is what is measured.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>

#include "bench/bench_support.h"
#include "host/host_api.h"
#include "plugin/command_dispatch.h"

namespace {

using benchsupport::BenchMesh;
using benchsupport::MeshKind;

using benchsupport::VertexFloor;

void SelectEverything(standin::Object &o, bool vertices) {
    o.ClearSelection(MQ_SELECT_ALL);
    if (vertices)
        for (int32_t v = 0; v < o.VertexCount(); ++v) o.SelectVertex(v, true);
    for (int32_t f = 0; f < o.FaceCount(); ++f) {
        o.SelectFace(f, true);
        for (int32_t j = 0; j < o.PointCount(f); ++j) o.SelectLine(f, j, true);
    }
}

// The floor of a command, in seconds: the best of three runs.
double FloorSeconds(const cmq::CMQObject &object, bool withVertices) {
    double best = 1e30;
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(benchsupport::EdgeFloor(object));
        if (withVertices) benchmark::DoNotOptimize(VertexFloor(object));
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

void SetCounters(benchmark::State &state, const BenchMesh &mesh) {
    state.counters["faces"] = static_cast<double>(mesh.faces);
    state.counters["lines/s"] =
        benchmark::Counter(static_cast<double>(mesh.lines), benchmark::Counter::kIsIterationInvariantRate);
}

void EdgeFloorBench(benchmark::State &state, MeshKind kind, int faces) {
    BenchMesh &mesh = benchsupport::Mesh(kind, faces);
    for (auto _ : state) benchmark::DoNotOptimize(benchsupport::EdgeFloor(mesh.object));
    SetCounters(state, mesh);
}

void VertexFloorBench(benchmark::State &state, MeshKind kind, int faces) {
    BenchMesh &mesh = benchsupport::Mesh(kind, faces);
    for (auto _ : state) benchmark::DoNotOptimize(VertexFloor(mesh.object));
    SetCounters(state, mesh);
}

void NeighborCommand(benchmark::State &state, MeshKind kind, int faces, int command) {
    BenchMesh &mesh = benchsupport::Mesh(kind, faces);
    const double floor = FloorSeconds(mesh.object, command >= 24);
    double total = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        SelectEverything(mesh.Object(), command != 24);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(vexolin::RunCommandOn(mesh.object, [&] { vexolin::Options o; o.commandNumber = command; return o; }()));
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        total += took.count();
    }
    SetCounters(state, mesh);
    state.counters["x_floor"] = total / static_cast<double>(state.iterations()) / floor;
    state.counters["selected_v"] = static_cast<double>(mesh.Object().SelectedVertices().size());
}

// Grouped by mesh, so each mesh is built once and released before the next.
const bool kRegistered = [] {
    for (const MeshKind kind : {MeshKind::NoisyGrid, MeshKind::GridWithDuplicates}) {
        for (const int faces : benchsupport::kFaceCounts) {
            const std::string suffix = std::string("/") + benchsupport::Name(kind) + "/" + std::to_string(faces);
            benchsupport::Timed(
                benchmark::RegisterBenchmark(("neighbor_edge_floor" + suffix).c_str(), EdgeFloorBench, kind, faces));
            benchsupport::Timed(benchmark::RegisterBenchmark(("neighbor_vertex_floor" + suffix).c_str(),
                                                             VertexFloorBench, kind, faces));
            for (int command = 16; command <= 25; ++command)
                benchsupport::Timed(
                    benchmark::RegisterBenchmark(("neighbor_cmd" + std::to_string(command) + suffix).c_str(),
                                                 NeighborCommand, kind, faces, command));
        }
    }
    return true;
}();

} // namespace
