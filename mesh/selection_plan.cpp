#include "mesh/selection_plan.h"

#include "host/host_api.h"

namespace cmq {

void SelectionPlan::Apply() const noexcept {
    const std::vector<Run> &runs = runs_;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const Run &run = runs[r];
        const std::size_t end = r + 1 == runs.size() ? EndOf(run.op) : run.end;
        const MQDocument document = document_;
        const int32_t object = run.object;
        switch (run.op) {
        case Op::AddVertex:
            args_.ForEach(run.begin, end, [&](const CallStream<1>::Call &c) {
                hostapi::MQDoc_AddSelectVertex(document, object, c[0]);
            });
            break;
        case Op::AddFace:
            args_.ForEach(run.begin, end, [&](const CallStream<1>::Call &c) {
                hostapi::MQDoc_AddSelectFace(document, object, c[0]);
            });
            break;
        case Op::AddLine:
            lines_.ForEach(run.begin, end, [&](const CallStream<2>::Call &c) {
                hostapi::MQDoc_AddSelectLine(document, object, c[0], c[1]);
            });
            break;
        case Op::Clear:
            args_.ForEach(run.begin, end, [&](const CallStream<1>::Call &c) {
                hostapi::MQDoc_ClearSelect(document, static_cast<MQDWORD>(c[0]));
            });
            break;
        }
    }
}

} // namespace cmq
