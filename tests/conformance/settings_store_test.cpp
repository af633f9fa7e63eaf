// The stand-in host's settings store: its host functions refuse bad
// requests, keep elements in order, and its file survives crashes and
// corruption without losing anything.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

#include "abi/mq_host_declarations.h"
#include "standin/core/host_checks.h"
#include "standin/settings/settings_store.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path &path, const std::string &data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << data;
}

std::vector<std::string> ChildNames(pugi::xml_node node) {
    std::vector<std::string> names;
    for (pugi::xml_node child : node.children()) names.emplace_back(child.name());
    return names;
}

std::string Serialized(standin::SettingsStore &store) {
    std::ostringstream out;
    store.Xml().save(out);
    return out.str();
}

// A store installed as the host's, and the settings element it hands out.
// Refused requests are the plug-in's misbehaviour and enter the host's log;
// what a store answers 0 for by its own choice (no store, an element not
// found, no text) does not.
class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        standin::ResetMisbehaviour();
        standin::SetHostSettings(&store);
        void *values[] = {const_cast<char *>("root"), nullptr, const_cast<char *>("pluginsettings"), nullptr,
                          nullptr, nullptr};
        MQSettingsRequest request{1, 2, nullptr, values};
        ASSERT_EQ(MQ_SendMessage(MQ_MESSAGE_PLUGIN_SETTINGS, &request), 1);
        root = static_cast<MQXmlElement>(values[1]);
        settings = static_cast<MQXmlElement>(values[3]);
        ASSERT_NE(settings, nullptr);
    }
    void TearDown() override {
        standin::SetHostSettings(&standin::DefaultSettings());
        standin::ResetMisbehaviour();
    }

    // Whether a request was refused (answered 0) and recorded as the
    // plug-in's misbehaviour, exactly once; forgets the record.
    static bool Refused(int answer) {
        size_t recorded = 0;
        for (const standin::Misbehaviour &m : standin::RecordedMisbehaviour())
            recorded += m.by == standin::Functions::Settings ? 1 : 0;
        standin::ResetMisbehaviour();
        return answer == 0 && recorded == 1;
    }
    static bool Recorded() {
        const bool recorded = standin::MisbehaviourRecorded(standin::Functions::Settings);
        standin::ResetMisbehaviour();
        return recorded;
    }

    MQXmlElement Add(MQXmlElement parent, const char *name) {
        MQXmlAddChildRecord r{name, nullptr};
        const int answer = MQXmlElem_Value(parent, MQ_XML_ADD_CHILD, &r);
        EXPECT_EQ(answer, r.result != nullptr ? 1 : 0);
        return r.result;
    }
    MQXmlElement Find(MQXmlElement parent, const char *name) {
        MQXmlFindChildRecord r{name, nullptr};
        MQXmlElem_Value(parent, MQ_XML_FIND_CHILD, &r);
        return r.result;
    }
    int Remove(MQXmlElement parent, MQXmlElement child) {
        void *word = nullptr;
        MQXmlRemoveChildRecord r{child, &word};
        return MQXmlElem_Value(parent, MQ_XML_REMOVE_CHILD, &r);
    }
    const char *Text(MQXmlElement element) {
        MQXmlGetTextRecord r{nullptr};
        MQXmlElem_Value(element, MQ_XML_GET_TEXT, &r);
        return r.result;
    }
    int SetText(MQXmlElement element, const char *text) {
        MQXmlSetTextRecord r{text};
        return MQXmlElem_Value(element, MQ_XML_SET_TEXT, &r);
    }

    standin::SettingsStore store;
    MQXmlElement root = nullptr;
    MQXmlElement settings = nullptr;
};

// A temporary directory of the test's own, removed afterwards.
class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("vexolin-settings-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        file = dir / "settings.xml";
    }
    void TearDown() override { fs::remove_all(dir); }

    std::vector<std::string> DirectoryEntries() const {
        std::vector<std::string> names;
        for (const auto &entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir;
    fs::path file;
};

TEST_F(SettingsStoreTest, SettingsMessageHandsOutTheSettingsElement) {
    EXPECT_STREQ(store.NodeOf(settings).name(), "pluginsettings");
    EXPECT_STREQ(store.NodeOf(root).name(), "settings");
    EXPECT_EQ(store.NodeOf(settings).parent(), store.NodeOf(root));

    // Asking again gives the same element.
    void *values[] = {const_cast<char *>("pluginsettings"), nullptr, nullptr, nullptr};
    MQSettingsRequest request{0, 0, nullptr, values};
    EXPECT_EQ(MQ_SendMessage(MQ_MESSAGE_PLUGIN_SETTINGS, &request), 1);
    EXPECT_EQ(values[1], settings);
}

TEST_F(SettingsStoreTest, BadSettingsMessagesAreRefused) {
    void *values[] = {const_cast<char *>("pluginsettings"), nullptr, nullptr, nullptr};
    MQSettingsRequest request{0, 0, nullptr, values};
    EXPECT_TRUE(Refused(MQ_SendMessage(504, &request)));
    EXPECT_EQ(values[1], nullptr);
    EXPECT_TRUE(Refused(MQ_SendMessage(MQ_MESSAGE_PLUGIN_SETTINGS, nullptr)));
    MQSettingsRequest noList{0, 0, nullptr, nullptr};
    EXPECT_TRUE(Refused(MQ_SendMessage(MQ_MESSAGE_PLUGIN_SETTINGS, &noList)));
    void *otherKeyword[] = {const_cast<char *>("other"), nullptr, nullptr, nullptr};
    MQSettingsRequest other{0, 0, nullptr, otherKeyword};
    EXPECT_EQ(MQ_SendMessage(MQ_MESSAGE_PLUGIN_SETTINGS, &other), 0);
    EXPECT_EQ(otherKeyword[1], nullptr);
    EXPECT_NE(standin::FirstMisbehaviour().find("MQ_SendMessage(505): unknown keyword"), std::string::npos);
    EXPECT_TRUE(Recorded());

    // A host without a store hands out nothing; the plug-in did no wrong.
    standin::SetHostSettings(nullptr);
    EXPECT_EQ(MQ_SendMessage(MQ_MESSAGE_PLUGIN_SETTINGS, &request), 0);
    EXPECT_EQ(values[1], nullptr);
    EXPECT_EQ(Add(settings, "a"), nullptr);
    EXPECT_FALSE(Recorded());
}

TEST_F(SettingsStoreTest, ChildrenAreAppendedInOrderAndFoundFirstByName) {
    const MQXmlElement section = Add(settings, "Plugin-6D2B5F14-39C4E8A7");
    ASSERT_NE(section, nullptr);
    const MQXmlElement b = Add(section, "b");
    const MQXmlElement a1 = Add(section, "a");
    const MQXmlElement a2 = Add(section, "a");
    ASSERT_NE(a1, nullptr);
    ASSERT_NE(a2, nullptr);
    EXPECT_NE(a1, a2);
    EXPECT_EQ(ChildNames(store.NodeOf(section)), (std::vector<std::string>{"b", "a", "a"}));
    EXPECT_EQ(Find(section, "a"), a1);
    EXPECT_EQ(Find(section, "b"), b);
    EXPECT_EQ(Find(section, "c"), nullptr);
    EXPECT_EQ(Find(settings, "a"), nullptr) << "only children are found, not deeper elements";

    EXPECT_EQ(Remove(section, a1), 1);
    EXPECT_EQ(Find(section, "a"), a2);
    EXPECT_EQ(ChildNames(store.NodeOf(section)), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(standin::FirstMisbehaviour(), "") << "an element not found is no misbehaviour";
}

TEST_F(SettingsStoreTest, TextsAreUtf8AndReplaced) {
    const MQXmlElement key = Add(settings, "key");
    EXPECT_EQ(Text(key), nullptr) << "a new element has no text";
    EXPECT_EQ(SetText(key, "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x98\x80"), 1);
    EXPECT_STREQ(Text(key), "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x98\x80");
    EXPECT_EQ(SetText(key, "2"), 1);
    EXPECT_STREQ(Text(key), "2");
    EXPECT_EQ(SetText(key, ""), 1);
    const char *empty = Text(key);
    EXPECT_TRUE(empty == nullptr || *empty == '\0');
    EXPECT_EQ(standin::FirstMisbehaviour(), "") << "an element without text is no misbehaviour";
}

TEST_F(SettingsStoreTest, BadElementRequestsChangeNothing) {
    const MQXmlElement section = Add(settings, "section");
    const MQXmlElement key = Add(section, "key");
    SetText(key, "1");
    const std::string before = Serialized(store);

    int notAnElement = 0;
    const auto foreign = reinterpret_cast<MQXmlElement>(&notAnElement);
    for (MQXmlElement bad : {static_cast<MQXmlElement>(nullptr), foreign}) {
        MQXmlAddChildRecord add{"x", nullptr};
        EXPECT_TRUE(Refused(MQXmlElem_Value(bad, MQ_XML_ADD_CHILD, &add)));
        EXPECT_EQ(add.result, nullptr);
        MQXmlFindChildRecord find{"key", nullptr};
        EXPECT_TRUE(Refused(MQXmlElem_Value(bad, MQ_XML_FIND_CHILD, &find)));
        EXPECT_EQ(find.result, nullptr);
        MQXmlGetTextRecord get{nullptr};
        EXPECT_TRUE(Refused(MQXmlElem_Value(bad, MQ_XML_GET_TEXT, &get)));
        EXPECT_EQ(get.result, nullptr);
        EXPECT_TRUE(Refused(SetText(bad, "x")));
        EXPECT_TRUE(Refused(Remove(bad, key)));
        EXPECT_TRUE(Refused(Remove(section, bad)));
    }
    EXPECT_EQ(notAnElement, 0);

    // Unknown codes and null records.
    for (int code : {0, 0x100, 0x103, 0x301, 0x401, 0x999, -1}) {
        MQXmlFindChildRecord r{"key", nullptr};
        EXPECT_TRUE(Refused(MQXmlElem_Value(section, code, &r))) << code;
    }
    for (int code : {MQ_XML_ADD_CHILD, MQ_XML_REMOVE_CHILD, MQ_XML_FIND_CHILD, MQ_XML_GET_TEXT, MQ_XML_SET_TEXT}) {
        EXPECT_TRUE(Refused(MQXmlElem_Value(section, code, nullptr))) << code;
    }

    // Null and impossible names, null text.
    EXPECT_EQ(Find(section, nullptr), nullptr);
    EXPECT_TRUE(Recorded());
    for (const char *name : {static_cast<const char *>(nullptr), "", "1abc", "a b", "<x>", "a&b", "-a", "\xFF",
                             "a\xC3"}) {
        EXPECT_EQ(Add(section, name), nullptr) << (name ? name : "(null)");
        EXPECT_TRUE(Recorded()) << (name ? name : "(null)");
    }
    EXPECT_TRUE(Refused(SetText(key, nullptr)));

    // Removing an element that is not a child of the one named.
    EXPECT_TRUE(Refused(Remove(settings, key)));
    EXPECT_TRUE(Refused(Remove(key, section)));

    EXPECT_EQ(Serialized(store), before);
    // Names that are fine in XML are accepted.
    EXPECT_NE(Add(section, "_a.b-c:d9"), nullptr);
    EXPECT_NE(Add(section, "\xC3\xA9t\xC3\xA9"), nullptr);
}

TEST_F(SettingsStoreTest, RemovedElementsLoseTheirHandles) {
    const MQXmlElement section = Add(settings, "section");
    const MQXmlElement key = Add(section, "key");
    const MQXmlElement inner = Add(key, "inner");
    ASSERT_EQ(Remove(settings, section), 1);
    // New elements may reuse the freed memory; the old handles stay refused.
    for (int i = 0; i < 20; ++i) Add(settings, "fresh");
    for (MQXmlElement stale : {section, key, inner}) {
        EXPECT_EQ(Add(stale, "x"), nullptr);
        EXPECT_TRUE(Recorded());
        EXPECT_EQ(Find(stale, "key"), nullptr);
        EXPECT_TRUE(Recorded());
        EXPECT_EQ(Text(stale), nullptr);
        EXPECT_TRUE(Recorded());
        EXPECT_TRUE(Refused(SetText(stale, "x")));
        EXPECT_FALSE(store.NodeOf(stale));
    }
    EXPECT_TRUE(Refused(Remove(settings, section)));
    EXPECT_EQ(ChildNames(store.NodeOf(settings)).size(), 20u);

    // A handle from a store that was emptied is refused as well.
    const MQXmlElement fresh = Find(settings, "fresh");
    store.Clear();
    EXPECT_FALSE(store.NodeOf(fresh));
    EXPECT_FALSE(store.NodeOf(settings));
}

TEST_F(SettingsFileTest, SavedStoreReloadsWithItsOrderAndTexts) {
    {
        standin::SettingsStore store;
        ASSERT_TRUE(store.Open(file)) << "a missing file is a first run";
        EXPECT_TRUE(store.Backup().empty());
        pugi::xml_node section = store.PluginSettings().append_child("Plugin-6D2B5F14-39C4E8A7");
        for (const char *key : {"face", "local", "suppl", "range"}) section.append_child(key);
        section.child("face").text().set("1");
        section.child("local").text().set(" ");
        section.child("suppl").text().set("<&>\"'");
        section.child("range").text().set("\xC3\xA9\xFF");
        ASSERT_TRUE(store.Save());
    }
    EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{"settings.xml"}) << "no temporary file is left";

    standin::SettingsStore again;
    const standin::StoreResult opened = again.Open(file);
    ASSERT_TRUE(opened) << opened.error;
    pugi::xml_node section = again.PluginSettings().child("Plugin-6D2B5F14-39C4E8A7");
    EXPECT_EQ(ChildNames(section), (std::vector<std::string>{"face", "local", "suppl", "range"}));
    EXPECT_STREQ(section.child("face").text().get(), "1");
    EXPECT_STREQ(section.child("local").text().get(), " ");
    EXPECT_STREQ(section.child("suppl").text().get(), "<&>\"'");
    EXPECT_STREQ(section.child("range").text().get(), "\xC3\xA9\xFF");
}

TEST_F(SettingsFileTest, HandEditsAndCommentsSurvive) {
    WriteFile(file, "<?xml version=\"1.0\"?>\n<!-- mine -->\n<settings><other a=\"1\">x</other>"
                    "<pluginsettings/></settings>\n");
    standin::SettingsStore store;
    ASSERT_TRUE(store.Open(file));
    ASSERT_TRUE(store.Save());
    const std::string saved = ReadFile(file);
    EXPECT_NE(saved.find("<!-- mine -->"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<other a=\"1\">x</other>"), std::string::npos) << saved;
}

TEST_F(SettingsFileTest, CorruptFileIsSetAsideAndNeverOverwritten) {
    const std::string corrupt = "<settings><pluginsettings><Plugin-6D2B5F14-39C4E8A7><face>1</fa";
    WriteFile(file, corrupt);
    standin::SettingsStore store;
    const standin::StoreResult opened = store.Open(file);
    EXPECT_FALSE(opened);
    EXPECT_NE(opened.error.find(file.string()), std::string::npos) << opened.error;
    EXPECT_NE(opened.error.find("well-formed"), std::string::npos) << opened.error;
    ASSERT_FALSE(store.Backup().empty());
    EXPECT_NE(opened.error.find(store.Backup().string()), std::string::npos) << opened.error;
    EXPECT_EQ(ReadFile(store.Backup()), corrupt);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(store.PluginSettings().first_child()) << "the host goes on with an empty store";

    // The host saves its fresh store; the backup is left as it was.
    store.PluginSettings().append_child("Plugin-6D2B5F14-39C4E8A7");
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(ReadFile(store.Backup()), corrupt);
    standin::SettingsStore check;
    EXPECT_TRUE(check.Open(file));

    // A second corrupt file gets a backup of its own.
    const fs::path firstBackup = store.Backup();
    WriteFile(file, "not xml at all");
    EXPECT_FALSE(store.Open(file));
    EXPECT_NE(store.Backup(), firstBackup);
    EXPECT_EQ(ReadFile(store.Backup()), "not xml at all");
    EXPECT_EQ(ReadFile(firstBackup), corrupt);
}

TEST_F(SettingsFileTest, EmptyFilesAndForeignDocumentsAreSetAside) {
    for (const std::string &data : {std::string(), std::string("<other><pluginsettings/></other>")}) {
        WriteFile(file, data);
        standin::SettingsStore store;
        const standin::StoreResult opened = store.Open(file);
        EXPECT_FALSE(opened) << data;
        ASSERT_FALSE(store.Backup().empty());
        EXPECT_EQ(ReadFile(store.Backup()), data);
        EXPECT_FALSE(fs::exists(file));
    }
}

TEST_F(SettingsFileTest, ADirectoryInPlaceOfTheFileIsSetAside) {
    fs::create_directory(file);
    WriteFile(file / "inside", "data");
    standin::SettingsStore store;
    const standin::StoreResult opened = store.Open(file);
    EXPECT_FALSE(opened);
    EXPECT_NE(opened.error.find("not a regular file"), std::string::npos) << opened.error;
    EXPECT_EQ(ReadFile(store.Backup() / "inside"), "data");
    EXPECT_TRUE(store.Save());
}

#ifdef __linux__
TEST_F(SettingsFileTest, AFileThatCannotBeMovedAsideIsNotOverwritten) {
    // Read-only and not XML: the store cannot set it aside, so it must refuse
    // to save over it.
    const fs::path path = "/proc/version";
    if (!fs::exists(path)) GTEST_SKIP() << "no /proc/version";
    standin::SettingsStore store;
    const standin::StoreResult opened = store.Open(path);
    EXPECT_FALSE(opened);
    EXPECT_NE(opened.error.find("will not be overwritten"), std::string::npos) << opened.error;
    const standin::StoreResult saved = store.Save();
    EXPECT_FALSE(saved);
    EXPECT_NE(saved.error.find("not overwritten"), std::string::npos) << saved.error;
}
#endif

TEST_F(SettingsFileTest, FailedSaveLeavesTheOldFileWhole) {
    standin::SettingsStore store;
    ASSERT_TRUE(store.Open(file));
    store.PluginSettings().append_child("first");
    ASSERT_TRUE(store.Save());
    const std::string good = ReadFile(file);

    // Block the temporary file's name, so the write fails half-way.
    fs::path temporary = file;
    temporary += "." + std::to_string(getpid()) + ".tmp";
    fs::create_directory(temporary);
    store.PluginSettings().append_child("second");
    const standin::StoreResult saved = store.Save();
    EXPECT_FALSE(saved);
    EXPECT_NE(saved.error.find(temporary.string()), std::string::npos) << saved.error;
    EXPECT_EQ(ReadFile(file), good);
    fs::remove(temporary);

    ASSERT_TRUE(store.Save());
    EXPECT_NE(ReadFile(file).find("second"), std::string::npos);
    EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{"settings.xml"});
}

TEST(SettingsStoreMemory, AStoreWithoutAFileDoesNotSave) {
    standin::SettingsStore store;
    const standin::StoreResult saved = store.Save();
    EXPECT_FALSE(saved);
    EXPECT_FALSE(saved.error.empty());
}

TEST(SettingsStoreMemory, DestroyedStoreHandsTheHostBackItsDefault) {
    {
        standin::SettingsStore store;
        standin::SetHostSettings(&store);
        EXPECT_EQ(standin::HostSettings(), &store);
    }
    EXPECT_EQ(standin::HostSettings(), &standin::DefaultSettings());
}

} // namespace
