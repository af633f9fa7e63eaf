#include "settings/mq_setting.h"

#include <cstdio>

#include "abi/keyword_list.h"
#include "host/host_api.h"
#include "settings/text.h"

namespace {

// Bounds the removal of duplicate key elements, whatever the host answers.
constexpr int kMaxDuplicates = 1024;

MQXmlElement FindChild(MQXmlElement parent, const std::string &utf8Name) {
    MQXmlFindChildRecord record{utf8Name.c_str(), nullptr};
    hostapi::MQXmlElem_Value(parent, MQ_XML_FIND_CHILD, &record);
    return record.result;
}

MQXmlElement AddChild(MQXmlElement parent, const std::string &utf8Name) {
    MQXmlAddChildRecord record{utf8Name.c_str(), nullptr};
    hostapi::MQXmlElem_Value(parent, MQ_XML_ADD_CHILD, &record);
    return record.result;
}

void RemoveChild(MQXmlElement parent, MQXmlElement child) {
    void *result = nullptr;
    MQXmlRemoveChildRecord record{child, &result};
    hostapi::MQXmlElem_Value(parent, MQ_XML_REMOVE_CHILD, &record);
}

} // namespace

namespace settings {

std::string SectionName(MQDWORD product, MQDWORD plugin) {
    char name[64];
    std::snprintf(name, sizeof name, "Plugin-%08X-%08X", static_cast<unsigned>(product), static_cast<unsigned>(plugin));
    return name;
}

bool ReadElementText(MQXmlElement element, std::u16string &text) {
    MQXmlGetTextRecord record{nullptr};
    hostapi::MQXmlElem_Value(element, MQ_XML_GET_TEXT, &record);
    if (record.result == nullptr) {
        text.clear();
        return false;
    }
    // The host owns the text; it is copied at once.
    text = settings::text::Utf8ToWide(record.result);
    return true;
}

MQSetting *OpenPluginSetting(MQDWORD product, MQDWORD plugin) {
    // Without MQInit there are no host functions to ask.
    if (!hostapi::IsBound()) return nullptr;

    using vexolin::keyword_list::Word;
    void *values[] = {Word("root"), nullptr, Word("pluginsettings"), nullptr, nullptr, nullptr};
    MQSettingsRequest request{product, plugin, nullptr, values};
    hostapi::MQ_SendMessage(MQ_MESSAGE_PLUGIN_SETTINGS, &request);
    // The host writes the settings element into the pair's value word.
    void *const *answer = vexolin::keyword_list::Find(values, "pluginsettings");
    auto settings = answer != nullptr ? static_cast<MQXmlElement>(*answer) : nullptr;
    if (settings == nullptr) return nullptr;
    return new MQSetting(settings, SectionName(product, plugin).c_str());
}

} // namespace settings

MQSetting::MQSetting(MQXmlElement settingsElement, const char *sectionName)
    : settings_(settingsElement), sectionName_(sectionName != nullptr ? sectionName : "") {
    if (settings_ == nullptr) return;
    const std::string name = settings::text::AnsiToUtf8(sectionName_.c_str());
    section_ = FindChild(settings_, name);
    if (section_ == nullptr) section_ = AddChild(settings_, name);
}

MQSetting::~MQSetting() = default;

bool MQSetting::ReadKey(const char *key, std::u16string &text) const {
    text.clear();
    // No section: the host refused to create it, so there is nothing to read
    // (and no key operation is sent for a null element).
    if (section_ == nullptr || key == nullptr) return false;
    const MQXmlElement child = FindChild(section_, settings::text::AnsiToUtf8(key));
    if (child == nullptr) return false;
    return settings::ReadElementText(child, text);
}

void MQSetting::WriteKey(const char *key, const std::u16string &text) {
    if (section_ == nullptr || key == nullptr) return;
    const std::string name = settings::text::AnsiToUtf8(key);
    // The new element is made first: if the host refuses it, the stored
    // value stays instead of being removed with nothing in its place.
    const MQXmlElement fresh = AddChild(section_, name);
    if (fresh == nullptr) return;
    const std::string utf8 = settings::text::WideToUtf8(text);
    MQXmlSetTextRecord record{utf8.c_str()};
    hostapi::MQXmlElem_Value(fresh, MQ_XML_SET_TEXT, &record);
    // Then every older element of this key goes, not just the first: a
    // stale duplicate left in front of the new element would be what the
    // next load finds. Stop if the host fails to remove one.
    MQXmlElement previous = nullptr;
    for (int guard = 0; guard < kMaxDuplicates; ++guard) {
        const MQXmlElement old = FindChild(section_, name);
        if (old == nullptr || old == fresh || old == previous) break;
        RemoveChild(section_, old);
        previous = old;
    }
}

void MQSetting::Load(const char *key, bool &value, bool defaultValue) {
    std::u16string text;
    if (!ReadKey(key, text) || text.empty()) {
        value = defaultValue;
        return;
    }
    value = settings::text::ParseInt(text) != 0;
}

void MQSetting::Load(const char *key, int32_t &value, int32_t defaultValue) {
    std::u16string text;
    if (!ReadKey(key, text) || text.empty()) {
        value = defaultValue;
        return;
    }
    value = settings::text::ParseInt(text);
}

void MQSetting::Load(const char *key, float &value, float defaultValue) {
    std::u16string text;
    if (!ReadKey(key, text) || text.empty()) {
        value = defaultValue;
        return;
    }
    value = settings::text::ParseFloat(text);
}

void MQSetting::Save(const char *key, bool value) { WriteKey(key, value ? u"1" : u"0"); }

void MQSetting::Save(const char *key, int32_t value) { WriteKey(key, settings::text::FormatInt(value)); }

void MQSetting::Save(const char *key, float value) { WriteKey(key, settings::text::FormatFloat(value)); }
