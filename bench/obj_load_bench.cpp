// Loading a large OBJ file: vexolin-run's reader beside tinyobjloader's own
// whole-file loader, on the same generated file of 1M quads (a 1001 x 1001
// vertex grid in 1,000 groups, one per row of quads).
//
// Each load runs in a child process of its own, so that its peak memory can
// be read alone: the child resets the kernel's peak-RSS mark, loads, and
// reports wall time and (peak RSS - RSS before the load). Reported:
//   time              wall time of one load (manual time)
//   cpu_s             CPU time of one load, user and system (wall time on a
//                     busy machine is mostly waiting)
//   peak_MB           memory the load added at its peak
//   peak_per_file     that peak divided by the file's size
//   file_MB           the file's size
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <tiny_obj_loader.h>

#include "standin/cli/obj_loader.h"

namespace {

constexpr int kGrid = 1000;  // quads per side

const std::string &GeneratedFile() {
    static const std::string path = [] {
        const std::string p = (std::filesystem::temp_directory_path() / "vexolin_bench_1m_quads.obj").string();
        std::FILE *out = std::fopen(p.c_str(), "wb");
        if (out == nullptr) return std::string();
        std::fprintf(out, "# 1M quads\n");
        for (int y = 0; y <= kGrid; ++y)
            for (int x = 0; x <= kGrid; ++x)
                std::fprintf(out, "v %.6f %.6f %.6f\n", x * 0.01, y * 0.01, ((x * 7 + y * 13) % 17) * 0.001);
        for (int y = 0; y < kGrid; ++y) {
            std::fprintf(out, "g row%d\n", y);
            for (int x = 0; x < kGrid; ++x) {
                const int a = y * (kGrid + 1) + x + 1;
                std::fprintf(out, "f %d %d %d %d\n", a, a + 1, a + kGrid + 2, a + kGrid + 1);
            }
        }
        std::fclose(out);
        return p;
    }();
    return path;
}

long StatusKb(const char *field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::strlen(field)));
    return -1;
}

double CpuSeconds() {
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval &t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Measured {
    double seconds = 0;
    double cpuSeconds = 0;
    long peakKb = 0;
    long elements = 0;  // faces (or shapes' faces) read, to show the load did its work
    int ok = 0;
};

// Runs `load` in a child process and returns what it measured.
template <typename Load>
Measured InChild(Load load) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        std::ofstream("/proc/self/clear_refs") << "5";  // reset the peak-RSS mark
        Measured m;
        const long before = StatusKb("VmRSS:");
        const double cpuStart = CpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        m.elements = load();
        m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        m.cpuSeconds = CpuSeconds() - cpuStart;
        m.peakKb = StatusKb("VmHWM:") - before;
        m.ok = m.elements > 0;
        [[maybe_unused]] const auto written = write(fds[1], &m, sizeof m);
        _exit(0);
    }
    close(fds[1]);
    Measured m;
    if (read(fds[0], &m, sizeof m) != static_cast<ssize_t>(sizeof m)) m = {};
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return m;
}

template <typename Load>
void Run(benchmark::State &state, Load load) {
    const std::string &path = GeneratedFile();
    if (path.empty()) {
        state.SkipWithError("cannot write the generated OBJ file");
        return;
    }
    const double fileMb = static_cast<double>(std::filesystem::file_size(path)) / (1024.0 * 1024.0);
    Measured last;
    for (auto _ : state) {
        last = InChild(load);
        if (!last.ok) {
            state.SkipWithError("the load failed");
            return;
        }
        state.SetIterationTime(last.seconds);
    }
    state.counters["cpu_s"] = last.cpuSeconds;
    state.counters["peak_MB"] = static_cast<double>(last.peakKb) / 1024.0;
    state.counters["peak_per_file"] = static_cast<double>(last.peakKb) / 1024.0 / fileMb;
    state.counters["file_MB"] = fileMb;
    state.counters["faces"] = static_cast<double>(last.elements);
}

void BM_VexolinRunReader(benchmark::State &state) {
    Run(state, [] {
        standin::Document document;
        long faces = 0;
        try {
            const auto loaded = standin::cli::LoadObjFile(GeneratedFile(), document);
            for (int32_t i = 0; i < document.ObjectCount(); ++i) faces += document.ObjectAt(i)->FaceCount();
        } catch (const std::exception &) {
            return 0L;
        }
        return faces;
    });
}

// tinyobjloader's whole-file loader, quads kept (no triangulation).
void BM_TinyObjLoader(benchmark::State &state) {
    Run(state, [] {
        tinyobj::ObjReaderConfig config;
        config.triangulate = false;
        config.vertex_color = false;
        tinyobj::ObjReader reader;
        if (!reader.ParseFromFile(GeneratedFile(), config)) return 0L;
        long faces = 0;
        for (const auto &shape : reader.GetShapes()) faces += static_cast<long>(shape.mesh.num_face_vertices.size());
        return faces;
    });
}

BENCHMARK(BM_VexolinRunReader)->Name("obj_load/vexolin-run/1M_quads")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TinyObjLoader)->Name("obj_load/tinyobjloader/1M_quads")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
