// The command dialog's Alt shortcuts, the "Supplement" switch and the
// ranges of the angle spin boxes.
#include "ui/command_dialog.h"

int VexolinDialog::SetAngleRanges(bool supplement) {
    const vexolin::SpinLimits limits = vexolin::AngleLimits(supplement);
    angle1Spin->SetMin(limits.low);
    angle1Spin->SetMax(limits.high);
    angle2Spin->SetMin(limits.low);
    angle2Spin->SetMax(limits.high);
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
    // The command table's Alt keys, then the two switches'.
    for (const vexolin::CommandInfo &info : vexolin::kCommands) {
        if (info.altKey != 0 && state.key == info.altKey) {
            ChooseAndClose(info.number);
            return 0;
        }
    }
    if (state.key == vexolin::kAllObjectsSwitch.altKey) allObjectsCheck->SetChecked(!allObjectsCheck->GetChecked());
    if (state.key == vexolin::kFaceSwitch.altKey) faceCheck->SetChecked(!faceCheck->GetChecked());
    return 0;
}
