// The settings accessor: one plug-in's section of the host's settings store,
// with typed reading and writing of one value per key.
//
// The store is an element tree owned by the host:
//   settings element ("pluginsettings")
//     section element ("Plugin-%08X-%08X", product ID then plug-in ID)
//       one element per key, whose text is the value
// Every read and write goes straight to the host's tree; nothing is cached
// and nothing is flushed here (saving the tree is the host's business).
#pragma once

#include <cstdint>
#include <string>

#include "abi/mq_abi.h"

class MQSetting {
public:
    // Finds the section named `sectionName` (system code page) under the
    // settings element, or asks the host to create it. When the host refuses,
    // the accessor has no section: Load yields the defaults, Save writes
    // nothing.
    MQSetting(MQXmlElement settingsElement, const char *sectionName);
    virtual ~MQSetting();
    MQSetting(const MQSetting &) = delete;
    MQSetting &operator=(const MQSetting &) = delete;

    // Sets `value` from the key's text, or to `defaultValue` when the key is
    // missing or its text is empty. A text that is not a number reads 0
    // (false for bool). Bool: any non-zero leading integer is true.
    void Load(const char *key, bool &value, bool defaultValue);
    void Load(const char *key, int32_t &value, int32_t defaultValue);
    void Load(const char *key, float &value, float defaultValue);

    // Replaces the key's element by a new one, appended last in the section,
    // holding the encoded value: "1"/"0", "%d", or "%e" of the value widened
    // to double. Every older element of the key is removed; if the host
    // refuses the new element, the old one stays.
    void Save(const char *key, bool value);
    void Save(const char *key, int32_t value);
    void Save(const char *key, float value);

    MQXmlElement SettingsElement() const { return settings_; }
    // Null when the host refused to create the section.
    MQXmlElement SectionElement() const { return section_; }
    const std::string &SectionName() const { return sectionName_; }

private:
    // The key's text, converted to UTF-16; false (and `text` empty) when the
    // key is missing or has no text.
    bool ReadKey(const char *key, std::u16string &text) const;
    void WriteKey(const char *key, const std::u16string &text);

    MQXmlElement settings_ = nullptr;
    MQXmlElement section_ = nullptr;
    std::string sectionName_;
};

namespace settings {

// The section name for an ID pair: "Plugin-", the product ID as eight
// upper-case hexadecimal digits, "-", the plug-in ID likewise.
std::string SectionName(MQDWORD product, MQDWORD plugin);

// The section of the plug-in with this ID pair, under the host's settings
// element; null when the host has no functions bound or no settings element.
// The caller deletes it after use.
MQSetting *OpenPluginSetting(MQDWORD product, MQDWORD plugin);

// The element's text converted to UTF-16. False, with `text` empty, when the
// host returns no text.
bool ReadElementText(MQXmlElement element, std::u16string &text);

} // namespace settings
