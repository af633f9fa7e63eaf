// The host functions of the settings store, as plug-ins call them. Every
// request is checked: an unknown code, a null record, a null or impossible
// name, a null text, or a handle the store did not hand out returns 0,
// changes nothing and is recorded as the plug-in's misbehaviour
// (standin/core/host_checks.h). A host without a store, or a store that
// refuses new elements, answers 0 too, but that is the host's choice, not
// the plug-in's mistake, and is not recorded.
#include <string>
#include <string_view>

#include "abi/keyword_list.h"
#include "abi/mq_host_declarations.h"
#include "standin/core/host_checks.h"
#include "standin/settings/settings_store.h"

namespace {

// Records a refused request of the plug-in and answers 0.
int Refuse(const std::string &call, const char *why) {
    standin::ReportMisbehaviour(standin::Functions::Settings, call + ": " + why);
    return 0;
}

std::string DescribeElementCall(int code) {
    static const char *const kDigits = "0123456789abcdef";
    std::string hex;
    for (unsigned v = static_cast<unsigned>(code); hex.empty() || v != 0; v >>= 4) hex.insert(hex.begin(), kDigits[v & 15]);
    return "MQXmlElem_Value(code 0x" + hex + ")";
}

} // namespace

extern "C" int MQ_CALL MQ_SendMessage(int message, void *record) {
    const std::string call = "MQ_SendMessage(" + std::to_string(message) + ")";
    if (message != MQ_MESSAGE_PLUGIN_SETTINGS) return Refuse(call, "unknown message");
    if (record == nullptr) return Refuse(call, "null record");
    auto *request = static_cast<MQSettingsRequest *>(record);
    if (request->values == nullptr) return Refuse(call, "null keyword list");
    standin::SettingsStore *store = standin::HostSettings();
    if (store == nullptr) return 0;
    int answered = 0;
    namespace kl = vexolin::keyword_list;
    const kl::WalkResult walked = kl::Walk(request->values, [&](std::string_view keyword, void *&value) {
        if (keyword == "pluginsettings") {
            value = store->HandleOf(store->PluginSettings());
            answered = 1;
        } else if (keyword == "root") {
            value = store->HandleOf(store->Root());
        } else {
            Refuse(call, "unknown keyword in the request (only \"root\" and \"pluginsettings\" are answered)");
        }
        return true;
    });
    if (walked.how == kl::Walked::Unterminated) return Refuse(call, "keyword list not terminated");
    if (walked.how == kl::Walked::BadKeyword) return Refuse(call, "a keyword that is not ASCII text");
    return answered != 0 ? answered : Refuse(call, "no \"pluginsettings\" pair in the request");
}

extern "C" int MQ_CALL MQXmlElem_Value(MQXmlElement elem, int code, void *record) {
    standin::SettingsStore *store = standin::HostSettings();
    if (store == nullptr) return 0;
    const std::string call = DescribeElementCall(code);
    if (code != MQ_XML_ADD_CHILD && code != MQ_XML_REMOVE_CHILD && code != MQ_XML_FIND_CHILD &&
        code != MQ_XML_GET_TEXT && code != MQ_XML_SET_TEXT)
        return Refuse(call, "unknown element operation");
    if (record == nullptr) return Refuse(call, "null record");
    if (!store->NodeOf(elem)) return Refuse(call, "an element handle the store did not hand out, or withdrew");
    switch (code) {
    case MQ_XML_ADD_CHILD: {
        auto *r = static_cast<MQXmlAddChildRecord *>(record);
        if (!standin::IsElementName(r->name)) return Refuse(call, "a null or impossible element name");
        const MQXmlElement child = store->AddChild(elem, r->name);
        if (child == nullptr) return 0;
        r->result = child;
        return 1;
    }
    case MQ_XML_REMOVE_CHILD: {
        auto *r = static_cast<MQXmlRemoveChildRecord *>(record);
        if (!store->RemoveChild(elem, r->child)) return Refuse(call, "the element to remove is not a child of the one named");
        return 1;
    }
    case MQ_XML_FIND_CHILD: {
        auto *r = static_cast<MQXmlFindChildRecord *>(record);
        if (r->name == nullptr) return Refuse(call, "a null element name");
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
    default: { // MQ_XML_SET_TEXT
        const auto *r = static_cast<const MQXmlSetTextRecord *>(record);
        if (r->text == nullptr) return Refuse(call, "a null text");
        return store->SetText(elem, r->text) ? 1 : 0;
    }
    }
}
