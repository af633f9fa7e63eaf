// Every command chosen from the user's hand: each of the thirty buttons, and
// each Alt shortcut, changes the document exactly as the same command number
// does when the dispatcher is handed it directly.
#include <set>

#include "host/host_api.h"
#include "plugin/vexolin.h"
#include "tests/support/dialog_fixture.h"

namespace endtoend {

namespace tk = standin::toolkit;
using testsupport::BuildRichDocument;
using testsupport::DialogTest;
using testsupport::Selection;
using testsupport::SelectionOf;
using testsupport::StoredOption;

namespace {

struct Button {
    int command;
    const char *label;
    const char *group;
};

// The dialog's buttons with the groups that tell equal labels apart.
constexpr Button kButtons[] = {
    {1, "X<0(&Z)", ""},  {2, "X=0(&X)", ""},   {3, "X>0(&C)", ""},   {4, "Y<0", ""},
    {5, "Y=0", ""},      {6, "Y>0", ""},       {7, "Z<0", ""},       {8, "Z=0", ""},
    {9, "Z>0", ""},      {10, "5(&5)", ""},    {11, "4(&4)", ""},    {12, "3(&3)", ""},
    {13, "2(&2)", ""},   {14, "Edge(&E)", ""}, {15, "Ridge(&R)", ""}, {16, "Vertex -> Face(&W)", ""},
    {17, "Vertex => Face(&S)", ""}, {18, "Line => Vertex(&D)", ""}, {19, "Face => Vertex(&G)", ""},
    {20, "Vertex -> Line(&T)", ""}, {21, "Vertex => Line(&Y)", ""}, {22, "Face => Line(&H)", ""},
    {23, "2Line -> Face(&B)", ""},  {24, "Face => Dup Vertex(&Q)", ""},
    {25, "Line => Dup Vertex(&1)", ""}, {26, "Vertex", "Clear"}, {27, "Face", "Clear"},
    {28, "Line", "Clear"},          {29, "Vertex", "select by index"}, {30, "Face", "select by index"},
};

struct Shortcut {
    char key;
    int command;
};

constexpr Shortcut kShortcuts[] = {
    {'Z', 1},  {'X', 2},  {'C', 3},  {'5', 10}, {'4', 11}, {'3', 12}, {'2', 13},
    {'E', 14}, {'R', 15}, {'W', 16}, {'S', 17}, {'D', 18}, {'G', 19}, {'T', 20},
    {'Y', 21}, {'H', 22}, {'B', 23}, {'Q', 24}, {'1', 25},
};

constexpr int32_t kIndex = 10;            // set in the index spin box
constexpr int32_t kIndexSpinPosition = 3; // range, angle 1, angle 2, index

// The same command run in-process on a fresh document, with the options the
// dialog holds on a first run (stored defaults, "Supplement" on).
Selection Expected(int command) {
    static bool bound = hostapi::Bind(STANDIN_HOST_PATH);
    EXPECT_TRUE(bound);
    standin::Document doc;
    BuildRichDocument(doc);
    Vexolin plugin([](vexolin::Options &) { return true; });
    plugin.options.suppl = true;
    plugin.options.selectIndex = kIndex;
    plugin.options.commandNumber = command;
    EXPECT_EQ(plugin.Execute(0, doc.Handle()), 1);
    return SelectionOf(doc);
}

class DialogCommands : public DialogTest {};

TEST_F(DialogCommands, EveryButtonRunsItsCommand) {
    std::set<Selection> outcomes;
    for (const Button &b : kButtons) {
        standin::Document doc;
        BuildRichDocument(doc);
        EXPECT_EQ(Run(doc, {tk::Action::SetSpinAt(kIndexSpinPosition, kIndex), tk::Action::Click(b.label, b.group)}), 1)
            << b.label << ' ' << tk::ScriptError();
        const Selection got = SelectionOf(doc);
        EXPECT_EQ(got, Expected(b.command)) << "button " << b.label << " (" << b.group << ")";
        outcomes.insert(got);
    }
    ExpectCleanProtocol();
    // The document was built so that the commands disagree: thirty buttons
    // mapped to a handful of commands could not produce this many outcomes.
    EXPECT_GE(outcomes.size(), 25u);
}

TEST_F(DialogCommands, EveryAltShortcutRunsItsCommand) {
    for (const Shortcut &s : kShortcuts) {
        standin::Document doc;
        BuildRichDocument(doc);
        EXPECT_EQ(Run(doc, {tk::Action::Key(s.key, {.alt = true})}), 1) << s.key;
        EXPECT_EQ(SelectionOf(doc), Expected(s.command)) << "Alt+" << s.key;
    }
    ExpectCleanProtocol();
}

TEST_F(DialogCommands, KeysWithoutAltOrOutsideTheTableDoNothing) {
    for (std::vector<tk::Action> script : std::vector<std::vector<tk::Action>>{
             {tk::Action::Key('Z')},
             {tk::Action::Key('Z', {.shift = true, .ctrl = true})},
             {tk::Action::Key('L', {.alt = true})},
             {tk::Action::Key('6', {.alt = true})},
             {tk::Action::Key('0', {.alt = true})}}) {
        standin::Document doc;
        BuildRichDocument(doc);
        const Selection before = SelectionOf(doc);
        // The dialog stays open; the script runs out and the run reads as
        // cancelled.
        EXPECT_EQ(Run(doc, script), 0);
        EXPECT_EQ(SelectionOf(doc), before);
        ASSERT_FALSE(tk::ModalRuns().empty());
        EXPECT_EQ(tk::ModalRuns().back().end, tk::RunEnd::ScriptExhausted);
    }
    // Alt+L did not toggle "(&L)ocal": nothing was saved at all.
    EXPECT_FALSE(StoredOption("local").has_value());
}

TEST_F(DialogCommands, AltTogglesTheFaceAndAllObjectsSwitches) {
    standin::Document doc;
    BuildRichDocument(doc);
    // Alt+F twice: "(&F)ace" as it was (off): X<0 selects no faces.
    ASSERT_EQ(Run(doc, {tk::Action::Key('F', {.alt = true}), tk::Action::Key('F', {.alt = true}),
                        tk::Action::Click("X<0(&Z)")}),
              1);
    EXPECT_EQ(StoredOption("face"), "0");
    EXPECT_EQ(SelectionOf(doc), Expected(1));

    // Alt+F once and Alt+A once: both on, and X<0 reaches the grid too.
    standin::Document doc2;
    BuildRichDocument(doc2);
    const Selection before = SelectionOf(doc2);
    ASSERT_EQ(Run(doc2, {tk::Action::Key('F', {.alt = true}), tk::Action::Key('A', {.alt = true}),
                         tk::Action::Click("Z<0")}),
              1);
    EXPECT_EQ(StoredOption("face"), "1");
    const Selection after = SelectionOf(doc2);
    EXPECT_NE(after.objects[1], before.objects[1]); // the grid, reached through "All objects"
    EXPECT_EQ(after.objects[3], before.objects[3]); // the locked object, never
    EXPECT_GT(after.objects[0].faces.size(), before.objects[0].faces.size());
    ExpectCleanProtocol();
}

TEST_F(DialogCommands, CancelChangesNothingAndSavesNothing) {
    standin::Document doc;
    BuildRichDocument(doc);
    const Selection before = SelectionOf(doc);
    EXPECT_EQ(Run(doc, {tk::Action::SetSpinAfterLabel("Range", 0.5), tk::Action::Click("Cancel")}), 0);
    EXPECT_EQ(SelectionOf(doc), before);
    EXPECT_FALSE(StoredOption("range").has_value());
    EXPECT_FALSE(StoredOption("PosX").has_value());
    ExpectCleanProtocol();
}

} // namespace
} // namespace endtoend
