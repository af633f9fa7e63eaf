// A plug-in module that misbehaves towards the settings store: asked to run
// a command, it sends the settings message with no "pluginsettings" pair and
// names an element handle the store never handed out. vexolin-run must show
// both calls and fail, though the host refuses each quietly.
#define MQ_PLUGIN_MODULE
#include "abi/mq_abi.h"
#include "abi/mq_host_declarations.h"

#include <dlfcn.h>

namespace {
MQ_SendMessage_fn g_sendMessage = nullptr;
MQXmlElem_Value_fn g_elementValue = nullptr;
} // namespace

extern "C" {

void MQ_CALL MQGetPlugInID(MQDWORD *product, MQDWORD *id) {
    if (product != nullptr) *product = 1;
    if (id != nullptr) *id = 2;
}
const char *MQ_CALL MQGetPlugInName(void) { return "misbehaving"; }
int MQ_CALL MQGetPlugInType(void) { return 3; }
const char *MQ_CALL MQEnumString(int index) { return index == 0 ? "Misbehaving" : nullptr; }
const char *MQ_CALL MQEnumFileType(int) { return nullptr; }
const char *MQ_CALL MQEnumFileExt(int) { return nullptr; }
MQBOOL MQ_CALL MQImportFile(MQDWORD, const char *, MQDocument) { return 0; }
MQBOOL MQ_CALL MQExportFile(MQDWORD, const char *, MQDocument) { return 0; }
MQBOOL MQ_CALL MQCreate(int, MQDocument) { return 0; }
MQBOOL MQ_CALL MQModifyObject(int, MQDocument) { return 0; }
MQBOOL MQ_CALL MQModifySelect(int, MQDocument) {
    void *values[] = {const_cast<char *>("root"), nullptr, nullptr, nullptr};
    MQSettingsRequest request{1, 2, nullptr, values};
    g_sendMessage(MQ_MESSAGE_PLUGIN_SETTINGS, &request);
    int notAnElement = 0;
    MQXmlGetTextRecord get{nullptr};
    g_elementValue(reinterpret_cast<MQXmlElement>(&notAnElement), MQ_XML_GET_TEXT, &get);
    return 0;
}
MQBOOL MQ_CALL MQOnEvent(MQDocument, int, void **) { return 0; }
MQDWORD MQ_CALL MQCheckVersion(MQDWORD) { return 0x440; }
MQBOOL MQ_CALL MQInit(const char *host) {
    void *module = dlopen(host, RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) return 0;
    g_sendMessage = reinterpret_cast<MQ_SendMessage_fn>(dlsym(module, "MQ_SendMessage"));
    g_elementValue = reinterpret_cast<MQXmlElem_Value_fn>(dlsym(module, "MQXmlElem_Value"));
    return g_sendMessage != nullptr && g_elementValue != nullptr ? 1 : 0;
}

} // extern "C"
