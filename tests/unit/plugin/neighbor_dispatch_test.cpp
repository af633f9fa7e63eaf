// Commands 16 to 25 through Execute and the dispatcher, with the dialog
// replaced by a chooser: routing, the current object only, "All objects".
#include <gtest/gtest.h>

#include <set>
#include <tuple>
#include <vector>

#include "plugin/vexolin.h"
#include "tests/support/meshes.h"
#include "tests/support/reference/neighbor_reference.h"
#include "tests/unit/unit_fixture.h"

namespace {

using testsupport::AddMesh;
using Ints = std::vector<int32_t>;

struct Choice {
    static inline int command = 0;
    static inline bool allObjects = false;
    static bool Choose(vexolin::Options &v) {
        v.commandNumber = command;
        v.allObjects = allObjects;
        return true;
    }
};

struct Snapshot {
    std::vector<int32_t> vertices;
    std::vector<standin::LineRef> lines;
    std::vector<int32_t> faces;
    friend bool operator==(const Snapshot &, const Snapshot &) = default;
    friend bool operator<(const Snapshot &a, const Snapshot &b) {
        return std::tie(a.vertices, a.lines, a.faces) < std::tie(b.vertices, b.lines, b.faces);
    }
};

Snapshot SnapshotOf(const standin::Object &o) { return {o.SelectedVertices(), o.SelectedLines(), o.SelectedFaces()}; }

// Two objects with the same mesh and selection: a strip of three quads, a
// two-point face, and twins (vertex 8 near 1, vertex 9 exactly at 2).
void AddScene(standin::Document &doc) {
    for (int i = 0; i < 2; ++i) {
        standin::Object &o = *doc.ObjectAt(doc.AddObject(i == 0 ? "a" : "b"));
        AddMesh(o,
                {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 1, 0}, {3, 1, 0},
                 {1.01f, 0, 0}, {2, 0, 0}},
                {{0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6}, {5, 6}, {8, 9, 7}});
        o.SelectVertex(1, true);
        o.SelectVertex(2, true);
        o.SelectVertex(5, true);
        o.SelectVertex(6, true);
        o.SelectFace(1, true);
        o.SelectLine(0, 0, true); // 0 -> 1
        o.SelectLine(0, 2, true); // 5 -> 4
        o.SelectLine(2, 3, true); // 6 -> 2
    }
}

class NeighborDispatch : public testsupport::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
    }
    int Run(standin::Document &d, int command, bool all) {
        Choice::command = command;
        Choice::allObjects = all;
        return plugin.Execute(0, d.Handle());
    }
    Vexolin plugin{&Choice::Choose};
};

TEST_F(NeighborDispatch, EachCommandRunsItsOwnOperationOnTheCurrentObjectOnly) {
    std::set<Snapshot> outcomes;
    for (bool all : {false, true}) {
        for (int command = 16; command <= 25; ++command) {
            standin::Document viaPlugin, expected;
            AddScene(viaPlugin);
            AddScene(expected);
            viaPlugin.currentObject = expected.currentObject = 1;
            const Snapshot untouched = SnapshotOf(*viaPlugin.ObjectAt(0));

            EXPECT_EQ(Run(viaPlugin, command, all), 1);
            cmq::CMQObject current{standin::Document::HandleOf(expected.ObjectAt(1)), expected.Handle()};
            reference::Run(current, command);

            EXPECT_EQ(SnapshotOf(*viaPlugin.ObjectAt(1)), SnapshotOf(*expected.ObjectAt(1)))
                << command << (all ? " all" : "");
            // Object 0 keeps its selection, except that 24 and 25 clear the
            // face or line selection of the whole document.
            Snapshot other = untouched;
            if (command == 24) other.faces.clear();
            if (command == 25) other.lines.clear();
            EXPECT_EQ(SnapshotOf(*viaPlugin.ObjectAt(0)), other) << command << (all ? " all" : "");
            outcomes.insert(SnapshotOf(*viaPlugin.ObjectAt(1)));
        }
    }
    // Every command leaves a different selection on this scene (19 adds
    // nothing new, the others all do), so a command routed to the wrong
    // operation cannot go unnoticed.
    EXPECT_EQ(outcomes.size(), 10u);
}

TEST_F(NeighborDispatch, NoCurrentObjectChangesNothingAnywhere) {
    AddScene(doc);
    doc.AddEmptySlot();
    doc.currentObject = 2;
    const Snapshot before = SnapshotOf(Obj(0));
    for (int command = 16; command <= 25; ++command) {
        EXPECT_EQ(Run(doc, command, false), 1);
        EXPECT_EQ(SnapshotOf(Obj(0)), before) << command;
    }
}

TEST_F(NeighborDispatch, LockedCurrentObjectIsConverted) {
    AddScene(doc);
    Obj(0).locked = true;
    EXPECT_EQ(Run(doc, 18, true), 1);
    EXPECT_EQ(Obj(0).SelectedVertices(), (Ints{0, 1, 2, 4, 5, 6}));
    EXPECT_EQ(Obj(1).SelectedVertices(), (Ints{1, 2, 5, 6}));
}

TEST_F(NeighborDispatch, TwinSearchesThroughTheDispatcher) {
    AddScene(doc);
    // Face 4 (8, 9, 7): 8 is 0.01 from 1, 9 exactly at 2.
    Obj(0).SelectFace(4, true);
    EXPECT_EQ(Run(doc, 24, false), 1);
    EXPECT_EQ(Obj(0).SelectedVertices(), (Ints{1, 2, 5, 6, 9}));
    EXPECT_TRUE(Obj(0).SelectedFaces().empty());
    EXPECT_TRUE(Obj(1).SelectedFaces().empty());

    Obj(0).SelectLine(4, 0, true); // 8 -> 9
    EXPECT_EQ(Run(doc, 25, false), 1);
    // Lines 0 -> 1, 5 -> 4, 6 -> 2 and 8 -> 9: 1, 2, 8 and 9 have twins.
    EXPECT_EQ(Obj(0).SelectedVertices(), (Ints{1, 2, 5, 6, 8, 9}));
    EXPECT_TRUE(Obj(0).SelectedLines().empty());
    EXPECT_TRUE(Obj(1).SelectedLines().empty());
}

} // namespace
