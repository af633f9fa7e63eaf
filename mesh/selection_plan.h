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
#include "mesh/call_stream.h"

namespace cmq {

class SelectionPlan {
public:
    explicit SelectionPlan(MQDocument document) : document_(document) {}
    SelectionPlan(const SelectionPlan &) = delete;
    SelectionPlan &operator=(const SelectionPlan &) = delete;

    MQDocument Document() const { return document_; }

    // Records MQDoc_AddSelectVertex / AddSelectFace / AddSelectLine on the
    // object at `objectIndex`, and MQDoc_ClearSelect of `kinds`.
    void AddVertex(int32_t objectIndex, int32_t vertex) { Record(Op::AddVertex, objectIndex, args_, {vertex}); }
    void AddFace(int32_t objectIndex, int32_t face) { Record(Op::AddFace, objectIndex, args_, {face}); }
    void AddLine(int32_t objectIndex, int32_t face, int32_t line) {
        Record(Op::AddLine, objectIndex, lines_, {face, line});
    }
    void Clear(MQDWORD kinds) { Record(Op::Clear, -1, args_, {static_cast<int32_t>(kinds)}); }

    // Makes room for `lines` more line additions, when a command knows a
    // bound: the room is only address space until used, and growing a large
    // plan step by step costs copies and fresh pages. Without the room (no
    // address space) the plan grows as calls arrive.
    void ReserveLines(std::size_t lines) noexcept {
        try {
            lines_.Reserve(lines);
        } catch (...) {
        }
    }

    // Makes the recorded calls, in the order they were recorded.
    void Apply() const noexcept;

private:
    enum class Op : int32_t { AddVertex, AddFace, AddLine, Clear };
    // Consecutive calls of one kind on one object share a run; their
    // arguments follow one another, in lines_ for line additions and in
    // args_ for the rest (call_stream.h: a plan costs at most 4 or 8 bytes
    // per call, far less for neighbouring lines or vertices). A run's end is
    // set when the next run starts; the last run ends at its stream's end.
    struct Run {
        Op op;
        int32_t object;
        std::size_t begin;
        std::size_t end;
    };
    // A command records hundreds of thousands of calls: the common case (the
    // same kind on the same object as the call before) only appends.
    template <std::size_t N>
    void Record(Op op, int32_t object, CallStream<N> &into, const typename CallStream<N>::Call &call) {
        if (op != lastOp_ || object != lastObject_) [[unlikely]]
            StartRun(op, object, into.End());
        into.Append(call);
    }
    std::size_t EndOf(Op op) const { return op == Op::AddLine ? lines_.End() : args_.End(); }
    void StartRun(Op op, int32_t object, std::size_t begin) {
        std::vector<Run> &runs = runs_;
        if (!runs.empty()) runs.back().end = EndOf(runs.back().op);
        runs.push_back({op, object, begin, begin});
        args_.Break();
        lines_.Break();
        lastOp_ = op;
        lastObject_ = object;
    }

    MQDocument document_;
    std::vector<Run> runs_;
    CallStream<1> args_;
    CallStream<2> lines_;
    // The kind and object of the last run; a kind no call has before the
    // first.
    Op lastOp_ = static_cast<Op>(-1);
    int32_t lastObject_ = 0;
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

} // namespace cmq
