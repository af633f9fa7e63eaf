#include "standin/cli/scene.h"

#include <gtest/gtest.h>

namespace cli = standin::cli;

namespace {

using cli::InputError;

// Two objects: a quad fan "a" and a triangle "b".
void Build(standin::Document &doc) {
    cli::LoadObjText("v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 2 0 0\n"
                     "o a\nf 1 2 3 4\nf 2 5 3\no b\nf 1 2 5\n",
                     "m.obj", doc);
}

std::string Message(const std::function<void()> &f) {
    try {
        f();
    } catch (const InputError &e) {
        return e.what();
    }
    return "(no error)";
}

TEST(SelectionJson, RoundTripRestoresSelectionLocksMatrixAndCurrentObject) {
    standin::Document doc;
    Build(doc);
    doc.currentObject = 1;
    standin::Object &a = *doc.ObjectAt(0);
    a.SelectVertex(3, true);
    a.SelectVertex(0, true);
    a.SelectLine(1, 2, true);
    a.SelectLine(0, 0, true);
    a.SelectFace(1, true);
    a.matrix[12] = 5.5f;
    doc.ObjectAt(1)->locked = true;
    doc.ObjectAt(1)->SelectFace(0, true);

    const std::string text = cli::SelectionToJson(doc, {}).dump();
    standin::Document copy;
    Build(copy);
    cli::ApplyScene(cli::SceneFromJson(nlohmann::json::parse(text), "sel.json"), copy);

    EXPECT_EQ(copy.currentObject, 1);
    for (int32_t i = 0; i < 2; ++i) {
        const standin::Object &x = *doc.ObjectAt(i), &y = *copy.ObjectAt(i);
        EXPECT_EQ(x.SelectedVertices(), y.SelectedVertices()) << i;
        EXPECT_EQ(x.SelectedLines(), y.SelectedLines()) << i;
        EXPECT_EQ(x.SelectedFaces(), y.SelectedFaces()) << i;
        EXPECT_EQ(x.locked, y.locked) << i;
        EXPECT_EQ(x.matrix, y.matrix) << i;
    }
    EXPECT_EQ(cli::SelectionToJson(copy, {}).dump(), text);
}

TEST(SelectionJson, BadEntriesNameTheirPlaceAndApplyNothing) {
    standin::Document doc;
    Build(doc);
    auto apply = [&](const char *json) {
        return Message([&] { cli::ApplyScene(cli::SceneFromJson(nlohmann::json::parse(json), "s.json"), doc); });
    };
    EXPECT_EQ(apply(R"({"objects":[{"index":0,"selection":{"vertices":[1]}},{"index":0,"selection":{"vertices":[9]}}]})"),
              "object 0 'a': vertex 9 is out of range (the object has 5 vertices)");
    EXPECT_EQ(apply(R"({"objects":[{"name":"a","selection":{"faces":[2]}}]})"),
              "object 0 'a': face 2 is out of range (the object has 2 faces)");
    EXPECT_EQ(apply(R"({"objects":[{"index":0,"selection":{"lines":[[1,3]]}}]})"),
              "object 0 'a': line 1:3 is out of range (face 1 has 3 lines)");
    EXPECT_EQ(apply(R"({"objects":[{"name":"zz"}]})"), "no object named 'zz' (objects: 'a', 'b')");
    EXPECT_EQ(apply(R"({"objects":[{"index":0,"selection":{"vertices":["x"]}}]})"),
              "s.json: objects[0].selection.vertices[0]: expected an integer");
    EXPECT_EQ(apply(R"({"objects":[{"index":0,"locked":1}]})"), "s.json: objects[0].locked: expected true or false");
    EXPECT_EQ(apply(R"({"current_object":7})"), "object 7 does not exist (the document has 2 objects, numbered from 0)");
    // The valid first entry of the first case was not applied either.
    EXPECT_TRUE(doc.ObjectAt(0)->SelectedVertices().empty());
}

TEST(SelectionJson, UnreadableOrInvalidFilesAreErrors) {
    EXPECT_EQ(Message([] { cli::ReadSceneFile("/nonexistent.json"); }), "/nonexistent.json: cannot be read");
    const std::string path = ::testing::TempDir() + "/broken_scene.json";
    FILE *f = std::fopen(path.c_str(), "w");
    std::fputs("{\"objects\": [", f);
    std::fclose(f);
    EXPECT_NE(Message([&] { cli::ReadSceneFile(path); }).find(path + ": not valid JSON"), std::string::npos);
}

TEST(CommandLineLists, ParseIndicesRangesLinesAndMatrices) {
    EXPECT_EQ(cli::ParseIndexList("0, 3,7-9", "x"), (std::vector<int32_t>{0, 3, 7, 8, 9}));
    EXPECT_EQ(cli::ParseLineList("4:0,4:1", "x"), (std::vector<standin::LineRef>{{4, 0}, {4, 1}}));
    EXPECT_EQ(cli::SplitTarget("roof=1,2"), (std::pair<std::string, std::string>{"roof", "1,2"}));
    EXPECT_EQ(cli::SplitTarget("1,2").first, "");
    EXPECT_EQ(Message([] { cli::ParseIndexList("1,-2", "--select-vertices"); }),
              "--select-vertices: '-2' is not an index (0 or more)");
    EXPECT_EQ(Message([] { cli::ParseIndexList("5-2", "--select-faces"); }),
              "--select-faces: range '5-2' runs backwards");
    EXPECT_EQ(Message([] { cli::ParseLineList("4", "--select-lines"); }),
              "--select-lines: '4' is not a line; write face:line, e.g. 4:1");
    EXPECT_EQ(Message([] { cli::ParseMatrix("1,2,3", "--matrix"); }), "--matrix: a matrix needs 16 numbers, got 3");
    EXPECT_FLOAT_EQ(cli::ParseMatrix("1,0,0,0,0,1,0,0,0,0,1,0,2.5,0,0,1", "m")[12], 2.5f);
}

TEST(CommandLineLists, ObjectNamesMustBeUnique) {
    standin::Document doc;
    doc.AddObject("same");
    doc.AddObject("same");
    EXPECT_EQ(Message([&] { cli::ResolveObject("same", doc); }), "object name 'same' is ambiguous; use its index");
    EXPECT_EQ(cli::ResolveObject("1", doc), 1);
}

} // namespace
