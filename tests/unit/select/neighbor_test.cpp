// Commands 16 to 23: what each conversion adds, on small hand-made meshes.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "select/vertex_pair_set.h"
#include "tests/support/meshes.h"
#include "tests/unit/unit_fixture.h"

namespace {

using standin::LineRef;
using testsupport::AddMesh;
using Ints = std::vector<int32_t>;
using Lines = std::vector<LineRef>;

class Neighbor : public testsupport::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        object = AddObject();
    }
    void Run(int command) { ASSERT_EQ(vexolin::RunCommandOn(object, testsupport::OptionsFor(command)), 1); }
    cmq::CMQObject object;
};

// A 3 × 3 grid of unit quads: vertices row by row (4 per row), quad (i, j)
// is face j * 3 + i with points (i,j) (i+1,j) (i+1,j+1) (i,j+1).
class GridNeighbor : public Neighbor {
protected:
    void SetUp() override {
        Neighbor::SetUp();
        testsupport::AddQuadGrid(Obj(), 3, 3);
    }
};

TEST_F(GridNeighbor, NothingSelectedChangesNothing) {
    for (int command = 16; command <= 25; ++command) {
        Run(command);
        EXPECT_TRUE(Obj().SelectedVertices().empty()) << command;
        EXPECT_TRUE(Obj().SelectedLines().empty()) << command;
        EXPECT_TRUE(Obj().SelectedFaces().empty()) << command;
    }
}

TEST_F(GridNeighbor, VertexToFaceAnyAndAllOnOnePointAndOnAllFour) {
    // Vertex 5 is the corner (1,1): shared by quads 0, 1, 3, 4.
    Obj().SelectVertex(5, true);
    Run(17);
    EXPECT_TRUE(Obj().SelectedFaces().empty());
    Run(16);
    EXPECT_EQ(Obj().SelectedFaces(), (Ints{0, 1, 3, 4}));
    // All four points of quad 4 (5, 6, 10, 9): 17 adds it alone.
    Obj().ClearSelection(MQ_SELECT_FACE);
    for (int32_t v : {6, 10, 9}) Obj().SelectVertex(v, true);
    Run(17);
    EXPECT_EQ(Obj().SelectedFaces(), (Ints{4}));
    // The vertex selection read is left as it was.
    EXPECT_EQ(Obj().SelectedVertices(), (Ints{5, 6, 9, 10}));
}

TEST_F(GridNeighbor, FaceToLineAddsOwnLinesAndTheSharedLineOfEachNeighbour) {
    Obj().SelectFace(4, true); // the middle quad
    Run(22);
    // Neighbours: below (1) shares its line 2, left (3) its line 1,
    // right (5) its line 3, above (7) its line 0.
    EXPECT_EQ(Obj().SelectedLines(), (Lines{{1, 2}, {3, 1}, {4, 0}, {4, 1}, {4, 2}, {4, 3}, {5, 3}, {7, 0}}));
    EXPECT_EQ(Obj().SelectedFaces(), (Ints{4}));
}

TEST_F(GridNeighbor, FaceToLineOnTwoAdjacentSelectedFaces) {
    Obj().SelectFace(0, true);
    Obj().SelectFace(1, true);
    Run(22);
    EXPECT_EQ(Obj().SelectedLines(), (Lines{{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 0}, {1, 1}, {1, 2}, {1, 3},
                                            {2, 3}, {3, 0}, {4, 0}}));
}

TEST_F(Neighbor, FaceToLineReportsOnlyLineZeroOfATwoPointFaceOnTheEdge) {
    // Quad 0, and two-point faces on its edge (0,1) in both directions, and a
    // deleted face on the same edge.
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}, {1, 0}, {0, 1}, {0, 1, 2}});
    Obj().DeleteFace(3);
    Obj().SelectFace(0, true);
    Run(22);
    EXPECT_EQ(Obj().SelectedLines(), (Lines{{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 0}, {2, 0}}));
}

TEST_F(Neighbor, FaceToLineOnASelectedTwoPointFaceAddsBothItsLines) {
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {{0, 1}, {0, 1, 2}});
    Obj().SelectFace(0, true);
    Run(22);
    EXPECT_EQ(Obj().SelectedLines(), (Lines{{0, 0}, {0, 1}, {1, 0}}));
}

TEST_F(Neighbor, LineToVertexWithTheClosingLine) {
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {5, 5, 5}}, {{0, 1, 2, 3}, {4, 1, 2}});
    Obj().SelectLine(0, 3, true); // from point 3 back to point 0
    Run(18);
    EXPECT_EQ(Obj().SelectedVertices(), (Ints{0, 3}));
    EXPECT_EQ(Obj().SelectedLines(), (Lines{{0, 3}}));
}

TEST_F(Neighbor, FaceToVertexAddsEveryPointOfSelectedFacesOnly) {
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0, 0}}, {{0, 1, 2}, {1, 4, 2}, {3, 3}});
    Obj().SelectFace(0, true);
    Obj().SelectFace(2, true); // a two-point face with a repeated point
    Run(19);
    EXPECT_EQ(Obj().SelectedVertices(), (Ints{0, 1, 2, 3}));
    EXPECT_EQ(Obj().SelectedFaces(), (Ints{0, 2}));
}

TEST_F(Neighbor, VertexToLineAnyOnATwoPointFaceAddsBothDirections) {
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {9, 9, 9}}, {{0, 1}, {2, 1, 2}});
    Obj().SelectVertex(0, true);
    Run(20);
    EXPECT_EQ(Obj().SelectedLines(), (Lines{{0, 0}, {0, 1}}));
}

TEST_F(Neighbor, VertexToLineAllNeedsBothEnds) {
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
    Obj().SelectVertex(0, true);
    Obj().SelectVertex(2, true);
    Run(21);
    EXPECT_EQ(Obj().SelectedLines(), (Lines{{0, 2}}));
    Run(20);
    EXPECT_EQ(Obj().SelectedLines(), (Lines{{0, 0}, {0, 1}, {0, 2}}));
}

TEST_F(Neighbor, OnePointFaceHasOneLineFromThePointToItself) {
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}}, {{0}, {0, 1, 1}});
    Obj().SelectVertex(0, true);
    Run(21);
    EXPECT_EQ(Obj().SelectedLines(), (Lines{{0, 0}}));
    Run(17);
    EXPECT_EQ(Obj().SelectedFaces(), (Ints{0}));
}

TEST_F(GridNeighbor, TwoLinesToFaceCountsEdgesSelectedInNeighbours) {
    // Quad 4's bottom edge is selected only in quad 1 (its line 2), its left
    // edge only in quad 3 (its line 1).
    Obj().SelectLine(1, 2, true);
    Run(23);
    EXPECT_TRUE(Obj().SelectedFaces().empty()); // one edge each for quads 1 and 4
    Obj().SelectLine(3, 1, true);
    Run(23);
    EXPECT_EQ(Obj().SelectedFaces(), (Ints{4}));
    EXPECT_EQ(Obj().SelectedLines(), (Lines{{1, 2}, {3, 1}}));
}

TEST_F(Neighbor, TwoLinesToFaceCountsLinesNotEdges) {
    // A two-point face lies on the quad's edge (0,1) twice; that edge,
    // selected once in the quad, gives the two-point face a count of 2.
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}, {1, 0}});
    Obj().SelectLine(0, 0, true);
    Run(23);
    EXPECT_EQ(Obj().SelectedFaces(), (Ints{1}));
}

TEST_F(Neighbor, DeletedFacesAreNeitherReadNorSelected) {
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {{0, 1, 2}, {1, 3, 2}});
    for (int32_t v = 0; v < 4; ++v) Obj().SelectVertex(v, true);
    Obj().SelectLine(0, 0, true);
    Obj().SelectLine(0, 1, true);
    Obj().DeleteFace(0);
    for (int command : {16, 17, 20, 21, 23}) Run(command);
    EXPECT_EQ(Obj().SelectedFaces(), (Ints{1}));
    EXPECT_EQ(Obj().SelectedLines(), (Lines{{1, 0}, {1, 1}, {1, 2}}));
}

TEST_F(Neighbor, OnlyTheGivenObjectChangesAndOtherObjectsEdgesDoNotCount) {
    testsupport::AddQuadGrid(Obj(), 2, 1);
    AddObject("other");
    testsupport::AddQuadGrid(Obj(1), 2, 1);
    // The same edges selected in the other object: they do not make quad 1
    // of this object reach two edges.
    Obj(1).SelectLine(1, 1, true);
    Obj(1).SelectLine(1, 2, true);
    Obj(1).SelectVertex(0, true);
    Obj(1).SelectFace(0, true);
    Obj().SelectLine(1, 1, true);
    Run(23);
    EXPECT_TRUE(Obj().SelectedFaces().empty());
    for (int command = 16; command <= 23; ++command) Run(command);
    EXPECT_FALSE(Obj().SelectedFaces().empty());
    EXPECT_EQ(Obj(1).SelectedVertices(), (Ints{0}));
    EXPECT_EQ(Obj(1).SelectedFaces(), (Ints{0}));
    EXPECT_EQ(Obj(1).SelectedLines(), (Lines{{1, 1}, {1, 2}}));
}

TEST_F(Neighbor, NullObjectIsLeftAlone) {
    testsupport::AddQuadGrid(Obj(), 1, 1);
    Obj().SelectFace(0, true);
    cmq::CMQObject none{nullptr, doc.Handle()};
    for (int command = 16; command <= 25; ++command)
        EXPECT_EQ(vexolin::RunCommandOn(none, testsupport::OptionsFor(command)), 0);
    EXPECT_EQ(Obj().SelectedFaces(), (Ints{0}));
    EXPECT_TRUE(Obj().SelectedVertices().empty());
}

} // namespace

namespace {

TEST(VertexPairSetTest, FindsPairsInEitherOrderIncludingFans) {
    // A fan: vertex 0 shares an edge with every odd vertex (a bucket large
    // enough to be searched by halving); the pairs filed in another order
    // than they were counted.
    std::vector<std::pair<int32_t, int32_t>> pairs;
    for (int32_t v = 99; v > 0; v -= 2) pairs.emplace_back(v, 0);
    pairs.emplace_back(7, 7);
    pairs.emplace_back(100, 5); // the last slot
    pairs.emplace_back(3, 100);
    selection::VertexPairSet set(101);
    for (const auto &[a, b] : pairs) set.Count(a, b);
    set.StartFiling();
    for (auto p = pairs.rbegin(); p != pairs.rend(); ++p) set.File(p->second, p->first);
    set.Finish();
    for (int32_t v = 1; v < 100; ++v) {
        EXPECT_EQ(set.Contains(0, v), v % 2 == 1) << v;
        EXPECT_EQ(set.Contains(v, 0), v % 2 == 1) << v;
    }
    EXPECT_TRUE(set.Contains(7, 7));
    EXPECT_FALSE(set.Contains(6, 6));
    EXPECT_TRUE(set.Contains(5, 100));
    EXPECT_TRUE(set.Contains(100, 3));
    EXPECT_FALSE(set.Contains(100, 100));
    EXPECT_FALSE(set.Contains(99, 100));
}

} // namespace
