// Side tasks: where they run, what their failures become, and the scratch
// pools they share with the host's thread.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <new>
#include <numeric>
#include <stdexcept>
#include <vector>

#include "select/parallel.h"
#include "mesh/scratch.h"

namespace {

class Parallel : public ::testing::Test {
protected:
    void TearDown() override { selection::SetThreading(selection::DefaultThreading()); }
};

// What a task saw of `phase`, which the test sets to 1 once the task's
// constructor has returned: 1 only for a task that ran beside the test's
// thread. A task told to wait waits for it (bounded, so that a task run
// inline fails the test instead of hanging it).
int RunAndSeePhase(std::size_t size, bool wait) {
    std::atomic<int> phase{0};
    int seen = -1;
    selection::SideTask task(
        [&] {
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (wait && phase.load() == 0 && std::chrono::steady_clock::now() < until) {}
            seen = phase.load();
        },
        size);
    phase.store(1);
    task.Wait();
    return seen;
}

TEST_F(Parallel, ATaskRunsBesideTheCallerOnlyWhenTheSettingAndItsSizeAllow) {
    selection::SetThreading({2, 1000});
    EXPECT_EQ(RunAndSeePhase(1000, true), 1) << "a large enough task runs on its own thread";
    EXPECT_EQ(RunAndSeePhase(999, false), 0) << "a small task runs inline, before the constructor returns";
    selection::SetThreading({1, 0});
    EXPECT_EQ(RunAndSeePhase(1000000, false), 0) << "one thread: every task inline";
    EXPECT_EQ(selection::PartsFor(1000000), 1u);
    selection::SetThreading({4, 10});
    EXPECT_EQ(selection::PartsFor(10), 4u);
    EXPECT_EQ(selection::PartsFor(9), 1u);
}

TEST_F(Parallel, WaitThrowsWhatTheTaskThrewOnceAndTheDestructorDropsIt) {
    for (const int threads : {1, 2}) {
        selection::SetThreading({threads, 0});
        selection::SideTask failing([] { throw std::runtime_error("grouping failed"); }, 1);
        EXPECT_THROW(failing.Wait(), std::runtime_error) << threads;
        EXPECT_NO_THROW(failing.Wait()) << threads;
        {
            // Never waited for: the destructor waits and the failure is dropped.
            selection::SideTask dropped([] { throw std::bad_alloc(); }, 1);
        }
        // A failing part fails RunParts once every part has ended.
        std::atomic<int> ended{0};
        EXPECT_THROW(selection::RunParts(4, 4,
                                         [&](std::size_t part) {
                                             ended.fetch_add(1);
                                             if (part == 2) throw std::bad_alloc();
                                         }),
                     std::bad_alloc);
        EXPECT_EQ(ended.load(), 4) << threads;
    }
}

// Parts borrowing and giving back scratch vectors of several types all at
// once: the pools stay whole (a race would corrupt their vectors, which
// the sanitizer build reports) and their byte count stays exact.
TEST_F(Parallel, PartsShareTheScratchPools) {
    cmq::ReleaseScratchPools();
    selection::SetThreading({4, 0});
    std::vector<uint64_t> sums(4, 0);
    selection::RunParts(4, 4, [&](std::size_t part) {
        for (int round = 0; round < 2000; ++round) {
            cmq::ScratchVector<uint32_t> a;
            cmq::ScratchVector<uint64_t> b;
            a->assign(static_cast<std::size_t>(64 + (round * 7 + static_cast<int>(part)) % 512), 1u);
            b->assign(static_cast<std::size_t>(32 + round % 100), uint64_t{2});
            sums[part] +=
                std::accumulate(a->begin(), a->end(), uint64_t{0}) + std::accumulate(b->begin(), b->end(), uint64_t{0});
        }
    });
    for (std::size_t part = 0; part < 4; ++part) {
        uint64_t want = 0;
        for (int round = 0; round < 2000; ++round)
            want += static_cast<uint64_t>(64 + (round * 7 + static_cast<int>(part)) % 512) +
                    2 * static_cast<uint64_t>(32 + round % 100);
        EXPECT_EQ(sums[part], want) << part;
    }
    EXPECT_GT(cmq::PooledScratchBytes(), 0u);
    EXPECT_LE(cmq::PooledScratchBytes(), cmq::kScratchPoolCap);
    cmq::ReleaseScratchPools();
    EXPECT_EQ(cmq::PooledScratchBytes(), 0u);
}

} // namespace
