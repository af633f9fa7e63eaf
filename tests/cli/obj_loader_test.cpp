#include "standin/cli/obj_loader.h"

#include <gtest/gtest.h>

#include <vector>

namespace cli = standin::cli;

namespace {

using cli::InputError;
using cli::LoadObjText;

std::vector<int32_t> PointsOf(const standin::Object &o, int32_t f) {
    const auto p = o.Points(f);
    return {p.begin(), p.end()};
}

TEST(ObjMapping, FacesKeepPointOrderAndSizeAndVerticesAreNotWelded) {
    standin::Document doc;
    const auto loaded = LoadObjText("v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 0\n"
                                    "f 4 3 2 1\nf 1 2 3 4 5\nf 2 5\nf 3\n",
                                    "quad.obj", doc);
    ASSERT_EQ(loaded.size(), 1u);
    const standin::Object &o = *doc.ObjectAt(0);
    EXPECT_EQ(o.Name(), "quad");
    EXPECT_EQ(o.VertexCount(), 5);  // vertex 5 repeats vertex 1 and stays separate
    ASSERT_EQ(o.FaceCount(), 4);
    EXPECT_EQ(PointsOf(o, 0), (std::vector<int32_t>{3, 2, 1, 0}));
    EXPECT_EQ(PointsOf(o, 1), (std::vector<int32_t>{0, 1, 2, 3, 4}));
    EXPECT_EQ(PointsOf(o, 2), (std::vector<int32_t>{1, 4}));
    EXPECT_EQ(PointsOf(o, 3), (std::vector<int32_t>{2}));
    EXPECT_FLOAT_EQ(o.Position(2).x, 1.0f);
    EXPECT_FLOAT_EQ(o.Position(2).y, 1.0f);
}

TEST(ObjMapping, LinesBecomeTwoPointFacesAndPointsOnePointFacesInFileOrder) {
    standin::Document doc;
    const auto loaded = LoadObjText("v 0 0 0\nv 1 0 0\nv 2 0 0\nv 3 0 0\n"
                                    "l 1 2 3 4\n"
                                    "f 1 2 3\n"
                                    "p 4 2\n"
                                    "l 4/1 1/1\n",
                                    "wire.obj", doc);
    const standin::Object &o = *doc.ObjectAt(0);
    ASSERT_EQ(o.FaceCount(), 7);
    EXPECT_EQ(PointsOf(o, 0), (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(PointsOf(o, 1), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(PointsOf(o, 2), (std::vector<int32_t>{2, 3}));
    EXPECT_EQ(PointsOf(o, 3), (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(PointsOf(o, 4), (std::vector<int32_t>{3}));
    EXPECT_EQ(PointsOf(o, 5), (std::vector<int32_t>{1}));
    EXPECT_EQ(PointsOf(o, 6), (std::vector<int32_t>{3, 0}));
    EXPECT_EQ(loaded[0].sourceLine, (std::vector<int32_t>{5, 5, 5, 6, 7, 7, 8}));
}

TEST(ObjMapping, NegativeIndicesCountBackFromTheLastVertexDeclared) {
    standin::Document doc;
    LoadObjText("v 0 0 0\nv 1 0 0\nv 1 1 0\nf -3 -2 -1\nv 5 5 5\nf -1 -2 1/1/1\n", "rel.obj", doc);
    const standin::Object &o = *doc.ObjectAt(0);
    EXPECT_EQ(PointsOf(o, 0), (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(PointsOf(o, 1), (std::vector<int32_t>{3, 2, 0}));
}

TEST(ObjMapping, ObjectsComeFromOAndGroupsInsideAnObjectDoNotSplitIt) {
    standin::Document doc;
    const auto loaded = LoadObjText("v 0 0 0\nv 1 0 0\nv 1 1 0\nv 9 9 9\n"
                                    "o first\ng a\nf 1 2 3\ng b\nf 3 2 1\n"
                                    "o second\nv 2 2 2\nv 3 3 3\nf 2 5 6\n",
                                    "two.obj", doc);
    ASSERT_EQ(loaded.size(), 2u);
    ASSERT_EQ(doc.ObjectCount(), 2);
    EXPECT_EQ(doc.ObjectAt(0)->Name(), "first");
    EXPECT_EQ(doc.ObjectAt(0)->FaceCount(), 2);
    EXPECT_EQ(doc.ObjectAt(1)->Name(), "second");
    // "first" holds the vertices it uses and the unused vertex 4 declared
    // before any object; "second" uses file vertex 2, shared, and its own.
    EXPECT_EQ(loaded[0].fileVertex, (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(loaded[1].fileVertex, (std::vector<int32_t>{1, 4, 5}));
    EXPECT_EQ(PointsOf(*doc.ObjectAt(1), 0), (std::vector<int32_t>{0, 1, 2}));
}

TEST(ObjMapping, GroupsMakeObjectsWhenThereIsNoOAndLeadingElementsGetTheFileName) {
    standin::Document doc;
    const auto loaded = LoadObjText("v 0 0 0\nv 1 0 0\nv 1 1 0\nf 1 2 3\ng left side\nf 1 2\ng right\np 3\n",
                                    "dir/parts.obj", doc);
    ASSERT_EQ(loaded.size(), 3u);
    EXPECT_EQ(doc.ObjectAt(0)->Name(), "parts");
    EXPECT_EQ(doc.ObjectAt(1)->Name(), "left side");
    EXPECT_EQ(doc.ObjectAt(2)->Name(), "right");
    EXPECT_EQ(doc.ObjectAt(2)->FaceCount(), 1);
    EXPECT_EQ(loaded[2].file, "dir/parts.obj");
}

TEST(ObjMapping, MalformedInputNamesFileAndLineAndLeavesTheDocumentAlone) {
    struct Case {
        const char *text;
        const char *message;
    };
    const Case cases[] = {
        {"v 0 0\n", "bad.obj:1: a vertex needs three coordinates"},
        {"v 0 0 0\nv 1 x 0\n", "bad.obj:2: 'x' is not a number"},
        {"v 0 0 0\nv 1 0 0\nf 1 2 4\n", "bad.obj:3: vertex index 4 is out of range (2 vertices in the file)"},
        {"v 0 0 0\nf -2 1\n", "bad.obj:2: vertex index -2 is out of range (1 vertices declared before this line)"},
        {"v 0 0 0\nf 0 1\n", "bad.obj:2: vertex index 0 (indices start at 1)"},
        {"v 0 0 0\nf 1 a\n", "bad.obj:2: 'a' is not a vertex index"},
        {"v 0 0 0\nf 1/x/1\n", "bad.obj:2: '1/x/1' is not a vertex/texture/normal index"},
        {"v 0 0 0\nl 1\n", "bad.obj:2: a line needs at least two points"},
        {"v 0 0 0\np\n", "bad.obj:2: 'p' without points"},
    };
    for (const Case &c : cases) {
        standin::Document doc;
        doc.AddObject("before");
        try {
            LoadObjText(c.text, "bad.obj", doc);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const InputError &e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
        EXPECT_EQ(doc.ObjectCount(), 1) << c.text;
    }
}

TEST(ObjMapping, MissingOrUnreadableFilesAreClearErrors) {
    standin::Document doc;
    EXPECT_THROW(
        {
            try {
                cli::LoadObjFile("/nonexistent/mesh.obj", doc);
            } catch (const InputError &e) {
                EXPECT_STREQ(e.what(), "/nonexistent/mesh.obj: no such file");
                throw;
            }
        },
        InputError);
    EXPECT_THROW(cli::LoadObjFile("/tmp", doc), InputError);
    EXPECT_EQ(doc.ObjectCount(), 0);
}

} // namespace
