// What a user can choose in the plug-in's command dialog: its thirty
// command buttons (the plug-in's command table: label, group, command
// number, Alt key) and its options, for checking a request before the run
// and naming the command afterwards. The run itself finds the buttons in the
// dialog's widget tree by label.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "commands/command_table.h"

namespace standin::cli {

using DialogCommand = vexolin::CommandInfo;

std::span<const DialogCommand> DialogCommands();

// The button with this label, inside `group` when that is not empty. Throws
// InputError listing the valid labels (and groups, where a label repeats).
const DialogCommand &FindCommand(const std::string &label, const std::string &group);

// What Alt+key does in the dialog.
struct AltKey {
    char key;
    const DialogCommand *command;  // the command it chooses, or null
    const char *toggles;           // the check box it toggles, or null
};
// Accepts one letter or digit, either case. Throws InputError listing the
// keys that do something.
AltKey FindAltKey(const std::string &key);

// The options a user can set, with the dialog's limits.
struct DialogOptions {
    std::optional<double> range;        // 0 .. 1000
    std::optional<double> angle1;       // -180 .. 180, or 0 .. 360 with supplement
    std::optional<double> angle2;
    std::optional<int> index;           // 0 .. 9999999
    std::optional<bool> face;
    std::optional<bool> local;
    std::optional<bool> supplement;
    std::optional<bool> allObjects;
};

// Throws InputError for a value the dialog would not accept. `supplement`
// is the state the angles will be set under.
void CheckOptions(const DialogOptions &options, bool supplement);

// "on"/"off", "true"/"false", "yes"/"no", "1"/"0".
bool ParseSwitch(const std::string &text, const std::string &what);

} // namespace standin::cli
