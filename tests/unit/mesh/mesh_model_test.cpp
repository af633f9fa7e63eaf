// The mesh model over a stand-in object: walks, lines, normals, side points,
// edge search and edge keys, with hand-computed values.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/element_walks.h"
#include "tests/support/meshes.h"
#include "tests/unit/unit_fixture.h"

namespace {

using cmq::CMQLine;
using cmq::CMQLineEnds;
using cmq::CMQVec3;
using testsupport::AddMesh;

class MeshModel : public testsupport::HostTest {};

std::vector<int32_t> FaceWalk(cmq::CMQObject &o) {
    std::vector<int32_t> seen;
    for (auto it = cmq::FirstFace(o); !cmq::AtEnd(it); cmq::Next(it)) seen.push_back((*it)->index);
    return seen;
}

std::vector<int32_t> VertexWalk(cmq::CMQObject &o) {
    std::vector<int32_t> seen;
    for (auto it = cmq::FirstVertex(o); !cmq::AtEnd(it); cmq::Next(it)) seen.push_back((*it)->index);
    return seen;
}

TEST_F(MeshModel, FaceWalkSkipsDeletedSlots) {
    auto o = AddObject();
    // faces: 0 deleted, 1 deleted, 2 live, 3 deleted, 4 live
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}, {0, 1, 2}, {0, 1, 2}, {0, 1, 2}, {2, 1, 0}});
    Obj().DeleteFace(0);
    Obj().DeleteFace(1);
    Obj().DeleteFace(3);
    EXPECT_EQ(FaceWalk(o), (std::vector<int32_t>{2, 4}));
}

TEST_F(MeshModel, WalksOverNothingEndAtOnce) {
    auto empty = AddObject("empty");
    EXPECT_TRUE(FaceWalk(empty).empty());
    EXPECT_TRUE(VertexWalk(empty).empty());

    auto allDeleted = AddObject("deleted");
    AddMesh(Obj(1), {{0, 0, 0}, {1, 0, 0}}, {{0, 1}});
    Obj(1).DeleteFace(0);
    EXPECT_TRUE(FaceWalk(allDeleted).empty());
    EXPECT_TRUE(VertexWalk(allDeleted).empty()); // no face uses them any more
}

TEST_F(MeshModel, VertexWalkVisitsUsedVerticesOnly) {
    auto o = AddObject();
    // vertex 0 and 3 unused
    AddMesh(Obj(), {{9, 9, 9}, {0, 0, 0}, {1, 0, 0}, {5, 5, 5}, {0, 1, 0}}, {{1, 2, 4}});
    EXPECT_EQ(VertexWalk(o), (std::vector<int32_t>{1, 2, 4}));
    auto it = cmq::FirstVertex(o);
    const auto v = *it;
    EXPECT_EQ(v->position, (CMQVec3{0, 0, 0}));
    // A record is a snapshot: moving the vertex does not change it.
    Obj().SetPosition(1, {7, 7, 7});
    EXPECT_EQ(v->position, (CMQVec3{0, 0, 0}));
}

TEST_F(MeshModel, WalkRecordsReuseTheMemoryOfReleasedOnes) {
    auto o = AddObject();
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {{0, 1, 2}, {1, 3, 2}, {0, 1, 3}, {3, 2}});
    // Each record released before the next: every step gets the same block.
    std::vector<const void *> faceBlocks, vertexBlocks;
    for (auto it = cmq::FirstFace(o); !cmq::AtEnd(it); cmq::Next(it)) faceBlocks.push_back((*it).get());
    for (auto it = cmq::FirstVertex(o); !cmq::AtEnd(it); cmq::Next(it)) vertexBlocks.push_back((*it).get());
    ASSERT_EQ(faceBlocks.size(), 4u);
    ASSERT_EQ(vertexBlocks.size(), 4u);
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(faceBlocks[i], faceBlocks[0]) << i;
        EXPECT_EQ(vertexBlocks[i], vertexBlocks[0]) << i;
    }
    // A record still held keeps its own memory and contents.
    auto it = cmq::FirstVertex(o);
    const auto held = *it;
    cmq::Next(it);
    const auto next = *it;
    EXPECT_NE(held.get(), next.get());
    EXPECT_EQ(held->index, 0);
    EXPECT_EQ(held->position, (CMQVec3{0, 0, 0}));
    EXPECT_EQ(next->index, 1);
    EXPECT_EQ(next->position, (CMQVec3{1, 0, 0}));
}

TEST_F(MeshModel, LinesWrapAroundTheFace) {
    auto o = AddObject();
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}, {1, 3}, {2}});
    EXPECT_EQ(o.GetLine(0, 0), (CMQLineEnds{0, 1}));
    EXPECT_EQ(o.GetLine(0, 3), (CMQLineEnds{3, 0}));
    EXPECT_EQ(o.GetLine(0, -1), (CMQLineEnds{3, 0}));
    EXPECT_EQ(o.GetLine(0, 4), (CMQLineEnds{0, 1}));
    // A two-point face has two lines joining the same vertices both ways.
    EXPECT_EQ(o.GetLine(1, 0), (CMQLineEnds{1, 3}));
    EXPECT_EQ(o.GetLine(1, 1), (CMQLineEnds{3, 1}));
    // A one-point face has one line from its point to itself.
    EXPECT_EQ(o.GetLine(2, 0), (CMQLineEnds{2, 2}));
    // Asked on purpose: a face outside the slots has no points (the host
    // records the call, which this test means to make).
    EXPECT_TRUE(o.GetFacePoints(99).empty());
    EXPECT_NE(standin::FirstMisbehaviour(), "");
    standin::ResetMisbehaviour();
}

TEST_F(MeshModel, TriangleNormalAndSidePoint) {
    auto o = AddObject();
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
    EXPECT_EQ(o.GetLineNormal(0, 1), (CMQVec3{0, 0, -1}));
    EXPECT_EQ(o.GetLineSidePoint(0, 1), (CMQVec3{0, 0, 0}));
    // The side point of a triangle is the point not on the line.
    EXPECT_EQ(o.GetLineSidePoint(0, 0), (CMQVec3{0, 1, 0}));
}

TEST_F(MeshModel, QuadNormalAndSidePoint) {
    auto o = AddObject();
    AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}});
    EXPECT_EQ(o.GetLineNormal(0, 0), (CMQVec3{0, 0, -1}));
    EXPECT_EQ(o.GetLineSidePoint(0, 0), (CMQVec3{0, 1, 0}));
    // Line 2 runs (1,1) -> (0,1); the mean of the sides leaving it points
    // back down to y = 0 from point 2.
    EXPECT_EQ(o.GetLineSidePoint(0, 2), (CMQVec3{1, 0, 0}));
}

TEST_F(MeshModel, NormalOfASkewQuadUsesTheMeanOfBothSides) {
    auto o = AddObject();
    // A trapezoid: the side entering line 0 and the side leaving it differ.
    AddMesh(Obj(), {{0, 0, 0}, {4, 0, 0}, {3, 2, 0}, {1, 2, 0}}, {{0, 1, 2, 3}});
    // e1 = (4,0,0); e2 = p0 - p3 = (-1,-2,0); e3 = p2 - p1 = (-1,2,0);
    // u = (e2 - e3) * 0.5 = (0,-2,0); e1 x u = (0,0,-8).
    EXPECT_EQ(o.GetLineNormal(0, 0), (CMQVec3{0, 0, -8}));
    // d = -(p0 - p3) = (1,2,0); with e3: ((-1,2,0) + (1,2,0)) * 0.5 = (0,2,0).
    EXPECT_EQ(o.GetLineSidePoint(0, 0), (CMQVec3{0, 2, 0}));
}

TEST_F(MeshModel, FindEdgeLinesReportsBothDirectionsAndSkipsOneFace) {
    auto o = AddObject();
    testsupport::AddQuadGrid(Obj(), 2, 1); // vertices 0 1 2 / 3 4 5; faces {0,1,4,3} {1,2,5,4}
    Obj().AddFace(std::vector<int32_t>{4, 1}); // face 2: two-point face on the shared edge
    // Shared edge 1-4: face 0 line 1 (1->4), face 1 line 3 (4->1), face 2 line 0 only.
    EXPECT_EQ(o.FindEdgeLines(1, 4, -1), (std::vector<CMQLine>{{0, 1}, {1, 3}, {2, 0}}));
    EXPECT_EQ(o.FindEdgeLines(4, 1, 0), (std::vector<CMQLine>{{1, 3}, {2, 0}}));
    Obj().DeleteFace(1);
    EXPECT_EQ(o.FindEdgeLines(1, 4, -1), (std::vector<CMQLine>{{0, 1}, {2, 0}}));
    EXPECT_TRUE(o.FindEdgeLines(0, 5, -1).empty());
}

TEST(EdgeKey, IsSymmetricAndPacksLowThenHigh) {
    EXPECT_EQ(cmq::EdgeKey(5, 3), cmq::EdgeKey(3, 5));
    EXPECT_EQ(cmq::EdgeKey(3, 5), (int64_t{3} << 32) + 5);
    EXPECT_NE(cmq::EdgeKey(1, 2), cmq::EdgeKey(2, 3));
    EXPECT_EQ(cmq::EdgeKey(7, 7), (int64_t{7} << 32) + 7);
    // A negative index sign-extends: -1 is the low one.
    EXPECT_EQ(cmq::EdgeKey(4, -1), -(int64_t{1} << 32) + 4);
}

} // namespace
