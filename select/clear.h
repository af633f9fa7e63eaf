// Clearing one kind of selection of the whole document.
#pragma once

#include "abi/mq_abi.h"
#include "mesh/selection_plan.h"

namespace selection {

// Clears the selection of `kinds` (MQ_SELECT_VERTEX, MQ_SELECT_FACE or
// MQ_SELECT_LINE) in every object of the plan's document.
inline void ClearSelection(MQDWORD kinds, cmq::SelectionPlan &plan) { plan.Clear(kinds); }

} // namespace selection
