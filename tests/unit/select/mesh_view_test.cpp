// The mesh view against the mesh model's element-by-element walks: random
// objects with deleted faces, unused vertices and faces of one to six points,
// each read through every kind of view read and compared with what the walks
// and per-element queries give.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "mesh/mesh_view.h"
#include "tests/support/element_walks.h"
#include "tests/unit/unit_fixture.h"

namespace {

class MeshViewTest : public testsupport::HostTest {};

struct WalkedFace {
    int32_t index;
    std::vector<int32_t> points;
    bool operator==(const WalkedFace &) const = default;
};

struct WalkedVertex {
    int32_t index;
    cmq::CMQVec3 position;
    bool operator==(const WalkedVertex &) const = default;
};

std::vector<WalkedFace> WalkFaces(cmq::CMQObject &object) {
    std::vector<WalkedFace> faces;
    for (auto it = cmq::FirstFace(object); !cmq::AtEnd(it); cmq::Next(it)) faces.push_back({it.index, (*it)->GetPoints()});
    return faces;
}

std::vector<WalkedVertex> WalkVertices(cmq::CMQObject &object) {
    std::vector<WalkedVertex> vertices;
    for (auto it = cmq::FirstVertex(object); !cmq::AtEnd(it); cmq::Next(it)) vertices.push_back({it.index, (*it)->position});
    return vertices;
}

TEST_F(MeshViewTest, EveryReadAgreesWithTheWalksOnRandomObjects) {
    std::mt19937 rng(1209);
    const auto below = [&](int n) { return static_cast<int32_t>(rng() % static_cast<uint32_t>(n)); };
    for (int round = 0; round < 300; ++round) {
        cmq::CMQObject object = AddObject();
        standin::Object &o = Obj(round);
        const int32_t vertices = below(40);
        for (int32_t v = 0; v < vertices; ++v)
            o.AddVertex({static_cast<float>(below(9)) - 4.0f, static_cast<float>(below(9)), 0.5f * static_cast<float>(v)});
        const int32_t faces = vertices == 0 ? 0 : below(30);
        for (int32_t f = 0; f < faces; ++f) {
            std::vector<int32_t> points(static_cast<size_t>(1 + below(6)));
            for (int32_t &p : points) p = below(vertices);
            o.AddFace(points);
        }
        for (int32_t f = 0; f < faces; ++f)
            if (below(5) == 0) o.DeleteFace(f);

        const std::vector<WalkedFace> walked = WalkFaces(object);

        // Every live face kept, with its points, lines and first point.
        cmq::MeshView kept(object);
        kept.ReadFaces();
        std::vector<WalkedFace> read;
        uint32_t first = 0;
        for (const cmq::MeshView::Face face : kept) {
            EXPECT_EQ(face.first, first);
            read.push_back({face.index, {face.points.begin(), face.points.end()}});
            for (std::size_t j = 0; j < face.points.size(); ++j)
                EXPECT_EQ(face.Line(j), object.GetLine(face.index, static_cast<int32_t>(j)));
            first += static_cast<uint32_t>(face.points.size());
        }
        ASSERT_EQ(read, walked) << "round " << round;
        EXPECT_EQ(kept.LineCount(), first);
        EXPECT_EQ(kept.VertexSlots(), vertices);

        // Positions of the vertices the faces use, each the host's.
        kept.ReadPositions();
        for (const int32_t p : kept.Points()) EXPECT_EQ(kept.Position(p), object.GetVertexPosition(p));

        // Visited faces: those a random choice keeps, in order, with or
        // without their points.
        std::vector<uint8_t> wanted(static_cast<size_t>(faces), 0);
        for (uint8_t &w : wanted) w = below(2) == 0 ? 1 : 0;
        std::vector<WalkedFace> chosen;
        for (const WalkedFace &face : walked)
            if (wanted[static_cast<size_t>(face.index)] != 0) chosen.push_back(face);
        for (const cmq::FacePoints how : {cmq::FacePoints::Read, cmq::FacePoints::Skip}) {
            std::vector<WalkedFace> visited;
            uint32_t before = 0;
            cmq::MeshView view(object);
            view.VisitFaces(
                [&](int32_t face, std::size_t n) {
                    EXPECT_EQ(n, static_cast<std::size_t>(o.PointCount(face)));
                    return wanted[static_cast<size_t>(face)] != 0;
                },
                [&](const cmq::MeshView::Face &face) {
                    EXPECT_EQ(face.first, before);
                    before += static_cast<uint32_t>(o.PointCount(face.index));
                    visited.push_back({face.index, {face.points.begin(), face.points.end()}});
                },
                how);
            if (how == cmq::FacePoints::Skip)
                for (WalkedFace &face : chosen) face.points.clear();
            EXPECT_EQ(visited, chosen) << "round " << round;
        }

        // Live vertices, visited, as the vertex walk finds them.
        const std::vector<WalkedVertex> live = WalkVertices(object);
        std::vector<WalkedVertex> visits;
        cmq::MeshView(object).VisitLiveVertices(
            [&](int32_t v, const cmq::CMQVec3 &position) { visits.push_back({v, position}); });
        EXPECT_EQ(visits, live) << "round " << round;
    }
}

} // namespace
