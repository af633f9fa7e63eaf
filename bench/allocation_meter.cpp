#include "bench/allocation_meter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace allocmeter {
namespace {

std::atomic<bool> counting{false};
// Bytes allocated less bytes freed since StartPeak, and their highest value.
std::atomic<std::ptrdiff_t> live{0};
std::atomic<std::ptrdiff_t> peak{0};

std::ptrdiff_t UsableSize(void *p) { return static_cast<std::ptrdiff_t>(malloc_usable_size(p)); }

void *Allocate(std::size_t size) {
    void *p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    if (counting.load(std::memory_order_relaxed)) {
        const std::ptrdiff_t bytes = UsableSize(p);
        const std::ptrdiff_t now = live.fetch_add(bytes, std::memory_order_relaxed) + bytes;
        std::ptrdiff_t high = peak.load(std::memory_order_relaxed);
        while (now > high && !peak.compare_exchange_weak(high, now, std::memory_order_relaxed)) {
        }
    }
    return p;
}

void Free(void *p) noexcept {
    if (p == nullptr) return;
    if (counting.load(std::memory_order_relaxed)) live.fetch_sub(UsableSize(p), std::memory_order_relaxed);
    std::free(p);
}

} // namespace

void StartPeak() {
    live = 0;
    peak = 0;
    counting = true;
}

std::size_t PeakSinceStart() {
    counting = false;
    return static_cast<std::size_t>(peak.load());
}

} // namespace allocmeter

void *operator new(std::size_t size) { return allocmeter::Allocate(size); }
void *operator new[](std::size_t size) { return allocmeter::Allocate(size); }
void operator delete(void *p) noexcept { allocmeter::Free(p); }
void operator delete[](void *p) noexcept { allocmeter::Free(p); }
void operator delete(void *p, std::size_t) noexcept { allocmeter::Free(p); }
void operator delete[](void *p, std::size_t) noexcept { allocmeter::Free(p); }
