// End-to-end runs of the real plug-in module in the stand-in host: the
// scripted user drives the real command dialog, and the document's selection
// is compared with what the same command does when called in-process.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "standin/core/document.h"
#include "standin/core/host_checks.h"
#include "standin/settings/settings_store.h"
#include "standin/toolkit/toolkit.h"
#include "tests/support/plugin_module.h"

namespace testsupport {

namespace tk = standin::toolkit;

// The whole selection of a document, object by object.
struct Selection {
    struct Of {
        std::vector<int32_t> vertices;
        std::vector<standin::LineRef> lines;
        std::vector<int32_t> faces;
        friend bool operator==(const Of &, const Of &) = default;
        friend auto operator<=>(const Of &, const Of &) = default;
    };
    std::vector<Of> objects;
    friend bool operator==(const Selection &, const Selection &) = default;
    friend auto operator<=>(const Selection &, const Selection &) = default;
};

Selection SelectionOf(const standin::Document &doc);
std::ostream &operator<<(std::ostream &out, const Selection &s);

// A document on which every command has something to do: a current object
// with vertices on both sides of each axis plane, faces of two to five
// points, a ridge, a border, duplicated vertices, and a selection of
// vertices, lines and faces to convert; a second object, and a locked one.
void BuildRichDocument(standin::Document &doc);

// The text of one stored option, or nothing when the key is missing.
std::optional<std::string> StoredOption(const char *key);

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        standin::ResetMisbehaviour();
        module = &testsupport::BoundPlugin();
        tk::Reset();
        // Each test starts from the host's default store, empty, as a first
        // run of the host does: options saved by an earlier test of the same
        // program must not be pre-filled or found stored here.
        standin::DefaultSettings().Clear();
        standin::SetHostSettings(&standin::DefaultSettings());
        SwitchOffAllObjects();
    }
    // "All objects(&A)" is never stored: the loaded module keeps it in
    // memory from one run to the next. An earlier test of the same program
    // may have left it on; switch it off through the dialog (clearing the
    // vertex selection of an empty document), then forget that run.
    void SwitchOffAllObjects() {
        tk::SetModalObserver([](int32_t dialog) {
            const int32_t box = tk::FindByText("All objects(&A)", {}, dialog);
            const std::optional<tk::Value> checked = tk::Property(box, "checked");
            if (checked && std::get<bool>(*checked))
                tk::AppendScript({tk::Action::ClickId(box), tk::Action::Click("Vertex", "Clear")});
        });
        standin::Document empty;
        tk::SetScript({});
        module->MQModifySelect(0, empty.Handle());
        tk::Reset();
        standin::DefaultSettings().Clear();
    }
    // The host refuses calls naming a deleted face or an index outside the
    // slots quietly; the plug-in must not have made any.
    void TearDown() override { EXPECT_EQ(standin::FirstMisbehaviour(), "") << "a call the host had to refuse"; }
    // Runs the plug-in once with the given user actions.
    int Run(standin::Document &doc, std::vector<tk::Action> actions) {
        tk::SetScript(std::move(actions));
        return module->MQModifySelect(0, doc.Handle());
    }
    // No request of the plug-in was refused by the toolkit.
    void ExpectCleanProtocol() { EXPECT_EQ(tk::FirstViolation(), ""); }

    testsupport::PluginModule *module = nullptr;
};

} // namespace testsupport
