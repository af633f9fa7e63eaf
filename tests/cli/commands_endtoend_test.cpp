// Commands of each family carried out by the real plug-in through its
// dialog, run as the user runs the tool: button or Alt key in, the JSON
// selection out, and the options the dialog saved carried to the next run.
#include "tests/cli/tool_fixture.h"

#include <algorithm>

namespace {

using clitest::ToolTest;
using nlohmann::json;

// Lines as [face, line] pairs in a fixed order.
json Sorted(json lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

class Commands : public ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        // Faces of 4, 3, 5 and 2 points (the polyline is a two-point face).
        Write("polys.obj", "o polys\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 2 0 0\nv 3 0 0\nv 2.5 1 0\n"
                           "v 4 0 0\nv 5 0 0\nv 5 1 0\nv 4.5 1.5 0\nv 4 1 0\n"
                           "f 1 2 3 4\nf 5 6 7\nf 8 9 10 11 12\nl 1 5\n");
        // Two quads sharing the line from vertex 1 to vertex 4.
        Write("strip.obj", "o strip\nv 0 0 0\nv 1 0 0\nv 2 0 0\nv 0 1 0\nv 1 1 0\nv 2 1 0\nf 1 2 5 4\nf 2 3 6 5\n");
        // Two quads in one object that touch without sharing vertices: vertex
        // 1 has an exact twin (4); vertex 2 has a twin 0.01 away (7).
        Write("twins.obj", "o twins\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 1 0 0\nv 2 0 0\nv 2 1 0\nv 1.01 1 0\n"
                           "f 1 2 3 4\nf 5 6 7 8\n");
    }
};

TEST_F(Commands, PolygonButtonsSelectFacesByPointCount) {
    EXPECT_EQ(Selection(RunJson("polys.obj", "--press '5(&5)'"))["faces"], json::parse("[2]"));
    EXPECT_EQ(Selection(RunJson("polys.obj", "--press '4(&4)'"))["faces"], json::parse("[0]"));
    EXPECT_EQ(Selection(RunJson("polys.obj", "--press '3(&3)'"))["faces"], json::parse("[1]"));
    EXPECT_EQ(Selection(RunJson("polys.obj", "--alt 2"))["faces"], json::parse("[3]"));
    EXPECT_NE(last_.out.find("2(&2) (\"select polygon\", command 13)"), std::string::npos) << last_.out;
}

TEST_F(Commands, EdgeSelectsTheBorderButNotTheSharedLine) {
    const json expected = json::parse("[[0,0],[0,2],[0,3],[1,0],[1,1],[1,2]]");
    EXPECT_EQ(Sorted(Selection(RunJson("strip.obj", "--press 'Edge(&E)'"))["lines"]), expected);
    EXPECT_EQ(Sorted(Selection(RunJson("strip.obj", "--alt e"))["lines"]), expected);
    // With a face selected only its lines are candidates, and the face
    // selection is replaced by the lines.
    const json sel = Selection(RunJson("strip.obj", "--press 'Edge(&E)' --select-faces 1"));
    EXPECT_EQ(Sorted(sel["lines"]), json::parse("[[1,0],[1,1],[1,2]]"));
    EXPECT_EQ(sel["faces"], json::array());
}

TEST_F(Commands, DuplicateSearchesTellExactFromNearTwins) {
    // Exact equality: vertex 1 only; the face selection is used up.
    json sel = Selection(RunJson("twins.obj", "--press 'Face => Dup Vertex(&Q)' --select-faces 0"));
    EXPECT_EQ(sel["vertices"], json::parse("[1]"));
    EXPECT_EQ(sel["faces"], json::array());
    // Squared distance below 0.001: both ends of the selected line 1 -> 2.
    sel = Selection(RunJson("twins.obj", "--alt 1 --select-lines 0:1"));
    EXPECT_EQ(sel["vertices"], json::parse("[1,2]"));
    EXPECT_EQ(sel["lines"], json::array());
}

TEST_F(Commands, SameLabelInTwoGroupsReachesTwoCommands) {
    // "Vertex" of "Clear" clears vertices and leaves the face.
    json sel = Selection(RunJson("strip.obj", "--press Vertex --group Clear --select-vertices 0,1 --select-faces 0"));
    EXPECT_EQ(sel["vertices"], json::array());
    EXPECT_EQ(sel["faces"], json::parse("[0]"));
    // "Vertex" of "select by index" adds the vertex in the index box.
    sel = Selection(RunJson("strip.obj", "--press Vertex --group 'select by index' --index 4 --select-vertices 0"));
    EXPECT_EQ(sel["vertices"], json::parse("[0,4]"));
    sel = Selection(RunJson("strip.obj", "--press Face --group 'select by index' --index 1"));
    EXPECT_EQ(sel["faces"], json::parse("[1]"));
    sel = Selection(RunJson("strip.obj", "--press Face --group Clear --select-faces 0,1 --select-vertices 2"));
    EXPECT_EQ(sel["faces"], json::array());
    EXPECT_EQ(sel["vertices"], json::parse("[2]"));
    // An index past the object's faces selects nothing and says why.
    sel = Selection(RunJson("strip.obj", "--press Face --group 'select by index' --index 7"));
    EXPECT_EQ(sel["faces"], json::array());
    EXPECT_NE(last_.out.find("object \"strip\" has 2 faces, so there is no face 7"), std::string::npos) << last_.out;
}

TEST_F(Commands, AllObjectsReachesEveryObjectOnlyWhenSwitchedOn) {
    const std::string roof = std::string(VEXOLIN_SAMPLES_DIR) + "/roof.obj";
    json out = RunJson(roof, "--press Y=0");
    EXPECT_EQ(Selection(out, 0)["vertices"], json::parse("[0,1,4,5]"));
    EXPECT_EQ(Selection(out, 1)["vertices"], json::array());
    out = RunJson(roof, "--alt A --press Y=0");
    EXPECT_EQ(Selection(out, 0)["vertices"], json::parse("[0,1,4,5]"));
    EXPECT_EQ(Selection(out, 1)["vertices"], json::parse("[0,1,2,3]"));
    out = RunJson(roof, "--all-objects on --lock apron --press Y=0");
    EXPECT_EQ(Selection(out, 1)["vertices"], json::array());
}

// The options the dialog ends with are saved and open the next run, in a
// new process: angles, Supplement (which mirrors the window without
// changing what it selects), Range and the Alt-toggled "(&F)ace".
TEST_F(Commands, OptionsCarryOverToTheNextRun) {
    const std::string roof = std::string(VEXOLIN_SAMPLES_DIR) + "/roof.obj";
    json out = RunJson(roof, "--press 'Ridge(&R)' --supplement off --angle1 0 --angle2 90");
    EXPECT_EQ(Sorted(Selection(out)["lines"]), json::parse("[[0,2],[1,0]]"));
    EXPECT_EQ(out["options"]["supplement"], false);

    // A window of concave bends: the convex ridge is outside it.
    out = RunJson(roof, "--press 'Ridge(&R)' --angle1 -90 --angle2 0 --range 0.25");
    EXPECT_EQ(Selection(out)["lines"], json::array());

    // Switching Supplement on mirrors the stored window to 180..270; the
    // same lines (none) are selected.
    out = RunJson(roof, "--press 'Ridge(&R)' --supplement on");
    EXPECT_EQ(Selection(out)["lines"], json::array());
    EXPECT_EQ(out["options"]["angle1"], 180.0);
    EXPECT_EQ(out["options"]["angle2"], 270.0);
    EXPECT_EQ(out["options"]["range"], static_cast<double>(0.25f));

    out = RunJson(roof, "--alt F --alt E");
    EXPECT_EQ(out["options"]["face"], true);
    out = RunJson(roof, "--alt F --alt E");
    EXPECT_EQ(out["options"]["face"], false);

    // A refused angle for the stored Supplement state names the limits.
    const auto ran = Tool(QuotedPath("strip.obj") + " --press 'Ridge(&R)' --angle1 -10");
    EXPECT_EQ(ran.status, 2) << ran.out;
    EXPECT_NE(ran.out.find("invalid angle1"), std::string::npos) << ran.out;
}

} // namespace
