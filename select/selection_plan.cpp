#include "select/selection_plan.h"

#include "host/host_api.h"

namespace selection {

void SelectionPlan::Apply() const noexcept {
    const std::vector<Run> &runs = *runs_;
    auto End = [&](std::size_t r) { return r + 1 == runs.size() ? ArgumentsOf(runs[r].op) : runs[r].end; };
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const Run &run = runs[r];
        if (run.op == Op::AddLine) {
            const LineArgs *line = lines_->data() + run.begin;
            const LineArgs *const end = lines_->data() + End(r);
            for (; line != end; ++line) hostapi::MQDoc_AddSelectLine(document_, run.object, line->face, line->line);
            continue;
        }
        const int32_t *arg = args_->data() + run.begin;
        const int32_t *const end = args_->data() + End(r);
        switch (run.op) {
        case Op::AddVertex:
            for (; arg != end; ++arg) hostapi::MQDoc_AddSelectVertex(document_, run.object, *arg);
            break;
        case Op::AddFace:
            for (; arg != end; ++arg) hostapi::MQDoc_AddSelectFace(document_, run.object, *arg);
            break;
        case Op::Clear:
            for (; arg != end; ++arg) hostapi::MQDoc_ClearSelect(document_, static_cast<MQDWORD>(*arg));
            break;
        case Op::AddLine: break;
        }
    }
}

} // namespace selection
