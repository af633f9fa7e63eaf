// Commands 24 and 25: which candidates have a twin, and the clearing of the
// source selection.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "select/duplicates.h"
#include "select/twin_grid.h"
#include "tests/support/meshes.h"
#include "tests/unit/unit_fixture.h"

namespace {

using standin::LineRef;
using testsupport::AddMesh;
using Ints = std::vector<int32_t>;
using Lines = std::vector<LineRef>;

const float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

class Duplicate : public testsupport::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        object = AddObject();
    }

    // A triangle with `at` as its point 0, and a second triangle elsewhere
    // with `twin` as its point 0 (vertex 3). Face 0 is selected, or its line
    // 0 for command 25. Returns the selected vertices after the command.
    Ints Candidate(MQPoint at, MQPoint twin, int command) {
        AddMesh(Obj(), {at, {10, 0, 0}, {0, 10, 0}, twin, {20, 0, 0}, {0, 20, 0}}, {{0, 1, 2}, {3, 4, 5}});
        if (command == 24) Obj().SelectFace(0, true);
        else Obj().SelectLine(0, 0, true);
        Run(command);
        return Obj().SelectedVertices();
    }

    void Run(int command) {
        ASSERT_EQ(vexolin::RunCommandOn(object, testsupport::OptionsFor(command)), 1);
    }

    cmq::CMQObject object;
};

TEST_F(Duplicate, ExactTwinSelectsTheCandidateOnly) {
    EXPECT_EQ(Candidate({1, 2, 3}, {1, 2, 3}, 24), (Ints{0}));
    EXPECT_TRUE(Obj().SelectedFaces().empty());
}

TEST_F(Duplicate, TwinATenThousandthAwayCountsOnlyForLines) {
    EXPECT_EQ(Candidate({1, 2, 3}, {1.0001f, 2, 3}, 24), (Ints{}));
}

TEST_F(Duplicate, TwinATenThousandthAwayIsANearTwin) {
    EXPECT_EQ(Candidate({1, 2, 3}, {1.0001f, 2, 3}, 25), (Ints{0}));
    EXPECT_TRUE(Obj().SelectedLines().empty());
}

TEST_F(Duplicate, NearTwinBoundIsOnTheSquaredDistance) {
    // 0.03 in x: squared distance 0.0009 counts.
    EXPECT_EQ(Candidate({0, 0, 0}, {0.03f, 0, 0}, 25), (Ints{0}));
}

TEST_F(Duplicate, NearTwinBoundItselfIsTooFar) {
    // No single-axis offset squares to exactly 0.001f, the bound. Offset by
    // (0.03, 0.01) the squared distance is one step below it and counts; with
    // the float after 0.03 it is exactly the bound, which the strict test
    // leaves out.
    const MQPoint below{0.03f, 0.01f, 0};
    const MQPoint at{std::nextafter(0.03f, 1.0f), 0.01f, 0};
    ASSERT_LT(selection::SquaredDistance({0, 0, 0}, {below.x, below.y, below.z}), 0.001f);
    ASSERT_EQ(selection::SquaredDistance({0, 0, 0}, {at.x, at.y, at.z}), 0.001f);
    EXPECT_EQ(Candidate({0, 0, 0}, below, 25), (Ints{0}));
}

TEST_F(Duplicate, NearTwinAtTheBoundIsNotSelected) {
    const MQPoint at{std::nextafter(0.03f, 1.0f), 0.01f, 0};
    EXPECT_EQ(Candidate({0, 0, 0}, at, 25), (Ints{}));
}

TEST_F(Duplicate, NearTwinAt0032IsTooFar) {
    // 0.032 in x: squared distance 0.001024 does not.
    EXPECT_EQ(Candidate({0, 0, 0}, {0.032f, 0, 0}, 25), (Ints{}));
}

TEST_F(Duplicate, NearTwinDistanceAddsUpOverTheAxes) {
    // 0.02 on each axis: 0.0012 in all, although each axis alone is close.
    EXPECT_EQ(Candidate({5, 5, 5}, {5.02f, 5.02f, 5.02f}, 25), (Ints{}));
}

TEST_F(Duplicate, SignedZerosAreEqual) {
    EXPECT_EQ(Candidate({0.0f, -0.0f, 1}, {-0.0f, 0.0f, 1}, 24), (Ints{0}));
}

TEST_F(Duplicate, NaNEqualsNothingNotEvenNaN) {
    EXPECT_EQ(Candidate({kNaN, 0, 0}, {kNaN, 0, 0}, 24), (Ints{}));
}

TEST_F(Duplicate, NaNIsNoNearTwin) {
    EXPECT_EQ(Candidate({kNaN, 0, 0}, {kNaN, 0, 0}, 25), (Ints{}));
}

TEST_F(Duplicate, InfinitiesAreExactlyEqualButNeverNear) {
    EXPECT_EQ(Candidate({kInf, 1, 1}, {kInf, 1, 1}, 24), (Ints{0}));
}

TEST_F(Duplicate, InfiniteTwinIsNotNear) {
    EXPECT_EQ(Candidate({kInf, 1, 1}, {kInf, 1, 1}, 25), (Ints{}));
}

TEST_F(Duplicate, HugeCoordinatesThatOverflowAreNotNear) {
    // The difference of 3e38 and -3e38 overflows to infinity.
    EXPECT_EQ(Candidate({3e38f, 0, 0}, {-3e38f, 0, 0}, 25), (Ints{}));
}

TEST_F(Duplicate, HugeEqualCoordinatesAreNear) {
    EXPECT_EQ(Candidate({1e30f, -1e30f, 7}, {1e30f, -1e30f, 7.01f}, 25), (Ints{0}));
}

TEST_F(Duplicate, NeighbouringFloatsAThirtySecondApartAreNear) {
    // From 2^18 to 2^19 neighbouring floats are 0.03125 apart: squared
    // distance 0.0009765625.
    EXPECT_EQ(Candidate({262144.0f, 0, 0}, {262144.03125f, 0, 0}, 25), (Ints{0}));
}

TEST_F(Duplicate, NeighbouringFloatsAroundTwoToTheTwentyAreNotNear) {
    EXPECT_EQ(Candidate({1048575.9375f, 0, 0}, {1048576.0f, 0, 0}, 25), (Ints{}));
}

TEST_F(Duplicate, NearTwinsAcrossCellBordersAndZero) {
    // Pairs on both sides of multiples of 1/8 and of 0, on every axis.
    const MQPoint pairs[][2] = {
        {{0.12f, 0, 0}, {0.135f, 0, 0}},   {{0, -0.01f, 0}, {0, 0.015f, 0}},
        {{0, 0, -0.126f}, {0, 0, -0.124f}}, {{0.249f, 0.374f, -0.501f}, {0.251f, 0.376f, -0.499f}},
    };
    for (const auto &pair : pairs) {
        Obj().ClearSelection(MQ_SELECT_ALL);
        const int32_t base = Obj().VertexCount();
        const float far = static_cast<float>(base) * 100.0f + 100.0f; // lone other ends
        AddMesh(Obj(), {pair[0], {far, 0, 0}, pair[1], {far + 50.0f, 0, 0}}, {{0, 1, 1}, {2, 3, 3}});
        Obj().SelectLine(Obj().FaceCount() - 2, 0, true);
        Obj().SelectLine(Obj().FaceCount() - 1, 0, true);
        Run(25);
        EXPECT_EQ(Obj().SelectedVertices(), (Ints{base, base + 2})) << pair[0].x << ' ' << pair[0].y;
    }
}

TEST_F(Duplicate, UnusedVertexIsNeverATwin) {
    // Vertex 3 has the candidate's position but no face uses it; the face
    // that used vertex 4 (same position too) is deleted.
    AddMesh(Obj(), {{1, 1, 1}, {2, 0, 0}, {0, 2, 0}, {1, 1, 1}, {1, 1, 1}}, {{0, 1, 2}, {4, 1, 2}});
    Obj().DeleteFace(1);
    Obj().SelectFace(0, true);
    Run(24);
    Obj().SelectLine(0, 0, true);
    Run(25);
    EXPECT_TRUE(Obj().SelectedVertices().empty());
}

TEST_F(Duplicate, CandidateIsNotItsOwnTwinEvenWhenRepeatedInAFace) {
    AddMesh(Obj(), {{1, 1, 1}, {2, 0, 0}}, {{0, 0, 1}});
    Obj().SelectFace(0, true);
    Obj().SelectLine(0, 0, true); // from vertex 0 to itself
    Run(24);
    Run(25);
    EXPECT_TRUE(Obj().SelectedVertices().empty());
}

TEST_F(Duplicate, TwinsInOtherObjectsDoNotCount) {
    AddMesh(Obj(), {{1, 1, 1}, {2, 0, 0}, {0, 2, 0}}, {{0, 1, 2}});
    AddObject("other");
    AddMesh(Obj(1), {{1, 1, 1}, {2, 0, 0}, {0, 2, 0}}, {{0, 1, 2}});
    Obj().SelectFace(0, true);
    Run(24);
    EXPECT_TRUE(Obj().SelectedVertices().empty());
    EXPECT_TRUE(Obj(1).SelectedVertices().empty());
}

TEST_F(Duplicate, AlreadySelectedPointStaysSelectedAndTwinsAreNotSelected) {
    // Two triangles glued at exact twins 1/3 and 2/4, face 0 selected.
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {{0, 1, 2}, {3, 5, 4}});
    Obj().SelectFace(0, true);
    Obj().SelectVertex(0, true); // no twin, already selected
    Run(24);
    EXPECT_EQ(Obj().SelectedVertices(), (Ints{0, 1, 2}));
}

TEST_F(Duplicate, FaceClearIsDocumentWideAndLeavesOtherKinds) {
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
    AddObject("other");
    AddMesh(Obj(1), {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
    Obj(1).SelectFace(0, true);
    Obj(1).SelectLine(0, 1, true);
    Obj(1).SelectVertex(2, true);
    // No face selected in the object under work: nothing to search, but the
    // face selection of the document is still cleared.
    Run(24);
    EXPECT_TRUE(Obj(1).SelectedFaces().empty());
    EXPECT_EQ(Obj(1).SelectedLines(), (Lines{{0, 1}}));
    EXPECT_EQ(Obj(1).SelectedVertices(), (Ints{2}));
}

TEST_F(Duplicate, LineClearIsDocumentWideAndLeavesOtherKinds) {
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
    Obj().SelectLine(0, 2, true);
    Obj().SelectFace(0, true);
    AddObject("other");
    AddMesh(Obj(1), {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
    Obj(1).SelectLine(0, 0, true);
    Obj(1).SelectFace(0, true);
    Run(25);
    EXPECT_TRUE(Obj().SelectedLines().empty());
    EXPECT_TRUE(Obj(1).SelectedLines().empty());
    EXPECT_EQ(Obj().SelectedFaces(), (Ints{0}));
    EXPECT_EQ(Obj(1).SelectedFaces(), (Ints{0}));
    EXPECT_TRUE(Obj().SelectedVertices().empty());
}

TEST_F(Duplicate, BothEndpointsOfALineAreFound) {
    // Line 0 of face 0 runs 0 -> 1; vertex 1's twin (4) comes before vertex
    // 0's twin (5) in the vertex order.
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {9, 9, 9}, {1, 0, 0.01f}, {0.01f, 0, 0}},
            {{0, 1, 2}, {3, 4, 5}});
    Obj().SelectLine(0, 0, true);
    Run(25);
    EXPECT_EQ(Obj().SelectedVertices(), (Ints{0, 1}));
}

TEST_F(Duplicate, LaterLinesOfAFaceAreSearchedAfterALineWithBothEndsFound) {
    // Face 0 (0,1) selected first finds 0 and 1. Face 1 runs 1 -> 0 -> 2:
    // its line 0 has both ends found already, its line 1 (0 -> 2) still
    // brings vertex 2, which has a twin (5).
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 0.01f}, {1, 0, 0.01f}, {0, 1, 0.01f}},
            {{0, 1}, {1, 0, 2}, {3, 4, 5}});
    Obj().SelectLine(0, 0, true);
    Obj().SelectLine(1, 0, true);
    Obj().SelectLine(1, 2, true); // 2 -> 1
    Run(25);
    EXPECT_EQ(Obj().SelectedVertices(), (Ints{0, 1, 2}));
    EXPECT_TRUE(Obj().SelectedLines().empty());
}

TEST_F(Duplicate, ManyVerticesAtOnePlace) {
    // Forty coincident vertices in faces of their own, and one selected
    // face: each of its points has 39 twins.
    for (int i = 0; i < 40; ++i) Obj().AddVertex({3, 3, 3});
    for (int32_t i = 0; i < 40; i += 4) {
        const int32_t quad[4] = {i, i + 1, i + 2, i + 3};
        Obj().AddFace(quad);
    }
    Obj().SelectFace(2, true);
    Run(24);
    EXPECT_EQ(Obj().SelectedVertices(), (Ints{8, 9, 10, 11}));
}

TEST(NearTwinTest, SquaredDistanceIsSummedInFloatInOrder) {
    // 1 + 2^-24 + 2^-24 is 1 when summed left to right in float, 1 + 2^-23
    // in any wider or reordered sum.
    const float small = 0.000244140625f; // 2^-12, squared 2^-24
    const cmq::CMQVec3 p{1.0f, small, small};
    EXPECT_EQ(selection::SquaredDistance(p, {0, 0, 0}), 1.0f);
    EXPECT_TRUE(selection::IsNearTwin({0, 0, 0}, {0.0316f, 0, 0}));
    EXPECT_FALSE(selection::IsNearTwin({0, 0, 0}, {0.03163f, 0, 0}));
}

} // namespace
