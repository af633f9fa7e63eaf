// Commands 1-9: vertices below, on or above an axis plane, and the faces
// wholly on one side.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "plugin/command_dispatch.h"
#include "select/axis.h"
#include "tests/support/meshes.h"
#include "tests/unit/unit_fixture.h"

namespace {

using testsupport::AddMesh;
using Indices = std::vector<int32_t>;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

class AxisTest : public testsupport::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        object = AddObject();
    }

    vexolin::Options Input(int command, float range = 0.001f, bool local = false) {
        vexolin::Options in;
        in.commandNumber = command;
        in.range = range;
        in.local = local;
        return in;
    }

    // The vertex step alone (the command with "(&F)ace" off), from an empty
    // selection.
    Indices Vertices(int command, float range = 0.001f, bool local = false) {
        Obj().ClearSelection(MQ_SELECT_ALL);
        EXPECT_EQ(vexolin::RunCommandOn(object, Input(command, range, local)), 1);
        return Obj().SelectedVertices();
    }

    // The face step alone, from an empty selection: command c tests axis
    // (c - 1) / 3 on side (c - 1) % 3.
    Indices Faces(int command, bool local = false) {
        Obj().ClearSelection(MQ_SELECT_ALL);
        cmq::SelectionPlan plan(object.document);
        selection::SelectFacesByAxis(object, (command - 1) / 3, static_cast<selection::Side>((command - 1) % 3), local,
                                     plan);
        plan.Apply();
        return Obj().SelectedFaces();
    }

    // One triangle per vertex so every vertex is in use: vertex 3i is at
    // `p`, 3i+1 and 3i+2 are far away at +100 on every axis.
    void AddPoints(std::initializer_list<MQPoint> points) {
        for (const MQPoint &p : points)
            AddMesh(Obj(), {p, {100, 100, 100}, {100, 100, 101}}, {{0, 1, 2}});
    }

    cmq::CMQObject object;
};

TEST_F(AxisTest, EachCommandPicksItsAxisAndSide) {
    // vertex 0: x -1; 3: y -1; 6: z -1; 9: origin; the helpers are at +100.
    AddPoints({{-1, 0, 0}, {0, -1, 0}, {0, 0, -1}, {0, 0, 0}});
    const Indices far = {1, 2, 4, 5, 7, 8, 10, 11};
    EXPECT_EQ(Vertices(1), (Indices{0}));
    EXPECT_EQ(Vertices(2), (Indices{3, 6, 9}));
    EXPECT_EQ(Vertices(3), far);
    EXPECT_EQ(Vertices(4), (Indices{3}));
    EXPECT_EQ(Vertices(5), (Indices{0, 6, 9}));
    EXPECT_EQ(Vertices(6), far);
    EXPECT_EQ(Vertices(7), (Indices{6}));
    EXPECT_EQ(Vertices(8), (Indices{0, 3, 9}));
    EXPECT_EQ(Vertices(9), far);
}

TEST_F(AxisTest, ToleranceIsStrictOnEverySide) {
    // 0: -0.0005  3: -0.002  6: exactly -range  9: exactly +range  12: +0.0005
    AddPoints({{-0.0005f, 50, 50}, {-0.002f, 50, 50}, {-0.001f, 50, 50}, {0.001f, 50, 50}, {0.0005f, 50, 50}});
    EXPECT_EQ(Vertices(1), (Indices{3}));
    EXPECT_EQ(Vertices(2), (Indices{0, 12}));
    EXPECT_EQ(Vertices(3), (Indices{1, 2, 4, 5, 7, 8, 10, 11, 13, 14}));

    // Range 0: nothing is "on" the plane, even a vertex at exactly 0, and
    // every negative coordinate is below it.
    AddPoints({{0, 50, 50}});
    EXPECT_EQ(Vertices(2, 0.0f), Indices{});
    EXPECT_EQ(Vertices(1, 0.0f), (Indices{0, 3, 6}));
}

TEST_F(AxisTest, NotANumberSatisfiesNoTest) {
    // Face 0 holds the NaN vertex 0; face 1 lies wholly at x < 0.
    AddMesh(Obj(), {{kNaN, 0, 0}, {-1, 0, 0}, {-1, 1, 0}, {-2, 0, 0}}, {{0, 1, 2}, {1, 2, 3}});
    EXPECT_EQ(Vertices(1), (Indices{1, 2, 3}));
    EXPECT_EQ(Vertices(2, 1000.0f), (Indices{1, 2, 3}));
    EXPECT_EQ(Vertices(3), Indices{});
    // A face with a NaN point lies on neither side.
    EXPECT_EQ(Faces(1), (Indices{1}));
    EXPECT_EQ(Faces(3), Indices{});
}

TEST_F(AxisTest, UnusedVertexIsNeverSelected) {
    AddMesh(Obj(), {{-5, -5, -5}, {-4, -5, -5}, {-5, -4, -5}, {-9, -9, -9}}, {{0, 1, 2}});
    Obj().AddVertex({-9, -9, -9}); // vertex 4: also unused
    EXPECT_EQ(Vertices(1), (Indices{0, 1, 2}));
    EXPECT_EQ(Vertices(7), (Indices{0, 1, 2}));
}

TEST_F(AxisTest, VerticesOfADeletedFaceAreNotInUse) {
    AddMesh(Obj(), {{-1, 0, 0}, {-2, 0, 0}, {-3, 0, 0}, {-4, 0, 0}}, {{0, 1, 2}, {1, 2, 3}});
    Obj().DeleteFace(0);
    EXPECT_EQ(Vertices(1), (Indices{1, 2, 3}));
    EXPECT_EQ(Faces(1), (Indices{1}));
}

TEST_F(AxisTest, FaceStepIgnoresToleranceAndIncludesThePlane) {
    // 0: wholly x <= 0 with one point on the plane; 1: straddles; 2: wholly
    // x >= 0; 3: a one-point face at x = 0; 4: deleted, wholly x < 0.
    AddMesh(Obj(), {{0, 0, 0}, {-1, 0, 0}, {-1, 1, 0}, {1, 0, 0}, {1, 1, 0}, {-2, 0, 0}, {-2, 1, 0}},
            {{0, 1, 2}, {1, 3, 4}, {0, 3, 4}, {0}, {1, 5, 6}});
    Obj().DeleteFace(4);
    EXPECT_EQ(Faces(1), (Indices{0, 3}));
    EXPECT_EQ(Faces(3), (Indices{2, 3}));
    // On the y and z axes everything is >= 0 and only the plane is <= 0.
    EXPECT_EQ(Faces(4), (Indices{3}));
    EXPECT_EQ(Faces(9), (Indices{0, 1, 2, 3}));

    // The vertex at x = 0 is not selected by the vertex step, though its face
    // was: the vertex step keeps its tolerance.
    EXPECT_EQ(Vertices(1), (Indices{1, 2}));
}

TEST_F(AxisTest, OnPlaneCommandsHaveNoFaceStep) {
    AddMesh(Obj(), {{0, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{0, 1, 2}});
    for (int command : {2, 5, 8}) {
        vexolin::Options in = Input(command);
        in.face = true;
        EXPECT_EQ(vexolin::RunCommandOn(object, in), 1) << command;
    }
    EXPECT_TRUE(Obj().SelectedFaces().empty());
}

TEST_F(AxisTest, OtherCommandsChangeNothing) {
    AddPoints({{-1, -1, -1}});
    for (int command : {0, 31, -3}) {
        EXPECT_EQ(vexolin::RunCommandOn(object, Input(command)), 0) << command;
    }
    EXPECT_TRUE(Obj().SelectedVertices().empty());
}

TEST_F(AxisTest, LocalTestsTransformedPositions) {
    AddPoints({{-5, 0, 0}});
    Obj().matrix = standin::kIdentity;
    Obj().matrix[12] = 10.0f; // translate by +10 along x
    EXPECT_EQ(Vertices(1), (Indices{0}));
    EXPECT_EQ(Vertices(3, 0.001f, true), (Indices{0, 1, 2}));
    EXPECT_EQ(Vertices(1, 0.001f, true), Indices{});
    EXPECT_EQ(Faces(3, true), (Indices{0}));
    EXPECT_EQ(Faces(3, false), Indices{});

    // Row vector times the matrix: x' takes its terms from column 0, so a
    // matrix that moves y into x (m[4]) makes y the tested coordinate.
    Obj().matrix = {0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    Obj().ClearSelection(MQ_SELECT_ALL);
    EXPECT_EQ(Vertices(2, 0.001f, true), (Indices{0}));   // y = 0 -> x' = 0
    EXPECT_EQ(Vertices(3, 0.001f, true), (Indices{1, 2})); // y = 100 -> x' = 100
}

TEST_F(AxisTest, LocalSumsSinglePrecisionTermsInWrittenOrder) {
    // x' = ((x·m0 + y·m4) + z·m8) + m12 with x·m0 = 1e8, y·m4 = 1,
    // z·m8 = -1e8: in float the 1 is lost against 1e8 before -1e8 cancels,
    // so x' is 0. Any other order, or double precision, gives 1.
    AddPoints({{1e8f, 1, 1e8f}});
    Obj().matrix = {1, 0, 0, 0, 1, 0, 0, 0, -1, 0, 0, 0, 0, 0, 0, 1};
    // The helpers at (100, 100, 100) and (100, 100, 101) map to 100 and 99.
    EXPECT_EQ(Vertices(2, 0.5f, true), (Indices{0}));
    EXPECT_EQ(Vertices(3, 0.5f, true), (Indices{1, 2}));
}

TEST_F(AxisTest, OnlyAddsToTheSelection) {
    AddMesh(Obj(), {{1, 1, 1}, {2, 1, 1}, {1, 2, 1}, {-1, 0, 0}}, {{0, 1, 2}, {3, 1, 2}});
    Obj().SelectVertex(3, true);
    Obj().SelectFace(1, true);
    Obj().SelectLine(0, 1, true);
    vexolin::Options in = Input(3);
    in.face = true;
    EXPECT_EQ(vexolin::RunCommandOn(object, in), 1);
    EXPECT_EQ(Obj().SelectedVertices(), (Indices{0, 1, 2, 3}));
    EXPECT_EQ(Obj().SelectedFaces(), (Indices{0, 1}));
    EXPECT_EQ(Obj().SelectedLines(), (std::vector<standin::LineRef>{{0, 1}}));
}

TEST_F(AxisTest, ObjectWithoutVerticesOrFaces) {
    EXPECT_EQ(Vertices(1), Indices{});
    EXPECT_EQ(Faces(1), Indices{});
}

} // namespace
