// Working arrays that keep their memory from one command to the next, up to
// a small cap.
//
// A command over a large object fills arrays of several megabytes. Freed at
// the end of every command, that memory goes back to the system and must be
// faulted in afresh by the next command, which can cost more than the work.
// A ScratchVector borrows a vector from a module-wide pool and gives it back
// emptied (size 0, capacity kept), so only the contents' memory is reused:
// every borrower starts from an empty vector and carries nothing over.
//
// The pool never holds more than kScratchPoolCap bytes of capacity in all:
// a vector that would take it past the cap is freed when its borrower ends,
// so an idle modeller keeps no large buffers from the last command.
//
// After a command that failed (it may have failed for want of memory), the
// pools give back everything they hold: ReleaseScratchPools.
//
// Borrowers may nest (each takes its own vector). The pools are shared by a
// command's side tasks (select/parallel.h): while a side thread runs, a
// short spin lock guards them (ShareScratchPools).
#pragma once

#include <atomic>
#include <cstddef>
#include <utility>
#include <vector>

namespace cmq {

inline constexpr std::size_t kScratchPoolCap = std::size_t{16} << 20;

namespace scratch_detail {
// Capacity, in bytes, of every vector held by the pools of all types.
inline std::size_t pooledBytes = 0;
// One function per element type that empties that type's pool; filled as
// the pools come into use (no allocation: a type past the table's end is
// simply never pooled, see ScratchVector's destructor).
inline constexpr int kMaxPools = 32;
inline void (*releasers[kMaxPools])() = {};
inline int releaserCount = 0;

// Held while a pool or the figures above are read or changed: a few moves
// of a vector at most, so waiting threads spin. Taken only while side
// threads run (sharers > 0): with none, the pools have one user, and the
// commands' host thread pays no locked instruction.
inline std::atomic<int> sharers{0};
inline std::atomic_flag poolsBusy = ATOMIC_FLAG_INIT;
class PoolsLock {
public:
    PoolsLock() noexcept : locked_(sharers.load(std::memory_order_acquire) > 0) {
        if (locked_)
            while (poolsBusy.test_and_set(std::memory_order_acquire)) {}
    }
    ~PoolsLock() {
        if (locked_) poolsBusy.clear(std::memory_order_release);
    }
    PoolsLock(const PoolsLock &) = delete;
    PoolsLock &operator=(const PoolsLock &) = delete;

private:
    bool locked_;
};
} // namespace scratch_detail

// Called with +1 before a thread that may borrow is started, and with -1
// once it has been joined, by the thread that started it: so the count is
// above 0 for as long as a second thread may touch the pools, and every
// thread that may see it at 0 is the only one left.
inline void ShareScratchPools(int change) { scratch_detail::sharers.fetch_add(change, std::memory_order_acq_rel); }

// Bytes of capacity the pools hold now.
inline std::size_t PooledScratchBytes() {
    const scratch_detail::PoolsLock lock;
    return scratch_detail::pooledBytes;
}

// Frees every vector the pools hold.
inline void ReleaseScratchPools() noexcept {
    const scratch_detail::PoolsLock lock;
    for (int i = 0; i < scratch_detail::releaserCount; ++i) scratch_detail::releasers[i]();
}

template <class T>
class ScratchVector {
public:
    ScratchVector() : vector_(Take()) {}
    ~ScratchVector() {
        vector_.clear();
        const std::size_t bytes = vector_.capacity() * sizeof(T);
        if (bytes == 0) return;
        const scratch_detail::PoolsLock lock;
        if (bytes > kScratchPoolCap - scratch_detail::pooledBytes) return; // freed
        if (!Registered()) return;
        try {
            Pool().push_back(std::move(vector_));
            scratch_detail::pooledBytes += bytes;
        } catch (...) {
            // No room to keep it: the memory is simply freed.
        }
    }
    ScratchVector(const ScratchVector &) = delete;
    ScratchVector &operator=(const ScratchVector &) = delete;

    std::vector<T> &operator*() { return vector_; }
    const std::vector<T> &operator*() const { return vector_; }
    std::vector<T> *operator->() { return &vector_; }
    const std::vector<T> *operator->() const { return &vector_; }

private:
    static std::vector<std::vector<T>> &Pool() {
        static std::vector<std::vector<T>> pool;
        return pool;
    }
    // Registers this type's releaser once; false when the table is full.
    // With the pools locked.
    static bool Registered() {
        static const bool registered = [] {
            if (scratch_detail::releaserCount == scratch_detail::kMaxPools) return false;
            scratch_detail::releasers[scratch_detail::releaserCount++] = &Release;
            return true;
        }();
        return registered;
    }
    static void Release() {
        std::vector<std::vector<T>> &pool = Pool();
        for (const std::vector<T> &v : pool) scratch_detail::pooledBytes -= v.capacity() * sizeof(T);
        std::vector<std::vector<T>>().swap(pool);
    }
    static std::vector<T> Take() {
        const scratch_detail::PoolsLock lock;
        std::vector<std::vector<T>> &pool = Pool();
        if (pool.empty()) return {};
        std::vector<T> taken = std::move(pool.back());
        pool.pop_back();
        scratch_detail::pooledBytes -= taken.capacity() * sizeof(T);
        taken.clear();
        return taken;
    }

    std::vector<T> vector_;
};

} // namespace cmq
