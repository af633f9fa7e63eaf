#include "plugin/vexolin.h"

#include "host/host_api.h"
#include "select/axis.h"
#include "select/edge_ridge.h"
#include "select/index_clear.h"
#include "select/neighbor.h"
#include "select/polygon.h"
#include "select/scratch.h"
#include "select/selection_plan.h"

namespace {

const char kPluginName[] = "Vexolin ver.1.2 Copyright(C) 2026 The Vexolin developers";
const char kMenuString[] = "Vexolin";

bool IsCommandIn(int command, int first, int last) { return command >= first && command <= last; }

} // namespace

Vexolin::Vexolin() = default;

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
    try {
        return DispatchCommand();
    } catch (...) {
        // The run may have failed for want of memory: give back what the
        // working arrays keep between commands. The export reports failure.
        selection::ReleaseScratchPools();
        throw;
    }
}

cmq::CMQObject Vexolin::CurrentObject(MQDocument doc) {
    return {hostapi::MQDoc_GetObject(doc, hostapi::MQDoc_GetCurrentObjectIndex(doc)), doc};
}

cmq::CMQObject Vexolin::ObjectAt(MQDocument doc, int index) {
    return {hostapi::MQDoc_GetObject(doc, index), doc};
}

namespace {

selection::CommandInput InputOf(const Vexolin &v) {
    selection::CommandInput in;
    in.command = v.commandNumber;
    in.face = v.face;
    in.allObjects = v.allObjects;
    in.local = v.local;
    in.suppl = v.suppl;
    in.range = v.range;
    in.angle1 = v.angle1;
    in.angle2 = v.angle2;
    in.selectIndex = v.selectIndex;
    return in;
}

} // namespace

void Vexolin::PlanGeometryCommand(selection::SelectionPlan &plan) {
    const selection::CommandInput in = InputOf(*this);
    if (IsCommandIn(commandNumber, 1, 9)) {
        if (face) selection::SelectFaceByAxis(objectUnderWork, in, plan);
        selection::SelectVertexByAxis(objectUnderWork, in, plan);
    } else if (IsCommandIn(commandNumber, 10, 13)) {
        selection::SelectPolygonByCount(objectUnderWork, commandNumber, plan);
    } else if (IsCommandIn(commandNumber, 14, 15)) {
        selection::SelectEdgeRidge(objectUnderWork, in, plan);
    }
}

void Vexolin::PlanOnObjectUnderWork(selection::SelectionPlan &plan) {
    if (IsCommandIn(commandNumber, 26, 28)) {
        // Clears the whole document; needs no object.
        selection::ClearSelection(commandNumber, plan);
        return;
    }
    // A document without a current object: there is nothing to work on.
    if (objectUnderWork.object == nullptr) return;
    if (IsCommandIn(commandNumber, 1, 15)) {
        PlanGeometryCommand(plan);
    } else if (IsCommandIn(commandNumber, 16, 25)) {
        selection::DispatchNeighborCommand(objectUnderWork, commandNumber, plan);
    } else if (IsCommandIn(commandNumber, 29, 30)) {
        selection::SelectByIndex(objectUnderWork, commandNumber, selectIndex, plan);
    }
}

void Vexolin::PlanCommand(selection::SelectionPlan &plan) {
    // Conversions, duplicate searches and index selection work on the
    // current object only, whatever "All objects" says.
    if (!allObjects || IsCommandIn(commandNumber, 16, 25) || IsCommandIn(commandNumber, 29, 30)) {
        PlanOnObjectUnderWork(plan);
        return;
    }

    // Every object is planned before any change is made, in object order,
    // so the calls keep the order they had when each object's changes came
    // right after its reads. Reading a later object first sees the same
    // answers: commands 1-15 change only the selection of the object they
    // work on and read only that object (its geometry, and for 14 and 15
    // its own selection), and commands 26-28 end the walk at once.
    const int count = hostapi::MQDoc_GetObjectCount(document);
    for (int i = 0; i < count; ++i) {
        objectUnderWork = ObjectAt(document, i);
        if (objectUnderWork.object == nullptr || objectUnderWork.document == nullptr) continue;
        if (hostapi::MQDoc_GetObjectIndex(document, objectUnderWork.object) < 0) continue;
        if (hostapi::MQObj_GetIntValue(objectUnderWork.object, MQ_OBJ_INT_LOCKING) != 0) continue;
        PlanGeometryCommand(plan);
        if (IsCommandIn(commandNumber, 26, 28)) {
            selection::ClearSelection(commandNumber, plan);
            return;
        }
    }
}

int Vexolin::DispatchCommand() {
    if (!RunCommandDialog()) return 0;
    // All or nothing: the command reads the document and allocates all it
    // needs while it plans; a failure there throws and changes nothing (the
    // export returns 0). Applying the plan cannot fail.
    selection::SelectionPlan plan(document);
    PlanCommand(plan);
    plan.Apply();
    return 1;
}

Vexolin &GetPluginObject() {
    // Static storage is zeroed before the constructor runs, and the object is
    // destroyed when the module is unloaded.
    static Vexolin plugin;
    return plugin;
}
