// Commands 26 to 30: clearing one kind of selection, and adding one vertex
// or face by its index.
#pragma once

#include <cstdint>

#include "abi/mq_abi.h"
#include "mesh/cmq_object.h"
#include "select/selection_plan.h"

namespace selection {

// 26 clears the vertex selection, 27 the face selection, 28 the line
// selection, of the whole document. Other commands clear nothing. Returns 1.
int ClearSelection(MQDocument document, int command);
int ClearSelection(int command, SelectionPlan &plan);

// 29 adds vertex `index`, any other command face `index`, of `object` to the
// selection. An index outside the object's vertex or face slots, or of a
// deleted face, names no element and selects nothing. Returns 1.
int SelectByIndex(cmq::CMQObject &object, int command, int32_t index);
int SelectByIndex(cmq::CMQObject &object, int command, int32_t index, SelectionPlan &plan);

} // namespace selection
