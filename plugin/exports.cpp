// The exports (plugin/exports.txt) through which the host finds and drives the plug-in.
// Each forwards to the plug-in object by its base class, so one body serves
// every plug-in kind, and each runs inside the containment guard: on any
// failure it returns its failure value (0 or null) and nothing unwinds into
// the host.
#define MQ_PLUGIN_MODULE
#include "abi/mq_abi.h"
#include "host/contain.h"
#include "host/host_api.h"
#include "plugin/vexolin.h"

#include <algorithm>
#include <string_view>

#include "vexolin_export_names.h"

namespace {

// The names the module declares (abi/mq_abi.h, with their signatures) are the
// names the build exports (plugin/exports.txt), in the same order.
constexpr std::string_view kListedExports[] = {VEXOLIN_EXPORT_NAMES};
#define VEXOLIN_EXPORT_NAME(ret, name, params) std::string_view(#name),
constexpr std::string_view kDeclaredExports[] = {MQ_PLUGIN_EXPORTS(VEXOLIN_EXPORT_NAME)};
#undef VEXOLIN_EXPORT_NAME
static_assert(std::ranges::equal(kListedExports, kDeclaredExports),
              "plugin/exports.txt and MQ_PLUGIN_EXPORTS in abi/mq_abi.h list different exports");

constexpr MQDWORD kMinimumHostVersion = 0x4400;
constexpr MQDWORD kInterfaceVersion = 0x440;

MQBasePlugin &Plugin() { return GetPluginObject(); }

// Menu and selection kinds run through MQMenuBasePlugin::Execute; the file
// kinds hold their file operations elsewhere and are not run this way.
MQBOOL RunMenuEntry(int index, MQDocument doc) {
    auto *menu = dynamic_cast<MQMenuBasePlugin *>(&Plugin());
    return menu != nullptr ? menu->Execute(index, doc) : 0;
}

} // namespace

extern "C" {

void MQ_CALL MQGetPlugInID(MQDWORD *product, MQDWORD *id) {
    hostapi::ContainVoid([&] { Plugin().GetPlugInID(product, id); });
}

const char *MQ_CALL MQGetPlugInName(void) {
    return hostapi::Contain<const char *>(nullptr, [] { return Plugin().GetPlugInName(); });
}

int MQ_CALL MQGetPlugInType(void) {
    return hostapi::Contain(0, [] { return Plugin().GetPlugInType(); });
}

const char *MQ_CALL MQEnumString(int index) {
    return hostapi::Contain<const char *>(nullptr, [&]() -> const char * {
        MQBasePlugin &plugin = Plugin();
        const int kind = plugin.GetPlugInType();
        auto *menu = dynamic_cast<MQMenuBasePlugin *>(&plugin);
        if (menu == nullptr) return nullptr;
        if (kind >= 3 && kind <= 5) return menu->EnumString(index);
        if (kind == 6 || kind == 7) return index == 0 ? menu->EnumString(0) : nullptr;
        return nullptr;
    });
}

// Only the file kinds (1 and 2) enumerate file types and extensions, and this
// module holds a selection plug-in: there is nothing to enumerate.
const char *MQ_CALL MQEnumFileType(int index) {
    (void)index;
    return hostapi::Contain<const char *>(nullptr, []() -> const char * {
        (void)Plugin();
        return nullptr;
    });
}

const char *MQ_CALL MQEnumFileExt(int index) {
    (void)index;
    return hostapi::Contain<const char *>(nullptr, []() -> const char * {
        (void)Plugin();
        return nullptr;
    });
}

// A selection plug-in has no file operation: importing and exporting fail
// without touching the plug-in object.
MQBOOL MQ_CALL MQImportFile(MQDWORD index, const char *filename, MQDocument doc) {
    (void)index;
    (void)filename;
    (void)doc;
    return hostapi::Contain<MQBOOL>(0, [] { return 0; });
}

MQBOOL MQ_CALL MQExportFile(MQDWORD index, const char *filename, MQDocument doc) {
    return MQImportFile(index, filename, doc);
}

// A run that fails (out of memory, a host answer the command cannot use)
// returns 0: the selection is then as it was before the run.
MQBOOL MQ_CALL MQCreate(int index, MQDocument doc) {
    return hostapi::Contain<MQBOOL>(0, [&] { return RunMenuEntry(index, doc); });
}

MQBOOL MQ_CALL MQModifyObject(int index, MQDocument doc) {
    return hostapi::Contain<MQBOOL>(0, [&] { return RunMenuEntry(index, doc); });
}

MQBOOL MQ_CALL MQModifySelect(int index, MQDocument doc) {
    return hostapi::Contain<MQBOOL>(0, [&] { return RunMenuEntry(index, doc); });
}

MQBOOL MQ_CALL MQOnEvent(MQDocument doc, int event_type, void **values) {
    return hostapi::Contain<MQBOOL>(0, [&]() -> MQBOOL {
        MQBasePlugin &plugin = Plugin();
        if (auto *station = dynamic_cast<MQStationPlugin *>(&plugin)) {
            return station->OnStationEvent(doc, event_type, values);
        }
        if (auto *importer = dynamic_cast<MQImportPlugin *>(&plugin)) {
            if (event_type == 300 || event_type == 301) return importer->OnImportEvent(doc, event_type, values);
        }
        return 0;
    });
}

MQDWORD MQ_CALL MQCheckVersion(MQDWORD host_version) {
    return hostapi::Contain<MQDWORD>(0, [&] { return host_version >= kMinimumHostVersion ? kInterfaceVersion : 0; });
}

MQBOOL MQ_CALL MQInit(const char *host_module_file_name) {
    return hostapi::Contain<MQBOOL>(0, [&] { return hostapi::Bind(host_module_file_name) ? 1 : 0; });
}

} // extern "C"
