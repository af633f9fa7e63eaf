// The memory probe: what one command costs the process it runs in, in
// committed bytes per face line, measured from the process's own counters.
// A plain program (no benchmark library), so that the Windows builds have it
// too: the 32-bit one under Wine is the figure that matters, since the
// shipped DLL lives in a 32-bit modeller's address space.
//
//   vexolin_memory_probe --command N [--start none|p10|all|faces_lines]
//                        [--faces F] [--runs R] [--module PATH]
//   vexolin_memory_probe --list
//
// One run of the probe is one case, in a process of its own: it builds the
// benchmarks' `grid_dup` mesh of F faces (default 1000000) in the stand-in
// host (bench_mesh.h, the same mesh as module_bench's rows), loads the
// plug-in module by path (default: this build's) and binds it to the
// stand-in host with MQInit, sets the starting selection (default: the
// first one module_bench runs the command from), then runs command N as the
// modeller does: MQModifySelect with the scripted user clicking the
// command's button in the real dialog. It prints one line of tab-separated
// key=value fields, starting with "case":
//   counter     the process counter the peak was read from (below)
//   before_B    the counter just before the command
//   peak_B      its peak during the command
//   extra_B     peak_B - before_B: what the command (the plug-in, the host's
//               answers and the dialog) committed at its peak
//   B_per_line  extra_B / lines, lines being the sum of the faces' point counts
//   first_ms    wall time of that measured run
//   median_ms   median wall time of R more runs (default 5), each from the
//               same starting selection set up outside the timed region
//   sel_v, sel_l, sel_f   what the command left selected, for comparing two
//               builds of the module
// Failures (a module that does not load, a command that returns 0, a
// counter that cannot be read) go to stderr with exit status 1, and no
// "case" line; bad arguments give status 2. --list prints the cases
// module_bench runs, one "N<TAB>start<TAB>label" line each, for
// scripts/bench-memory.sh, which runs every case in a fresh process.
//
// How the peak is read, and why:
// - Linux: the resident set's high-water mark, VmHWM in /proc/self/status,
//   reset to the current resident set by writing "5" to
//   /proc/self/clear_refs just before the command. Resident pages are what
//   the command's memory really costs: VmPeak would count address space
//   that is only reserved (a side thread's stack, a thread's malloc arena),
//   and mallinfo2 reports the heap's use now, not its peak, and misses
//   blocks the allocator maps directly. The heap's free pages are returned
//   first (malloc_trim), so that the command cannot reuse pages the mesh's
//   construction left resident and hide its own use. Resolution: one page.
// - Windows: GetProcessMemoryInfo (PROCESS_MEMORY_COUNTERS_EX). A peak
//   counter there cannot be reset, so each case needs a fresh process, and
//   the figure before is subtracted. But the process's peak so far is the
//   mesh's construction (vectors grown by doubling), often above anything
//   a small command adds; so before the command the probe commits and
//   touches a balloon of exactly the difference between the peak and the
//   current figure, held through the command, which brings the current
//   figure up to the peak: any byte the command then commits raises the
//   peak. On Windows the counter is the commit charge, PagefileUsage with
//   PeakPagefileUsage (PrivateUsage is the same figure there). Wine 8
//   reports PagefileUsage as the resident anonymous memory, PeakPagefileUsage
//   as that same current value, and PrivateUsage as 0; its only true peak is
//   PeakWorkingSetSize (the resident set's high-water mark). So the probe
//   tests at start which counter keeps a peak (commit and touch 8 MB, free
//   them, look) and uses PagefileUsage where it does, the working set
//   otherwise; the "counter" field says which.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
// windows.h first: psapi.h needs its types.
#include <malloc.h>
#include <psapi.h>
#else
#include <malloc.h>
#endif

#include "abi/mq_abi.h"
#include "bench/bench_mesh.h"
#include "commands/command_table.h"
#include "host/module_loader.h"
#include "standin/toolkit/toolkit.h"

namespace {

using benchsupport::Start;
namespace tk = standin::toolkit;

constexpr Start kStarts[] = {Start::None, Start::Tenth, Start::All, Start::FacesAndLines};

// The process's memory counter around one command: Arm just before it,
// Peak just after. Figures in bytes.
class PeakMeter {
public:
    // Chooses the counter; false with `error` set when none can be read.
    bool Init(std::string &error);
    // Returns the counter's value just before the command (see the opening
    // comment for what is done to make the peak start there).
    bool Arm(uint64_t &before, std::string &error);
    // The counter's peak since Arm.
    bool Peak(uint64_t &peak, std::string &error);
    // Drops whatever Arm held for the measurement.
    void Disarm();
    const char *Counter() const { return counter_; }

private:
    const char *counter_ = "?";
#ifdef _WIN32
    struct Figures {
        uint64_t current = 0, peak = 0;
    };
    bool Read(Figures &figures, std::string &error) const;
    bool workingSet_ = false;
    std::vector<void *> balloon_;
#endif
};

#ifdef _WIN32

bool ReadCounters(PROCESS_MEMORY_COUNTERS_EX &c, std::string &error) {
    std::memset(&c, 0, sizeof c);
    c.cb = sizeof c;
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&c), sizeof c) == 0) {
        error = "GetProcessMemoryInfo failed, error " + std::to_string(GetLastError());
        return false;
    }
    return true;
}

// Commits `bytes` of fresh pages and writes to each, so that both the
// commit charge and the working set count them. Null when refused.
void *CommitAndTouch(std::size_t bytes) {
    auto *block = static_cast<unsigned char *>(VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (block == nullptr) return nullptr;
    for (std::size_t i = 0; i < bytes; i += 4096) block[i] = 1;
    return block;
}

bool PeakMeter::Read(Figures &figures, std::string &error) const {
    PROCESS_MEMORY_COUNTERS_EX c;
    if (!ReadCounters(c, error)) return false;
    figures.current = workingSet_ ? c.WorkingSetSize : c.PagefileUsage;
    figures.peak = workingSet_ ? c.PeakWorkingSetSize : c.PeakPagefileUsage;
    return true;
}

bool PeakMeter::Init(std::string &error) {
    constexpr std::size_t kTest = 8u << 20;
    PROCESS_MEMORY_COUNTERS_EX before, after;
    if (!ReadCounters(before, error)) return false;
    void *block = CommitAndTouch(kTest);
    if (block == nullptr) {
        error = "cannot commit 8 MB to test the memory counters";
        return false;
    }
    VirtualFree(block, 0, MEM_RELEASE);
    if (!ReadCounters(after, error)) return false;
    // Half the test block is plenty of margin for what else moved meanwhile.
    if (after.PeakPagefileUsage >= before.PagefileUsage + kTest / 2) {
        workingSet_ = false;
        counter_ = "PeakPagefileUsage";
    } else if (after.PeakWorkingSetSize >= before.WorkingSetSize + kTest / 2) {
        workingSet_ = true;
        counter_ = "PeakWorkingSetSize";
    } else {
        error = "neither PeakPagefileUsage nor PeakWorkingSetSize keeps the peak of 8 MB committed and freed";
        return false;
    }
    return true;
}

bool PeakMeter::Arm(uint64_t &before, std::string &error) {
    _heapmin(); // the C runtime's heap gives back what it can
    Figures f;
    if (!Read(f, error)) return false;
    // A few rounds: committing the balloon itself moves the figures a little.
    for (int round = 0; round < 4 && f.peak > f.current + 64 * 1024; ++round) {
        const std::size_t gap = static_cast<std::size_t>(f.peak - f.current + 4095) & ~static_cast<std::size_t>(4095);
        void *block = CommitAndTouch(gap);
        if (block == nullptr) {
            error = "cannot commit a balloon of " + std::to_string(gap) + " bytes up to the process's peak";
            return false;
        }
        balloon_.push_back(block);
        if (!Read(f, error)) return false;
    }
    if (f.peak > f.current + 64 * 1024) {
        error = "the counter stays " + std::to_string(f.peak - f.current) + " bytes below its peak";
        return false;
    }
    before = f.current;
    return true;
}

bool PeakMeter::Peak(uint64_t &peak, std::string &error) {
    Figures f;
    if (!Read(f, error)) return false;
    peak = f.peak;
    return true;
}

void PeakMeter::Disarm() {
    for (void *block : balloon_) VirtualFree(block, 0, MEM_RELEASE);
    balloon_.clear();
}

#else

// A "Vm...:  N kB" line of /proc/self/status, in bytes.
bool ReadStatus(const char *field, uint64_t &bytes, std::string &error) {
    FILE *status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) {
        error = "cannot read /proc/self/status";
        return false;
    }
    char line[256];
    const std::size_t length = std::strlen(field);
    bool found = false;
    while (!found && std::fgets(line, sizeof line, status) != nullptr) {
        unsigned long long kb = 0;
        if (std::strncmp(line, field, length) == 0 && line[length] == ':' &&
            std::sscanf(line + length + 1, "%llu", &kb) == 1) {
            bytes = static_cast<uint64_t>(kb) * 1024u;
            found = true;
        }
    }
    std::fclose(status);
    if (!found) error = std::string("no ") + field + " in /proc/self/status";
    return found;
}

bool PeakMeter::Init(std::string &error) {
    counter_ = "VmHWM";
    uint64_t ignored = 0;
    return ReadStatus("VmHWM", ignored, error);
}

bool PeakMeter::Arm(uint64_t &before, std::string &error) {
    malloc_trim(0);
    FILE *clear = std::fopen("/proc/self/clear_refs", "w");
    const bool reset = clear != nullptr && std::fputs("5", clear) >= 0;
    if (clear == nullptr || std::fclose(clear) != 0 || !reset) {
        error = "cannot reset the high-water mark through /proc/self/clear_refs";
        return false;
    }
    uint64_t rss = 0, hwm = 0;
    if (!ReadStatus("VmRSS", rss, error) || !ReadStatus("VmHWM", hwm, error)) return false;
    if (hwm > rss + 256 * 1024) {
        error = "the high-water mark did not follow the reset (VmHWM " + std::to_string(hwm) + ", VmRSS " +
                std::to_string(rss) + ")";
        return false;
    }
    before = rss;
    return true;
}

bool PeakMeter::Peak(uint64_t &peak, std::string &error) { return ReadStatus("VmHWM", peak, error); }

void PeakMeter::Disarm() {}

#endif

struct Options {
    std::string module = VEXOLIN_MODULE_PATH;
    int command = 0;
    bool startGiven = false;
    Start start = Start::None;
    int faces = 1000000;
    int runs = 5;
    bool list = false;
};

int Usage(const char *message) {
    std::fprintf(stderr,
                 "memory_probe: %s\n"
                 "usage: vexolin_memory_probe --command N [--start none|p10|all|faces_lines] [--faces F]\n"
                 "                            [--runs R] [--module PATH]\n"
                 "       vexolin_memory_probe --list\n",
                 message);
    return 2;
}

// A whole decimal number in [low, high].
bool ParseInt(const char *text, int low, int high, int &value) {
    char *end = nullptr;
    const long long parsed = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || parsed < low || parsed > high) return false;
    value = static_cast<int>(parsed);
    return true;
}

bool ParseStart(const char *text, Start &start) {
    for (const Start s : kStarts)
        if (std::strcmp(text, benchsupport::Name(s)) == 0) {
            start = s;
            return true;
        }
    return false;
}

// Parses argv into `options`; returns 0, or the exit status of a usage error.
int Parse(int argc, char **argv, Options &options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--list") {
            options.list = true;
            continue;
        }
        if (i + 1 >= argc) return Usage(("missing value after " + arg).c_str());
        const char *value = argv[++i];
        if (arg == "--command") {
            if (!ParseInt(value, 1, 30, options.command)) return Usage("--command takes a number from 1 to 30");
        } else if (arg == "--start") {
            if (!ParseStart(value, options.start)) return Usage("--start takes none, p10, all or faces_lines");
            options.startGiven = true;
        } else if (arg == "--faces") {
            if (!ParseInt(value, 1, 100000000, options.faces)) return Usage("--faces takes a number from 1 to 1e8");
        } else if (arg == "--runs") {
            if (!ParseInt(value, 1, 1000, options.runs)) return Usage("--runs takes a number from 1 to 1000");
        } else if (arg == "--module") {
            options.module = value;
        } else {
            return Usage(("unknown argument " + arg).c_str());
        }
    }
    if (!options.list && options.command == 0) return Usage("--command is needed");
    return 0;
}

void List() {
    for (const vexolin::CommandInfo &command : vexolin::kCommands)
        for (const Start start : benchsupport::StartsOf(command))
            std::printf("%d\t%s\t%s\n", command.number, benchsupport::Name(start), command.label);
}

int Fail(const std::string &message) {
    std::fprintf(stderr, "memory_probe: %s\n", message.c_str());
    return 1;
}

// "wine 8.0" under Wine, "native" elsewhere: a Windows figure's provenance.
std::string Runtime() {
#ifdef _WIN32
    using WineVersion = const char *(*)();
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    const auto wine = ntdll != nullptr
                          ? reinterpret_cast<WineVersion>(reinterpret_cast<void *>(GetProcAddress(ntdll, "wine_get_version")))
                          : nullptr;
    if (wine != nullptr) return std::string("wine ") + wine();
    return "windows";
#else
    return "linux";
#endif
}

double Milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

int Run(const Options &options) {
    const vexolin::CommandInfo &command = vexolin::kCommands[static_cast<std::size_t>(options.command - 1)];
    const Start start = options.startGiven ? options.start : benchsupport::StartsOf(command).front();

    std::string error;
    PeakMeter meter;
    if (!meter.Init(error)) return Fail(error);

    const hostapi::ModuleLoader &loader = hostapi::SystemModuleLoader();
    void *module = loader.load(options.module.c_str());
    if (module == nullptr) return Fail("cannot load the module " + options.module);
    const auto check = reinterpret_cast<MQCheckVersion_fn>(loader.lookup(module, "MQCheckVersion"));
    const auto init = reinterpret_cast<MQInit_fn>(loader.lookup(module, "MQInit"));
    const auto modifySelect = reinterpret_cast<MQModifySelect_fn>(loader.lookup(module, "MQModifySelect"));
    if (check == nullptr || init == nullptr || modifySelect == nullptr || check(0x4400) == 0 ||
        init(STANDIN_HOST_PATH) != 1)
        return Fail("cannot bind " + options.module + " to the stand-in host " + STANDIN_HOST_PATH);

    std::unique_ptr<benchsupport::BenchMesh> mesh =
        benchsupport::BuildMesh(benchsupport::MeshKind::GridWithDuplicates, options.faces);
    standin::Object &object = mesh->Object();
    const auto runOnce = [&](double &ms) {
        const auto begin = std::chrono::steady_clock::now();
        const int result = modifySelect(0, mesh->document->Handle());
        ms = Milliseconds(std::chrono::steady_clock::now() - begin);
        return result;
    };
    const auto prepare = [&] {
        benchsupport::SetSelection(object, start);
        tk::SetScript({tk::Action::Click(command.label, command.group)});
    };

    // The measured run.
    prepare();
    uint64_t before = 0, peak = 0;
    if (!meter.Arm(before, error)) return Fail(error);
    double firstMs = 0.0;
    const int result = runOnce(firstMs);
    const bool read = meter.Peak(peak, error);
    meter.Disarm();
    if (!read) return Fail(error);
    if (result != 1) return Fail("command " + std::to_string(command.number) + " returned " + std::to_string(result) +
                                 (tk::ScriptError().empty() ? "" : ": " + tk::ScriptError()));
    const std::size_t selectedVertices = object.SelectedVertices().size();
    const std::size_t selectedLines = object.SelectedLines().size();
    const std::size_t selectedFaces = object.SelectedFaces().size();

    std::vector<double> times;
    for (int i = 0; i < options.runs; ++i) {
        prepare();
        double ms = 0.0;
        if (runOnce(ms) != 1) return Fail("command " + std::to_string(command.number) + " failed in a timed run");
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    const std::size_t mid = times.size() / 2;
    const double median = times.size() % 2 != 0 ? times[mid] : (times[mid - 1] + times[mid]) / 2.0;

    const uint64_t extra = peak > before ? peak - before : 0;
    std::printf("case\tcommand=%d\tlabel=%s\tstart=%s\tfaces=%d\tvertices=%d\tlines=%lld\tbits=%d\truntime=%s"
                "\tcounter=%s\tbefore_B=%llu\tpeak_B=%llu\textra_B=%llu\tB_per_line=%.3f\tfirst_ms=%.3f"
                "\tmedian_ms=%.3f\truns=%d\tsel_v=%zu\tsel_l=%zu\tsel_f=%zu\tmodule=%s\n",
                command.number, command.label, benchsupport::Name(start), mesh->faces, mesh->vertices,
                static_cast<long long>(mesh->lines), static_cast<int>(sizeof(void *) * 8), Runtime().c_str(),
                meter.Counter(), static_cast<unsigned long long>(before), static_cast<unsigned long long>(peak),
                static_cast<unsigned long long>(extra),
                static_cast<double>(extra) / static_cast<double>(mesh->lines), firstMs, median, options.runs,
                selectedVertices, selectedLines, selectedFaces, options.module.c_str());
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    Options options;
    if (const int status = Parse(argc, argv, options); status != 0) return status;
    if (options.list) {
        List();
        return 0;
    }
    return Run(options);
}
