// The command dialog: thirty command buttons in their groups, the option
// controls, "Cancel", the Alt shortcuts and the "Supplement" switch.
//
// Pressing a command button (or its Alt shortcut) stores the button's
// command number and ends the modal run with result 1; "Cancel" ends it
// with result 2. Vexolin::RunCommandDialog builds, runs and reads it back.
#pragma once

#include <cstdint>

#include "ui/widgets.h"

class Vexolin;

class VexolinDialog : public MQDialog {
public:
    // Builds the whole dialog under `parent`, pre-filled from `options`.
    VexolinDialog(MQWindowBase &parent, Vexolin &options);

    // The angle spin boxes' ranges: 0..360 with the supplement on,
    // -180..180 with it off. Returns 1.
    int SetAngleRanges(bool supplement);

    // "execute" of the "Supplement" check box: mirrors the angle window
    // (a1, a2) to (180 - a2, 180 - a1) in the new range. Returns 1.
    int OnSupplementExecute(MQWidgetBase *sender, void *context);

    // "keydown" of the dialog: Alt+mnemonic chooses a command and closes the
    // dialog, Alt+A and Alt+F toggle their check boxes. Returns 0.
    int OnDialogKeyDown(MQWidgetBase *sender, void *context, KeyState &state);

    Vexolin *options = nullptr;
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

    // Makes the button of command N under `parent`: its handler, then
    // modal result 1.
    template <int N> MQButton *CommandButton(MQWidgetBase *parent, const char16_t *label);

    // Sets the command and ends the modal run with result 1.
    void ChooseAndClose(int32_t n);

    void BuildColumn1(MQWidgetBase *column);
    void BuildColumn2(MQWidgetBase *column);
    void BuildColumn3(MQWidgetBase *column);
};
