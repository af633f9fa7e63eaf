// The command dialog's Alt shortcuts, the "Supplement" switch and the
// ranges of the angle spin boxes.
#include "ui/command_dialog.h"

int VexolinDialog::SetAngleRanges(bool supplement) {
    const double low = supplement ? 0.0 : -180.0;
    const double high = supplement ? 360.0 : 180.0;
    angle1Spin->SetMin(low);
    angle1Spin->SetMax(high);
    angle2Spin->SetMin(low);
    angle2Spin->SetMax(high);
    return 1;
}

int VexolinDialog::OnSupplementExecute(MQWidgetBase *, void *) {
    const double a1 = angle1Spin->GetPosition();
    const double a2 = angle2Spin->GetPosition();
    // The toolkit has already switched the box when it reports "execute".
    SetAngleRanges(supplCheck->GetChecked());
    // Mirroring swaps the ends, so the window stays ordered.
    angle1Spin->SetPosition(180.0 - a2);
    angle2Spin->SetPosition(180.0 - a1);
    return 1;
}

void VexolinDialog::ChooseAndClose(int32_t n) {
    command = n;
    Close();
}

int VexolinDialog::OnDialogKeyDown(MQWidgetBase *, void *, KeyState &state) {
    if (!state.alt) return 0;
    struct Shortcut {
        int32_t key;
        int32_t command;
    };
    static constexpr Shortcut kCommands[] = {
        {'Z', 1},  {'X', 2},  {'C', 3},  {'5', 10}, {'4', 11}, {'3', 12}, {'2', 13},
        {'E', 14}, {'R', 15}, {'W', 16}, {'S', 17}, {'D', 18}, {'G', 19}, {'T', 20},
        {'Y', 21}, {'H', 22}, {'B', 23}, {'Q', 24}, {'1', 25},
    };
    for (const Shortcut &s : kCommands) {
        if (state.key == s.key) {
            ChooseAndClose(s.command);
            return 0;
        }
    }
    if (state.key == 'A') allObjectsCheck->SetChecked(!allObjectsCheck->GetChecked());
    if (state.key == 'F') faceCheck->SetChecked(!faceCheck->GetChecked());
    return 0;
}
