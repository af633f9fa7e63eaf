// Commands 10-13 (faces by point count), 26-28 (clear) and 29-30 (by index).
#include <gtest/gtest.h>

#include "tests/support/meshes.h"
#include "tests/unit/unit_fixture.h"

namespace {

using testsupport::AddMesh;

class PolygonByCount : public testsupport::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        object = AddObject();
        // faces by point count: 0:3 1:4 2:5 3:6 4:8 5:2 6:1 7:(deleted 4) 8:4
        std::vector<MQPoint> ring;
        for (int i = 0; i < 8; ++i) Obj().AddVertex({static_cast<float>(i), 0, 0});
        for (std::vector<int32_t> f : std::vector<std::vector<int32_t>>{
                 {0, 1, 2}, {0, 1, 2, 3}, {0, 1, 2, 3, 4}, {0, 1, 2, 3, 4, 5},
                 {0, 1, 2, 3, 4, 5, 6, 7}, {0, 1}, {0}, {0, 1, 2, 3}, {4, 5, 6, 7}})
            Obj().AddFace(f);
        Obj().DeleteFace(7);
    }
    std::vector<int32_t> Select(int command) {
        Obj().ClearSelection(MQ_SELECT_ALL);
        EXPECT_EQ(vexolin::RunCommandOn(object, testsupport::OptionsFor(command)), 1);
        return Obj().SelectedFaces();
    }
    cmq::CMQObject object;
};

TEST_F(PolygonByCount, EachButtonSelectsItsPointCount) {
    EXPECT_EQ(Select(10), (std::vector<int32_t>{2, 3, 4})); // five or more
    EXPECT_EQ(Select(11), (std::vector<int32_t>{1, 8}));    // deleted quad 7 skipped
    EXPECT_EQ(Select(12), (std::vector<int32_t>{0}));
    EXPECT_EQ(Select(13), (std::vector<int32_t>{5}));       // one-point face never
}

TEST_F(PolygonByCount, AddsToTheSelectionAndTouchesNoOtherKind) {
    Obj().SelectFace(0, true);
    Obj().SelectVertex(3, true);
    Obj().SelectLine(1, 2, true);
    EXPECT_EQ(vexolin::RunCommandOn(object, testsupport::OptionsFor(13)), 1);
    EXPECT_EQ(Obj().SelectedFaces(), (std::vector<int32_t>{0, 5}));
    EXPECT_EQ(Obj().SelectedVertices(), (std::vector<int32_t>{3}));
    EXPECT_EQ(Obj().SelectedLines(), (std::vector<standin::LineRef>{{1, 2}}));
}

TEST_F(PolygonByCount, ObjectWithoutFacesSelectsNothing) {
    auto empty = AddObject("empty");
    EXPECT_EQ(vexolin::RunCommandOn(empty, testsupport::OptionsFor(10)), 1);
    EXPECT_TRUE(Obj(1).SelectedFaces().empty());
}

class ClearAndIndex : public testsupport::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        object = AddObject();
        AddMesh(Obj(), {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 5, 5}}, {{0, 1, 2}});
        Obj().SelectVertex(0, true);
        Obj().SelectLine(0, 1, true);
        Obj().SelectFace(0, true);
    }
    cmq::CMQObject object;
};

TEST_F(ClearAndIndex, EachClearButtonClearsItsOwnKind) {
    // Buttons in order Vertex, Face, Line clear kinds 1, 4, 2.
    vexolin::RunCommandOn(cmq::CMQObject{nullptr, doc.Handle()}, testsupport::OptionsFor(26));
    EXPECT_TRUE(Obj().SelectedVertices().empty());
    EXPECT_EQ(Obj().SelectedLines().size(), 1u);
    EXPECT_EQ(Obj().SelectedFaces().size(), 1u);
    vexolin::RunCommandOn(cmq::CMQObject{nullptr, doc.Handle()}, testsupport::OptionsFor(27));
    EXPECT_TRUE(Obj().SelectedFaces().empty());
    EXPECT_EQ(Obj().SelectedLines().size(), 1u);
    vexolin::RunCommandOn(cmq::CMQObject{nullptr, doc.Handle()}, testsupport::OptionsFor(28));
    EXPECT_TRUE(Obj().SelectedLines().empty());
}

TEST_F(ClearAndIndex, ClearActsOnEveryObjectOfTheDocument) {
    AddObject("other");
    AddMesh(Obj(1), {{0, 0, 0}}, {{0}});
    Obj(1).SelectVertex(0, true);
    EXPECT_EQ(vexolin::RunCommandOn(cmq::CMQObject{nullptr, doc.Handle()}, testsupport::OptionsFor(26)), 1);
    EXPECT_TRUE(Obj(1).SelectedVertices().empty());
    EXPECT_EQ(Obj().SelectedFaces().size(), 1u);
}

TEST_F(ClearAndIndex, IndexAddsOneElementEvenAnUnusedVertex) {
    EXPECT_EQ(vexolin::RunCommandOn(object, testsupport::OptionsFor(29, 3)), 1);
    EXPECT_EQ(Obj().SelectedVertices(), (std::vector<int32_t>{0, 3}));
    Obj().ClearSelection(MQ_SELECT_FACE);
    EXPECT_EQ(vexolin::RunCommandOn(object, testsupport::OptionsFor(30, 0)), 1);
    EXPECT_EQ(Obj().SelectedFaces(), (std::vector<int32_t>{0}));
}

TEST_F(ClearAndIndex, IndexOutsideTheSlotsSelectsNothing) {
    for (int32_t index : {-1, 4, 9999999}) {
        EXPECT_EQ(vexolin::RunCommandOn(object, testsupport::OptionsFor(29, index)), 1);
        EXPECT_EQ(vexolin::RunCommandOn(object, testsupport::OptionsFor(30, index)), 1);
    }
    EXPECT_EQ(vexolin::RunCommandOn(object, testsupport::OptionsFor(30, 1)), 1); // face slots: only 0
    EXPECT_EQ(Obj().SelectedVertices(), (std::vector<int32_t>{0}));
    EXPECT_EQ(Obj().SelectedFaces(), (std::vector<int32_t>{0}));
}

TEST_F(ClearAndIndex, IndexOfADeletedFaceSelectsNothing) {
    // Face 1 is deleted: its slot stays, but it is no face the host can
    // select, and the module must not name it (the fixture fails on any call
    // the host refuses). A live face after it is still reached by its index.
    const int32_t tri[3] = {1, 2, 3};
    Obj().AddFace(tri);
    Obj().AddFace(tri);
    Obj().DeleteFace(1);
    Obj().ClearSelection(MQ_SELECT_FACE);
    EXPECT_EQ(vexolin::RunCommandOn(object, testsupport::OptionsFor(30, 1)), 1);
    EXPECT_TRUE(Obj().SelectedFaces().empty());
    EXPECT_EQ(vexolin::RunCommandOn(object, testsupport::OptionsFor(30, 2)), 1);
    EXPECT_EQ(Obj().SelectedFaces(), (std::vector<int32_t>{2}));
}

} // namespace
