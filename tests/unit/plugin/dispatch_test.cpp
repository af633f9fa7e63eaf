// Execute and DispatchCommand: which objects a command reaches, with the
// dialog replaced by a chooser that picks the command.
#include <gtest/gtest.h>

#include <bit>

#include "plugin/vexolin.h"
#include "tests/support/meshes.h"
#include "tests/unit/unit_fixture.h"

namespace {

using testsupport::AddMesh;

// The command the chooser picks, and whether "All objects" is on.
struct Choice {
    static inline int command = 0;
    static inline bool allObjects = false;
    static inline bool accept = true;
    static inline int runs = 0;
    static bool Choose(vexolin::Options &v) {
        ++runs;
        if (!accept) return false;
        v.commandNumber = command;
        v.allObjects = allObjects;
        return true;
    }
};

class Dispatch : public testsupport::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        Choice::command = 0;
        Choice::allObjects = false;
        Choice::accept = true;
        Choice::runs = 0;
    }

    // An object of one triangle and one quad.
    int32_t AddTriangleAndQuad(const char *name) {
        const int32_t i = doc.AddObject(name);
        AddMesh(*doc.ObjectAt(i), {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2}, {0, 1, 2, 3}});
        return i;
    }

    int Run(int command, bool all = false, int index = 0) {
        Choice::command = command;
        Choice::allObjects = all;
        return plugin.Execute(index, doc.Handle());
    }

    Vexolin plugin{&Choice::Choose};
};

TEST_F(Dispatch, IndexOtherThanZeroDoesNothing) {
    AddTriangleAndQuad("a");
    EXPECT_EQ(Run(12, false, 1), 0);
    EXPECT_EQ(Choice::runs, 0);
    EXPECT_TRUE(Obj(0).SelectedFaces().empty());
}

TEST_F(Dispatch, CancelledDialogChangesNothing) {
    AddTriangleAndQuad("a");
    plugin.options.commandNumber = 12;
    Choice::accept = false;
    EXPECT_EQ(plugin.Execute(0, doc.Handle()), 0);
    EXPECT_EQ(plugin.options.commandNumber, 12);
    EXPECT_TRUE(Obj(0).SelectedFaces().empty());
}

TEST_F(Dispatch, SingleObjectPathWorksOnTheCurrentObjectOnly) {
    AddTriangleAndQuad("a");
    AddTriangleAndQuad("b");
    doc.currentObject = 1;
    EXPECT_EQ(Run(12), 1);
    EXPECT_TRUE(Obj(0).SelectedFaces().empty());
    EXPECT_EQ(Obj(1).SelectedFaces(), (std::vector<int32_t>{0}));
}

TEST_F(Dispatch, LockedCurrentObjectIsStillWorkedOnAlone) {
    AddTriangleAndQuad("a");
    Obj(0).locked = true;
    EXPECT_EQ(Run(11), 1);
    EXPECT_EQ(Obj(0).SelectedFaces(), (std::vector<int32_t>{1}));
}

TEST_F(Dispatch, AllObjectsPathSkipsEmptySlotsAndLockedObjects) {
    AddTriangleAndQuad("a");       // 0
    doc.AddEmptySlot();            // 1
    AddTriangleAndQuad("locked");  // 2
    AddTriangleAndQuad("c");       // 3
    Obj(2).locked = true;
    EXPECT_EQ(Run(11, true), 1);
    EXPECT_EQ(Obj(0).SelectedFaces(), (std::vector<int32_t>{1}));
    EXPECT_TRUE(Obj(2).SelectedFaces().empty());
    EXPECT_EQ(Obj(3).SelectedFaces(), (std::vector<int32_t>{1}));
    // After the run the object under work is the last one visited.
    EXPECT_EQ(plugin.objectUnderWork.object, standin::Document::HandleOf(doc.ObjectAt(3)));
}

TEST_F(Dispatch, AllObjectsClearRunsOnceWhenAnObjectQualifies) {
    AddTriangleAndQuad("a");
    AddTriangleAndQuad("b");
    Obj(0).SelectFace(0, true);
    Obj(1).SelectFace(1, true);
    Obj(1).SelectVertex(2, true);
    EXPECT_EQ(Run(27, true), 1);
    EXPECT_TRUE(Obj(0).SelectedFaces().empty());
    EXPECT_TRUE(Obj(1).SelectedFaces().empty());
    EXPECT_EQ(Obj(1).SelectedVertices(), (std::vector<int32_t>{2}));
}

TEST_F(Dispatch, AllObjectsClearDoesNothingWhenEveryObjectIsLocked) {
    AddTriangleAndQuad("a");
    Obj(0).locked = true;
    Obj(0).SelectFace(0, true);
    EXPECT_EQ(Run(27, true), 1);
    EXPECT_EQ(Obj(0).SelectedFaces(), (std::vector<int32_t>{0}));
}

TEST_F(Dispatch, EmptyDocumentStillReportsACommand) {
    EXPECT_EQ(Run(12, true), 1);
    // No current object: the single-object path has nothing to work on.
    EXPECT_EQ(Run(12), 1);
    EXPECT_EQ(Run(29), 1);
}

TEST_F(Dispatch, IndexCommandsWithAllObjectsRunOnceOnTheCurrentObject) {
    AddTriangleAndQuad("a");
    AddTriangleAndQuad("b");
    doc.currentObject = 1;
    plugin.options.selectIndex = 2;
    EXPECT_EQ(Run(29, true), 1);
    EXPECT_TRUE(Obj(0).SelectedVertices().empty());
    EXPECT_EQ(Obj(1).SelectedVertices(), (std::vector<int32_t>{2}));
}

TEST_F(Dispatch, UnknownCommandNumberSelectsNothingButCounts) {
    AddTriangleAndQuad("a");
    EXPECT_EQ(Run(0), 1);
    EXPECT_EQ(Run(31, true), 1);
    EXPECT_TRUE(Obj(0).SelectedFaces().empty());
    EXPECT_TRUE(Obj(0).SelectedVertices().empty());
}

TEST(PluginObject, DefaultsOfTheOptionsRecord) {
    const Vexolin plugin;
    const vexolin::Options &v = plugin.options;
    EXPECT_FALSE(v.face);
    EXPECT_FALSE(v.allObjects);
    EXPECT_FALSE(v.local);
    EXPECT_FALSE(v.suppl);
    EXPECT_EQ(std::bit_cast<uint32_t>(v.range), 0x3A83126Fu);
    EXPECT_EQ(v.angle1, 0.0f);
    EXPECT_EQ(std::bit_cast<uint32_t>(v.angle2), 0x42B40000u);
    EXPECT_EQ(v.selectIndex, 0);
    EXPECT_EQ(v.PosX, -1);
    EXPECT_EQ(v.PosY, -1);
    EXPECT_EQ(v.commandNumber, 0);
    EXPECT_EQ(plugin.document, nullptr);
    EXPECT_EQ(plugin.objectUnderWork.object, nullptr);
}

} // namespace
