#include "tests/fault/allocation_hooks.h"

#include <dlfcn.h>
#include <link.h>
#include <unwind.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace faultinject {
namespace {

enum class Owner { Other, Module, Runtime };

struct Segment {
    uintptr_t lo;
    uintptr_t hi;
    Owner owner;
};

constexpr int kMaxSegments = 512;
Segment g_segments[kMaxSegments];
int g_segmentCount = 0;
const char *g_moduleName = nullptr;

bool g_armed = false;
std::size_t g_failAt = 0;
std::size_t g_count = 0;
bool g_injected = false;
thread_local bool t_inHook = false;

bool IsRuntime(const char *name) {
    static const char *const kRuntimes[] = {"libstdc++", "libc.so", "libc-", "libgcc_s", "libasan", "libubsan",
                                             "liblsan", "libm.so", "ld-linux"};
    for (const char *r : kRuntimes)
        if (std::strstr(name, r) != nullptr) return true;
    return false;
}

int AddObjectSegments(dl_phdr_info *info, size_t, void *) {
    const char *name = info->dlpi_name != nullptr ? info->dlpi_name : "";
    Owner owner = Owner::Other;
    if (g_moduleName != nullptr && std::strcmp(name, g_moduleName) == 0) owner = Owner::Module;
    else if (IsRuntime(name)) owner = Owner::Runtime;
    for (int i = 0; i < info->dlpi_phnum && g_segmentCount < kMaxSegments; ++i) {
        const ElfW(Phdr) &ph = info->dlpi_phdr[i];
        if (ph.p_type != PT_LOAD) continue;
        const uintptr_t lo = info->dlpi_addr + ph.p_vaddr;
        g_segments[g_segmentCount++] = {lo, lo + ph.p_memsz, owner};
    }
    return 0;
}

Owner OwnerOf(uintptr_t address) {
    for (int i = 0; i < g_segmentCount; ++i)
        if (address >= g_segments[i].lo && address < g_segments[i].hi) return g_segments[i].owner;
    return Owner::Other;
}

// Walks the stack: past the frames of the hook itself (this program), then
// through the runtime frames, and reports the first frame after them.
struct Walk {
    bool inRuntime = false;
    Owner found = Owner::Other;
    int frames = 0;
};

_Unwind_Reason_Code VisitFrame(_Unwind_Context *context, void *arg) {
    auto *walk = static_cast<Walk *>(arg);
    if (++walk->frames > 64) return _URC_END_OF_STACK;
    const Owner owner = OwnerOf(static_cast<uintptr_t>(_Unwind_GetIP(context)));
    if (owner == Owner::Runtime) {
        walk->inRuntime = true;
        return _URC_NO_REASON;
    }
    if (!walk->inRuntime) return _URC_NO_REASON;
    walk->found = owner;
    return _URC_END_OF_STACK;
}

bool ForPlugin(const void *caller) {
    switch (OwnerOf(reinterpret_cast<uintptr_t>(caller))) {
    case Owner::Module: return true;
    case Owner::Other: return false;
    case Owner::Runtime: break;
    }
    Walk walk;
    _Unwind_Backtrace(&VisitFrame, &walk);
    return walk.found == Owner::Module;
}

// True when this allocation is to fail.
bool ShouldFail(const void *caller) {
    if (!g_armed || t_inHook) return false;
    t_inHook = true;
    bool fail = false;
    if (ForPlugin(caller)) {
        ++g_count;
        if (g_count == g_failAt) {
            g_injected = true;
            fail = true;
        }
    }
    t_inHook = false;
    return fail;
}

void *Allocate(std::size_t size, const void *caller) {
    if (ShouldFail(caller)) throw std::bad_alloc();
    void *p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

void *AllocateNoThrow(std::size_t size, const void *caller) noexcept {
    if (ShouldFail(caller)) return nullptr;
    return std::malloc(size == 0 ? 1 : size);
}

void *AllocateAligned(std::size_t size, std::align_val_t align, const void *caller) {
    if (ShouldFail(caller)) throw std::bad_alloc();
    const std::size_t a = static_cast<std::size_t>(align);
    void *p = std::aligned_alloc(a, (size + a - 1) / a * a);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

} // namespace

void Setup(const void *addressInModule) {
    Dl_info info{};
    if (dladdr(addressInModule, &info) == 0 || info.dli_fname == nullptr) std::abort();
    g_moduleName = info.dli_fname;
    g_segmentCount = 0;
    dl_iterate_phdr(&AddObjectSegments, nullptr);
    if (OwnerOf(reinterpret_cast<uintptr_t>(addressInModule)) != Owner::Module) std::abort();
}

void Arm(std::size_t failAt) {
    g_count = 0;
    g_injected = false;
    g_failAt = failAt;
    g_armed = true;
}

Tally Disarm() {
    g_armed = false;
    return {g_count, g_injected};
}

} // namespace faultinject

#define CALLER __builtin_return_address(0)

void *operator new(std::size_t size) { return faultinject::Allocate(size, CALLER); }
void *operator new[](std::size_t size) { return faultinject::Allocate(size, CALLER); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept { return faultinject::AllocateNoThrow(size, CALLER); }
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept {
    return faultinject::AllocateNoThrow(size, CALLER);
}
void *operator new(std::size_t size, std::align_val_t align) { return faultinject::AllocateAligned(size, align, CALLER); }
void *operator new[](std::size_t size, std::align_val_t align) {
    return faultinject::AllocateAligned(size, align, CALLER);
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }
void operator delete(void *p, const std::nothrow_t &) noexcept { std::free(p); }
void operator delete[](void *p, const std::nothrow_t &) noexcept { std::free(p); }
void operator delete(void *p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void *p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void *p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t, std::align_val_t) noexcept { std::free(p); }
