// The dialog as the toolkit holds it while it runs: title, groups and their
// buttons in order, the controls' properties, and the angle ranges that
// follow the stored "Supplement" switch.
#include "tests/support/dialog_fixture.h"

namespace endtoend {

namespace tk = standin::toolkit;
using testsupport::DialogTest;

namespace {

// The texts of every widget of `kind` below `root`, in tree order.
void CollectTexts(int32_t root, tk::Kind kind, std::vector<std::string> &out) {
    for (int32_t child : tk::ChildrenOf(root)) {
        if (tk::KindOf(child) == kind) out.push_back(tk::Text(child));
        CollectTexts(child, kind, out);
    }
}

std::vector<std::string> ButtonsIn(const std::string &group) {
    std::vector<std::string> labels;
    CollectTexts(tk::FindByText(group), tk::Kind::Button, labels);
    return labels;
}

template <class T> T Prop(int32_t id, const char *keyword) {
    const auto value = tk::Property(id, keyword);
    EXPECT_TRUE(value.has_value()) << keyword;
    if (!value.has_value() || !std::holds_alternative<T>(*value)) {
        ADD_FAILURE() << keyword << " has another form";
        return T{};
    }
    return std::get<T>(*value);
}

// Spin boxes of the running dialog, in tree order: range, angle 1, angle 2, index.
std::vector<int32_t> SpinBoxes(int32_t root) {
    std::vector<int32_t> out;
    for (int32_t child : tk::ChildrenOf(root)) {
        const auto kind = tk::KindOf(child);
        if (kind == tk::Kind::SpinBox || kind == tk::Kind::DoubleSpinBox) out.push_back(child);
        for (int32_t inner : SpinBoxes(child)) out.push_back(inner);
    }
    return out;
}

class DialogStructure : public DialogTest {
protected:
    // Runs the plug-in and calls `inspect` with the dialog's ID while it is
    // on screen, then cancels.
    void Inspect(const std::function<void(int32_t)> &inspect) {
        standin::Document doc;
        doc.AddObject("empty");
        bool seen = false;
        tk::SetModalObserver([&](int32_t dialog) {
            seen = true;
            inspect(dialog);
        });
        EXPECT_EQ(Run(doc, {tk::Action::Click("Cancel")}), 0);
        tk::SetModalObserver(nullptr);
        EXPECT_TRUE(seen);
        ExpectCleanProtocol();
    }
};

TEST_F(DialogStructure, TitleGroupsAndButtonsInOrder) {
    Inspect([](int32_t dialog) {
        EXPECT_EQ(tk::Text(dialog), "Vexolin");
        EXPECT_EQ(tk::ParentOf(dialog), tk::kMainWindowId);

        std::vector<std::string> groups;
        CollectTexts(dialog, tk::Kind::GroupBox, groups);
        EXPECT_EQ(groups, (std::vector<std::string>{"select vertex by axis", "select polygon", "select Edge/Ridge",
                                                    "select by index", "select neighbor", "select duplicated",
                                                    "Clear"}));
        using L = std::vector<std::string>;
        EXPECT_EQ(ButtonsIn("select vertex by axis"),
                  (L{"X<0(&Z)", "X=0(&X)", "X>0(&C)", "Y<0", "Y=0", "Y>0", "Z<0", "Z=0", "Z>0"}));
        EXPECT_EQ(ButtonsIn("select polygon"), (L{"5(&5)", "4(&4)", "3(&3)", "2(&2)"}));
        EXPECT_EQ(ButtonsIn("select Edge/Ridge"), (L{"Edge(&E)", "Ridge(&R)"}));
        EXPECT_EQ(ButtonsIn("select by index"), (L{"Vertex", "Face"}));
        EXPECT_EQ(ButtonsIn("select neighbor"),
                  (L{"Vertex -> Face(&W)", "Vertex => Face(&S)", "Line => Vertex(&D)", "Face => Vertex(&G)",
                     "Vertex -> Line(&T)", "Vertex => Line(&Y)", "Face => Line(&H)", "2Line -> Face(&B)"}));
        EXPECT_EQ(ButtonsIn("select duplicated"), (L{"Face => Dup Vertex(&Q)", "Line => Dup Vertex(&1)"}));
        EXPECT_EQ(ButtonsIn("Clear"), (L{"Vertex", "Face", "Line"}));

        std::vector<std::string> checks;
        CollectTexts(dialog, tk::Kind::CheckBox, checks);
        EXPECT_EQ(checks, (L{"(&F)ace", "(&L)ocal", "Supplement", "All objects(&A)"}));
        EXPECT_EQ(tk::HandlerTypes(dialog), (std::vector<std::string>{"keydown"}));
    });
}

TEST_F(DialogStructure, AllObjectsLiesOutsideEveryGroupInTheFirstColumn) {
    Inspect([](int32_t dialog) {
        const int32_t all = tk::FindByText("All objects(&A)");
        ASSERT_NE(all, 0);
        for (int32_t up = tk::ParentOf(all); up != dialog && up != 0; up = tk::ParentOf(up))
            EXPECT_NE(tk::KindOf(up), tk::Kind::GroupBox);
        // dialog > main row > column 1 > ... the last child of column 1.
        const int32_t mainRow = tk::ChildrenOf(dialog).at(0);
        const std::vector<int32_t> columns = tk::ChildrenOf(mainRow);
        ASSERT_EQ(columns.size(), 3u);
        EXPECT_EQ(tk::ParentOf(all), columns[0]);
        EXPECT_EQ(tk::ChildrenOf(columns[0]).back(), all);
        EXPECT_EQ(tk::ChildrenOf(columns[0]).size(), 5u); // four groups, then the switch
    });
}

TEST_F(DialogStructure, CancelAndCommandButtonProperties) {
    Inspect([](int32_t) {
        const int32_t cancel = tk::FindByText("Cancel");
        ASSERT_NE(cancel, 0);
        EXPECT_EQ(Prop<std::string>(cancel, "vertlayout"), "hintsize");
        EXPECT_EQ(Prop<double>(cancel, "hintsizeratey"), 3.0);
        EXPECT_TRUE(Prop<bool>(cancel, "cancel"));
        EXPECT_EQ(Prop<int32_t>(cancel, "modalresult"), 2);
        EXPECT_TRUE(tk::HandlerTypes(cancel).empty());

        const int32_t ridge = tk::FindByText("Ridge(&R)");
        EXPECT_EQ(Prop<int32_t>(ridge, "modalresult"), 1);
        EXPECT_EQ(tk::HandlerTypes(ridge), (std::vector<std::string>{"execute"}));
        const int32_t clearFace = tk::FindByText("Face", "Clear");
        EXPECT_EQ(Prop<int32_t>(clearFace, "modalresult"), 1);
        EXPECT_EQ(tk::HandlerTypes(tk::FindByText("Supplement")), (std::vector<std::string>{"execute"}));
    });
}

TEST_F(DialogStructure, SpinBoxesOnAFirstRun) {
    Inspect([](int32_t dialog) {
        const std::vector<int32_t> spins = SpinBoxes(dialog);
        ASSERT_EQ(spins.size(), 4u);
        const int32_t range = spins[0], angle1 = spins[1], angle2 = spins[2], index = spins[3];
        EXPECT_EQ(Prop<int32_t>(range, "decimaldigit"), 3);
        EXPECT_EQ(Prop<double>(range, "min"), 0.0);
        EXPECT_EQ(Prop<double>(range, "max"), 1000.0);
        EXPECT_EQ(Prop<double>(range, "increment"), 0.01);
        EXPECT_EQ(Prop<double>(range, "position"), 0.001);
        // "Supplement" is on when nothing is stored: 0..360.
        for (int32_t a : {angle1, angle2}) {
            EXPECT_EQ(Prop<int32_t>(a, "visiblecolumn"), 6);
            EXPECT_EQ(Prop<int32_t>(a, "decimaldigit"), 1);
            EXPECT_EQ(Prop<double>(a, "increment"), 5.0);
            EXPECT_EQ(Prop<double>(a, "min"), 0.0);
            EXPECT_EQ(Prop<double>(a, "max"), 360.0);
        }
        EXPECT_EQ(Prop<double>(angle1, "position"), 0.0);
        EXPECT_EQ(Prop<double>(angle2, "position"), 90.0);
        EXPECT_TRUE(Prop<bool>(tk::FindByText("Supplement"), "checked"));
        EXPECT_EQ(tk::KindOf(index), tk::Kind::SpinBox);
        EXPECT_EQ(Prop<int32_t>(index, "max"), 9999999);
    });
}

TEST_F(DialogStructure, StoredOptionsArePrefilledAndRangesFollowSupplement) {
    standin::SettingsStore &store = *standin::HostSettings();
    pugi::xml_node section = store.PluginSettings().append_child("Plugin-6D2B5F14-39C4E8A7");
    for (auto [key, text] : {std::pair{"face", "1"}, {"local", "1"}, {"suppl", "0"}, {"range", "2.500000e-01"},
                             {"angle1", "-4.500000e+01"}, {"angle2", "3.000000e+01"}})
        section.append_child(key).text().set(text);
    Inspect([](int32_t dialog) {
        const std::vector<int32_t> spins = SpinBoxes(dialog);
        ASSERT_EQ(spins.size(), 4u);
        EXPECT_EQ(Prop<double>(spins[0], "position"), 0.25);
        for (int32_t a : {spins[1], spins[2]}) {
            EXPECT_EQ(Prop<double>(a, "min"), -180.0);
            EXPECT_EQ(Prop<double>(a, "max"), 180.0);
        }
        EXPECT_EQ(Prop<double>(spins[1], "position"), -45.0);
        EXPECT_EQ(Prop<double>(spins[2], "position"), 30.0);
        EXPECT_TRUE(Prop<bool>(tk::FindByText("(&F)ace"), "checked"));
        EXPECT_TRUE(Prop<bool>(tk::FindByText("(&L)ocal"), "checked"));
        EXPECT_FALSE(Prop<bool>(tk::FindByText("Supplement"), "checked"));
        EXPECT_FALSE(Prop<bool>(tk::FindByText("All objects(&A)"), "checked"));
    });
}

} // namespace
} // namespace endtoend
