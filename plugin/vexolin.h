// The plug-in object: its options record, the document and object it works
// on during a run, and the dispatcher that turns a dialog choice into one
// selection command.
#pragma once

#include <cstdint>

#include "mesh/cmq_object.h"
#include "plugin/plugin_base.h"
#include "select/selection_plan.h"

class Vexolin final : public MQSelectPlugin {
public:
    static constexpr MQDWORD kProductId = 0x6D2B5F14;
    static constexpr MQDWORD kPluginId = 0x39C4E8A7;
    static constexpr int kPluginType = 5; // selection

    // Lets a test choose the command and options in place of the dialog.
    // Returns true when a command was chosen, as the dialog does.
    using CommandChooser = bool (*)(Vexolin &plugin);

    Vexolin();
    ~Vexolin() override;

    void GetPlugInID(MQDWORD *product, MQDWORD *id) override;
    const char *GetPlugInName() override;
    int GetPlugInType() override;
    const char *EnumString(int index) override;
    MQBOOL Execute(int index, MQDocument document) override;

    // Shows the dialog and carries out the chosen command; 1 when a command
    // was chosen (whatever it selected), 0 when the dialog was cancelled.
    // Throws when the command cannot run (out of memory, an impossible host
    // answer); the selection is then unchanged.
    int DispatchCommand();

    // Loads the options, runs the command dialog and, when it ended with a
    // command, copies the choice back and saves the options.
    bool RunCommandDialog();

    // The eight persisted options, from and to the host's settings store.
    void LoadSettings();
    void SaveSettings();

    cmq::CMQObject CurrentObject(MQDocument doc);
    cmq::CMQObject ObjectAt(MQDocument doc, int index);

    // Options record.
    bool face = false;
    bool allObjects = false;
    bool local = false;
    bool suppl = false;
    float range = 0.001f;
    float angle1 = 0.0f;
    float angle2 = 90.0f;
    int32_t selectIndex = 0;
    int32_t PosX = -1;
    int32_t PosY = -1;
    int32_t commandNumber = 0;

    MQDocument document = nullptr;
    cmq::CMQObject objectUnderWork;

    CommandChooser commandChooser = nullptr;

private:
    // Records in `plan` the selection changes of commandNumber: on
    // objectUnderWork, or with "All objects" on every unlocked object.
    void PlanCommand(selection::SelectionPlan &plan);
    // commandNumber on objectUnderWork, as the single-object path does.
    void PlanOnObjectUnderWork(selection::SelectionPlan &plan);
    // Commands 1 to 15 on objectUnderWork, for one object of either path.
    void PlanGeometryCommand(selection::SelectionPlan &plan);
};

// The one plug-in object of the module, made on first use.
Vexolin &GetPluginObject();
