// The host functions of the document model, as the plug-in calls them.
//
// Every function checks its handles against the live documents and objects
// and its indices against the slots: a foreign handle or a bad index returns
// 0 (or -1 where the host reports "not found") and changes nothing.
#include <algorithm>

#include "abi/mq_host_declarations.h"
#include "standin/core/call_log.h"
#include "standin/core/document.h"

using standin::Document;
using standin::Object;

#define STANDIN_HOST_EXPORT extern "C"

namespace {

Object *ObjectOf(MQDocument doc, int objindex) {
    Document *d = Document::FromHandle(doc);
    return d != nullptr ? d->ObjectAt(objindex) : nullptr;
}

} // namespace

STANDIN_HOST_EXPORT int MQ_CALL MQDoc_GetObjectCount(MQDocument doc) {
    Document *d = Document::FromHandle(doc);
    return d != nullptr ? d->ObjectCount() : 0;
}

STANDIN_HOST_EXPORT MQObject MQ_CALL MQDoc_GetObject(MQDocument doc, int index) {
    Object *o = ObjectOf(doc, index);
    return o != nullptr ? Document::HandleOf(o) : nullptr;
}

STANDIN_HOST_EXPORT int MQ_CALL MQDoc_GetCurrentObjectIndex(MQDocument doc) {
    Document *d = Document::FromHandle(doc);
    return d != nullptr ? d->currentObject : -1;
}

STANDIN_HOST_EXPORT int MQ_CALL MQDoc_GetObjectIndex(MQDocument doc, MQObject obj) {
    Document *d = Document::FromHandle(doc);
    Object *o = Document::ObjectFromHandle(obj);
    return d != nullptr && o != nullptr ? d->IndexOf(o) : -1;
}

STANDIN_HOST_EXPORT void MQ_CALL MQDoc_ClearSelect(MQDocument doc, MQDWORD kinds) {
    standin::LogCall("MQDoc_ClearSelect", -1, static_cast<int32_t>(kinds));
    if (Document *d = Document::FromHandle(doc)) d->ClearSelection(kinds & MQ_SELECT_ALL);
}

STANDIN_HOST_EXPORT MQBOOL MQ_CALL MQDoc_AddSelectVertex(MQDocument doc, int objindex, int vertindex) {
    standin::LogCall("MQDoc_AddSelectVertex", objindex, vertindex);
    Object *o = ObjectOf(doc, objindex);
    return o != nullptr && o->SelectVertex(vertindex, true) ? 1 : 0;
}

STANDIN_HOST_EXPORT MQBOOL MQ_CALL MQDoc_AddSelectLine(MQDocument doc, int objindex, int faceindex, int lineindex) {
    standin::LogCall("MQDoc_AddSelectLine", objindex, faceindex, lineindex);
    Object *o = ObjectOf(doc, objindex);
    return o != nullptr && o->SelectLine(faceindex, lineindex, true) ? 1 : 0;
}

STANDIN_HOST_EXPORT MQBOOL MQ_CALL MQDoc_AddSelectFace(MQDocument doc, int objindex, int faceindex) {
    standin::LogCall("MQDoc_AddSelectFace", objindex, faceindex);
    Object *o = ObjectOf(doc, objindex);
    return o != nullptr && o->SelectFace(faceindex, true) ? 1 : 0;
}

STANDIN_HOST_EXPORT MQBOOL MQ_CALL MQDoc_DeleteSelectLine(MQDocument doc, int objindex, int faceindex, int lineindex) {
    standin::LogCall("MQDoc_DeleteSelectLine", objindex, faceindex, lineindex);
    Object *o = ObjectOf(doc, objindex);
    return o != nullptr && o->SelectLine(faceindex, lineindex, false) ? 1 : 0;
}

STANDIN_HOST_EXPORT MQBOOL MQ_CALL MQDoc_IsSelectVertex(MQDocument doc, int objindex, int vertindex) {
    Object *o = ObjectOf(doc, objindex);
    return o != nullptr && o->IsVertexSelected(vertindex) ? 1 : 0;
}

STANDIN_HOST_EXPORT MQBOOL MQ_CALL MQDoc_IsSelectLine(MQDocument doc, int objindex, int faceindex, int lineindex) {
    Object *o = ObjectOf(doc, objindex);
    return o != nullptr && o->IsLineSelected(faceindex, lineindex) ? 1 : 0;
}

STANDIN_HOST_EXPORT MQBOOL MQ_CALL MQDoc_IsSelectFace(MQDocument doc, int objindex, int faceindex) {
    Object *o = ObjectOf(doc, objindex);
    return o != nullptr && o->IsFaceSelected(faceindex) ? 1 : 0;
}

STANDIN_HOST_EXPORT int MQ_CALL MQObj_GetVertexCount(MQObject obj) {
    Object *o = Document::ObjectFromHandle(obj);
    return o != nullptr ? o->VertexCount() : 0;
}

STANDIN_HOST_EXPORT void MQ_CALL MQObj_GetVertex(MQObject obj, int index, float *xyz) {
    Object *o = Document::ObjectFromHandle(obj);
    if (o == nullptr || xyz == nullptr || !o->IsVertex(index)) return;
    const MQPoint p = o->Position(index);
    xyz[0] = p.x;
    xyz[1] = p.y;
    xyz[2] = p.z;
}

STANDIN_HOST_EXPORT int MQ_CALL MQObj_GetVertexRefCount(MQObject obj, int index) {
    Object *o = Document::ObjectFromHandle(obj);
    return o != nullptr && o->IsVertex(index) ? o->RefCount(index) : 0;
}

STANDIN_HOST_EXPORT int MQ_CALL MQObj_GetFaceCount(MQObject obj) {
    Object *o = Document::ObjectFromHandle(obj);
    return o != nullptr ? o->FaceCount() : 0;
}

STANDIN_HOST_EXPORT int MQ_CALL MQObj_GetFacePointCount(MQObject obj, int face) {
    Object *o = Document::ObjectFromHandle(obj);
    return o != nullptr && o->IsFace(face) ? o->PointCount(face) : 0;
}

STANDIN_HOST_EXPORT void MQ_CALL MQObj_GetFacePointArray(MQObject obj, int face, int *indices) {
    Object *o = Document::ObjectFromHandle(obj);
    if (o == nullptr || indices == nullptr || !o->IsFace(face)) return;
    const auto points = o->Points(face);
    std::copy(points.begin(), points.end(), indices);
}

STANDIN_HOST_EXPORT void MQ_CALL MQObj_GetFloatArray(MQObject obj, int type, float *values) {
    Object *o = Document::ObjectFromHandle(obj);
    if (o == nullptr || values == nullptr || type != MQ_OBJ_FLOAT_MATRIX) return;
    std::copy(o->matrix.begin(), o->matrix.end(), values);
}

STANDIN_HOST_EXPORT int MQ_CALL MQObj_GetIntValue(MQObject obj, int type) {
    Object *o = Document::ObjectFromHandle(obj);
    if (o == nullptr || type != MQ_OBJ_INT_LOCKING) return 0;
    return o->locked ? 1 : 0;
}
