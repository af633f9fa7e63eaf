// The dialog's options: the "Supplement" mirror, the stored position, the
// index box that is never pre-filled, Cancel, and the round trip of the
// options through the settings file across two processes.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/dialog_fixture.h"
#include "tests/support/child_process.h"
#include "tests/support/meshes.h"

namespace endtoend {

namespace tk = standin::toolkit;
using testsupport::DialogTest;
using testsupport::StoredOption;

namespace {

class DialogOptions : public DialogTest {
protected:
    // A document of one object: a quad grid, nothing selected.
    void SetUp() override {
        DialogTest::SetUp();
        doc.AddObject("grid");
        testsupport::AddQuadGrid(*doc.ObjectAt(0), 3, 3);
    }
    static void StoreOption(const char *key, const char *text) {
        pugi::xml_node section = standin::HostSettings()->PluginSettings().child("Plugin-6D2B5F14-39C4E8A7");
        if (!section) section = standin::HostSettings()->PluginSettings().append_child("Plugin-6D2B5F14-39C4E8A7");
        pugi::xml_node node = section.child(key);
        if (!node) node = section.append_child(key);
        node.text().set(text);
    }
    standin::Document doc;
};

TEST_F(DialogOptions, SupplementMirrorsTheAngleWindow) {
    // A first run holds "Supplement" on (its stored default); the click turns
    // it off and mirrors (10, 30) to (150, 170).
    ASSERT_EQ(Run(doc, {tk::Action::SetSpinAfterLabel("Angle", 10), tk::Action::SetSpinAfterLabel("->", 30),
                        tk::Action::Click("Supplement"), tk::Action::Click("Y<0")}),
              1);
    EXPECT_EQ(StoredOption("suppl"), "0");
    EXPECT_EQ(StoredOption("angle1"), "1.500000e+02");
    EXPECT_EQ(StoredOption("angle2"), "1.700000e+02");

    // Off: (0, 90) becomes (90, 180); on again restores (0, 90). The first
    // switch happens in the -180..180 range, the second back in 0..360.
    ASSERT_EQ(Run(doc, {tk::Action::SetSpinAfterLabel("Angle", 0), tk::Action::SetSpinAfterLabel("->", 90),
                        tk::Action::Click("Supplement"), tk::Action::Click("Y<0")}),
              1);
    EXPECT_EQ(StoredOption("suppl"), "1");
    EXPECT_EQ(StoredOption("angle1"), "9.000000e+01");
    EXPECT_EQ(StoredOption("angle2"), "1.800000e+02");
    ASSERT_EQ(Run(doc, {tk::Action::Click("Supplement"), tk::Action::Click("Y<0")}), 1);
    EXPECT_EQ(StoredOption("suppl"), "0");
    EXPECT_EQ(StoredOption("angle1"), "0.000000e+00");
    EXPECT_EQ(StoredOption("angle2"), "9.000000e+01");
    ExpectCleanProtocol();
}

TEST_F(DialogOptions, AngleRangesFollowTheSupplementSwitch) {
    // With the supplement off the boxes stop at -180..180; on, at 0..360.
    StoreOption("suppl", "0");
    ASSERT_EQ(Run(doc, {tk::Action::SetSpinAfterLabel("Angle", -500), tk::Action::SetSpinAfterLabel("->", 500),
                        tk::Action::Click("Y<0")}),
              1);
    EXPECT_EQ(StoredOption("angle1"), "-1.800000e+02");
    EXPECT_EQ(StoredOption("angle2"), "1.800000e+02");
    StoreOption("suppl", "1");
    ASSERT_EQ(Run(doc, {tk::Action::SetSpinAfterLabel("Angle", -500), tk::Action::SetSpinAfterLabel("->", 500),
                        tk::Action::Click("Y<0")}),
              1);
    EXPECT_EQ(StoredOption("angle1"), "0.000000e+00");
    EXPECT_EQ(StoredOption("angle2"), "3.600000e+02");
}

TEST_F(DialogOptions, PositionIsStoredAfterACommandAndKeptOnCancel) {
    // No stored position: the host places the dialog, and that is stored.
    ASSERT_EQ(Run(doc, {tk::Action::Click("Y<0")}), 1);
    EXPECT_EQ(StoredOption("PosX"), std::to_string(tk::kDefaultDialogX));
    EXPECT_EQ(StoredOption("PosY"), std::to_string(tk::kDefaultDialogY));

    // A stored position places the dialog there and survives the run.
    StoreOption("PosX", "300");
    StoreOption("PosY", "50");
    ASSERT_EQ(Run(doc, {tk::Action::Click("Y<0")}), 1);
    EXPECT_EQ(StoredOption("PosX"), "300");
    EXPECT_EQ(StoredOption("PosY"), "50");

    // Only one coordinate stored: not applied; the host's placement is stored.
    StoreOption("PosX", "100");
    StoreOption("PosY", "-1");
    ASSERT_EQ(Run(doc, {tk::Action::Click("Y<0")}), 1);
    EXPECT_EQ(StoredOption("PosX"), std::to_string(tk::kDefaultDialogX));
    EXPECT_EQ(StoredOption("PosY"), std::to_string(tk::kDefaultDialogY));

    // Cancel writes nothing.
    StoreOption("PosX", "7");
    StoreOption("range", "5.000000e-01");
    ASSERT_EQ(Run(doc, {tk::Action::SetSpinAfterLabel("Range", 0.125), tk::Action::Click("(&F)ace"),
                        tk::Action::Click("Cancel")}),
              0);
    EXPECT_EQ(StoredOption("PosX"), "7");
    EXPECT_EQ(StoredOption("range"), "5.000000e-01");
    EXPECT_EQ(StoredOption("face"), "0");
}

TEST_F(DialogOptions, StoredCoordinateOfZeroIsAPosition) {
    // The left or top edge of the screen is a stored position like any other.
    for (const auto &[x, y] : {std::pair<int, int>{0, 0}, {0, 40}, {40, 0}}) {
        StoreOption("PosX", std::to_string(x).c_str());
        StoreOption("PosY", std::to_string(y).c_str());
        ASSERT_EQ(Run(doc, {tk::Action::Click("Y<0")}), 1);
        EXPECT_EQ(StoredOption("PosX"), std::to_string(x));
        EXPECT_EQ(StoredOption("PosY"), std::to_string(y));
    }
}

TEST_F(DialogOptions, IndexBoxIsNotPrefilled) {
    ASSERT_EQ(Run(doc, {tk::Action::SetSpinAt(3, 5), tk::Action::Click("Vertex", "select by index")}), 1);
    EXPECT_EQ(doc.ObjectAt(0)->SelectedVertices(), (std::vector<int32_t>{5}));
    // The next run starts the box at the toolkit's default, not at 5.
    ASSERT_EQ(Run(doc, {tk::Action::Click("Vertex", "select by index")}), 1);
    EXPECT_EQ(doc.ObjectAt(0)->SelectedVertices(), (std::vector<int32_t>{0, 5}));
}

TEST_F(DialogOptions, RangeIsStoredAsTheNearestFloat) {
    ASSERT_EQ(Run(doc, {tk::Action::SetSpinAfterLabel("Range", 0.001), tk::Action::Click("Y<0")}), 1);
    EXPECT_EQ(StoredOption("range"), "1.000000e-03");
    // The box rounds to its three decimals, as the toolkit shows it.
    ASSERT_EQ(Run(doc, {tk::Action::SetSpinAfterLabel("Range", 0.1234), tk::Action::Click("Y<0")}), 1);
    EXPECT_EQ(StoredOption("range"), "1.230000e-01");
}

// ---------------------------------------------------------------------------
// Across processes: one process chooses options and saves the settings file;
// a second, fresh process finds them pre-filled and uses them.
// ---------------------------------------------------------------------------

int RunChild(const std::filesystem::path &settings, int step) {
    return testsupport::RunChild(testsupport::SelfPath(), {"--gtest_filter=DialogAcrossProcesses.Step"},
                                 {{"VEXOLIN_E2E_SETTINGS", settings.string()},
                                  {"VEXOLIN_E2E_STEP", std::to_string(step)}})
        .status;
}

TEST(DialogAcrossProcesses, OptionsComeBackPrefilledInTheNextProcess) {
    const auto dir = std::filesystem::temp_directory_path() / ("vexolin-e2e-" + std::to_string(testsupport::ProcessId()));
    std::filesystem::create_directories(dir);
    const auto settings = dir / "settings.xml";
    EXPECT_EQ(RunChild(settings, 1), 0);
    ASSERT_TRUE(std::filesystem::exists(settings));
    EXPECT_EQ(RunChild(settings, 2), 0);
    std::filesystem::remove_all(dir);
}

// The two steps, run only as children of the test above.
TEST(DialogAcrossProcesses, Step) {
    const char *path = std::getenv("VEXOLIN_E2E_SETTINGS");
    const char *stepText = std::getenv("VEXOLIN_E2E_STEP");
    if (path == nullptr || stepText == nullptr) GTEST_SKIP() << "runs as a child of OptionsComeBackPrefilledInTheNextProcess";
    const int step = std::atoi(stepText);

    standin::SettingsStore store;
    ASSERT_TRUE(store.Open(path));
    standin::SetHostSettings(&store);
    testsupport::PluginModule &module = testsupport::BoundPlugin();
    tk::Reset();

    // A 5 x 1 strip of quads along y from 0 to 1 in steps of 0.2... as rows:
    // vertex rows at y = 0, 0.2, 0.4, 0.6, 0.8, 1.0.
    standin::Document doc;
    doc.AddObject("strip");
    standin::Object &strip = *doc.ObjectAt(0);
    for (int j = 0; j <= 5; ++j) {
        strip.AddVertex({0, 0.2f * static_cast<float>(j), 0});
        strip.AddVertex({1, 0.2f * static_cast<float>(j), 0});
    }
    for (int32_t j = 0; j < 5; ++j) {
        const int32_t quad[] = {2 * j, 2 * j + 1, 2 * j + 3, 2 * j + 2};
        strip.AddFace(quad);
    }

    if (step == 1) {
        tk::SetScript({tk::Action::SetSpinAfterLabel("Range", 0.5), tk::Action::Click("(&F)ace"),
                       tk::Action::Click("Y=0")});
        ASSERT_EQ(module.MQModifySelect(0, doc.Handle()), 1);
        // |y| < 0.5: rows 0, 0.2, 0.4. "(&F)ace" does nothing for "Y=0".
        EXPECT_EQ(strip.SelectedVertices(), (std::vector<int32_t>{0, 1, 2, 3, 4, 5}));
        EXPECT_TRUE(strip.SelectedFaces().empty());
    } else {
        // Nothing set by hand: the stored range and "(&F)ace" are pre-filled.
        tk::SetScript({tk::Action::Click("Y>0")});
        ASSERT_EQ(module.MQModifySelect(0, doc.Handle()), 1);
        // y > 0.5: rows 0.6, 0.8, 1.0; every face has y >= 0.
        EXPECT_EQ(strip.SelectedVertices(), (std::vector<int32_t>{6, 7, 8, 9, 10, 11}));
        EXPECT_EQ(strip.SelectedFaces(), (std::vector<int32_t>{0, 1, 2, 3, 4}));
    }
    EXPECT_EQ(tk::FirstViolation(), "");
    ASSERT_TRUE(store.Save());
    standin::SetHostSettings(nullptr);
}

} // namespace
} // namespace endtoend
