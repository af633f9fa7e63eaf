#include "select/selection_plan.h"

#include "host/host_api.h"

namespace selection {

void SelectionPlan::Apply() const noexcept {
    const int32_t *arg = args_->data();
    for (const Run &run : *runs_) {
        for (std::size_t i = 0; i < run.count; ++i) {
            switch (run.op) {
            case Op::AddVertex: hostapi::MQDoc_AddSelectVertex(document_, run.object, *arg++); break;
            case Op::AddFace: hostapi::MQDoc_AddSelectFace(document_, run.object, *arg++); break;
            case Op::AddLine:
                hostapi::MQDoc_AddSelectLine(document_, run.object, arg[0], arg[1]);
                arg += 2;
                break;
            case Op::Clear: hostapi::MQDoc_ClearSelect(document_, static_cast<MQDWORD>(*arg++)); break;
            }
        }
    }
}

} // namespace selection
