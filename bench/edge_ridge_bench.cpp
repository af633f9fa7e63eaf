// Commands 14 "Edge" and 15 "Ridge" against the edge floor (one host read
// of every face and one hash insert per line), on the generated meshes at
// 10k, 100k and 1M faces. Every run starts from an empty selection, so
// every line is a candidate.
//
// Read the ratio of a command's time to edge_floor on the same mesh: the
// commands add, per line, the selection queries (line, face, first end:
// three host calls, each after an object index look-up) and, per ridge, two
// face reads and up to eight vertex reads.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "host/host_api.h"
#include "plugin/command_dispatch.h"

namespace {

using benchsupport::BenchMesh;
using benchsupport::MeshKind;

void SetCounters(benchmark::State &state, const BenchMesh &mesh) {
    state.counters["faces"] = static_cast<double>(mesh.faces);
    state.counters["lines/s"] =
        benchmark::Counter(static_cast<double>(mesh.lines), benchmark::Counter::kIsIterationInvariantRate);
}

void EdgeFloor(benchmark::State &state, MeshKind kind, int faces) {
    BenchMesh &mesh = benchsupport::Mesh(kind, faces);
    for (auto _ : state) benchmark::DoNotOptimize(benchsupport::EdgeFloor(mesh.object));
    SetCounters(state, mesh);
}

// The edge floor plus the selection queries the commands must make per line
// from an empty selection (line, face, first end, each after a fresh object
// index look-up): what any command over face lines that reads the selection
// line by line costs at least. Separates host-query cost from the rest.
std::size_t QueryFloor(const cmq::CMQObject &object) {
    const int faceCount = hostapi::MQObj_GetFaceCount(object.object);
    std::vector<int64_t> keys;
    keys.reserve(faceCount > 0 ? static_cast<std::size_t>(faceCount) * 4 : 0);
    std::vector<int32_t> points;
    std::size_t covered = 0;
    for (int32_t f = 0; f < faceCount; ++f) {
        const int n = hostapi::MQObj_GetFacePointCount(object.object, f);
        if (n <= 0) continue;
        points.resize(static_cast<std::size_t>(n));
        hostapi::MQObj_GetFacePointArray(object.object, f, points.data());
        for (int k = 0; k < n; ++k) {
            const int32_t a = points[static_cast<std::size_t>(k)];
            const int32_t b = points[static_cast<std::size_t>(k + 1 == n ? 0 : k + 1)];
            const auto index = [&] { return hostapi::MQDoc_GetObjectIndex(object.document, object.object); };
            if (hostapi::MQDoc_IsSelectLine(object.document, index(), f, k) != 0 ||
                hostapi::MQDoc_IsSelectFace(object.document, index(), f) != 0 ||
                hostapi::MQDoc_IsSelectVertex(object.document, index(), a) != 0)
                ++covered;
            keys.push_back(cmq::EdgeKey(a, b));
        }
    }
    return benchsupport::CountDistinct(keys) + covered;
}

void SelectionQueryFloor(benchmark::State &state, MeshKind kind, int faces) {
    BenchMesh &mesh = benchsupport::Mesh(kind, faces);
    mesh.Object().ClearSelection(MQ_SELECT_ALL);
    for (auto _ : state) benchmark::DoNotOptimize(QueryFloor(mesh.object));
    SetCounters(state, mesh);
}

void EdgeRidgeCommand(benchmark::State &state, MeshKind kind, int faces, int command) {
    BenchMesh &mesh = benchsupport::Mesh(kind, faces);
    vexolin::Options input;
    input.commandNumber = command; // default window: 0 to 90 degrees, suppl off
    for (auto _ : state) {
        // The command reads the selection it starts from; start from none.
        state.PauseTiming();
        mesh.Object().ClearSelection(MQ_SELECT_ALL);
        state.ResumeTiming();
        benchmark::DoNotOptimize(vexolin::RunCommandOn(mesh.object, input));
    }
    SetCounters(state, mesh);
    state.counters["selected"] = static_cast<double>(mesh.Object().SelectedLines().size());
}

// Grouped by mesh, so each mesh is built once and released before the next.
const bool kRegistered = [] {
    for (const MeshKind kind : benchsupport::kMeshKinds) {
        for (const int faces : benchsupport::kFaceCounts) {
            const std::string suffix = std::string("/") + benchsupport::Name(kind) + "/" + std::to_string(faces);
            benchsupport::Timed(benchmark::RegisterBenchmark(("edge_floor" + suffix).c_str(), EdgeFloor, kind, faces));
            benchsupport::Timed(
                benchmark::RegisterBenchmark(("query_floor" + suffix).c_str(), SelectionQueryFloor, kind, faces));
            benchsupport::Timed(
                benchmark::RegisterBenchmark(("edge" + suffix).c_str(), EdgeRidgeCommand, kind, faces, 14));
            benchsupport::Timed(
                benchmark::RegisterBenchmark(("ridge" + suffix).c_str(), EdgeRidgeCommand, kind, faces, 15));
        }
    }
    return true;
}();

} // namespace
