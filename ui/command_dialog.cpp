#include "ui/command_dialog.h"

#include <array>
#include <clocale>
#include <cstddef>
#include <string>
#include <utility>

using vexolin::Command;

template <int N> int VexolinDialog::OnCommand(MQWidgetBase *, void *) {
    command = N;
    return 0;
}

namespace {

using CommandHandler = int (VexolinDialog::*)(MQWidgetBase *, void *);

// The labels are ASCII (the table checks it), so each byte widens to one
// UTF-16 code unit.
std::u16string Widen(std::string_view ascii) { return {ascii.begin(), ascii.end()}; }

} // namespace

MQButton *VexolinDialog::CommandButton(MQWidgetBase *parent, Command which) {
    // One handler per command number, kHandlers[n - 1] storing n.
    static constexpr auto kHandlers = []<std::size_t... I>(std::index_sequence<I...>) {
        return std::array<CommandHandler, sizeof...(I)>{&VexolinDialog::OnCommand<static_cast<int>(I) + 1>...};
    }(std::make_index_sequence<vexolin::kCommands.size()>());

    const vexolin::CommandInfo &info = vexolin::InfoOf(which);
    MQButton *button = CreateButton(parent, Widen(info.label));
    button->AddExecuteEvent(this, kHandlers[static_cast<std::size_t>(info.number - 1)]);
    button->SetModalResult(1);
    return button;
}

void VexolinDialog::CommandButtons(MQWidgetBase *parent, std::string_view group) {
    for (const vexolin::CommandInfo &info : vexolin::kCommands)
        if (group == info.group) CommandButton(parent, info.command);
}

VexolinDialog::VexolinDialog(MQWindowBase &parent, vexolin::Options &opts) : MQDialog(parent), options(&opts) {
    // Character classification follows the user's locale, as in the host's
    // own dialogs. Number texts of the settings never depend on it.
    std::setlocale(LC_CTYPE, "");
    SetTitle(u"Vexolin");

    MQFrame *mainRow = CreateHorzFrame(this);
    MQFrame *column1 = CreateVertFrame(mainRow);
    MQFrame *column2 = CreateVertFrame(mainRow);
    BuildColumn1(column1);
    BuildColumn2(column2);
    MQFrame *column3 = CreateVertFrame(mainRow);
    BuildColumn3(column3);

    AddKeyDownEvent(this, &VexolinDialog::OnDialogKeyDown);
}

namespace {

// Group boxes are made with empty text, then named.
MQGroupBox *NamedGroup(MQWindowBase &window, MQWidgetBase *parent, std::string_view name) {
    MQGroupBox *group = window.CreateGroupBox(parent, u"");
    group->SetText(Widen(name));
    return group;
}

} // namespace

void VexolinDialog::BuildColumn1(MQWidgetBase *column) {
    // Vertices by axis, three buttons a row, then the tolerance and switches.
    MQGroupBox *axisGroup = NamedGroup(*this, column, vexolin::kAxisGroup);
    MQFrame *axisBody = CreateVertFrame(axisGroup);
    MQFrame *axisButtons = CreateHorzFrame(axisBody);
    axisButtons->SetMultiColumn(true);
    axisButtons->SetMatrixColumn(3);
    CommandButtons(axisButtons, vexolin::kAxisGroup);

    MQFrame *rangeRow = CreateHorzFrame(axisBody);
    CreateLabel(rangeRow, Widen(vexolin::kRangeLabel));
    rangeSpin = CreateDoubleSpinBox(rangeRow);
    rangeSpin->SetDecimalDigit(3);
    rangeSpin->SetMin(vexolin::kRangeLimits.low);
    rangeSpin->SetMax(vexolin::kRangeLimits.high);
    rangeSpin->SetPosition(static_cast<double>(options->range));
    rangeSpin->SetIncrement(0.01);
    faceCheck = CreateCheckBox(rangeRow, Widen(vexolin::kFaceSwitch.label));
    faceCheck->SetChecked(options->face);
    localCheck = CreateCheckBox(rangeRow, Widen(vexolin::kLocalSwitch.label));
    localCheck->SetChecked(options->local);

    // Polygons by point count.
    MQGroupBox *polygonGroup = NamedGroup(*this, column, vexolin::kPolygonGroup);
    MQFrame *polygonBody = CreateVertFrame(polygonGroup);
    MQFrame *polygonButtons = CreateHorzFrame(polygonBody);
    CommandButtons(polygonButtons, vexolin::kPolygonGroup);

    // Border and ridge lines, and the angle window.
    MQGroupBox *edgeGroup = NamedGroup(*this, column, vexolin::kEdgeRidgeGroup);
    MQFrame *edgeButtons = CreateHorzFrame(edgeGroup);
    edgeButtons->SetMultiColumn(true);
    edgeButtons->SetMatrixColumn(2);
    CommandButton(edgeButtons, Command::Edge);
    CommandButton(edgeButtons, Command::Ridge);

    MQFrame *angleRow = CreateHorzFrame(edgeGroup);
    CreateLabel(angleRow, Widen(vexolin::kAngleLabel));
    angle1Spin = CreateDoubleSpinBox(angleRow);
    angle1Spin->SetVisibleColumn(6);
    angle1Spin->SetDecimalDigit(1);
    angle1Spin->SetIncrement(5.0);
    CreateLabel(angleRow, Widen(vexolin::kAngleToLabel));
    angle2Spin = CreateDoubleSpinBox(angleRow);
    angle2Spin->SetVisibleColumn(6);
    angle2Spin->SetDecimalDigit(1);
    angle2Spin->SetIncrement(5.0);
    // The ranges first, so that the positions are not clamped to the
    // toolkit's default range.
    SetAngleRanges(options->suppl);
    angle1Spin->SetPosition(static_cast<double>(options->angle1));
    angle2Spin->SetPosition(static_cast<double>(options->angle2));
    supplCheck = CreateCheckBox(angleRow, Widen(vexolin::kSupplementSwitch.label));
    supplCheck->SetChecked(options->suppl);
    supplCheck->AddExecuteEvent(this, &VexolinDialog::OnSupplementExecute);

    // One vertex or face by its index. Neither a minimum nor a position is
    // set: the value is whatever the user leaves in the box.
    MQGroupBox *indexGroup = NamedGroup(*this, column, vexolin::kIndexGroup);
    MQFrame *indexRow = CreateHorzFrame(indexGroup);
    indexSpin = CreateSpinBox(indexRow);
    indexSpin->SetMax(vexolin::kIndexMax);
    CommandButtons(indexRow, vexolin::kIndexGroup);

    allObjectsCheck = CreateCheckBox(column, Widen(vexolin::kAllObjectsSwitch.label));
    allObjectsCheck->SetChecked(options->allObjects);
}

void VexolinDialog::BuildColumn2(MQWidgetBase *column) {
    MQGroupBox *neighborGroup = NamedGroup(*this, column, vexolin::kNeighborGroup);
    MQFrame *neighborButtons = CreateVertFrame(neighborGroup);
    CommandButtons(neighborButtons, vexolin::kNeighborGroup);

    MQGroupBox *duplicateGroup = NamedGroup(*this, column, vexolin::kDuplicateGroup);
    MQFrame *duplicateButtons = CreateVertFrame(duplicateGroup);
    CommandButtons(duplicateButtons, vexolin::kDuplicateGroup);
}

void VexolinDialog::BuildColumn3(MQWidgetBase *column) {
    MQButton *cancel = CreateButton(column, u"Cancel");
    cancel->SetVertLayout();
    cancel->SetHintSizeRateY(3.0);
    cancel->SetCancelButton();
    cancel->SetModalResult(2);

    MQGroupBox *clearGroup = NamedGroup(*this, column, vexolin::kClearGroup);
    CommandButtons(clearGroup, vexolin::kClearGroup);
}

namespace ui {

bool RunCommandDialog(vexolin::Options &options, const std::function<void()> &whenChosen) {
    MQWindow mainWindow;
    bool chosen = false;
    {
        VexolinDialog dialog(mainWindow, options);
        dialog.faceCheck->SetChecked(options.face);
        dialog.localCheck->SetChecked(options.local);
        dialog.supplCheck->SetChecked(options.suppl);
        dialog.allObjectsCheck->SetChecked(options.allObjects);
        dialog.rangeSpin->SetPosition(static_cast<double>(options.range));
        dialog.angle1Spin->SetPosition(static_cast<double>(options.angle1));
        dialog.angle2Spin->SetPosition(static_cast<double>(options.angle2));
        if (options.PosX >= 0 && options.PosY >= 0) {
            dialog.SetPosX(options.PosX);
            dialog.SetPosY(options.PosY);
        }

        if (dialog.RunModal() == 1) {
            options.commandNumber = dialog.command;
            options.face = dialog.faceCheck->GetChecked();
            options.local = dialog.localCheck->GetChecked();
            options.suppl = dialog.supplCheck->GetChecked();
            options.allObjects = dialog.allObjectsCheck->GetChecked();
            options.range = static_cast<float>(dialog.rangeSpin->GetPosition());
            options.angle1 = static_cast<float>(dialog.angle1Spin->GetPosition());
            options.angle2 = static_cast<float>(dialog.angle2Spin->GetPosition());
            options.PosX = dialog.GetPosX();
            options.PosY = dialog.GetPosY();
            options.selectIndex = dialog.indexSpin->GetPosition();
            if (whenChosen) whenChosen();
            chosen = true;
        }
    } // the dialog goes first, then the main-window wrapper
    return chosen;
}

} // namespace ui
