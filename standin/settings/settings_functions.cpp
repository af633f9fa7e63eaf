// The host functions of the settings store, as plug-ins call them. Every
// request is checked: an unknown code, a null record, a null name or a
// handle the store did not hand out returns 0 and changes nothing.
#include <cstring>

#include "abi/mq_host_declarations.h"
#include "standin/settings/settings_store.h"

extern "C" int MQ_CALL MQ_SendMessage(int message, void *record) {
    if (message != MQ_MESSAGE_PLUGIN_SETTINGS || record == nullptr) return 0;
    standin::SettingsStore *store = standin::HostSettings();
    if (store == nullptr) return 0;
    auto *request = static_cast<MQSettingsRequest *>(record);
    if (request->values == nullptr) return 0;
    int answered = 0;
    // The keyword list ends at the first null keyword.
    for (void **pair = request->values; pair[0] != nullptr; pair += 2) {
        const auto *keyword = static_cast<const char *>(pair[0]);
        if (std::strcmp(keyword, "pluginsettings") == 0) {
            pair[1] = store->HandleOf(store->PluginSettings());
            answered = 1;
        } else if (std::strcmp(keyword, "root") == 0) {
            pair[1] = store->HandleOf(store->Root());
        }
    }
    return answered;
}

extern "C" int MQ_CALL MQXmlElem_Value(MQXmlElement elem, int code, void *record) {
    standin::SettingsStore *store = standin::HostSettings();
    if (store == nullptr || record == nullptr) return 0;
    switch (code) {
    case MQ_XML_ADD_CHILD: {
        auto *r = static_cast<MQXmlAddChildRecord *>(record);
        const MQXmlElement child = store->AddChild(elem, r->name);
        if (child == nullptr) return 0;
        r->result = child;
        return 1;
    }
    case MQ_XML_REMOVE_CHILD: {
        auto *r = static_cast<MQXmlRemoveChildRecord *>(record);
        return store->RemoveChild(elem, r->child) ? 1 : 0;
    }
    case MQ_XML_FIND_CHILD: {
        auto *r = static_cast<MQXmlFindChildRecord *>(record);
        const MQXmlElement child = store->FindChild(elem, r->name);
        if (child == nullptr) return 0;
        r->result = child;
        return 1;
    }
    case MQ_XML_GET_TEXT: {
        auto *r = static_cast<MQXmlGetTextRecord *>(record);
        const char *text = store->GetText(elem);
        if (text == nullptr) return 0;
        r->result = text;
        return 1;
    }
    case MQ_XML_SET_TEXT: {
        const auto *r = static_cast<const MQXmlSetTextRecord *>(record);
        return store->SetText(elem, r->text) ? 1 : 0;
    }
    default:
        return 0;
    }
}
