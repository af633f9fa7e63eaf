#include "select/selection_plan.h"

#include "host/host_api.h"

namespace selection {

void SelectionPlan::Apply() const noexcept {
    for (const Call &c : *calls_) {
        switch (c.op) {
        case Op::AddVertex: hostapi::MQDoc_AddSelectVertex(document_, c.object, c.a); break;
        case Op::AddFace: hostapi::MQDoc_AddSelectFace(document_, c.object, c.a); break;
        case Op::AddLine: hostapi::MQDoc_AddSelectLine(document_, c.object, c.a, c.b); break;
        case Op::Clear: hostapi::MQDoc_ClearSelect(document_, static_cast<MQDWORD>(c.a)); break;
        }
    }
}

} // namespace selection
