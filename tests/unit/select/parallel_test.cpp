// Side tasks: where they run, and what their failures become.
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

} // namespace
