// Every command, and the dialog and settings paths, with each allocation of
// the plug-in module failing in turn: the k-th allocation fails for k = 1, 2,
// ... until a run completes without reaching k. Every run must return 0 with
// the selection as it was, or complete as a run without failures does; it
// must not crash, and (in the sanitizer build) leak nothing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "commands/command_table.h"
#include "tests/support/dialog_fixture.h"
#include "tests/fault/allocation_hooks.h"

namespace {

namespace tk = standin::toolkit;
using testsupport::Selection;

const char *const kOptionKeys[] = {"face", "local", "suppl", "range", "angle1", "angle2", "PosX", "PosY"};

// What one run left behind.
struct Outcome {
    int result = 0;
    Selection selection;
    std::map<std::string, std::string> stored;
};

// Totals over the whole program, printed at the end.
struct Totals {
    int scenarios = 0;
    std::size_t failurePoints = 0;
    std::size_t failedRuns = 0;    // returned 0, selection unchanged
    std::size_t recoveredRuns = 0; // completed as without failures
} g_totals;

class FaultInjection : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        testsupport::PluginModule &module = testsupport::BoundPlugin();
        faultinject::Setup(reinterpret_cast<const void *>(module.MQModifySelect));
    }

    // One run of the real module on a fresh rich document, with "All
    // objects" set as asked and then `actions` done by the scripted user;
    // the k-th plug-in allocation fails (0: none).
    Outcome RunOnce(bool allObjects, const std::vector<tk::Action> &actions, std::size_t failAt,
                    faultinject::Tally &tally) {
        testsupport::PluginModule &module = testsupport::BoundPlugin();
        tk::Reset();
        standin::DefaultSettings().Clear();
        standin::SetHostSettings(&standin::DefaultSettings());
        standin::ResetMisbehaviour();
        // "All objects" is kept in memory from run to run: set it as asked
        // first, then do the actions.
        tk::SetModalObserver([allObjects, actions](int32_t dialog) {
            const int32_t box = tk::FindByText("All objects(&A)", {}, dialog);
            const std::optional<tk::Value> checked = tk::Property(box, "checked");
            if (checked && std::get<bool>(*checked) != allObjects) tk::AppendScript({tk::Action::ClickId(box)});
            tk::AppendScript(actions);
        });
        standin::Document doc;
        testsupport::BuildRichDocument(doc);
        before_ = testsupport::SelectionOf(doc);
        tk::SetScript({});
        faultinject::Arm(failAt);
        Outcome out;
        out.result = module.MQModifySelect(0, doc.Handle());
        tally = faultinject::Disarm();
        out.selection = testsupport::SelectionOf(doc);
        for (const char *key : kOptionKeys)
            if (auto text = testsupport::StoredOption(key)) out.stored[key] = *text;
        EXPECT_EQ(standin::FirstMisbehaviour(), "");
        tk::Reset();
        return out;
    }

    // The sweep: a run without failures, then one run per failure point.
    void Sweep(const std::string &name, bool allObjects, const std::vector<tk::Action> &actions) {
        faultinject::Tally tally;
        const Outcome normal = RunOnce(allObjects, actions, 0, tally);
        ASSERT_FALSE(tally.injected);
        if (std::getenv("FAULT_DEBUG")) std::cout << name << ": " << normal.result << " " << normal.selection << " allocations " << tally.allocations << "\n";
        ASSERT_GT(tally.allocations, 0u) << name << ": no allocation of the module was seen";
        std::size_t points = 0;
        for (std::size_t k = 1;; ++k) {
            const Outcome got = RunOnce(allObjects, actions, k, tally);
            if (!tally.injected) {
                // Ran to the end without reaching k: the same as a normal run.
                EXPECT_EQ(got.result, normal.result) << name;
                EXPECT_EQ(got.selection, normal.selection) << name;
                break;
            }
            ++points;
            const bool unchanged = got.result == 0 && got.selection == before_;
            const bool complete = got.result == normal.result && got.selection == normal.selection;
            EXPECT_TRUE(unchanged || complete)
                << name << ", allocation " << k << " failing: returned " << got.result << ", selection "
                << got.selection << " (before " << before_ << ", normal " << normal.selection << ")";
            if (unchanged) ++g_totals.failedRuns;
            if (complete && !unchanged) ++g_totals.recoveredRuns;
            // A stored option is either not written or written as a normal
            // run writes it: never a half-written or wrong value.
            for (const auto &[key, text] : got.stored) {
                const auto expected = normal.stored.find(key);
                EXPECT_TRUE(expected != normal.stored.end() && expected->second == text)
                    << name << ", allocation " << k << " failing: option " << key << " stored as " << text;
            }
            if (HasFailure()) return;
            ASSERT_LT(k, 100000u) << name << ": the sweep does not end";
        }
        ++g_totals.scenarios;
        g_totals.failurePoints += points;
        std::printf("[ sweep    ] %-40s %zu failure points\n", name.c_str(), points);
    }

    Selection before_;
};

TEST_F(FaultInjection, EveryCommandFailsWholeOrCompletes) {
    using vexolin::Family;
    for (const vexolin::CommandInfo &c : vexolin::kCommands) {
        std::vector<tk::Action> actions;
        if (c.family == Family::Index) actions.push_back(tk::Action::SetSpinAt(3, 2));
        actions.push_back(tk::Action::Click(c.label, c.group));
        const std::string name = "command " + std::to_string(c.number);
        Sweep(name, false, actions);
        if (HasFatalFailure() || HasFailure()) return;
        // "All objects" changes what commands 1-15 and 26-28 walk.
        if (c.family == Family::Axis || c.family == Family::Polygon || c.family == Family::EdgeRidge ||
            c.family == Family::Clear) {
            Sweep(name + ", all objects", true, actions);
            if (HasFatalFailure() || HasFailure()) return;
        }
    }
}

TEST_F(FaultInjection, DialogAndSettingsPathsFailWholeOrComplete) {
    // Opened and cancelled: the dialog is built, the options loaded, nothing
    // saved.
    Sweep("dialog cancelled", false, {tk::Action::Click("Cancel")});
    // Options changed in the dialog and saved by the command that ends it.
    Sweep("options changed and saved", false,
          {tk::Action::SetSpinAfterLabel("Range", 0.25), tk::Action::SetSpinAfterLabel("Angle", 10),
           tk::Action::Click("(&F)ace"), tk::Action::Click("Y<0")});
    // A shortcut key ends the dialog through the key event path.
    Sweep("shortcut key", false, {tk::Action::Key('R', {.alt = true})});
}

class TotalsPrinter : public ::testing::EmptyTestEventListener {
    void OnTestProgramEnd(const ::testing::UnitTest &) override {
        std::printf("fault injection: %d scenarios, %zu failure points tried (%zu failed whole, %zu completed)\n",
                    g_totals.scenarios, g_totals.failurePoints, g_totals.failedRuns, g_totals.recoveredRuns);
    }
};

[[maybe_unused]] const bool kPrinterAdded = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new TotalsPrinter);
    return true;
}();

} // namespace
