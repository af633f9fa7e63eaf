// The 32-bit Windows boundary, pinned at compile time: sizes, alignments and
// field offsets of every record that crosses between the plug-in and the
// host, and the calling convention of every export and host function type.
// The expected values are those of the 32-bit Windows (MSVC) ABI: 4-byte
// pointers and int32_t, and 8-byte fields aligned to 8 inside records, which
// 32-bit Linux aligns to 4 only (so a 32-bit Linux build cannot stand in for
// these checks). The file is compiled into the 32-bit Windows module and
// produces no code.
#define MQ_PLUGIN_MODULE
#include "abi/mq_abi.h"

#include <cstdint>

#include "abi/win32_layout_checks.h"

namespace {

// The compiler lays out records as the host's compiler does.
VEXOLIN_CHECK_LAYOUT(void *, 4, 4);
VEXOLIN_CHECK_LAYOUT(int, 4, 4);
VEXOLIN_CHECK_LAYOUT(bool, 1, 1);
VEXOLIN_CHECK_LAYOUT(MQWideChar, 2, 2);
struct EightByteField {
    int32_t before;
    double value; // the host writes doubles through "double *" widget values
};
VEXOLIN_CHECK_OFFSET(EightByteField, value, 8);
VEXOLIN_CHECK_LAYOUT(EightByteField, 16, 8);

// Basic types.
VEXOLIN_CHECK_LAYOUT(MQBOOL, 4, 4);
VEXOLIN_CHECK_LAYOUT(MQDWORD, 4, 4);
VEXOLIN_CHECK_LAYOUT(MQDocument, 4, 4);
VEXOLIN_CHECK_LAYOUT(MQObject, 4, 4);
VEXOLIN_CHECK_LAYOUT(MQXmlElement, 4, 4);

// A position: three floats, no padding.
VEXOLIN_CHECK_LAYOUT(MQPoint, 12, 4);
VEXOLIN_CHECK_OFFSET(MQPoint, x, 0);
VEXOLIN_CHECK_OFFSET(MQPoint, y, 4);
VEXOLIN_CHECK_OFFSET(MQPoint, z, 8);

// The object matrix of MQObj_GetFloatArray(obj, 773, values): 16 floats,
// row-major, written into the caller's array.
using ObjectMatrix = float[16];
VEXOLIN_CHECK_LAYOUT(ObjectMatrix, 64, 4);
static_assert(MQ_OBJ_FLOAT_MATRIX == 773);
VEXOLIN_CHECK_CDECL_POINTER(MQObj_GetFloatArray_fn, void, (MQObject, int, float *));
VEXOLIN_CHECK_CDECL_POINTER(MQObj_GetVertex_fn, void, (MQObject, int, float *));

// Keyword lists: pairs of pointer-sized words.
struct KeywordPair {
    void *keyword;
    void *value;
};
VEXOLIN_CHECK_LAYOUT(KeywordPair, 8, 4);

// MQ_SendMessage(505, &request).
VEXOLIN_CHECK_LAYOUT(MQSettingsRequest, 16, 4);
VEXOLIN_CHECK_OFFSET(MQSettingsRequest, product, 0);
VEXOLIN_CHECK_OFFSET(MQSettingsRequest, plugin, 4);
VEXOLIN_CHECK_OFFSET(MQSettingsRequest, reserved, 8);
VEXOLIN_CHECK_OFFSET(MQSettingsRequest, values, 12);

// MQXmlElem_Value records.
VEXOLIN_CHECK_LAYOUT(MQXmlAddChildRecord, 8, 4);
VEXOLIN_CHECK_OFFSET(MQXmlAddChildRecord, name, 0);
VEXOLIN_CHECK_OFFSET(MQXmlAddChildRecord, result, 4);
VEXOLIN_CHECK_LAYOUT(MQXmlRemoveChildRecord, 8, 4);
VEXOLIN_CHECK_OFFSET(MQXmlRemoveChildRecord, child, 0);
VEXOLIN_CHECK_OFFSET(MQXmlRemoveChildRecord, result, 4);
VEXOLIN_CHECK_LAYOUT(MQXmlFindChildRecord, 8, 4);
VEXOLIN_CHECK_OFFSET(MQXmlFindChildRecord, name, 0);
VEXOLIN_CHECK_OFFSET(MQXmlFindChildRecord, result, 4);
VEXOLIN_CHECK_LAYOUT(MQXmlGetTextRecord, 4, 4);
VEXOLIN_CHECK_OFFSET(MQXmlGetTextRecord, result, 0);
VEXOLIN_CHECK_LAYOUT(MQXmlSetTextRecord, 4, 4);
VEXOLIN_CHECK_OFFSET(MQXmlSetTextRecord, text, 0);

// The widget event records (MouseState, KeyState, ...) are the plug-in's own:
// the event callback fills them from the event's keyword list, whose pairs
// are pinned above, so no record of them crosses the boundary.

// The widget event callback and an unused host function.
VEXOLIN_CHECK_CDECL_POINTER(MQWidgetEventProc, int, (void *, void **, void *));
VEXOLIN_CHECK_CDECL_POINTER(MQUntypedHostFunction, void, (void));

// Every export: its declaration (the one the definitions in exports.cpp must
// match) and the pointer type a host binds it with.
#define VEXOLIN_CHECK_EXPORT(ret, name, params) \
    VEXOLIN_CHECK_CDECL(name, ret, params);     \
    VEXOLIN_CHECK_CDECL_POINTER(name##_fn, ret, params);
MQ_PLUGIN_EXPORTS(VEXOLIN_CHECK_EXPORT)
#undef VEXOLIN_CHECK_EXPORT

// Every host function the plug-in calls, as the plug-in calls it.
#define MQ_HOST_UNTYPED(name)
#define MQ_HOST_AGAIN(name)
#define MQ_HOST_TYPED(ret, name, params) VEXOLIN_CHECK_CDECL_POINTER(name##_fn, ret, params);
#include "abi/mq_host_functions.inc"
#undef MQ_HOST_UNTYPED
#undef MQ_HOST_AGAIN
#undef MQ_HOST_TYPED

} // namespace
