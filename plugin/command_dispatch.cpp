#include "plugin/command_dispatch.h"

#include "commands/command_table.h"
#include "select/axis.h"
#include "select/clear.h"
#include "select/conversions.h"
#include "select/duplicates.h"
#include "select/edge.h"
#include "select/index.h"
#include "select/polygon.h"
#include "select/ridge.h"

namespace vexolin {
namespace {

using selection::Side;

// The vertex step of an axis command, after its face step when "(&F)ace" is
// on and the command selects a side (not "=0"); both only add.
int Axis(const cmq::CMQObject &object, const Options &o, int axis, Side side, cmq::SelectionPlan &plan) {
    if (o.face && side != Side::On) selection::SelectFacesByAxis(object, axis, side, o.local, plan);
    selection::SelectVerticesByAxis(object, axis, side, o.range, o.local, plan);
    return 1;
}

template <class Step>
int Ran(Step &&step) {
    step();
    return 1;
}

} // namespace

int PlanCommandOn(const cmq::CMQObject &object, const Options &options, cmq::SelectionPlan &plan) {
    const CommandInfo *info = FindCommand(options.commandNumber);
    if (info == nullptr) return 0;
    using selection::PointCount;
    using C = Command;
    switch (info->command) {
    case C::ClearVertices: return Ran([&] { selection::ClearSelection(MQ_SELECT_VERTEX, plan); });
    case C::ClearFaces: return Ran([&] { selection::ClearSelection(MQ_SELECT_FACE, plan); });
    case C::ClearLines: return Ran([&] { selection::ClearSelection(MQ_SELECT_LINE, plan); });
    default: break;
    }
    // A document without a current object: there is nothing to work on.
    if (object.object == nullptr) return 0;
    const cmq::CMQObject &o = object;
    switch (info->command) {
    case C::XBelow: return Axis(o, options, 0, Side::Below, plan);
    case C::XOn: return Axis(o, options, 0, Side::On, plan);
    case C::XAbove: return Axis(o, options, 0, Side::Above, plan);
    case C::YBelow: return Axis(o, options, 1, Side::Below, plan);
    case C::YOn: return Axis(o, options, 1, Side::On, plan);
    case C::YAbove: return Axis(o, options, 1, Side::Above, plan);
    case C::ZBelow: return Axis(o, options, 2, Side::Below, plan);
    case C::ZOn: return Axis(o, options, 2, Side::On, plan);
    case C::ZAbove: return Axis(o, options, 2, Side::Above, plan);
    case C::FiveOrMorePoints: return Ran([&] { selection::SelectFacesByPointCount(o, PointCount::FiveOrMore, plan); });
    case C::FourPoints: return Ran([&] { selection::SelectFacesByPointCount(o, PointCount::Four, plan); });
    case C::ThreePoints: return Ran([&] { selection::SelectFacesByPointCount(o, PointCount::Three, plan); });
    case C::TwoPoints: return Ran([&] { selection::SelectFacesByPointCount(o, PointCount::Two, plan); });
    case C::Edge: return selection::SelectBorders(o, options.allObjects, plan);
    case C::Ridge: return selection::SelectRidges(o, selection::RidgeWindow::From(options), options.allObjects, plan);
    case C::VertexToFaceAny: return Ran([&] { selection::VertexToFaceAny(o, plan); });
    case C::VertexToFaceAll: return Ran([&] { selection::VertexToFaceAll(o, plan); });
    case C::LineToVertex: return Ran([&] { selection::LineToVertex(o, plan); });
    case C::FaceToVertex: return Ran([&] { selection::FaceToVertex(o, plan); });
    case C::VertexToLineAny: return Ran([&] { selection::VertexToLineAny(o, plan); });
    case C::VertexToLineAll: return Ran([&] { selection::VertexToLineAll(o, plan); });
    case C::FaceToLine: return Ran([&] { selection::FaceToLine(o, plan); });
    case C::TwoLinesToFace: return Ran([&] { selection::TwoLinesToFace(o, plan); });
    case C::FaceToDuplicateVertex: return Ran([&] { selection::FaceToDuplicateVertex(o, plan); });
    case C::LineToDuplicateVertex: return Ran([&] { selection::LineToDuplicateVertex(o, plan); });
    case C::VertexByIndex: return Ran([&] { selection::SelectVertexByIndex(o, options.selectIndex, plan); });
    case C::FaceByIndex: return Ran([&] { selection::SelectFaceByIndex(o, options.selectIndex, plan); });
    case C::ClearVertices:
    case C::ClearFaces:
    case C::ClearLines: break; // above
    }
    return 0;
}

int RunCommandOn(const cmq::CMQObject &object, const Options &options) {
    cmq::SelectionPlan plan(object.document);
    const int result = PlanCommandOn(object, options, plan);
    plan.Apply();
    return result;
}

} // namespace vexolin
