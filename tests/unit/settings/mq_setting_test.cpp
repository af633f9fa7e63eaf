// The settings accessor and the options' load and save, against the
// stand-in host's settings store.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <locale>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "settings/mq_setting.h"
#include "tests/unit/settings/settings_fixture.h"

namespace {

using testsupport::SettingsTest;

// A plug-in with another ID pair, for the section name.
class OtherPlugin final : public MQBasePlugin {
public:
    void GetPlugInID(MQDWORD *product, MQDWORD *id) override {
        *product = 0xABC;
        *id = 0x00FF00FF;
    }
    const char *GetPlugInName() override { return "other"; }
    int GetPlugInType() override { return 5; }
};

void SetAllOptionsAway(vexolin::Options &p) {
    p.face = true;
    p.local = true;
    p.suppl = false;
    p.range = 5.0f;
    p.angle1 = 3.0f;
    p.angle2 = 4.0f;
    p.PosX = 100;
    p.PosY = 200;
}

void ExpectDefaults(const vexolin::Options &p) {
    EXPECT_FALSE(p.face);
    EXPECT_FALSE(p.local);
    EXPECT_EQ(p.range, 0.001f);
    EXPECT_TRUE(p.suppl);
    EXPECT_EQ(p.angle1, 0.0f);
    EXPECT_EQ(p.angle2, 90.0f);
    EXPECT_EQ(p.PosX, -1);
    EXPECT_EQ(p.PosY, -1);
}

TEST_F(SettingsTest, FirstRunYieldsDefaultsAndAnEmptySection) {
    SetAllOptionsAway(plugin.options);
    plugin.LoadSettings();
    ExpectDefaults(plugin.options);

    pugi::xml_node section = Section();
    ASSERT_TRUE(section);
    EXPECT_EQ(std::string(section.name()).size(), 24u);
    EXPECT_FALSE(section.first_child()) << "a load creates no keys";
    EXPECT_EQ(std::distance(store.PluginSettings().begin(), store.PluginSettings().end()), 1);

    // A second load finds the section instead of making another.
    plugin.LoadSettings();
    EXPECT_EQ(std::distance(store.PluginSettings().begin(), store.PluginSettings().end()), 1);
}

TEST_F(SettingsTest, SectionNameComesFromTheIdPair) {
    EXPECT_EQ(settings::SectionName(0x6D2B5F14, 0x39C4E8A7), kSection);
    EXPECT_EQ(settings::SectionName(0, 0xFFFFFFFF), "Plugin-00000000-FFFFFFFF");

    OtherPlugin other;
    const std::unique_ptr<MQSetting> setting(other.OpenSetting());
    ASSERT_NE(setting, nullptr);
    EXPECT_EQ(setting->SectionName(), "Plugin-00000ABC-00FF00FF");
    EXPECT_TRUE(store.PluginSettings().child("Plugin-00000ABC-00FF00FF"));
    EXPECT_EQ(store.NodeOf(setting->SectionElement()), store.PluginSettings().child("Plugin-00000ABC-00FF00FF"));
}

TEST_F(SettingsTest, SupplZeroIsFalseAndEmptyTextIsTheDefault) {
    Put("suppl", "0");
    plugin.LoadSettings();
    EXPECT_FALSE(plugin.options.suppl);

    Put("suppl", "");
    plugin.LoadSettings();
    EXPECT_TRUE(plugin.options.suppl);

    // An element without any text child also reads as the default.
    Section().remove_child("suppl");
    Section().append_child("suppl");
    plugin.options.suppl = false;
    plugin.LoadSettings();
    EXPECT_TRUE(plugin.options.suppl);
}

TEST_F(SettingsTest, BoolTextsReadTheirLeadingInteger) {
    struct Case {
        const char *text;
        bool expected;
    };
    // "suppl" defaults to true, so a false here is a parsed 0, not a default.
    const Case cases[] = {{"2", true},      {" 1", true},   {"-1", true},   {"1abc", true}, {"abc", false},
                          {"0x1", false},   {"+0", false},  {" ", false},   {"true", false}};
    for (const Case &c : cases) {
        Put("suppl", c.text);
        plugin.LoadSettings();
        EXPECT_EQ(plugin.options.suppl, c.expected) << '"' << c.text << '"';
    }
}

TEST_F(SettingsTest, FloatAndIntTextsFollowTheParsingRules) {
    Put("range", "1.000000e-003");
    Put("angle1", "1.000000e-03");
    Put("angle2", "abc");
    Put("PosX", " -12px");
    Put("PosY", "99999999999");
    plugin.LoadSettings();
    EXPECT_EQ(plugin.options.range, 0.001f);
    EXPECT_EQ(plugin.options.angle1, 0.001f);
    EXPECT_EQ(plugin.options.angle2, 0.0f) << "a present text that is no number reads 0, not the default";
    EXPECT_EQ(plugin.options.PosX, -12);
    EXPECT_EQ(plugin.options.PosY, INT32_MAX);
}

TEST_F(SettingsTest, MalformedUtf8InStoredTextsIsReadSafely) {
    Put("suppl", "\xFF");                 // U+FFFD: no number
    Put("face", "1\xC3");                 // a digit, then a sequence cut short
    Put("PosX", "12\xE2\x82");
    Put("PosY", "\xE2\x82""5");
    Put("range", "2.5\xF0\x9F\x98");
    plugin.LoadSettings();
    EXPECT_FALSE(plugin.options.suppl);
    EXPECT_TRUE(plugin.options.face);
    EXPECT_EQ(plugin.options.PosX, 12);
    EXPECT_EQ(plugin.options.PosY, 0);
    EXPECT_EQ(plugin.options.range, 2.5f);
}

TEST_F(SettingsTest, SaveWritesEncodedTextsInSaveOrder) {
    plugin.options.face = true;
    plugin.options.local = false;
    plugin.options.suppl = true;
    plugin.options.range = 0.5f;
    plugin.options.angle1 = 0.0f;
    plugin.options.angle2 = 90.0f;
    plugin.options.PosX = -1;
    plugin.options.PosY = 1234;
    plugin.SaveSettings();

    EXPECT_EQ(KeyNames(), (std::vector<std::string>{"face", "local", "suppl", "range", "angle1", "angle2", "PosX",
                                                     "PosY"}));
    EXPECT_EQ(TextOf("face"), "1");
    EXPECT_EQ(TextOf("local"), "0");
    EXPECT_EQ(TextOf("suppl"), "1");
    EXPECT_EQ(TextOf("range"), "5.000000e-01");
    EXPECT_EQ(TextOf("angle1"), "0.000000e+00");
    EXPECT_EQ(TextOf("angle2"), "9.000000e+01");
    EXPECT_EQ(TextOf("PosX"), "-1");
    EXPECT_EQ(TextOf("PosY"), "1234");
}

TEST_F(SettingsTest, SavingTwiceLeavesOneElementPerKey) {
    Put("other", "kept"); // a key of no option stays where it is
    Put("range", "7");    // an existing key moves to its place in save order
    plugin.SaveSettings();
    plugin.options.range = 0.25f;
    plugin.SaveSettings();
    EXPECT_EQ(KeyNames(), (std::vector<std::string>{"other", "face", "local", "suppl", "range", "angle1", "angle2",
                                                     "PosX", "PosY"}));
    EXPECT_EQ(TextOf("range"), "2.500000e-01");
    EXPECT_EQ(TextOf("other"), "kept");
}

TEST_F(SettingsTest, DuplicateKeyElementsAreAllReplaced) {
    // A hand-edited file with the key twice: the saved value must be the one
    // the next load finds.
    MakeSection().append_child("face").text().set("1");
    MakeSection().append_child("face").text().set("1");
    plugin.options.face = false;
    plugin.SaveSettings();
    int faces = 0;
    for (pugi::xml_node child : Section().children("face")) {
        ++faces;
        EXPECT_STREQ(child.text().get(), "0");
    }
    EXPECT_EQ(faces, 1);
    plugin.options.face = true;
    plugin.LoadSettings();
    EXPECT_FALSE(plugin.options.face);
}

TEST_F(SettingsTest, RefusedKeyElementKeepsTheStoredValue) {
    Put("range", "2.5");
    store.refuseNewElements = true;
    plugin.options.range = 9.0f;
    plugin.SaveSettings();
    EXPECT_EQ(KeyNames(), std::vector<std::string>{"range"});
    EXPECT_EQ(TextOf("range"), "2.5");
    plugin.LoadSettings();
    EXPECT_EQ(plugin.options.range, 2.5f);
}

TEST_F(SettingsTest, ValuesSurviveASaveAndALoad) {
    const int32_t ints[] = {-1, 0, 1, 640, INT32_MIN, INT32_MAX};
    const float floats[] = {0.001f, 0.1f, 1.0f / 3.0f, -123.456f, 1e-30f, 3.0e38f, 179.99f};
    for (int32_t v : ints) {
        plugin.options.PosX = v;
        plugin.options.PosY = -v - 1;
        plugin.SaveSettings();
        plugin.options.PosX = plugin.options.PosY = 7;
        plugin.LoadSettings();
        EXPECT_EQ(plugin.options.PosX, v);
        EXPECT_EQ(plugin.options.PosY, -v - 1);
    }
    for (float v : floats) {
        plugin.options.angle1 = v;
        plugin.SaveSettings();
        plugin.options.angle1 = 42.0f;
        plugin.LoadSettings();
        EXPECT_LE(std::fabs(plugin.options.angle1 - v), std::fabs(v) * 1e-6f) << v;
    }
    for (bool b : {true, false}) {
        plugin.options.face = plugin.options.local = plugin.options.suppl = b;
        plugin.SaveSettings();
        plugin.options.face = plugin.options.local = plugin.options.suppl = !b;
        plugin.LoadSettings();
        EXPECT_EQ(plugin.options.face, b);
        EXPECT_EQ(plugin.options.local, b);
        EXPECT_EQ(plugin.options.suppl, b);
    }
}

TEST_F(SettingsTest, WithoutASettingsElementNothingIsReadOrWritten) {
    standin::SetHostSettings(nullptr);
    EXPECT_EQ(plugin.OpenSetting(), nullptr);
    SetAllOptionsAway(plugin.options);
    plugin.LoadSettings();
    EXPECT_TRUE(plugin.options.face);
    EXPECT_FALSE(plugin.options.suppl);
    EXPECT_EQ(plugin.options.range, 5.0f);
    EXPECT_EQ(plugin.options.PosY, 200);
    plugin.SaveSettings();
    EXPECT_FALSE(Section()) << "the store was not the host's, so nothing reached it";
}

TEST_F(SettingsTest, RefusedSectionLoadsDefaultsAndSavesNothing) {
    store.refuseNewElements = true;
    store.PluginSettings(); // the host's own elements exist already
    const std::string before = Serialized();
    {
        const std::unique_ptr<MQSetting> setting(plugin.OpenSetting());
        ASSERT_NE(setting, nullptr);
        EXPECT_EQ(setting->SectionElement(), nullptr);
    }
    SetAllOptionsAway(plugin.options);
    plugin.LoadSettings();
    ExpectDefaults(plugin.options);
    plugin.SaveSettings();
    EXPECT_EQ(Serialized(), before);
}

TEST_F(SettingsTest, ADecimalCommaLocaleStillWritesAndReadsPoints) {
    const std::locale saved = std::locale::global(std::locale::classic());
    bool found = false;
    for (const char *name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
        try {
            std::locale::global(std::locale(name));
        } catch (const std::runtime_error &) {
            continue;
        }
        if (std::localeconv()->decimal_point[0] == ',') {
            found = true;
            break;
        }
    }
    if (!found) {
        std::locale::global(saved);
        GTEST_SKIP() << "no locale with a decimal comma is installed (tried de_DE and fr_FR)";
    }
    plugin.options.range = 0.001f;
    plugin.SaveSettings();
    EXPECT_EQ(TextOf("range"), "1.000000e-03");
    Put("angle2", "4.500000e+01");
    plugin.options.range = 1.0f;
    plugin.LoadSettings();
    EXPECT_EQ(plugin.options.range, 0.001f);
    EXPECT_EQ(plugin.options.angle2, 45.0f);
    std::locale::global(saved);
}

} // namespace
