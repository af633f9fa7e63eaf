// The command dialog: the thirty command buttons of the command table in
// their groups, the option controls, "Cancel", the Alt shortcuts and the
// "Supplement" switch.
//
// Pressing a command button (or its Alt shortcut) stores the button's
// command number and ends the modal run with result 1; "Cancel" ends it
// with result 2. ui::RunCommandDialog builds it from an options record,
// runs it and reads the choice back into the record.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "commands/command_table.h"
#include "commands/options.h"
#include "ui/widgets.h"

namespace ui {

// Shows the dialog pre-filled from `options` (at its remembered position,
// when there is one). When it ends with a command, copies the command and
// the controls' values into `options` and calls `whenChosen` while the
// dialog still stands; true then, false when it was cancelled.
bool RunCommandDialog(vexolin::Options &options, const std::function<void()> &whenChosen);

} // namespace ui

class VexolinDialog : public MQDialog {
public:
    // Builds the whole dialog under `parent`, pre-filled from `options`.
    VexolinDialog(MQWindowBase &parent, vexolin::Options &options);

    // The angle spin boxes' ranges: 0..360 with the supplement on,
    // -180..180 with it off. Returns 1.
    int SetAngleRanges(bool supplement);

    // "execute" of the "Supplement" check box: mirrors the angle window
    // (a1, a2) to (180 - a2, 180 - a1) in the new range. Returns 1.
    int OnSupplementExecute(MQWidgetBase *sender, void *context);

    // "keydown" of the dialog: Alt+mnemonic chooses a command and closes the
    // dialog, Alt+A and Alt+F toggle their check boxes. Returns 0.
    int OnDialogKeyDown(MQWidgetBase *sender, void *context, KeyState &state);

    vexolin::Options *options = nullptr;
    int32_t command = 0;

    MQCheckBox *faceCheck = nullptr;
    MQCheckBox *localCheck = nullptr;
    MQCheckBox *supplCheck = nullptr;
    MQCheckBox *allObjectsCheck = nullptr;
    MQDoubleSpinBox *rangeSpin = nullptr;
    MQDoubleSpinBox *angle1Spin = nullptr;
    MQDoubleSpinBox *angle2Spin = nullptr;
    MQSpinBox *indexSpin = nullptr;

private:
    // One handler per command button: stores its number and returns 0.
    template <int N> int OnCommand(MQWidgetBase *sender, void *context);

    // Makes the button of `command` under `parent`, labelled from the
    // command table: its handler, then modal result 1.
    MQButton *CommandButton(MQWidgetBase *parent, vexolin::Command command);
    // The buttons of every command of `group`, in number order.
    void CommandButtons(MQWidgetBase *parent, std::string_view group);

    // Sets the command and ends the modal run with result 1.
    void ChooseAndClose(int32_t n);

    void BuildColumn1(MQWidgetBase *column);
    void BuildColumn2(MQWidgetBase *column);
    void BuildColumn3(MQWidgetBase *column);
};
