// Commands 1-9 (vertex by axis) and 14-15 (edge, ridge) through Execute and
// the dispatcher, with the dialog replaced by a chooser.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "plugin/vexolin.h"
#include "standin/core/call_log.h"
#include "tests/support/meshes.h"
#include "tests/unit/unit_fixture.h"

namespace {

using testsupport::AddCube;
using testsupport::AddMesh;
using Indices = std::vector<int32_t>;
using Lines = std::vector<standin::LineRef>;

// What the chooser sets on the plug-in, as the dialog would.
struct Options {
    int command = 0;
    bool allObjects = false;
    bool face = false;
    bool local = false;
    bool suppl = false;
    float range = 0.001f;
    float angle1 = 0.0f;
    float angle2 = 90.0f;
};

struct Chooser {
    static inline Options options;
    static bool Choose(vexolin::Options &v) {
        v.commandNumber = options.command;
        v.allObjects = options.allObjects;
        v.face = options.face;
        v.local = options.local;
        v.suppl = options.suppl;
        v.range = options.range;
        v.angle1 = options.angle1;
        v.angle2 = options.angle2;
        return true;
    }
};

// The selection calls as (function, object) with repeats folded together.
std::vector<std::pair<std::string, int32_t>> Runs(const std::vector<standin::HostCall> &calls) {
    std::vector<std::pair<std::string, int32_t>> runs;
    for (const standin::HostCall &c : calls)
        if (runs.empty() || runs.back() != std::make_pair(c.name, c.object)) runs.emplace_back(c.name, c.object);
    return runs;
}

class GeometryDispatch : public testsupport::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        Chooser::options = {};
    }

    int Run(const Options &options) {
        Chooser::options = options;
        return plugin.Execute(0, doc.Handle());
    }

    // Face 0 lies at y < 0, face 1 at y > 0; vertex 0 of face 1 sits on y = 0.
    int32_t AddTwoTriangles(const char *name) {
        const int32_t i = doc.AddObject(name);
        AddMesh(*doc.ObjectAt(i), {{0, -1, 0}, {1, -1, 0}, {0, -2, 0}, {0, 0, 0}, {1, 1, 0}, {0, 1, 0}},
                {{0, 1, 2}, {3, 4, 5}});
        return i;
    }

    int32_t AddCubeObject(const char *name, bool clockwise) {
        const int32_t i = doc.AddObject(name);
        AddCube(*doc.ObjectAt(i), clockwise);
        return i;
    }

    Vexolin plugin{&Chooser::Choose};
};

Lines AllLinesOfCube() {
    Lines all;
    for (int32_t f = 0; f < 6; ++f)
        for (int32_t l = 0; l < 4; ++l) all.push_back({f, l});
    return all;
}

// ---------------------------------------------------------------------------
// Commands 1-9
// ---------------------------------------------------------------------------

TEST_F(GeometryDispatch, AxisCommandWorksOnTheCurrentObjectOnly) {
    AddTwoTriangles("a");
    AddTwoTriangles("b");
    doc.currentObject = 1;
    EXPECT_EQ(Run({.command = 4}), 1);
    EXPECT_TRUE(Obj(0).SelectedVertices().empty());
    EXPECT_EQ(Obj(1).SelectedVertices(), (Indices{0, 1, 2}));
    EXPECT_TRUE(Obj(1).SelectedFaces().empty()); // face is off
}

TEST_F(GeometryDispatch, AxisCommandWithFaceSelectsFacesThenVertices) {
    AddTwoTriangles("a");
    standin::StartCallLog();
    EXPECT_EQ(Run({.command = 6, .face = true}), 1);
    const auto runs = Runs(standin::StopCallLog());
    const decltype(runs) expected = {{"MQDoc_AddSelectFace", 0}, {"MQDoc_AddSelectVertex", 0}};
    EXPECT_EQ(runs, expected);
    EXPECT_EQ(Obj(0).SelectedFaces(), (Indices{1}));
    EXPECT_EQ(Obj(0).SelectedVertices(), (Indices{4, 5})); // vertex 3 is on the plane
}

TEST_F(GeometryDispatch, OnPlaneCommandWithFaceSelectsNoFace) {
    AddTwoTriangles("a");
    EXPECT_EQ(Run({.command = 5, .face = true}), 1);
    EXPECT_TRUE(Obj(0).SelectedFaces().empty());
    EXPECT_EQ(Obj(0).SelectedVertices(), (Indices{3}));
}

TEST_F(GeometryDispatch, AllObjectsVisitsEligibleObjectsFaceStepFirstForEach) {
    AddTwoTriangles("a");      // 0
    doc.AddEmptySlot();        // 1
    AddTwoTriangles("locked"); // 2
    AddTwoTriangles("d");      // 3
    Obj(2).locked = true;
    standin::StartCallLog();
    EXPECT_EQ(Run({.command = 4, .allObjects = true, .face = true}), 1);
    const auto runs = Runs(standin::StopCallLog());
    const decltype(runs) expected = {{"MQDoc_AddSelectFace", 0},
                                     {"MQDoc_AddSelectVertex", 0},
                                     {"MQDoc_AddSelectFace", 3},
                                     {"MQDoc_AddSelectVertex", 3}};
    EXPECT_EQ(runs, expected);
    for (int32_t i : {0, 3}) {
        EXPECT_EQ(Obj(i).SelectedFaces(), (Indices{0})) << i;
        EXPECT_EQ(Obj(i).SelectedVertices(), (Indices{0, 1, 2})) << i;
    }
    EXPECT_TRUE(Obj(2).SelectedFaces().empty());
    EXPECT_TRUE(Obj(2).SelectedVertices().empty());
}

TEST_F(GeometryDispatch, AxisOptionsReachTheCommand) {
    AddTwoTriangles("a");
    Obj(0).matrix[13] = 1.5f; // move everything up by 1.5 along y
    // Local: y' of the vertices is 0.5, 0.5, -0.5, 1.5, 2.5, 2.5.
    EXPECT_EQ(Run({.command = 5, .local = true, .range = 0.6f}), 1);
    EXPECT_EQ(Obj(0).SelectedVertices(), (Indices{0, 1, 2}));
}

// ---------------------------------------------------------------------------
// Commands 14 and 15
// ---------------------------------------------------------------------------

TEST_F(GeometryDispatch, EdgeOnOneObjectReplacesTheDocumentSelection) {
    AddTwoTriangles("a");
    AddCubeObject("b", true);
    Obj(1).SelectFace(2, true);
    Obj(0).SelectVertex(5, true);
    EXPECT_EQ(Run({.command = 14}), 1);
    EXPECT_EQ(Obj(0).SelectedLines(), (Lines{{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {1, 2}}));
    EXPECT_TRUE(Obj(0).SelectedVertices().empty());
    EXPECT_TRUE(Obj(1).SelectedFaces().empty());
    EXPECT_TRUE(Obj(1).SelectedLines().empty());
}

TEST_F(GeometryDispatch, RidgeOnTheLockedCurrentObject) {
    AddCubeObject("a", true);
    Obj(0).locked = true;
    EXPECT_EQ(Run({.command = 15}), 1);
    EXPECT_EQ(Obj(0).SelectedLines(), AllLinesOfCube());
}

TEST_F(GeometryDispatch, RidgeAllObjectsAccumulatesWithoutClearing) {
    AddCubeObject("cw", true);    // 0
    doc.AddEmptySlot();           // 1
    AddCubeObject("locked", true); // 2
    AddCubeObject("ccw", false);  // 3
    AddCubeObject("cw2", true);   // 4
    Obj(2).locked = true;
    Obj(2).SelectFace(0, true);
    Obj(3).SelectVertex(6, true);
    standin::StartCallLog();
    EXPECT_EQ(Run({.command = 15, .allObjects = true}), 1);
    for (const standin::HostCall &call : standin::StopCallLog()) EXPECT_NE(call.name, "MQDoc_ClearSelect");
    EXPECT_EQ(Obj(0).SelectedLines(), AllLinesOfCube());
    EXPECT_TRUE(Obj(2).SelectedLines().empty());
    EXPECT_EQ(Obj(2).SelectedFaces(), (Indices{0}));
    EXPECT_TRUE(Obj(3).SelectedLines().empty()); // +90 folds: outside the window
    EXPECT_EQ(Obj(3).SelectedVertices(), (Indices{6}));
    EXPECT_EQ(Obj(4).SelectedLines(), AllLinesOfCube());
}

TEST_F(GeometryDispatch, RidgeWindowOptionsReachTheCommand) {
    AddCubeObject("ccw", false);
    EXPECT_EQ(Run({.command = 15, .suppl = true, .angle1 = 180.0f, .angle2 = 270.0f}), 1);
    EXPECT_EQ(Obj(0).SelectedLines(), AllLinesOfCube());
    EXPECT_EQ(Run({.command = 15, .suppl = false, .angle1 = 0.0f, .angle2 = 90.0f}), 1);
    // The first run's lines are the candidates; the clear removes them.
    EXPECT_TRUE(Obj(0).SelectedLines().empty());
}

TEST_F(GeometryDispatch, EdgeAllObjectsPassesOverAnObjectWithAOnePointFace) {
    AddTwoTriangles("a");
    const int32_t bad = AddTwoTriangles("one point");
    Obj(bad).AddFace(std::vector<int32_t>{2});
    Obj(bad).SelectVertex(1, true);
    AddTwoTriangles("c");
    EXPECT_EQ(Run({.command = 14, .allObjects = true}), 1);
    const Lines border = {{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {1, 2}};
    EXPECT_EQ(Obj(0).SelectedLines(), border);
    EXPECT_TRUE(Obj(bad).SelectedLines().empty());
    EXPECT_EQ(Obj(bad).SelectedVertices(), (Indices{1}));
    EXPECT_EQ(Obj(2).SelectedLines(), border);
}

} // namespace
