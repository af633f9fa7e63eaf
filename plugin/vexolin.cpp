#include "plugin/vexolin.h"

#include <memory>

#include "commands/command_table.h"
#include "host/host_api.h"
#include "mesh/selection_plan.h"
#include "plugin/command_dispatch.h"
#include "settings/mq_setting.h"
#include "settings/options_io.h"
#include "ui/command_dialog.h"
#include "vexolin_version.h"

namespace {

const char kPluginName[] = VEXOLIN_PLUGIN_NAME;
const char kMenuString[] = "Vexolin";

using vexolin::Family;

bool IsFamily(int32_t command, Family family) { return vexolin::FamilyOf(command) == family; }

// Conversions, duplicate searches and index selection work on the current
// object only, whatever "All objects" says.
bool WorksOnCurrentObjectOnly(int32_t command) {
    return IsFamily(command, Family::Neighbor) || IsFamily(command, Family::Duplicate) ||
           IsFamily(command, Family::Index);
}

} // namespace

Vexolin::Vexolin(CommandChooser chooser) : commandChooser_(chooser) {}

Vexolin::~Vexolin() {
    objectUnderWork.object = nullptr;
    objectUnderWork.document = nullptr;
}

void Vexolin::GetPlugInID(MQDWORD *product, MQDWORD *id) {
    if (product != nullptr) *product = kProductId;
    if (id != nullptr) *id = kPluginId;
}

const char *Vexolin::GetPlugInName() { return kPluginName; }

int Vexolin::GetPlugInType() { return kPluginType; }

const char *Vexolin::EnumString(int index) { return index == 0 ? kMenuString : nullptr; }

MQBOOL Vexolin::Execute(int index, MQDocument doc) {
    if (index != 0) return 0;
    // A host that never completed MQInit has no functions to call.
    if (!hostapi::IsBound()) return 0;
    document = doc;
    objectUnderWork = CurrentObject(doc);
    return DispatchCommand(); // a failure throws: the export reports it
}

cmq::CMQObject Vexolin::CurrentObject(MQDocument doc) {
    return {hostapi::MQDoc_GetObject(doc, hostapi::MQDoc_GetCurrentObjectIndex(doc)), doc};
}

cmq::CMQObject Vexolin::ObjectAt(MQDocument doc, int index) {
    return {hostapi::MQDoc_GetObject(doc, index), doc};
}

void Vexolin::PlanCommand(cmq::SelectionPlan &plan) {
    const int32_t commandNumber = options.commandNumber;
    if (!options.allObjects || WorksOnCurrentObjectOnly(commandNumber)) {
        vexolin::PlanCommandOn(objectUnderWork, options, plan);
        return;
    }

    // Every object is planned before any change is made, in object order,
    // so the calls keep the order they had when each object's changes came
    // right after its reads. Reading a later object first sees the same
    // answers: the axis, polygon, border and ridge commands change only the
    // selection of the object they work on and read only that object (its
    // geometry, and for borders and ridges its own selection), and the
    // clears end the walk at once.
    const int count = hostapi::MQDoc_GetObjectCount(document);
    for (int i = 0; i < count; ++i) {
        objectUnderWork = ObjectAt(document, i);
        if (objectUnderWork.object == nullptr || objectUnderWork.document == nullptr) continue;
        if (hostapi::MQDoc_GetObjectIndex(document, objectUnderWork.object) < 0) continue;
        if (hostapi::MQObj_GetIntValue(objectUnderWork.object, MQ_OBJ_INT_LOCKING) != 0) continue;
        vexolin::PlanCommandOn(objectUnderWork, options, plan);
        if (IsFamily(commandNumber, Family::Clear)) return;
    }
}

int Vexolin::DispatchCommand() {
    if (!RunCommandDialog()) return 0;
    // All or nothing: the command reads the document and allocates all it
    // needs while it plans; a failure there throws and changes nothing (the
    // export returns 0). Applying the plan cannot fail.
    cmq::SelectionPlan plan(document);
    PlanCommand(plan);
    plan.Apply();
    return 1;
}

bool Vexolin::RunCommandDialog() {
    if (commandChooser_ != nullptr) return commandChooser_(options);
    LoadSettings();
    return ui::RunCommandDialog(options, [this] { SaveSettings(); });
}

void Vexolin::LoadSettings() {
    const std::unique_ptr<MQSetting> setting(OpenSetting());
    settings::LoadOptions(setting.get(), options);
}

void Vexolin::SaveSettings() {
    const std::unique_ptr<MQSetting> setting(OpenSetting());
    settings::SaveOptions(setting.get(), options);
}

Vexolin &GetPluginObject() {
    // Static storage is zeroed before the constructor runs, and the object is
    // destroyed when the module is unloaded.
    static Vexolin plugin;
    return plugin;
}
