// The compact record of a command's selection calls gives back exactly the
// calls recorded, in order, and never takes more room than one word per
// argument (but for calls whose first argument is the run mark itself).
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "mesh/call_stream.h"

namespace {

template <std::size_t N>
void CheckRandomRoundTrips(uint32_t seed) {
    using Stream = cmq::CallStream<N>;
    using Call = typename Stream::Call;
    std::mt19937 random(seed);
    for (int round = 0; round < 300; ++round) {
        Stream stream;
        // Pieces of the stream between breaks, each replayed on its own as
        // the plan replays its runs.
        std::vector<std::vector<Call>> pieces(1);
        std::vector<std::size_t> begins = {0};
        std::size_t marks = 0;
        const int length = std::uniform_int_distribution<int>(0, 60)(random);
        Call call{};
        for (int i = 0; i < length; ++i) {
            switch (std::uniform_int_distribution<int>(0, 9)(random)) {
            case 0: // a break: the next call begins a piece of its own
                stream.Break();
                pieces.emplace_back();
                begins.push_back(stream.End());
                break;
            case 1: // extreme values, the run mark among them
                for (int32_t &a : call)
                    a = std::uniform_int_distribution<int>(0, 1)(random) != 0 ? Stream::kRunMark : INT32_MAX;
                break;
            case 2:
            case 3: // another call altogether
                for (int32_t &a : call) a = std::uniform_int_distribution<int32_t>(-3, 5)(random);
                break;
            case 4: // the same call again
                break;
            default: // the next call of a run (wrapping at the largest value)
                call[N - 1] = call[N - 1] == INT32_MAX ? Stream::kRunMark : call[N - 1] + 1;
                break;
            }
            stream.Append(call);
            pieces.back().push_back(call);
            if (call[0] == Stream::kRunMark) ++marks;
        }
        std::size_t calls = 0;
        for (std::size_t p = 0; p < pieces.size(); ++p) {
            const std::size_t end = p + 1 < pieces.size() ? begins[p + 1] : stream.End();
            std::vector<Call> replayed;
            stream.ForEach(begins[p], end, [&](const Call &c) { replayed.push_back(c); });
            ASSERT_EQ(replayed, pieces[p]) << "seed " << seed << ", round " << round << ", piece " << p;
            calls += pieces[p].size();
        }
        EXPECT_LE(stream.End(), calls * N + 2 * marks);
    }
}

TEST(CallStream, ReplaysEveryRecordedCallInOrderWithinItsRoom) {
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        CheckRandomRoundTrips<1>(seed);
        CheckRandomRoundTrips<2>(seed);
    }
}

TEST(CallStream, NeighbouringCallsShareOneEntry) {
    // A face's four lines, then a vertex run: one entry each.
    cmq::CallStream<2> lines;
    for (int32_t j = 0; j < 4; ++j) lines.Append({7, j});
    EXPECT_EQ(lines.End(), 4u); // mark, face, first line, count
    cmq::CallStream<1> pair;
    pair.Append({5});
    pair.Append({6}); // two singles take less room than a run
    EXPECT_EQ(pair.End(), 2u);
    cmq::CallStream<1> vertices;
    for (int32_t v = 100; v < 1100; ++v) vertices.Append({v});
    EXPECT_EQ(vertices.End(), 3u);
}

} // namespace
