// The host functions of the document model, as the plug-in calls them.
//
// Every function checks its handles against the live documents and objects
// and its indices against the slots: a foreign handle or a bad index returns
// 0 (or -1 where the host reports "not found") and changes nothing. A bad
// index or a deleted face named by a selection call, a selection query or a
// geometry read is also recorded as a misbehaviour of the caller
// (host_checks.h). In hostile mode the counts and arrays are answered as the
// test asked.
#include <algorithm>

#include "abi/mq_host_declarations.h"
#include "standin/core/call_log.h"
#include "standin/core/document.h"
#include "standin/core/host_checks.h"

#include <string>

using standin::Document;
using standin::Object;

#define STANDIN_HOST_EXPORT extern "C"

namespace {

constexpr int32_t kNoIndex = INT32_MIN;

Object *ObjectOf(MQDocument doc, int objindex) {
    Document *d = Document::FromHandle(doc);
    return d != nullptr ? d->ObjectAt(objindex) : nullptr;
}

std::string Describe(const char *function, int32_t a, int32_t b) {
    std::string text = std::string(function) + "(" + std::to_string(a);
    if (b != kNoIndex) text += ", " + std::to_string(b);
    return text + ")";
}

// The reports of the checks below: out of line and marked cold, so the
// checks themselves stay a few compares on the paths the benchmarks time.
// Only the first misbehaviour is kept, so later ones build no text.
[[gnu::cold, gnu::noinline]] void ReportVertex(const char *function, int32_t v) {
    if (standin::MisbehaviourRecorded(standin::Functions::Document)) return;
    standin::ReportMisbehaviour(standin::Functions::Document, Describe(function, v, kNoIndex) + ": no such vertex");
}

[[gnu::cold, gnu::noinline]] void ReportFace(const Object &o, const char *function, int32_t f, int32_t line) {
    if (standin::MisbehaviourRecorded(standin::Functions::Document)) return;
    const char *what = !o.IsFace(f) ? ": no such face" : o.PointCount(f) == 0 ? ": deleted face" : ": no such line";
    standin::ReportMisbehaviour(standin::Functions::Document, Describe(function, f, line) + what);
}

// Records a call on an object that names vertex `v` outside its slots. The
// selection calls and queries answer true only for valid arguments, so they
// check only when they answer false.
inline void CheckVertex(const Object *o, const char *function, int32_t v) {
    if (o != nullptr && !o->IsVertex(v)) [[unlikely]]
        ReportVertex(function, v);
}

// Records a call that names face `f` outside the slots or deleted, or (when
// `line` is given) a line outside the face's lines.
inline void CheckFace(const Object *o, const char *function, int32_t f, int32_t line = kNoIndex) {
    if (o == nullptr) return;
    const bool ok = o->IsFace(f) && o->PointCount(f) != 0 && (line == kNoIndex || o->IsLine(f, line));
    if (!ok) [[unlikely]]
        ReportFace(*o, function, f, line);
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
    if (o != nullptr && o->SelectVertex(vertindex, true)) return 1;
    CheckVertex(o, "MQDoc_AddSelectVertex", vertindex);
    return 0;
}

STANDIN_HOST_EXPORT MQBOOL MQ_CALL MQDoc_AddSelectLine(MQDocument doc, int objindex, int faceindex, int lineindex) {
    standin::LogCall("MQDoc_AddSelectLine", objindex, faceindex, lineindex);
    Object *o = ObjectOf(doc, objindex);
    if (o != nullptr && o->SelectLine(faceindex, lineindex, true)) return 1;
    CheckFace(o, "MQDoc_AddSelectLine", faceindex, lineindex);
    return 0;
}

STANDIN_HOST_EXPORT MQBOOL MQ_CALL MQDoc_AddSelectFace(MQDocument doc, int objindex, int faceindex) {
    standin::LogCall("MQDoc_AddSelectFace", objindex, faceindex);
    Object *o = ObjectOf(doc, objindex);
    if (o != nullptr && o->SelectFace(faceindex, true)) return 1;
    CheckFace(o, "MQDoc_AddSelectFace", faceindex);
    return 0;
}

STANDIN_HOST_EXPORT MQBOOL MQ_CALL MQDoc_DeleteSelectLine(MQDocument doc, int objindex, int faceindex, int lineindex) {
    standin::LogCall("MQDoc_DeleteSelectLine", objindex, faceindex, lineindex);
    Object *o = ObjectOf(doc, objindex);
    if (o != nullptr && o->SelectLine(faceindex, lineindex, false)) return 1;
    CheckFace(o, "MQDoc_DeleteSelectLine", faceindex, lineindex);
    return 0;
}

STANDIN_HOST_EXPORT MQBOOL MQ_CALL MQDoc_IsSelectVertex(MQDocument doc, int objindex, int vertindex) {
    Object *o = ObjectOf(doc, objindex);
    if (o != nullptr && o->IsVertexSelected(vertindex)) return 1;
    CheckVertex(o, "MQDoc_IsSelectVertex", vertindex);
    return 0;
}

STANDIN_HOST_EXPORT MQBOOL MQ_CALL MQDoc_IsSelectLine(MQDocument doc, int objindex, int faceindex, int lineindex) {
    Object *o = ObjectOf(doc, objindex);
    if (o != nullptr && o->IsLineSelected(faceindex, lineindex)) return 1;
    CheckFace(o, "MQDoc_IsSelectLine", faceindex, lineindex);
    return 0;
}

STANDIN_HOST_EXPORT MQBOOL MQ_CALL MQDoc_IsSelectFace(MQDocument doc, int objindex, int faceindex) {
    Object *o = ObjectOf(doc, objindex);
    if (o != nullptr && o->IsFaceSelected(faceindex)) return 1;
    CheckFace(o, "MQDoc_IsSelectFace", faceindex);
    return 0;
}

STANDIN_HOST_EXPORT int MQ_CALL MQObj_GetVertexCount(MQObject obj) {
    Object *o = Document::ObjectFromHandle(obj);
    const standin::HostileAnswers *hostile = standin::Hostile();
    if (o != nullptr && hostile != nullptr && hostile->vertexCount) return *hostile->vertexCount;
    return o != nullptr ? o->VertexCount() : 0;
}

STANDIN_HOST_EXPORT void MQ_CALL MQObj_GetVertex(MQObject obj, int index, float *xyz) {
    Object *o = Document::ObjectFromHandle(obj);
    const standin::HostileAnswers *hostile = standin::Hostile();
    if (hostile != nullptr && hostile->arraysLeftUnwritten) return;
    if (o == nullptr || xyz == nullptr || !o->IsVertex(index)) {
        CheckVertex(o, "MQObj_GetVertex", index);
        return;
    }
    const MQPoint p = o->Position(index);
    xyz[0] = p.x;
    xyz[1] = p.y;
    xyz[2] = p.z;
}

STANDIN_HOST_EXPORT int MQ_CALL MQObj_GetVertexRefCount(MQObject obj, int index) {
    Object *o = Document::ObjectFromHandle(obj);
    if (o != nullptr && o->IsVertex(index)) return o->RefCount(index);
    CheckVertex(o, "MQObj_GetVertexRefCount", index);
    return 0;
}

STANDIN_HOST_EXPORT int MQ_CALL MQObj_GetFaceCount(MQObject obj) {
    Object *o = Document::ObjectFromHandle(obj);
    const standin::HostileAnswers *hostile = standin::Hostile();
    if (o != nullptr && hostile != nullptr && hostile->faceCount) return *hostile->faceCount;
    return o != nullptr ? o->FaceCount() : 0;
}

STANDIN_HOST_EXPORT int MQ_CALL MQObj_GetFacePointCount(MQObject obj, int face) {
    Object *o = Document::ObjectFromHandle(obj);
    const standin::HostileAnswers *hostile = standin::Hostile();
    if (o != nullptr && hostile != nullptr && hostile->facePointCount) return *hostile->facePointCount;
    // Asking the point count is how a caller finds a deleted face: only an
    // index outside the slots is a misbehaviour.
    if (o != nullptr && !o->IsFace(face)) [[unlikely]]
        ReportFace(*o, "MQObj_GetFacePointCount", face, kNoIndex);
    return o != nullptr && o->IsFace(face) ? o->PointCount(face) : 0;
}

STANDIN_HOST_EXPORT void MQ_CALL MQObj_GetFacePointArray(MQObject obj, int face, int *indices) {
    Object *o = Document::ObjectFromHandle(obj);
    if (const standin::HostileAnswers *hostile = standin::Hostile()) {
        // The caller sized the array by the count it was told.
        if (hostile->arraysLeftUnwritten || indices == nullptr || o == nullptr) return;
        const int32_t told = hostile->facePointCount ? *hostile->facePointCount : (o->IsFace(face) ? o->PointCount(face) : 0);
        if (told <= 0) return;
        if (hostile->pointsNameVertex) {
            std::fill_n(indices, told, *hostile->pointsNameVertex);
            return;
        }
        // Never more entries than the caller was told of.
        if (!o->IsFace(face)) return;
        const auto points = o->Points(face);
        std::copy_n(points.begin(), std::min<std::size_t>(points.size(), static_cast<std::size_t>(told)), indices);
        return;
    }
    CheckFace(o, "MQObj_GetFacePointArray", face);
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
