// A test bound to the stand-in host with a fresh, empty settings store of
// its own and a plug-in object with its construction defaults.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "plugin/vexolin.h"
#include "standin/settings/settings_store.h"
#include "tests/unit/unit_fixture.h"

namespace testsupport {

class SettingsTest : public HostTest {
protected:
    static constexpr const char *kSection = "Plugin-6D2B5F14-39C4E8A7";

    void SetUp() override {
        HostTest::SetUp();
        standin::SetHostSettings(&store);
    }
    void TearDown() override { standin::SetHostSettings(&standin::DefaultSettings()); }

    pugi::xml_node Section() { return store.PluginSettings().child(kSection); }
    pugi::xml_node MakeSection() {
        pugi::xml_node section = Section();
        return section ? section : store.PluginSettings().append_child(kSection);
    }
    // Stores `text` under `key`, as a hand-edited file would.
    void Put(const char *key, const char *text) {
        pugi::xml_node section = MakeSection();
        pugi::xml_node element = section.child(key);
        if (!element) element = section.append_child(key);
        element.text().set(text);
    }
    std::vector<std::string> KeyNames() {
        std::vector<std::string> names;
        for (pugi::xml_node child : Section().children()) names.emplace_back(child.name());
        return names;
    }
    std::string TextOf(const char *key) { return Section().child(key).text().get(); }
    std::string Serialized() {
        std::ostringstream out;
        store.Xml().save(out);
        return out.str();
    }

    standin::SettingsStore store;
    Vexolin plugin;
};

} // namespace testsupport
