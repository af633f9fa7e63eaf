// Runs the real plug-in module on a stand-in document as the modeller
// would: the module is loaded by path and bound by its export names, told
// the host module's path, and asked to modify the selection; the headless
// toolkit's scripted user does in the command dialog what the user asked.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "commands/options.h"
#include "standin/cli/dialog_commands.h"
#include "standin/cli/dialog_view.h"
#include "standin/core/document.h"

namespace standin {
class SettingsStore;
}

namespace standin::cli {

// What the user does in the dialog: options, then Alt keys, then the button.
struct DialogChoice {
    DialogOptions options;
    std::vector<std::string> altKeys;  // pressed in order, with Alt held
    std::string button;                // label; empty when an Alt key chooses
    std::string group;
};

// The command a choice ends with: the button, else the last Alt key that
// chooses one. Throws InputError when nothing chooses a command, or when
// the label or a key is unknown.
const DialogCommand &ChosenCommand(const DialogChoice &choice);

// Options as the plug-in saved them in the host's settings store, read as
// the store holds them (locale-free), with the plug-in's defaults for keys
// it has not saved yet.
struct StoredOptions {
    bool face = vexolin::kUnstoredOptions.face;
    bool local = vexolin::kUnstoredOptions.local;
    bool suppl = vexolin::kUnstoredOptions.suppl;
    double range = static_cast<double>(vexolin::kUnstoredOptions.range);
    double angle1 = static_cast<double>(vexolin::kUnstoredOptions.angle1);
    double angle2 = static_cast<double>(vexolin::kUnstoredOptions.angle2);
};

class PluginRunner {
public:
    // Loads the module and initialises it; throws InputError when the file
    // is missing or is not a plug-in this host can bind.
    explicit PluginRunner(const std::string &modulePath);
    ~PluginRunner();
    PluginRunner(const PluginRunner &) = delete;
    PluginRunner &operator=(const PluginRunner &) = delete;

    // The plug-in's section of the store, "Plugin-XXXXXXXX-XXXXXXXX".
    std::string SettingsSection() const;
    StoredOptions ReadStored(standin::SettingsStore &store) const;

    struct Result {
        bool carriedOut = false;   // MQModifySelect returned 1
        bool dialogShown = false;  // the toolkit saw a modal run
        std::string problem;       // why nothing was carried out, if it was not
    };
    // Calls MQModifySelect(0, document); when the dialog opens, scripts what
    // the user does from its live widget tree (throws InputError, after the
    // dialog is cancelled, for an option it cannot take). Checks afterwards
    // that the options saved in `store`, the host's settings store, are
    // those asked for.
    // With `seen`, the dialog's widget tree is copied there as it stood when
    // the modal run started, before the scripted user did anything.
    Result Run(const DialogChoice &choice, standin::Document &document, standin::SettingsStore &store,
               std::optional<DialogNode> *seen = nullptr);

    // Runs the dialog and cancels it, for a look at its widget tree as it
    // opens: nothing is selected and the plug-in saves nothing. Throws
    // InputError when the plug-in shows no dialog or does not take the
    // cancel.
    DialogNode CaptureDialog(standin::Document &document);

private:
    void *handle_ = nullptr;
    struct Exports;
    Exports *exports_ = nullptr;
};

// The file of the loaded stand-in host module, as MQInit expects it.
std::string HostModulePath();

} // namespace standin::cli
