// The binary boundary between the plug-in and its host.
//
// Both sides (the plug-in module and every host we build, the stand-in host
// among them) compile against this one header, so a drift in a signature or a
// record layout is a compile error rather than a crash at run time.
//
// Plain C types only: every record here crosses a module boundary and may be
// read by code built with another compiler.
#ifndef VEXOLIN_ABI_MQ_ABI_H
#define VEXOLIN_ABI_MQ_ABI_H

// This header is C as well as C++, so its type names are typedefs.
// NOLINTBEGIN(modernize-use-using)

#include <stdint.h>

// Calling convention of every export and every host function. The default C
// convention on all our targets; a host with another convention changes this
// line only.
#if defined(_WIN32) && !defined(_WIN64)
#define MQ_CALL __cdecl
#else
#define MQ_CALL
#endif

// Marks the plug-in's exports. Linux builds also restrict the dynamic symbol
// table with a version script and Windows builds with a .def file, so this
// macro alone never decides what is exported.
#if defined(_WIN32)
#define MQ_EXPORT __declspec(dllexport)
#elif defined(__GNUC__)
#define MQ_EXPORT __attribute__((visibility("default")))
#else
#define MQ_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t MQBOOL;   // 0 false, non-zero true
typedef uint32_t MQDWORD; // IDs, versions, selection-kind bits

// Opaque host handles. The host owns what they point at; the plug-in passes
// them back and never frees them. Pointer-sized, like the void * of the ABI.
typedef struct MQDocumentHandle *MQDocument;
typedef struct MQObjectHandle *MQObject;
typedef struct MQXmlElementHandle *MQXmlElement;

// A position: three single-precision floats, 12 bytes, no padding.
typedef struct MQPoint {
    float x, y, z;
} MQPoint;

// Wide text crosses the boundary as UTF-16 on every platform.
typedef char16_t MQWideChar;

// ---------------------------------------------------------------------------
// Message and value codes
// ---------------------------------------------------------------------------

enum {
    MQ_MESSAGE_PLUGIN_SETTINGS = 505, // MQ_SendMessage: fetch the settings element
};

// Selection kinds of MQDoc_ClearSelect (a bit set).
enum {
    MQ_SELECT_VERTEX = 1,
    MQ_SELECT_LINE = 2,
    MQ_SELECT_FACE = 4,
    MQ_SELECT_ALL = 7,
};

enum {
    MQ_OBJ_INT_LOCKING = 0x103,   // MQObj_GetIntValue: non-zero when locked
    MQ_OBJ_FLOAT_MATRIX = 0x305,  // MQObj_GetFloatArray: 16 floats, row-major
};

// MQXmlElem_Value operation codes.
enum {
    MQ_XML_ADD_CHILD = 0x101,
    MQ_XML_REMOVE_CHILD = 0x102,
    MQ_XML_FIND_CHILD = 0x201,
    MQ_XML_GET_TEXT = 0x302,
    MQ_XML_SET_TEXT = 0x402,
};

// MQWidget_Value operation codes.
enum {
    MQ_WIDGET_WINDOW_COMMAND = 0x001,
    MQ_WIDGET_GET_SYSTEM = 0x100,
    MQ_WIDGET_CREATE = 0x101,
    MQ_WIDGET_DELETE = 0x102,
    MQ_WIDGET_ADD_CHILD = 0x201,
    MQ_WIDGET_ADD_DIALOG = 0x203,
    MQ_WIDGET_GET_PROPERTY = 0x301,
    MQ_WIDGET_SET_PROPERTY = 0x302,
    MQ_WIDGET_ADD_EVENT = 0x304,
};

// ---------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------

// MQ_SendMessage(505, &request). `values` points at the keyword list
// ("root", 0), ("pluginsettings", 0), (null); the host writes the settings
// element into the value word of "pluginsettings".
typedef struct MQSettingsRequest {
    MQDWORD product;
    MQDWORD plugin;
    void *reserved; // 0; pointer-sized, so `values` sits after it
    void **values;
} MQSettingsRequest;

// MQXmlElem_Value records, one per operation code.
typedef struct MQXmlAddChildRecord {      // 0x101
    const char *name;                     // UTF-8
    MQXmlElement result;                  // host writes the new child
} MQXmlAddChildRecord;

typedef struct MQXmlRemoveChildRecord {   // 0x102
    MQXmlElement child;
    void **result;                        // points at a word preset 0
} MQXmlRemoveChildRecord;

typedef struct MQXmlFindChildRecord {     // 0x201
    const char *name;                     // UTF-8
    MQXmlElement result;                  // host writes the child or leaves 0
} MQXmlFindChildRecord;

typedef struct MQXmlGetTextRecord {       // 0x302
    const char *result;                   // host's UTF-8 text, or left 0
} MQXmlGetTextRecord;

typedef struct MQXmlSetTextRecord {       // 0x402
    const char *text;                     // UTF-8
} MQXmlSetTextRecord;

// The widget event callback registered under "proc" with code 0x304.
// `values` is the event's keyword list; `closure` the word registered under
// "pointer".
typedef int(MQ_CALL *MQWidgetEventProc)(void *context, void **values, void *closure);

// A host function the plug-in binds by name but never calls.
typedef void(MQ_CALL *MQUntypedHostFunction)(void);

// ---------------------------------------------------------------------------
// Exports of the plug-in module: exactly these fourteen names.
// ---------------------------------------------------------------------------

#define MQ_PLUGIN_EXPORTS(X)                                                          \
    X(void, MQGetPlugInID, (MQDWORD * product, MQDWORD * id))                         \
    X(const char *, MQGetPlugInName, (void))                                          \
    X(int, MQGetPlugInType, (void))                                                   \
    X(const char *, MQEnumString, (int index))                                        \
    X(const char *, MQEnumFileType, (int index))                                      \
    X(const char *, MQEnumFileExt, (int index))                                       \
    X(MQBOOL, MQImportFile, (MQDWORD index, const char *filename, MQDocument doc))    \
    X(MQBOOL, MQExportFile, (MQDWORD index, const char *filename, MQDocument doc))    \
    X(MQBOOL, MQCreate, (int index, MQDocument doc))                                  \
    X(MQBOOL, MQModifyObject, (int index, MQDocument doc))                            \
    X(MQBOOL, MQModifySelect, (int index, MQDocument doc))                            \
    X(MQBOOL, MQOnEvent, (MQDocument doc, int event_type, void **values))             \
    X(MQDWORD, MQCheckVersion, (MQDWORD host_version))                                \
    X(MQBOOL, MQInit, (const char *host_module_file_name))

// Pointer types for a host that binds the exports by name: MQModifySelect_fn etc.
// `params` is a parameter list, parentheses included.
#define MQ_DECLARE_EXPORT_POINTER(ret, name, params) typedef ret(MQ_CALL *name##_fn) params; // NOLINT(bugprone-macro-parentheses)
MQ_PLUGIN_EXPORTS(MQ_DECLARE_EXPORT_POINTER)
#undef MQ_DECLARE_EXPORT_POINTER

// The plug-in module declares its exports from the same list, so that a
// definition that drifts from it does not compile.
#ifdef MQ_PLUGIN_MODULE
#define MQ_DECLARE_EXPORT(ret, name, params) MQ_EXPORT ret MQ_CALL name params;
MQ_PLUGIN_EXPORTS(MQ_DECLARE_EXPORT)
#undef MQ_DECLARE_EXPORT
#endif

// ---------------------------------------------------------------------------
// Host functions: pointer types of the 23 the plug-in calls (MQDoc_GetObject_fn
// etc.), generated from the single list in mq_host_functions.inc.
// ---------------------------------------------------------------------------

#define MQ_HOST_UNTYPED(name)
#define MQ_HOST_AGAIN(name)
#define MQ_HOST_TYPED(ret, name, params) typedef ret(MQ_CALL *name##_fn) params; // NOLINT(bugprone-macro-parentheses)
#include "mq_host_functions.inc"
#undef MQ_HOST_UNTYPED
#undef MQ_HOST_AGAIN
#undef MQ_HOST_TYPED

#ifdef __cplusplus
} // extern "C"
#endif

// NOLINTEND(modernize-use-using)
#endif // VEXOLIN_ABI_MQ_ABI_H
