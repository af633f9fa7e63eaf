// The stand-in host's settings store: an XML document of named elements,
// each with its children in order and an optional UTF-8 text.
//
//   <settings>                       the root element
//     <pluginsettings>               handed to plug-ins by MQ_SendMessage(505)
//       <Plugin-6D2B5F14-39C4E8A7>   one section per plug-in
//         <face>0</face>             one element per key
//
// Plug-ins reach it through MQ_SendMessage(505, ...) and MQXmlElem_Value;
// the host's tools and tests use this class. Element handles given to
// plug-ins are numbers drawn from one counter for the whole process and
// never reused, so a handle the store did not hand out, or one whose element
// has since been removed, is refused without ever being dereferenced.
//
// A store can live in memory only, or be tied to a file with Open. Saving
// writes a temporary file beside the target and renames it over the target,
// so an interrupted save never leaves a truncated store.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <unordered_map>

#include <pugixml.hpp>

#include "abi/mq_abi.h"

namespace standin {

struct StoreResult {
    bool ok = true;
    std::string error; // what went wrong, naming the file; empty when ok
    explicit operator bool() const { return ok; }
};

class SettingsStore {
public:
    static constexpr const char *kRootName = "settings";
    static constexpr const char *kPluginSettingsName = "pluginsettings";

    // An empty store in memory, tied to no file.
    SettingsStore();
    // If this is the host's store, the host goes back to its default store.
    ~SettingsStore();
    SettingsStore(const SettingsStore &) = delete;
    SettingsStore &operator=(const SettingsStore &) = delete;

    // Ties the store to `path` and loads it. A missing file gives an empty
    // store (the first run). A file that cannot be read, is not well-formed
    // XML or is not a settings document is moved aside to a backup (see
    // Backup()) and never written over; the store is then empty and the
    // result carries the reason. Handles handed out before are withdrawn.
    StoreResult Open(const std::filesystem::path &path);
    // Writes the store to its file, atomically. Fails for a store without a
    // file, and for a file that could not be read and could not be moved aside.
    StoreResult Save();

    const std::filesystem::path &Path() const { return path_; }
    // Where the last Open moved an unusable file; empty when it moved none.
    const std::filesystem::path &Backup() const { return backup_; }

    // Empties the store and withdraws every handle.
    void Clear();

    // The XML document, for tests and tools. Elements removed here directly
    // keep their handles alive in the registry until the store notices they
    // are gone; remove elements through RemoveChild to withdraw them at once.
    pugi::xml_document &Xml() { return xml_; }
    // The root element and the plug-in settings element, created if missing.
    pugi::xml_node Root();
    pugi::xml_node PluginSettings();

    // The handle of `node`, handing one out when it has none; null for a
    // node outside this store's document.
    MQXmlElement HandleOf(pugi::xml_node node);
    // The element behind a handle; a null node for any handle this store did
    // not hand out or whose element is no longer in the document.
    pugi::xml_node NodeOf(MQXmlElement handle);

    // The element operations of MQXmlElem_Value. A request with a handle the
    // store does not know, a null or impossible name, or a null text answers
    // null or false and changes nothing. FindChild gives the first child of
    // that name; GetText gives null for an element without text.
    MQXmlElement AddChild(MQXmlElement parent, const char *name);
    bool RemoveChild(MQXmlElement parent, MQXmlElement child);
    MQXmlElement FindChild(MQXmlElement parent, const char *name);
    const char *GetText(MQXmlElement element);
    bool SetText(MQXmlElement element, const char *text);

    // For tests: the host refuses to create new elements.
    bool refuseNewElements = false;

private:
    void ForgetSubtree(pugi::xml_node node);
    bool Contains(const pugi::xml_node_struct *node) const;
    StoreResult SetAside(const std::string &reason);

    pugi::xml_document xml_;
    std::filesystem::path path_;
    std::filesystem::path backup_;
    // Set when the file could be neither read nor moved aside: Save must not
    // write over it.
    bool fileBlocked_ = false;
    std::unordered_map<uintptr_t, pugi::xml_node_struct *> nodes_;
    std::unordered_map<const pugi::xml_node_struct *, uintptr_t> handles_;
};

// The store the host's functions serve: at first a default in-memory store;
// null when a test has taken it away (the host then has no settings element).
SettingsStore *HostSettings();
// Makes `store` the host's store; null leaves the host without one.
void SetHostSettings(SettingsStore *store);
// The default store the host starts with.
SettingsStore &DefaultSettings();

// Whether `name` can be an element name in the XML file: a letter, "_" or
// ":" first, then letters, digits, "-", ".", "_" or ":"; non-ASCII letters as
// well-formed UTF-8.
bool IsElementName(const char *name);

} // namespace standin
