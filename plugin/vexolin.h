// The plug-in object: its options record, the document and object it works
// on during a run, and the dispatcher that turns a dialog choice into one
// selection command through the command table. Loading and saving the
// options (settings/) and the dialog (ui/) are thin calls into the rooms
// below, which take the options record and never see this class.
#pragma once

#include <cstdint>

#include "commands/options.h"
#include "mesh/cmq_object.h"
#include "plugin/plugin_base.h"
#include "mesh/selection_plan.h"

class Vexolin final : public MQSelectPlugin {
public:
    static constexpr MQDWORD kProductId = 0x6D2B5F14;
    static constexpr MQDWORD kPluginId = 0x39C4E8A7;
    static constexpr int kPluginType = 5; // selection

    // Chooses the command and options in place of the dialog (tests hand
    // one to the constructor). Returns true when a command was chosen, as
    // the dialog does. The shipped module's object has none.
    using CommandChooser = bool (*)(vexolin::Options &options);

    explicit Vexolin(CommandChooser chooser = nullptr);
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
    // command, copies the choice back and saves the options (or asks the
    // chooser, when there is one).
    bool RunCommandDialog();

    // The eight persisted options, from and to the host's settings store.
    void LoadSettings();
    void SaveSettings();

    cmq::CMQObject CurrentObject(MQDocument doc);
    cmq::CMQObject ObjectAt(MQDocument doc, int index);

    vexolin::Options options;

    MQDocument document = nullptr;
    cmq::CMQObject objectUnderWork;

private:
    CommandChooser commandChooser_ = nullptr;

    // Records in `plan` the selection changes of commandNumber: on the
    // current object, or with "All objects" on every unlocked object (each
    // in turn the object under work, handed to the command dispatch).
    void PlanCommand(cmq::SelectionPlan &plan);
};

// The one plug-in object of the module, made on first use.
Vexolin &GetPluginObject();
