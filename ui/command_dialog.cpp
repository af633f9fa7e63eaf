#include "ui/command_dialog.h"

#include <clocale>

#include "plugin/vexolin.h"

template <int N> int VexolinDialog::OnCommand(MQWidgetBase *, void *) {
    command = N;
    return 0;
}

template <int N> MQButton *VexolinDialog::CommandButton(MQWidgetBase *parent, const char16_t *label) {
    MQButton *button = CreateButton(parent, label);
    button->AddExecuteEvent(this, &VexolinDialog::OnCommand<N>);
    button->SetModalResult(1);
    return button;
}

VexolinDialog::VexolinDialog(MQWindowBase &parent, Vexolin &opts) : MQDialog(parent), options(&opts) {
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
MQGroupBox *NamedGroup(MQWindowBase &window, MQWidgetBase *parent, const char16_t *name) {
    MQGroupBox *group = window.CreateGroupBox(parent, u"");
    group->SetText(name);
    return group;
}

} // namespace

void VexolinDialog::BuildColumn1(MQWidgetBase *column) {
    // Vertices by axis, three buttons a row, then the tolerance and switches.
    MQGroupBox *axisGroup = NamedGroup(*this, column, u"select vertex by axis");
    MQFrame *axisBody = CreateVertFrame(axisGroup);
    MQFrame *axisButtons = CreateHorzFrame(axisBody);
    axisButtons->SetMultiColumn(true);
    axisButtons->SetMatrixColumn(3);
    CommandButton<1>(axisButtons, u"X<0(&Z)");
    CommandButton<2>(axisButtons, u"X=0(&X)");
    CommandButton<3>(axisButtons, u"X>0(&C)");
    CommandButton<4>(axisButtons, u"Y<0");
    CommandButton<5>(axisButtons, u"Y=0");
    CommandButton<6>(axisButtons, u"Y>0");
    CommandButton<7>(axisButtons, u"Z<0");
    CommandButton<8>(axisButtons, u"Z=0");
    CommandButton<9>(axisButtons, u"Z>0");

    MQFrame *rangeRow = CreateHorzFrame(axisBody);
    CreateLabel(rangeRow, u"Range");
    rangeSpin = CreateDoubleSpinBox(rangeRow);
    rangeSpin->SetDecimalDigit(3);
    rangeSpin->SetMin(0.0);
    rangeSpin->SetMax(1000.0);
    rangeSpin->SetPosition(static_cast<double>(options->range));
    rangeSpin->SetIncrement(0.01);
    faceCheck = CreateCheckBox(rangeRow, u"(&F)ace");
    faceCheck->SetChecked(options->face);
    localCheck = CreateCheckBox(rangeRow, u"(&L)ocal");
    localCheck->SetChecked(options->local);

    // Polygons by point count.
    MQGroupBox *polygonGroup = NamedGroup(*this, column, u"select polygon");
    MQFrame *polygonBody = CreateVertFrame(polygonGroup);
    MQFrame *polygonButtons = CreateHorzFrame(polygonBody);
    CommandButton<10>(polygonButtons, u"5(&5)");
    CommandButton<11>(polygonButtons, u"4(&4)");
    CommandButton<12>(polygonButtons, u"3(&3)");
    CommandButton<13>(polygonButtons, u"2(&2)");

    // Border and ridge lines, and the angle window.
    MQGroupBox *edgeGroup = NamedGroup(*this, column, u"select Edge/Ridge");
    MQFrame *edgeButtons = CreateHorzFrame(edgeGroup);
    edgeButtons->SetMultiColumn(true);
    edgeButtons->SetMatrixColumn(2);
    CommandButton<14>(edgeButtons, u"Edge(&E)");
    CommandButton<15>(edgeButtons, u"Ridge(&R)");

    MQFrame *angleRow = CreateHorzFrame(edgeGroup);
    CreateLabel(angleRow, u"Angle");
    angle1Spin = CreateDoubleSpinBox(angleRow);
    angle1Spin->SetVisibleColumn(6);
    angle1Spin->SetDecimalDigit(1);
    angle1Spin->SetIncrement(5.0);
    CreateLabel(angleRow, u"->");
    angle2Spin = CreateDoubleSpinBox(angleRow);
    angle2Spin->SetVisibleColumn(6);
    angle2Spin->SetDecimalDigit(1);
    angle2Spin->SetIncrement(5.0);
    // The ranges first, so that the positions are not clamped to the
    // toolkit's default range.
    SetAngleRanges(options->suppl);
    angle1Spin->SetPosition(static_cast<double>(options->angle1));
    angle2Spin->SetPosition(static_cast<double>(options->angle2));
    supplCheck = CreateCheckBox(angleRow, u"Supplement");
    supplCheck->SetChecked(options->suppl);
    supplCheck->AddExecuteEvent(this, &VexolinDialog::OnSupplementExecute);

    // One vertex or face by its index. Neither a minimum nor a position is
    // set: the value is whatever the user leaves in the box.
    MQGroupBox *indexGroup = NamedGroup(*this, column, u"select by index");
    MQFrame *indexRow = CreateHorzFrame(indexGroup);
    indexSpin = CreateSpinBox(indexRow);
    indexSpin->SetMax(9999999);
    CommandButton<29>(indexRow, u"Vertex");
    CommandButton<30>(indexRow, u"Face");

    allObjectsCheck = CreateCheckBox(column, u"All objects(&A)");
    allObjectsCheck->SetChecked(options->allObjects);
}

void VexolinDialog::BuildColumn2(MQWidgetBase *column) {
    MQGroupBox *neighborGroup = NamedGroup(*this, column, u"select neighbor");
    MQFrame *neighborButtons = CreateVertFrame(neighborGroup);
    CommandButton<16>(neighborButtons, u"Vertex -> Face(&W)");
    CommandButton<17>(neighborButtons, u"Vertex => Face(&S)");
    CommandButton<18>(neighborButtons, u"Line => Vertex(&D)");
    CommandButton<19>(neighborButtons, u"Face => Vertex(&G)");
    CommandButton<20>(neighborButtons, u"Vertex -> Line(&T)");
    CommandButton<21>(neighborButtons, u"Vertex => Line(&Y)");
    CommandButton<22>(neighborButtons, u"Face => Line(&H)");
    CommandButton<23>(neighborButtons, u"2Line -> Face(&B)");

    MQGroupBox *duplicateGroup = NamedGroup(*this, column, u"select duplicated");
    MQFrame *duplicateButtons = CreateVertFrame(duplicateGroup);
    CommandButton<24>(duplicateButtons, u"Face => Dup Vertex(&Q)");
    CommandButton<25>(duplicateButtons, u"Line => Dup Vertex(&1)");
}

void VexolinDialog::BuildColumn3(MQWidgetBase *column) {
    MQButton *cancel = CreateButton(column, u"Cancel");
    cancel->SetVertLayout();
    cancel->SetHintSizeRateY(3.0);
    cancel->SetCancelButton();
    cancel->SetModalResult(2);

    MQGroupBox *clearGroup = NamedGroup(*this, column, u"Clear");
    CommandButton<26>(clearGroup, u"Vertex");
    CommandButton<27>(clearGroup, u"Face");
    CommandButton<28>(clearGroup, u"Line");
}

bool Vexolin::RunCommandDialog() {
    if (commandChooser != nullptr) return commandChooser(*this);

    LoadSettings();
    MQWindow mainWindow;
    bool chosen = false;
    {
        VexolinDialog dialog(mainWindow, *this);
        dialog.faceCheck->SetChecked(face);
        dialog.localCheck->SetChecked(local);
        dialog.supplCheck->SetChecked(suppl);
        dialog.allObjectsCheck->SetChecked(allObjects);
        dialog.rangeSpin->SetPosition(static_cast<double>(range));
        dialog.angle1Spin->SetPosition(static_cast<double>(angle1));
        dialog.angle2Spin->SetPosition(static_cast<double>(angle2));
        if (PosX >= 0 && PosY >= 0) {
            dialog.SetPosX(PosX);
            dialog.SetPosY(PosY);
        }

        if (dialog.RunModal() == 1) {
            commandNumber = dialog.command;
            face = dialog.faceCheck->GetChecked();
            local = dialog.localCheck->GetChecked();
            suppl = dialog.supplCheck->GetChecked();
            allObjects = dialog.allObjectsCheck->GetChecked();
            range = static_cast<float>(dialog.rangeSpin->GetPosition());
            angle1 = static_cast<float>(dialog.angle1Spin->GetPosition());
            angle2 = static_cast<float>(dialog.angle2Spin->GetPosition());
            PosX = dialog.GetPosX();
            PosY = dialog.GetPosY();
            selectIndex = dialog.indexSpin->GetPosition();
            SaveSettings();
            chosen = true;
        }
    } // the dialog goes first, then the main-window wrapper
    return chosen;
}
