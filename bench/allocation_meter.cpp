#include "bench/allocation_meter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace allocmeter {
namespace {

std::atomic<std::size_t> live{0};
std::atomic<std::size_t> peak{0};
std::atomic<std::size_t> base{0};

void *Allocate(std::size_t size) {
    void *p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    const std::size_t now = live.fetch_add(malloc_usable_size(p), std::memory_order_relaxed) + malloc_usable_size(p);
    std::size_t high = peak.load(std::memory_order_relaxed);
    while (now > high && !peak.compare_exchange_weak(high, now, std::memory_order_relaxed)) {
    }
    return p;
}

void Free(void *p) noexcept {
    if (p == nullptr) return;
    live.fetch_sub(malloc_usable_size(p), std::memory_order_relaxed);
    std::free(p);
}

} // namespace

std::size_t LiveBytes() { return live.load(); }

void StartPeak() {
    base = live.load();
    peak = base.load();
}

std::size_t PeakSinceStart() { return peak.load() - base.load(); }

} // namespace allocmeter

void *operator new(std::size_t size) { return allocmeter::Allocate(size); }
void *operator new[](std::size_t size) { return allocmeter::Allocate(size); }
void operator delete(void *p) noexcept { allocmeter::Free(p); }
void operator delete[](void *p) noexcept { allocmeter::Free(p); }
void operator delete(void *p, std::size_t) noexcept { allocmeter::Free(p); }
void operator delete[](void *p, std::size_t) noexcept { allocmeter::Free(p); }
