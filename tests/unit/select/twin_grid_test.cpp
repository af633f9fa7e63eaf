// The twin grid against the searches it replaces: every other vertex
// tested, for near twins and for exact ones. Random clouds of up to 1500 points (clusters with neighbours at
// and around the reach, points on cell borders, huge coordinates whose
// cells are single floats, and spreads so wide that the grid must widen its
// cells to fit its keys), searched for every filed point and for probes
// that were not filed. The filed points are searched in one part and in
// three and in forty side by side.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "select/parallel.h"
#include "select/twin_grid.h"

namespace {

using selection::IsNearTwin;
using selection::TwinGrid;

class Cloud {
public:
    explicit Cloud(uint32_t seed) : rng_(seed) {}

    float Coordinate(int kind) {
        switch (kind) {
        case 0: return Uniform(-2.0f, 2.0f);                                   // dense: many twins
        case 1: return static_cast<float>(Below(65) - 32) * 0.0625f;           // cell borders
        case 2: return Uniform(-500.0f, 500.0f);                               // sparse: few twins
        case 3: return (Below(2) != 0 ? 1.0f : -1.0f) * Uniform(1.0e6f, 3.0e6f); // cells of single floats
        default: return (Below(2) != 0 ? 1.0f : -1.0f) * std::ldexp(Uniform(1.0f, 2.0f), Below(120)); // very wide
        }
    }

    // A point near p: at, just inside or just outside the reach on one
    // axis, or a float or two away.
    cmq::CMQVec3 Near(cmq::CMQVec3 p) {
        static const float kNudges[] = {0.0f, 1e-4f, 0.0316f, 0.03162f, 0.03163f, 0.032f, 0.05f, 0.0625f};
        float &axis = Below(3) == 0 ? p.x : Below(2) == 0 ? p.y : p.z;
        if (Below(8) == 0) axis = -axis; // -0 for +0: still the same place
        else if (Below(4) == 0) axis = std::nextafter(axis, Below(2) == 0 ? INFINITY : -INFINITY);
        else axis += (Below(2) == 0 ? 1.0f : -1.0f) * kNudges[Below(8)];
        return p;
    }

    std::vector<cmq::CMQVec3> Points() {
        const int kind = Below(5);
        const int count = 1 + Below(1500);
        std::vector<cmq::CMQVec3> points;
        for (int i = 0; i < count; ++i) {
            if (!points.empty() && Below(3) == 0) {
                points.push_back(Near(points[static_cast<std::size_t>(Below(static_cast<int>(points.size())))]));
                continue;
            }
            const int axisKind = Below(4) == 0 ? Below(5) : kind; // now and then another kind of coordinate
            points.push_back({Coordinate(axisKind), Coordinate(kind), Coordinate(Below(2) == 0 ? kind : 1)});
        }
        return points;
    }

    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

private:
    float Uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng_); }
    std::mt19937 rng_;
};

template <class Twins>
bool BruteHasTwin(const std::vector<cmq::CMQVec3> &points, const cmq::CMQVec3 &p, int32_t v, Twins &&twins) {
    for (std::size_t u = 0; u < points.size(); ++u)
        if (static_cast<int32_t>(u) != v && twins(p, points[u])) return true;
    return false;
}
bool BruteHasTwin(const std::vector<cmq::CMQVec3> &points, const cmq::CMQVec3 &p, int32_t v) {
    return BruteHasTwin(points, p, v, IsNearTwin);
}
bool BruteHasExactTwin(const std::vector<cmq::CMQVec3> &points, const cmq::CMQVec3 &p, int32_t v) {
    return BruteHasTwin(points, p, v, selection::ExactlyEqual);
}

// What a search of a random half of `count` points told: per point, 1 for
// a twin, 0 for none, -1 when not told.
struct Searched {
    std::vector<uint8_t> wanted;
    std::vector<int> answer;
};

template <class Search>
Searched SearchRandomHalf(Cloud &cloud, std::size_t count, Search &&search) {
    Searched out{std::vector<uint8_t>(count), std::vector<int>(count, -1)};
    for (uint8_t &w : out.wanted) w = static_cast<uint8_t>(cloud.Below(2));
    std::atomic<int> twice{0};
    search([&](int32_t v) { return out.wanted[static_cast<std::size_t>(v)] != 0; },
           [&](int32_t v, bool hasTwin) {
               int &answer = out.answer[static_cast<std::size_t>(v)];
               twice += answer != -1 ? 1 : 0;
               answer = hasTwin ? 1 : 0;
           });
    EXPECT_EQ(twice.load(), 0) << "a point was searched twice";
    return out;
}

class TwinGridTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override { selection::SetThreading({GetParam(), 0}); }
    void TearDown() override { selection::SetThreading(selection::DefaultThreading()); }
};

TEST_P(TwinGridTest, FindsExactlyTheTwinsThatTestingEveryVertexFinds) {
    int twins = 0;
    int exactTwins = 0;
    int searched = 0;
    for (uint32_t seed = 1; seed <= 60; ++seed) {
        Cloud cloud(seed);
        const std::vector<cmq::CMQVec3> points = cloud.Points();
        TwinGrid grid;
        grid.Reserve(points.size());
        for (std::size_t v = 0; v < points.size(); ++v) grid.File(static_cast<int32_t>(v), points[v]);
        grid.Index();

        // A random half of the filed points, searched in the grid's order.
        const Searched near = SearchRandomHalf(cloud, points.size(), [&](auto &&wanted, auto &&found) {
            grid.SearchFiled(wanted, found);
        });
        const Searched exact = SearchRandomHalf(cloud, points.size(), [&](auto &&wanted, auto &&found) {
            grid.SearchFiledExact(wanted, found);
        });
        for (std::size_t v = 0; v < points.size(); ++v) {
            const auto vertex = static_cast<int32_t>(v);
            const bool expected = BruteHasTwin(points, points[v], vertex);
            const bool expectedExact = BruteHasExactTwin(points, points[v], vertex);
            ASSERT_EQ(near.answer[v], near.wanted[v] != 0 ? int{expected} : -1) << "seed " << seed << ", vertex " << v;
            ASSERT_EQ(exact.answer[v], exact.wanted[v] != 0 ? int{expectedExact} : -1) << "seed " << seed << ", vertex " << v;
            twins += expected ? 1 : 0;
            exactTwins += expectedExact ? 1 : 0;
            ++searched;
        }
    }
    // Both answers must be common, or the comparison proves little.
    EXPECT_GT(twins, searched / 10);
    EXPECT_LT(twins, searched - searched / 10);
    EXPECT_GT(exactTwins, searched / 10);
}

TEST_P(TwinGridTest, AnEmptyGridHasNoTwins) {
    TwinGrid grid;
    grid.Index();
    int searched = 0;
    grid.SearchFiled([](int32_t) { return true; }, [&](int32_t, bool) { ++searched; });
    grid.SearchFiledExact([](int32_t) { return true; }, [&](int32_t, bool) { ++searched; });
    EXPECT_EQ(searched, 0);
}

INSTANTIATE_TEST_SUITE_P(Threads, TwinGridTest, ::testing::Values(1, 3, 40),
                         [](const ::testing::TestParamInfo<int> &param) { return std::to_string(param.param); });

} // namespace
