// The options travel through the settings file on disk from one process to
// the next, as they do from one session of the host to the next.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "tests/support/child_process.h"

namespace fs = std::filesystem;

namespace {

using ProbeRun = testsupport::ChildRun; // output: standard output and standard error together

// Runs the probe on `file`; `assignments` are "key=value" words separated by spaces.
ProbeRun RunProbe(const fs::path &file, const std::string &assignments = {}) {
    std::vector<std::string> args = {file.string()};
    std::istringstream words(assignments);
    for (std::string word; words >> word;) args.push_back(word);
    return testsupport::RunChild(SETTINGS_PROBE_PATH, args, {}, true);
}

constexpr const char *kDefaults =
    "face=0 local=0 suppl=1 range=3A83126F angle1=00000000 angle2=42B40000 PosX=-1 PosY=-1\n";

class SettingsRoundTrip : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("vexolin-roundtrip-" + std::to_string(testsupport::ProcessId()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        file = dir / "settings.xml";
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path dir;
    fs::path file;
};

TEST_F(SettingsRoundTrip, OptionsSavedByOneProcessLoadInTheNext) {
    const ProbeRun first = RunProbe(file, "face=1 local=1 suppl=0 range=0.25 angle1=12.5 angle2=-45 PosX=-1 PosY=300");
    ASSERT_EQ(first.status, 0) << first.output;
    EXPECT_EQ(first.output, kDefaults) << "the first run starts from an empty store";

    const ProbeRun second = RunProbe(file);
    ASSERT_EQ(second.status, 0) << second.output;
    EXPECT_EQ(second.output, "face=1 local=1 suppl=0 range=3E800000 angle1=41480000 angle2=C2340000 PosX=-1 PosY=300\n");

    pugi::xml_document xml;
    ASSERT_TRUE(xml.load_file(file.c_str()));
    const pugi::xml_node section = xml.child("settings").child("pluginsettings").child("Plugin-6D2B5F14-39C4E8A7");
    std::vector<std::string> keys;
    for (pugi::xml_node key : section.children()) keys.emplace_back(key.name());
    EXPECT_EQ(keys, (std::vector<std::string>{"face", "local", "suppl", "range", "angle1", "angle2", "PosX", "PosY"}));
    EXPECT_STREQ(section.child("range").text().get(), "2.500000e-01");
    EXPECT_STREQ(section.child("angle2").text().get(), "-4.500000e+01");

    // A third run changes one option; the others stay as saved.
    ASSERT_EQ(RunProbe(file, "PosX=17").status, 0);
    const ProbeRun fourth = RunProbe(file);
    EXPECT_EQ(fourth.output, "face=1 local=1 suppl=0 range=3E800000 angle1=41480000 angle2=C2340000 PosX=17 PosY=300\n");
}

TEST_F(SettingsRoundTrip, CorruptFileIsReportedBackedUpAndReplaced) {
    const std::string corrupt = "<settings><pluginsettings><Plugin-6D2B5F14-39C4E8A7><face>1</face>";
    {
        std::ofstream out(file, std::ios::binary);
        out << corrupt;
    }
    const ProbeRun run = RunProbe(file, "face=1");
    EXPECT_EQ(run.status, 3) << run.output;
    EXPECT_NE(run.output.find("moved to"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find(kDefaults), std::string::npos) << "it goes on with the defaults";

    fs::path backup = file;
    backup += ".bad";
    ASSERT_TRUE(fs::exists(backup));
    std::ifstream in(backup, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), corrupt);

    const ProbeRun next = RunProbe(file);
    EXPECT_EQ(next.status, 0) << next.output;
    EXPECT_EQ(next.output.substr(0, 7), "face=1 ");
}

} // namespace

