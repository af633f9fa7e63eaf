// The selection changes of one run of a command: recorded while the command
// reads the object, made afterwards in one go.
//
// A command first reads and allocates everything it needs and records each
// selection-changing host call (clear, add) it would make, in the order it
// would make them; then Apply makes those calls, allocating nothing and
// reading nothing. A run that fails while it reads (out of memory, a host
// answer it cannot use) throws before Apply, so the document's selection is
// left as it was.
//
// Recording instead of calling changes nothing a command selects: the
// commands never read what they change (the kind a conversion reads is never
// the kind it adds, and the geometry does not change), and each works on one
// object's selection only, so reads made before the changes see what they
// would have seen between them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "abi/mq_abi.h"
#include "select/scratch.h"

namespace selection {

class SelectionPlan {
public:
    explicit SelectionPlan(MQDocument document) : document_(document) {}
    SelectionPlan(const SelectionPlan &) = delete;
    SelectionPlan &operator=(const SelectionPlan &) = delete;

    MQDocument Document() const { return document_; }

    // Records MQDoc_AddSelectVertex / AddSelectFace / AddSelectLine on the
    // object at `objectIndex`, and MQDoc_ClearSelect of `kinds`.
    void AddVertex(int32_t objectIndex, int32_t vertex) { Record(Op::AddVertex, objectIndex, vertex, -1); }
    void AddFace(int32_t objectIndex, int32_t face) { Record(Op::AddFace, objectIndex, face, -1); }
    void AddLine(int32_t objectIndex, int32_t face, int32_t line) { Record(Op::AddLine, objectIndex, face, line); }
    void Clear(MQDWORD kinds) { Record(Op::Clear, -1, static_cast<int32_t>(kinds), -1); }

    std::size_t Size() const { return size_; }

    // Makes the recorded calls, in the order they were recorded.
    void Apply() const noexcept;

private:
    enum class Op : int32_t { AddVertex, AddFace, AddLine, Clear };
    // Consecutive calls of one kind on one object share a run; their
    // arguments follow one another in args_ (two per line, one otherwise),
    // so a plan costs 4 or 8 bytes per call.
    struct Run {
        Op op;
        int32_t object;
        std::size_t count;
    };
    void Record(Op op, int32_t object, int32_t a, int32_t b) {
        std::vector<Run> &runs = *runs_;
        if (runs.empty() || runs.back().op != op || runs.back().object != object) runs.push_back({op, object, 0});
        args_->push_back(a);
        if (op == Op::AddLine) args_->push_back(b);
        ++runs.back().count;
        ++size_;
    }

    MQDocument document_;
    ScratchVector<Run> runs_;
    ScratchVector<int32_t> args_;
    std::size_t size_ = 0;
};

// Runs `plan(SelectionPlan &)` on a fresh plan for `document` and applies
// it; returns what `plan` returned. For callers that run one command alone.
template <class Planner>
int PlanAndApply(MQDocument document, Planner &&plan) {
    SelectionPlan calls(document);
    const int result = plan(calls);
    calls.Apply();
    return result;
}

} // namespace selection
