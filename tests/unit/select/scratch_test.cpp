// The scratch pool keeps working arrays between commands, but never more
// than its cap in all, and gives everything back when asked.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "mesh/scratch.h"

namespace {

using cmq::kScratchPoolCap;
using cmq::PooledScratchBytes;
using cmq::ScratchVector;

TEST(ScratchPool, NeverHoldsMoreThanItsCapAndReleasesAll) {
    cmq::ReleaseScratchPools();
    ASSERT_EQ(cmq::PooledScratchBytes(), 0u);
    // Random nests of borrowers of two element types and sizes around the
    // cap: whatever they grew to, the pool stays within the cap, and every
    // borrower starts empty.
    std::mt19937 random(13);
    std::uniform_int_distribution<std::size_t> bytes(0, cmq::kScratchPoolCap / 2);
    for (int round = 0; round < 40; ++round) {
        std::optional<cmq::ScratchVector<uint8_t>> a;
        std::optional<cmq::ScratchVector<uint64_t>> b;
        std::optional<cmq::ScratchVector<uint8_t>> c;
        a.emplace();
        b.emplace();
        c.emplace();
        EXPECT_TRUE((*a)->empty() && (*b)->empty() && (*c)->empty());
        (*a)->resize(bytes(random));
        (*b)->resize(bytes(random) / 8);
        (*c)->resize(bytes(random) * 3); // may exceed the cap alone
        // Returned in a random order.
        if (round % 2 == 0) a.reset();
        c.reset();
        b.reset();
        a.reset();
        EXPECT_LE(cmq::PooledScratchBytes(), cmq::kScratchPoolCap) << round;
    }
    EXPECT_GT(cmq::PooledScratchBytes(), 0u);
    cmq::ReleaseScratchPools();
    EXPECT_EQ(cmq::PooledScratchBytes(), 0u);
    // A borrower after the release gets a fresh vector.
    cmq::ScratchVector<uint8_t> fresh;
    EXPECT_EQ(fresh->capacity(), 0u);
}

} // namespace
