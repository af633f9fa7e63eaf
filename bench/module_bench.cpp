// Every command, 1 to 30, as the modeller runs it: the real plug-in module
// (loaded by path and bound with MQInit to the stand-in host) is called
// through MQModifySelect, and the scripted user clicks the command's button
// in the real dialog, one click per run. The meshes and the floors are those
// of bench_support, held in the same stand-in host.
//
// Names: module/<what>/<mesh>/<faces>[/<start>]
//   edge_floor, sorted_edge_floor, vertex_floor
//                             the floors (bench_support.h), on the same mesh
//   line_query_floor          every line's selection asked once: shown
//                             beside the floors, not used as one
//   dialog                    one run cancelled in the dialog: what every
//                             command's time includes besides the command
//   cmdNN                     command NN from the selection <start> (none,
//                             p10, all, faces_lines; bench_support.h);
//                             counter peak_B_per_line: the command's peak
//                             extra heap use per face line
//
// The selection a run starts from is set up outside the timed region, every
// iteration, since every command changes it. Commands 1 to 13, 29 and 30 do
// not read the selection and run from "none"; the clears (26 to 28) run
// from "all"; the commands that read it (14 to 25) run from each of none,
// p10 and all, and command 24 also from faces_lines (every face selected,
// no vertex: every point is searched).
//
// scripts/bench.sh turns the results into docs/benchmarks.md.
#include <benchmark/benchmark.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "abi/mq_abi.h"
#include "bench/allocation_meter.h"
#include "bench/bench_support.h"
#include "commands/command_table.h"
#include "standin/toolkit/toolkit.h"

namespace {

using benchsupport::BenchMesh;
using benchsupport::MeshKind;
using benchsupport::Start;
namespace tk = standin::toolkit;

// The noisy grid with about 1% unwelded vertices: borders, ridges of every
// angle and duplicates, so every command has work.
constexpr MeshKind kMesh = MeshKind::GridWithDuplicates;

struct Module {
    MQModifySelect_fn modifySelect = nullptr;
};

// The module to time: this build's, or the one VEXOLIN_BENCH_MODULE names
// (another build of the module, e.g. an older commit's, timed against this
// same host and meshes, so the module's own cost can be compared apart from
// the host's).
const char *ModulePath() {
    const char *other = std::getenv("VEXOLIN_BENCH_MODULE");
    return other != nullptr && *other != '\0' ? other : VEXOLIN_MODULE_PATH;
}

// Loads the module by path and binds it to the stand-in host once per
// process, as the modeller would; aborts when that fails.
const Module &Plugin() {
    static const Module module = [] {
        Module m;
        const char *path = ModulePath();
        void *handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            std::fprintf(stderr, "cannot load %s: %s\n", path, dlerror());
            std::abort();
        }
        const auto check = reinterpret_cast<MQCheckVersion_fn>(dlsym(handle, "MQCheckVersion"));
        const auto init = reinterpret_cast<MQInit_fn>(dlsym(handle, "MQInit"));
        m.modifySelect = reinterpret_cast<MQModifySelect_fn>(dlsym(handle, "MQModifySelect"));
        if (check == nullptr || init == nullptr || m.modifySelect == nullptr || check(0x4400) == 0 ||
            init(STANDIN_HOST_PATH) != 1) {
            std::fprintf(stderr, "cannot bind %s to %s\n", path, STANDIN_HOST_PATH);
            std::abort();
        }
        return m;
    }();
    return module;
}

void SetCounters(benchmark::State &state, const BenchMesh &mesh) {
    state.counters["faces"] = static_cast<double>(mesh.faces);
    state.counters["lines"] = static_cast<double>(mesh.lines);
    state.counters["vertices"] = static_cast<double>(mesh.vertices);
}

void EdgeFloorBench(benchmark::State &state, int faces) {
    BenchMesh &mesh = benchsupport::Mesh(kMesh, faces);
    for (auto _ : state) benchmark::DoNotOptimize(benchsupport::EdgeFloor(mesh.object));
    SetCounters(state, mesh);
}

void LineQueryFloorBench(benchmark::State &state, int faces) {
    BenchMesh &mesh = benchsupport::Mesh(kMesh, faces);
    benchsupport::SetSelection(mesh.Object(), Start::None);
    for (auto _ : state) benchmark::DoNotOptimize(benchsupport::LineQueryFloor(mesh.object));
    SetCounters(state, mesh);
}

void VertexFloorBench(benchmark::State &state, int faces) {
    BenchMesh &mesh = benchsupport::Mesh(kMesh, faces);
    for (auto _ : state) benchmark::DoNotOptimize(benchsupport::VertexFloor(mesh.object));
    SetCounters(state, mesh);
}

// One run of the dialog that the user cancels: no command, no change.
void DialogBench(benchmark::State &state, int faces) {
    const Module &plugin = Plugin();
    BenchMesh &mesh = benchsupport::Mesh(kMesh, faces);
    for (auto _ : state) {
        state.PauseTiming();
        tk::SetScript({tk::Action::Cancel()});
        state.ResumeTiming();
        if (plugin.modifySelect(0, mesh.document->Handle()) != 0) {
            state.SkipWithError("a cancelled dialog ran a command");
            break;
        }
    }
    SetCounters(state, mesh);
}

void CommandBench(benchmark::State &state, int faces, const vexolin::CommandInfo &command, Start start) {
    const Module &plugin = Plugin();
    BenchMesh &mesh = benchsupport::Mesh(kMesh, faces);
    for (auto _ : state) {
        state.PauseTiming();
        benchsupport::SetSelection(mesh.Object(), start);
        tk::SetScript({tk::Action::Click(command.label, command.group)});
        state.ResumeTiming();
        if (plugin.modifySelect(0, mesh.document->Handle()) != 1) {
            state.SkipWithError(("the dialog did not run the command: " + tk::ScriptError()).c_str());
            break;
        }
    }
    // One more run outside the timed region, for the command's peak extra
    // heap use (the plug-in's and the host's) per face line.
    benchsupport::SetSelection(mesh.Object(), start);
    tk::SetScript({tk::Action::Click(command.label, command.group)});
    allocmeter::StartPeak();
    plugin.modifySelect(0, mesh.document->Handle());
    state.counters["peak_B_per_line"] =
        static_cast<double>(allocmeter::PeakSinceStart()) / static_cast<double>(mesh.lines);
    SetCounters(state, mesh);
    standin::Object &o = mesh.Object();
    state.counters["sel_v"] = static_cast<double>(o.SelectedVertices().size());
    state.counters["sel_l"] = static_cast<double>(o.SelectedLines().size());
    state.counters["sel_f"] = static_cast<double>(o.SelectedFaces().size());
}

// Grouped by size, so each mesh is built once and released before the next.
const bool kRegistered = [] {
    for (const int faces : benchsupport::kFaceCounts) {
        const std::string suffix = std::string("/") + benchsupport::Name(kMesh) + "/" + std::to_string(faces);
        benchsupport::Timed(
            benchmark::RegisterBenchmark(("module/edge_floor" + suffix).c_str(), EdgeFloorBench, faces));
        benchsupport::Timed(
            benchmark::RegisterBenchmark(("module/vertex_floor" + suffix).c_str(), VertexFloorBench, faces));
        benchsupport::Timed(
            benchmark::RegisterBenchmark(("module/line_query_floor" + suffix).c_str(), LineQueryFloorBench, faces));
        benchsupport::Timed(benchmark::RegisterBenchmark(("module/dialog" + suffix).c_str(), DialogBench, faces));
        for (const vexolin::CommandInfo &command : vexolin::kCommands) {
            char name[16];
            std::snprintf(name, sizeof name, "cmd%02d", command.number);
            for (const Start start : benchsupport::StartsOf(command))
                benchsupport::Timed(benchmark::RegisterBenchmark(
                    ("module/" + std::string(name) + suffix + "/" + benchsupport::Name(start)).c_str(), CommandBench,
                    faces, command, start));
        }
    }
    return true;
}();

} // namespace
