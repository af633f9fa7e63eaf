// The stand-in host survives bad arguments: null and foreign handles,
// indices out of range, negative counts. Nothing crashes, nothing changes.
#include <gtest/gtest.h>

#include "abi/mq_host_declarations.h"
#include "standin/core/document.h"
#include "tests/support/meshes.h"

namespace {

TEST(StandinHost, NullAndForeignHandlesAreRefused) {
    standin::Document doc;
    doc.AddObject("a");
    int notADocument = 0;
    const auto foreignDoc = reinterpret_cast<MQDocument>(&notADocument);
    const auto foreignObj = reinterpret_cast<MQObject>(&notADocument);

    for (MQDocument d : {static_cast<MQDocument>(nullptr), foreignDoc}) {
        EXPECT_EQ(MQDoc_GetObjectCount(d), 0);
        EXPECT_EQ(MQDoc_GetObject(d, 0), nullptr);
        EXPECT_EQ(MQDoc_GetCurrentObjectIndex(d), -1);
        EXPECT_EQ(MQDoc_AddSelectVertex(d, 0, 0), 0);
        EXPECT_EQ(MQDoc_IsSelectFace(d, 0, 0), 0);
        MQDoc_ClearSelect(d, MQ_SELECT_ALL);
    }
    for (MQObject o : {static_cast<MQObject>(nullptr), foreignObj}) {
        EXPECT_EQ(MQObj_GetVertexCount(o), 0);
        EXPECT_EQ(MQObj_GetFaceCount(o), 0);
        EXPECT_EQ(MQObj_GetFacePointCount(o, 0), 0);
        EXPECT_EQ(MQObj_GetVertexRefCount(o, 0), 0);
        EXPECT_EQ(MQObj_GetIntValue(o, MQ_OBJ_INT_LOCKING), 0);
        float xyz[3] = {1, 2, 3};
        MQObj_GetVertex(o, 0, xyz);
        EXPECT_EQ(xyz[0], 1.0f);
        float m[16] = {};
        MQObj_GetFloatArray(o, MQ_OBJ_FLOAT_MATRIX, m);
        EXPECT_EQ(m[0], 0.0f);
        EXPECT_EQ(MQDoc_GetObjectIndex(doc.Handle(), o), -1);
    }
    EXPECT_EQ(notADocument, 0);
    EXPECT_EQ(notADocument, 0);
}

TEST(StandinHost, IndicesOutOfRangeChangeNothing) {
    standin::Document doc;
    doc.AddObject("a");
    testsupport::AddMesh(*doc.ObjectAt(0), {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
    MQDocument d = doc.Handle();
    MQObject o = MQDoc_GetObject(d, 0);
    ASSERT_NE(o, nullptr);
    for (int bad : {-1, 3, 1 << 30, -(1 << 30)}) {
        EXPECT_EQ(MQDoc_GetObject(d, bad), nullptr);
        EXPECT_EQ(MQDoc_AddSelectVertex(d, 0, bad), 0);
        EXPECT_EQ(MQDoc_AddSelectVertex(d, bad, 0), 0);
        EXPECT_EQ(MQDoc_AddSelectFace(d, 0, bad), 0);
        EXPECT_EQ(MQDoc_AddSelectLine(d, 0, 0, bad), 0);
        EXPECT_EQ(MQDoc_AddSelectLine(d, 0, bad, 0), 0);
        EXPECT_EQ(MQDoc_DeleteSelectLine(d, 0, bad, 0), 0);
        EXPECT_EQ(MQDoc_IsSelectLine(d, 0, 0, bad), 0);
        EXPECT_EQ(MQObj_GetFacePointCount(o, bad), 0);
        EXPECT_EQ(MQObj_GetVertexRefCount(o, bad), 0);
        int sentinel[4] = {7, 7, 7, 7};
        MQObj_GetFacePointArray(o, bad, sentinel);
        EXPECT_EQ(sentinel[0], 7);
        float xyz[3] = {4, 4, 4};
        MQObj_GetVertex(o, bad, xyz);
        EXPECT_EQ(xyz[2], 4.0f);
    }
    // Null out-pointers are ignored.
    MQObj_GetVertex(o, 0, nullptr);
    MQObj_GetFacePointArray(o, 0, nullptr);
    MQObj_GetFloatArray(o, MQ_OBJ_FLOAT_MATRIX, nullptr);
    // A face index one past the line count, and a line of a deleted face.
    EXPECT_EQ(MQDoc_AddSelectLine(d, 0, 0, 3), 0);
    doc.ObjectAt(0)->DeleteFace(0);
    EXPECT_EQ(MQDoc_AddSelectLine(d, 0, 0, 0), 0);
    EXPECT_EQ(MQDoc_AddSelectFace(d, 0, 0), 0);
    EXPECT_TRUE(doc.ObjectAt(0)->SelectedVertices().empty());
    EXPECT_TRUE(doc.ObjectAt(0)->SelectedLines().empty());
    EXPECT_TRUE(doc.ObjectAt(0)->SelectedFaces().empty());
}

TEST(StandinHost, RemovedObjectHandleIsRefused) {
    standin::Document doc;
    doc.AddObject("a");
    MQObject o = MQDoc_GetObject(doc.Handle(), 0);
    doc.RemoveObject(0);
    EXPECT_EQ(MQDoc_GetObject(doc.Handle(), 0), nullptr);
    EXPECT_EQ(MQObj_GetVertexCount(o), 0);
    EXPECT_EQ(MQDoc_GetObjectIndex(doc.Handle(), o), -1);
}

TEST(StandinHost, ObjectOfAnotherDocumentHasNoIndexHere) {
    standin::Document a, b;
    a.AddObject("a");
    b.AddObject("b");
    EXPECT_EQ(MQDoc_GetObjectIndex(a.Handle(), MQDoc_GetObject(b.Handle(), 0)), -1);
    EXPECT_EQ(MQDoc_GetObjectIndex(b.Handle(), MQDoc_GetObject(b.Handle(), 0)), 0);
}

TEST(StandinHost, FacesWithBadVertexIndicesAreRefused) {
    standin::Object o;
    o.AddVertex({0, 0, 0});
    const int32_t bad[] = {0, 1};
    EXPECT_EQ(o.AddFace(bad), -1);
    EXPECT_EQ(o.FaceCount(), 0);
    EXPECT_EQ(o.RefCount(0), 0);
}

TEST(StandinHost, UncalledFunctionsAreHarmless) {
    EXPECT_EQ(MQ_GetWindowHandle(), 0);
    EXPECT_EQ(MQObj_Delete(), 0);
    EXPECT_EQ(MQCanvas_Value(), 0);
}

} // namespace
