// Commands 14 and 15: border lines and ridges by bend angle, the grouping of
// lines by vertex pair behind them, and the single-precision geometry of the
// ridge test.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <numbers>
#include <random>
#include <vector>

#include "mesh/vector_math.h"
#include "select/edge_groups.h"
#include "select/ridge.h"
#include "mesh/mesh_view.h"
#include "standin/core/call_log.h"
#include "tests/support/meshes.h"
#include "tests/unit/unit_fixture.h"

namespace {

using testsupport::AddCube;
using testsupport::AddMesh;
using Lines = std::vector<standin::LineRef>;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr int kEdge = 14;
constexpr int kRidge = 15;

struct Window {
    float angle1 = 0.0f;
    float angle2 = 90.0f;
    bool suppl = false;
};
constexpr Window kDefault{};
constexpr Window kEverything{-200.0f, 200.0f, false}; // wider than any fold

Lines AllLinesOfCube() {
    Lines all;
    for (int32_t f = 0; f < 6; ++f)
        for (int32_t l = 0; l < 4; ++l) all.push_back({f, l});
    return all;
}

class EdgeRidge : public testsupport::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        object = AddObject();
    }

    static vexolin::Options Input(int command, Window w = kDefault, bool allObjects = false) {
        vexolin::Options in;
        in.commandNumber = command;
        in.angle1 = w.angle1;
        in.angle2 = w.angle2;
        in.suppl = w.suppl;
        in.allObjects = allObjects;
        return in;
    }

    // Runs the command on the selection as it stands; returns the lines.
    Lines Run(int command, Window w = kDefault, bool allObjects = false) {
        EXPECT_EQ(vexolin::RunCommandOn(object, Input(command, w, allObjects)), 1);
        return Obj(current).SelectedLines();
    }

    // Makes a new object the one the commands work on; returns its index.
    int32_t UseNewObject(const char *name) {
        current = doc.AddObject(name);
        object = {standin::Document::HandleOf(doc.ObjectAt(current)), doc.Handle()};
        return current;
    }

    // Two quads joined along vertices 0-1 (line 0 of both). Face 0 lies in
    // z = 0 with normal +z; face 1 is turned about the x axis by `degrees`
    // from flat, negative degrees folding it to the back of face 0, which
    // makes a convex ridge.
    void AddHinge(double degrees) {
        const double r = degrees * std::numbers::pi / 180.0;
        const float c = static_cast<float>(std::cos(r));
        const float s = static_cast<float>(std::sin(r));
        AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {1, -1, 0}, {0, -1, 0}, {0, c, s}, {1, c, s}},
                {{0, 1, 2, 3}, {1, 0, 4, 5}});
    }

    cmq::CMQObject object;
    int32_t current = 0;
};

// ---------------------------------------------------------------------------
// Edge
// ---------------------------------------------------------------------------

TEST_F(EdgeRidge, EdgeOfAnOpenQuadIsItsFourLines) {
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}});
    EXPECT_EQ(Run(kEdge), (Lines{{0, 0}, {0, 1}, {0, 2}, {0, 3}}));
    Obj().ClearSelection(MQ_SELECT_ALL);
    EXPECT_EQ(Run(kRidge, kEverything), Lines{});
}

TEST_F(EdgeRidge, EdgeOfAClosedCubeOnlyClears) {
    AddCube(Obj(), true);
    Obj().SelectVertex(0, true); // one end only: makes no candidate
    EXPECT_EQ(Run(kEdge), Lines{});
    EXPECT_TRUE(Obj().SelectedVertices().empty());
}

TEST_F(EdgeRidge, EdgeSkipsDeletedFaces) {
    //  3---4---5    faces 0 (left) and 1 (right) share 1-4; deleting the
    //  | 0 | 1 |    right one leaves the left quad's four lines as border.
    //  0---1---2
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 1, 0}},
            {{0, 1, 4, 3}, {1, 2, 5, 4}});
    EXPECT_EQ(Run(kEdge), (Lines{{0, 0}, {0, 2}, {0, 3}, {1, 0}, {1, 1}, {1, 2}}));
    Obj().DeleteFace(1);
    Obj().ClearSelection(MQ_SELECT_ALL);
    EXPECT_EQ(Run(kEdge), (Lines{{0, 0}, {0, 1}, {0, 2}, {0, 3}}));
}

TEST_F(EdgeRidge, EdgeSharedByThreeFacesIsNeitherBorderNorRidge) {
    // Three triangles on the pair 0-1 (line 0 of each); their other lines
    // are borders.
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}}, {{0, 1, 2}, {1, 0, 3}, {0, 1, 4}});
    EXPECT_EQ(Run(kEdge), (Lines{{0, 1}, {0, 2}, {1, 1}, {1, 2}, {2, 1}, {2, 2}}));
    Obj().ClearSelection(MQ_SELECT_ALL);
    EXPECT_EQ(Run(kRidge, kEverything), Lines{});
}

TEST_F(EdgeRidge, TwoPointFaceIsNeverABorder) {
    // A lone two-point face: two occurrences of one pair.
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}}, {{0, 1}});
    EXPECT_EQ(Run(kEdge), Lines{});
    // Its normals have zero length, so it folds by +90 degrees: outside the
    // default window, inside one that reaches +90.
    EXPECT_EQ(Run(kRidge), Lines{});
    EXPECT_EQ(Run(kRidge, {-90.0f, 0.0f, false}), (Lines{{0, 0}, {0, 1}}));
}

TEST_F(EdgeRidge, TwoPointFaceOnATriangleSideMakesThatSideNoBorder) {
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}, {1, 0}});
    EXPECT_EQ(Run(kEdge), (Lines{{0, 1}, {0, 2}}));
    Obj().ClearSelection(MQ_SELECT_ALL);
    EXPECT_EQ(Run(kRidge, kEverything), Lines{});
}

// ---------------------------------------------------------------------------
// Ridge: the cube, its windings and the window
// ---------------------------------------------------------------------------

TEST_F(EdgeRidge, ClockwiseCubeFoldsByExactlyMinusNinetyDegrees) {
    // Outward normals: every fold is N = -90 degrees, the same float as the
    // window's lower bound, so the default window takes all twelve edges.
    AddCube(Obj(), true);
    EXPECT_EQ(Run(kRidge), AllLinesOfCube());
    // Supplement with the mapped window (90, 180) has the same bounds.
    Obj().ClearSelection(MQ_SELECT_ALL);
    EXPECT_EQ(Run(kRidge, {90.0f, 180.0f, true}), AllLinesOfCube());
    // Supplement (0, 90) is [-180, -90]: -90 is its upper end, included.
    Obj().ClearSelection(MQ_SELECT_ALL);
    EXPECT_EQ(Run(kRidge, {0.0f, 90.0f, true}), AllLinesOfCube());
    // Stop just short of 90 and nothing is left.
    Obj().ClearSelection(MQ_SELECT_ALL);
    EXPECT_EQ(Run(kRidge, {0.0f, 89.99f, false}), Lines{});
}

TEST_F(EdgeRidge, CounterClockwiseCubeFoldsByPlusNinetyDegrees) {
    AddCube(Obj(), false);
    EXPECT_EQ(Run(kRidge), Lines{});
    EXPECT_EQ(Run(kRidge, {0.0f, 90.0f, true}), Lines{});
    // A window reaching up to +90 (inclusive) takes every edge.
    EXPECT_EQ(Run(kRidge, {-90.0f, 0.0f, false}), AllLinesOfCube());
}

TEST_F(EdgeRidge, ReversedWindowSelectsTheComplementWithoutItsEnds) {
    AddCube(Obj(), true);
    // (90, 90): lo == hi == -90 degrees; the complement excludes exactly -90.
    EXPECT_EQ(Run(kRidge, {90.0f, 90.0f, false}), Lines{});
    // (90, 0): lo = -0, hi = -90: only N < -90 or N > 0 -- not the ends.
    EXPECT_EQ(Run(kRidge, {90.0f, 0.0f, false}), Lines{});
    // (45, 10): lo = -10, hi = -45: -90 lies below -45.
    EXPECT_EQ(Run(kRidge, {45.0f, 10.0f, false}), AllLinesOfCube());

    AddCube(Obj(UseNewObject("ccw")), false);
    EXPECT_EQ(Run(kRidge, {90.0f, 0.0f, false}), AllLinesOfCube()); // +90 > 0
}

TEST_F(EdgeRidge, SupplementChoosesBetweenTheFoldAndTheAngleOfTheFaces) {
    AddHinge(-45.0); // a 45 degree convex bend: 135 degrees between the faces
    EXPECT_EQ(Run(kRidge), (Lines{{0, 0}, {1, 0}}));
    Obj().ClearSelection(MQ_SELECT_ALL);
    EXPECT_EQ(Run(kRidge, {0.0f, 90.0f, true}), Lines{});
    EXPECT_EQ(Run(kRidge, {90.0f, 180.0f, true}), (Lines{{0, 0}, {1, 0}}));
}

TEST_F(EdgeRidge, SupplementTakesSharpFolds) {
    AddHinge(-135.0); // a 135 degree bend: 45 degrees between the faces
    EXPECT_EQ(Run(kRidge), Lines{});
    EXPECT_EQ(Run(kRidge, {0.0f, 90.0f, true}), (Lines{{0, 0}, {1, 0}}));
}

TEST_F(EdgeRidge, ConcaveFoldHasTheOtherSign) {
    AddHinge(45.0);
    EXPECT_EQ(Run(kRidge), Lines{});
    EXPECT_EQ(Run(kRidge, {-90.0f, 0.0f, false}), (Lines{{0, 0}, {1, 0}}));
}

TEST_F(EdgeRidge, FlatJointIsSelectedByTheDefaultWindow) {
    AddHinge(0.0);
    EXPECT_EQ(Run(kRidge), (Lines{{0, 0}, {1, 0}}));
}

// ---------------------------------------------------------------------------
// Ridge: arithmetic at the edges of the domain
// ---------------------------------------------------------------------------

TEST_F(EdgeRidge, FlatJointWhoseDotProductRoundsAboveOneBendsByZero) {
    // Two triangles in the plane y + 4z = 0 forming a parallelogram: both
    // line normals are (0, -1, -4), whose unit vector dotted with itself
    // gives 1.0000001 in float. Unclamped, acos would give NaN and the joint
    // would drop out of every window.
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {0, 4, -1}, {1, -4, 1}}, {{0, 1, 2}, {1, 0, 3}});
    const cmq::CMQVec3 m1 = cmq::vmath::Normalise(object.GetLineNormal(0, 0));
    const cmq::CMQVec3 m2 = cmq::vmath::Normalise(object.GetLineNormal(1, 0));
    const float dot = cmq::vmath::Dot(m1, m2);
    ASSERT_GT(dot, 1.0f) << "the fixture no longer exercises the clamp";
    EXPECT_EQ(selection::JointAngle(dot), 0.0f);

    EXPECT_EQ(Run(kRidge), (Lines{{0, 0}, {1, 0}}));
}

TEST_F(EdgeRidge, DotProductThatIsNotANumberGivesNoAngle) {
    // Coordinates of 1e20 overflow the cross product to infinity; dividing
    // by an infinite length leaves NaN in the normal, so the dot product is
    // NaN. A hinge beside it shows the windows do take ordinary folds.
    AddMesh(Obj(), {{0, 0, 0}, {1e20f, 0, 0}, {0, 1e20f, 0}, {0, -1e20f, 1e20f}}, {{0, 1, 2}, {1, 0, 3}});
    AddHinge(-30.0); // faces 2 and 3
    const cmq::CMQVec3 m1 = cmq::vmath::Normalise(object.GetLineNormal(0, 0));
    ASSERT_TRUE(std::isnan(cmq::vmath::Dot(m1, m1)));

    EXPECT_EQ(Run(kRidge, kEverything), (Lines{{2, 0}, {3, 0}}));
    // A reversed window that excludes a single value takes every number.
    Obj().ClearSelection(MQ_SELECT_ALL);
    EXPECT_EQ(Run(kRidge, {10.0f, 10.0f, false}), (Lines{{2, 0}, {3, 0}}));
}

TEST_F(EdgeRidge, NormalOfLengthNaNBecomesZeroAndFoldsByNinety) {
    // A NaN coordinate makes the normals' lengths NaN: both become the zero
    // vector, their dot product is 0 and the fold is +90 degrees.
    AddHinge(-30.0);
    Obj().SetPosition(2, {kNaN, -1, 0});
    Obj().SetPosition(4, {0, kNaN, 0.5f});
    EXPECT_EQ(Run(kRidge), Lines{});
    EXPECT_EQ(Run(kRidge, {-90.0f, 0.0f, false}), (Lines{{0, 0}, {1, 0}}));
}

// ---------------------------------------------------------------------------
// Candidates, clearing and the one-point face
// ---------------------------------------------------------------------------

// Clockwise cube, face 0 = (1 2 3 0); its edges appear again as line 2 of
// faces 2, 3, 4 and line 3 of face 5.
const Lines kCubeFace0Edges = {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {2, 2}, {3, 2}, {4, 2}, {5, 3}};

TEST_F(EdgeRidge, SelectedFaceRestrictsCandidatesToItsLines) {
    AddCube(Obj(), true);
    Obj().SelectFace(0, true);
    EXPECT_EQ(Run(kRidge), kCubeFace0Edges);
    EXPECT_TRUE(Obj().SelectedFaces().empty());
}

TEST_F(EdgeRidge, SelectedFaceOfAClosedMeshHasNoBorder) {
    AddCube(Obj(), true);
    Obj().SelectFace(0, true);
    EXPECT_EQ(Run(kEdge), Lines{});
    EXPECT_TRUE(Obj().SelectedFaces().empty());
}

TEST_F(EdgeRidge, SelectedLineRestrictsCandidatesToItsPair) {
    AddCube(Obj(), true);
    Obj().SelectLine(2, 2, true); // vertices 1-0
    EXPECT_EQ(Run(kRidge), (Lines{{0, 3}, {2, 2}}));
}

TEST_F(EdgeRidge, SelectedVertexPairRestrictsCandidatesToTheirLine) {
    AddCube(Obj(), true);
    Obj().SelectVertex(0, true);
    Obj().SelectVertex(1, true);
    EXPECT_EQ(Run(kRidge), (Lines{{0, 3}, {2, 2}}));
    EXPECT_TRUE(Obj().SelectedVertices().empty());
}

TEST_F(EdgeRidge, VertexPairWithoutALineLeavesEveryLineACandidate) {
    AddCube(Obj(), true);
    Obj().SelectVertex(0, true);
    Obj().SelectVertex(2, true); // a diagonal of face 0
    EXPECT_EQ(Run(kRidge), AllLinesOfCube());
}

TEST_F(EdgeRidge, SelectedBorderFaceOfAGridGivesItsBorderLines) {
    testsupport::AddQuadGrid(Obj(), 2, 2); // quad (0, 0) is face 0
    Obj().SelectFace(0, true);
    // Face 0 = (0 1 4 3): lines 0 (0-1) and 3 (3-0) lie on the border.
    EXPECT_EQ(Run(kEdge), (Lines{{0, 0}, {0, 3}}));
}

TEST_F(EdgeRidge, ClearsAfterReadingAndBeforeSelecting) {
    AddCube(Obj(), true);
    Obj().SelectFace(0, true);
    standin::StartCallLog();
    EXPECT_EQ(vexolin::RunCommandOn(object, Input(kRidge)), 1);
    const std::vector<standin::HostCall> calls = standin::StopCallLog();
    ASSERT_EQ(calls.size(), 9u);
    EXPECT_EQ(calls[0], (standin::HostCall{"MQDoc_ClearSelect", -1, MQ_SELECT_ALL, -1}));
    for (std::size_t i = 1; i < calls.size(); ++i) EXPECT_EQ(calls[i].name, "MQDoc_AddSelectLine");
}

TEST_F(EdgeRidge, AllObjectsKeepsTheSelectionAndAdds) {
    AddCube(Obj(), true);
    Obj().SelectVertex(7, true);
    standin::StartCallLog();
    EXPECT_EQ(Run(kRidge, kDefault, true), AllLinesOfCube());
    const std::vector<standin::HostCall> calls = standin::StopCallLog();
    for (const standin::HostCall &call : calls) EXPECT_NE(call.name, "MQDoc_ClearSelect");
    EXPECT_EQ(Obj().SelectedVertices(), (std::vector<int32_t>{7}));
}

TEST_F(EdgeRidge, ObjectWithoutFacesOnlyClears) {
    const int32_t other = doc.AddObject("other");
    AddMesh(Obj(other), {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
    Obj(other).SelectFace(0, true);
    EXPECT_EQ(Run(kEdge), Lines{});
    // The clear covers the whole document.
    EXPECT_TRUE(Obj(other).SelectedFaces().empty());
}

TEST_F(EdgeRidge, OnePointFaceLeavesTheObjectUnchanged) {
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}, {2}});
    Obj().SelectVertex(0, true);
    Obj().SelectLine(0, 1, true);
    for (int command : {kEdge, kRidge}) {
        standin::StartCallLog();
        EXPECT_EQ(vexolin::RunCommandOn(object, Input(command)), 0);
        EXPECT_TRUE(standin::StopCallLog().empty());
    }
    EXPECT_EQ(Obj().SelectedVertices(), (std::vector<int32_t>{0}));
    EXPECT_EQ(Obj().SelectedLines(), (Lines{{0, 1}}));
}

TEST_F(EdgeRidge, NumbersNoCommandHasTouchNothing) {
    AddCube(Obj(), true);
    Obj().SelectFace(3, true);
    for (int command : {0, 31, -3}) { // numbers no command has
        standin::StartCallLog();
        EXPECT_EQ(vexolin::RunCommandOn(object, Input(command)), 0) << command;
        EXPECT_TRUE(standin::StopCallLog().empty());
    }
    EXPECT_EQ(Obj().SelectedFaces(), (std::vector<int32_t>{3}));
}

// ---------------------------------------------------------------------------
// The pieces
// ---------------------------------------------------------------------------

TEST(RidgeWindow, BoundsInSinglePrecision) {
    EXPECT_EQ(std::bit_cast<uint32_t>(selection::kDegreesToRadians), 0x3C8EFA35u);
    const float k = selection::kDegreesToRadians;

    vexolin::Options in; // angle1 0, angle2 90, suppl off
    selection::RidgeWindow w = selection::RidgeWindow::From(in);
    EXPECT_EQ(w.lo, -90.0f * k);
    EXPECT_EQ(std::bit_cast<uint32_t>(w.hi), std::bit_cast<uint32_t>(-0.0f));
    // The fold of a right angle, acos(0) rounded to float, meets the bound.
    EXPECT_EQ(selection::JointAngle(0.0f), -w.lo);

    in.suppl = true;
    in.angle1 = 30.0f;
    in.angle2 = 150.0f;
    w = selection::RidgeWindow::From(in);
    EXPECT_EQ(w.lo, -150.0f * k);
    EXPECT_EQ(w.hi, -30.0f * k);
}

TEST(RidgeWindow, EndsAreIncludedUnlessReversed) {
    const selection::RidgeWindow w{-1.0f, 1.0f};
    EXPECT_TRUE(w.Contains(-1.0f));
    EXPECT_TRUE(w.Contains(1.0f));
    EXPECT_FALSE(w.Contains(1.0000001f));
    EXPECT_FALSE(w.Contains(kNaN));

    const selection::RidgeWindow reversed{1.0f, -1.0f};
    EXPECT_FALSE(reversed.Contains(-1.0f));
    EXPECT_FALSE(reversed.Contains(1.0f));
    EXPECT_FALSE(reversed.Contains(0.0f));
    EXPECT_TRUE(reversed.Contains(-1.5f));
    EXPECT_TRUE(reversed.Contains(1.5f));
    EXPECT_FALSE(reversed.Contains(kNaN));

    const selection::RidgeWindow point{0.5f, 0.5f}; // everything but 0.5
    EXPECT_FALSE(point.Contains(0.5f));
    EXPECT_TRUE(point.Contains(0.25f));
}

TEST(RidgeWindow, JointTestAgreesWithTheExactFoldForEveryWindowAndDot) {
    // Windows from the dialog's angles (both orders, so reversed ones too,
    // with and without Supplement), then random ones; dot products at and
    // around every bound's exact crossing, at the ends, not numbers, and
    // random ones.
    std::mt19937 rng(20261209);
    const float angles[] = {0.0f, 1e-3f, 1.0f, 30.0f, 45.0f, 89.99f, 90.0f, 90.01f, 135.0f, 179.9f, 180.0f, 200.0f, -10.0f};
    std::vector<selection::RidgeWindow> windows;
    for (const float a1 : angles)
        for (const float a2 : angles)
            for (const bool suppl : {false, true}) {
                vexolin::Options in;
                in.angle1 = a1;
                in.angle2 = a2;
                in.suppl = suppl;
                windows.push_back(selection::RidgeWindow::From(in));
            }
    std::uniform_real_distribution<float> bound(-3.5f, 3.5f);
    for (int i = 0; i < 200; ++i) windows.push_back({bound(rng), bound(rng)});

    std::uniform_real_distribution<float> anyDot(-1.2f, 1.2f);
    int checked = 0;
    for (const selection::RidgeWindow &w : windows) {
        std::vector<float> dots = {0.0f, -0.0f, 1.0f, -1.0f, 1.0000001f, -1.0000001f, kNaN,
                                   std::numeric_limits<float>::infinity()};
        for (const float t : {w.lo, w.hi}) {
            const auto crossing = static_cast<float>(std::cos(static_cast<double>(std::fabs(t))));
            for (int k = -64; k <= 64; ++k) {
                const int32_t bits = std::bit_cast<int32_t>(crossing) + k;
                dots.push_back(std::bit_cast<float>(bits));
            }
        }
        for (int i = 0; i < 200; ++i) dots.push_back(anyDot(rng));
        for (const float d : dots)
            for (const bool behind : {false, true}) {
                const double sign = behind ? -1.0 : 1.0;
                const bool exact = w.Contains(static_cast<float>(static_cast<double>(selection::JointAngle(d)) * sign));
                ASSERT_EQ(w.ContainsJoint(d, behind), exact)
                    << "window [" << w.lo << ", " << w.hi << "], dot " << d << (behind ? ", behind" : "");
                ++checked;
            }
    }
    EXPECT_GT(checked, 100000);
}

TEST(JointAngle, ClampsRoundedDotProductsButKeepsNaN) {
    EXPECT_EQ(selection::JointAngle(1.0000001f), 0.0f);
    EXPECT_EQ(selection::JointAngle(1.0f), 0.0f);
    EXPECT_EQ(selection::JointAngle(-1.0000001f), static_cast<float>(std::numbers::pi));
    EXPECT_EQ(selection::JointAngle(std::numeric_limits<float>::infinity()), 0.0f);
    EXPECT_TRUE(std::isnan(selection::JointAngle(kNaN)));
    EXPECT_TRUE(std::isnan(selection::JointAngle(-kNaN)));
    EXPECT_EQ(selection::JointAngle(0.5f), static_cast<float>(std::acos(0.5)));
}

TEST(VectorMath, NormaliseDividesOnlyByAPositiveLength) {
    using cmq::vmath::Normalise;
    EXPECT_EQ(Normalise({0, 0, 0}), (cmq::CMQVec3{0, 0, 0}));
    EXPECT_EQ(Normalise({kNaN, 1, 1}), (cmq::CMQVec3{0, 0, 0}));
    EXPECT_EQ(Normalise({0, 3, 4}), (cmq::CMQVec3{0, 0.6f, 0.8f}));
    // Overflowing squares give an infinite length; inf / inf is NaN.
    const cmq::CMQVec3 huge = Normalise({0, 0, std::numeric_limits<float>::infinity()});
    EXPECT_EQ(huge.x, 0.0f);
    EXPECT_TRUE(std::isnan(huge.z));
}

TEST_F(EdgeRidge, LineFrameMatchesTheMeshModelBitForBit) {
    // Faces of 2, 3, 4 and 5 points with uneven coordinates, so that any
    // change of operation order shows in the low bits.
    AddMesh(Obj(),
            {{0.1f, 0.2f, 0.3f}, {1.7f, -0.3f, 0.11f}, {1.3f, 1.9f, -0.7f}, {-0.4f, 1.1f, 0.9f},
             {0.33f, 2.7f, 1.4f}, {2.9f, 0.01f, -1.3f}},
            {{0, 1}, {0, 1, 2}, {0, 1, 2, 3}, {0, 5, 1, 2, 4}});
    for (int32_t f = 0; f < 4; ++f) {
        const int32_t n = Obj().PointCount(f);
        for (int32_t k = 0; k < n; ++k) {
            const selection::LineFrame frame = selection::ReadLineFrame(object, f, k);
            EXPECT_EQ(frame.normal, object.GetLineNormal(f, k)) << f << ":" << k;
            EXPECT_EQ(frame.sidePoint, object.GetLineSidePoint(f, k)) << f << ":" << k;
            EXPECT_EQ(frame.start, object.GetVertexPosition(object.GetLine(f, k).start)) << f << ":" << k;
        }
    }
}

// GroupLinesByEdge against a literal reference (every pair's lines in line
// order, in an ordered map), on random small meshes whose pairs are shared
// by one to many lines. Each mesh is grouped with its vertex indices as
// drawn, and moved far beyond the line count (most of the counting sort's
// vertex slots then empty), each in one range of vertices and in ranges of
// an eighth of the lines (some of one vertex holding more); every way must
// give the reference's leaders, lone lines and second lines.
class EdgeGrouping : public testsupport::HostTest {};

TEST_F(EdgeGrouping, MatchesTheReferenceForNearAndFarVertexIndicesInOneRangeOrMany) {
    constexpr int32_t kFar = 70000; // far more vertex slots than lines
    std::mt19937 engine(2024);
    const auto below = [&](int32_t n) { return static_cast<int32_t>(engine() % static_cast<uint32_t>(n)); };
    int farGroupsOfThreeOrMore = 0;
    for (int round = 0; round < 200; ++round) {
        const int32_t pool = 2 + below(6);
        std::vector<std::vector<int32_t>> faces(static_cast<std::size_t>(1 + below(12)));
        for (auto &face : faces) {
            face.resize(static_cast<std::size_t>(1 + below(5)));
            for (int32_t &v : face) v = below(pool);
        }
        for (const int32_t offset : {0, kFar}) {
            standin::Document local;
            standin::Object &o = *local.ObjectAt(local.AddObject("grouped"));
            const cmq::CMQObject object{standin::Document::HandleOf(&o), local.Handle()};
            for (int32_t v = 0; v < offset + pool; ++v) o.AddVertex({0, 0, 0});
            std::vector<int32_t> points; // every line's start, in line order
            for (const auto &face : faces) {
                std::vector<int32_t> moved(face);
                for (int32_t &v : moved) v += offset;
                o.AddFace(moved);
                points.insert(points.end(), moved.begin(), moved.end());
            }
            cmq::MeshView mesh(object);
            mesh.ReadFaces();
            ASSERT_EQ(mesh.LineCount(), points.size());
            std::map<int64_t, std::vector<uint32_t>> linesOf;
            std::vector<int64_t> keyOf;
            uint32_t line = 0;
            for (const auto &face : faces) {
                for (std::size_t k = 0; k < face.size(); ++k, ++line) {
                    const int64_t key = cmq::EdgeKey(face[k] + offset, face[(k + 1) % face.size()] + offset);
                    linesOf[key].push_back(line);
                    keyOf.push_back(key);
                }
            }
            for (const std::size_t leastRange : {selection::kLeastGroupingRange, std::size_t{1}}) {
                const selection::EdgeGroups groups = selection::GroupLinesByEdge(mesh, leastRange);
                ASSERT_EQ(groups.second.size(), points.size());
                for (uint32_t i = 0; i < points.size(); ++i) {
                    const std::vector<uint32_t> &lines = linesOf[keyOf[i]];
                    const uint32_t entry = groups.second[i];
                    const uint32_t expected = lines.front() != i  ? selection::EdgeGroups::kNone
                                              : lines.size() == 1 ? selection::EdgeGroups::kAlone
                                              : lines.size() == 2 ? lines[1]
                                                                  : selection::EdgeGroups::kNone;
                    EXPECT_EQ(entry, expected) << round << " line " << i << " least range " << leastRange;
                }
            }
            for (const auto &[key, lines] : linesOf)
                if (offset == kFar && lines.size() >= 3) ++farGroupsOfThreeOrMore;
        }
    }
    EXPECT_GT(farGroupsOfThreeOrMore, 100) << "the draw must share pairs among three or more lines";
}

} // namespace
