// The arguments of a sequence of host calls of one kind, recorded compactly
// and replayed in order.
//
// Commands add whole runs of neighbours: every line of a face (face f, lines
// 0, 1, 2, 3), vertices in index order. A call whose last argument is one
// more than the call before it, all other arguments equal, continues that
// call's sequence; a sequence long enough to save room (three calls of one
// argument, two of two) is kept as one run. Entries are int32 words:
//
//   single call:  a0 ... a(N-1)                   (a0 is never kRunMark)
//   run:          kRunMark a0 ... a(N-1) count    the calls a0 ... a(N-1) + k,
//                                                 k = 0 ... count - 1
//
// so a plan never takes more than 4 bytes per argument of every call, and a
// face's four lines take 16 bytes in all. A call whose first argument is
// kRunMark itself is recorded as a run of one.
//
// What the runs buy, measured against one entry per call, same sitting,
// 1M quads: "Vertex -> Face" with everything selected (a million face
// additions) peaks at 0.018 extra bytes per face line instead of 1.57; no
// command got faster or slower by more than the noise.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>


namespace cmq {

template <std::size_t N>
class CallStream {
    static_assert(N >= 1);

public:
    using Call = std::array<int32_t, N>;
    static constexpr int32_t kRunMark = std::numeric_limits<int32_t>::min();

    // Words recorded so far: where the entries of a call recorded next begin.
    std::size_t End() const { return words_.size(); }

    // Makes room for `calls` more single calls.
    void Reserve(std::size_t calls) { words_.reserve(words_.size() + calls * N); }

    // The next call starts an entry of its own (it belongs to another run of
    // the plan).
    void Break() { open_ = false; }

    void Append(const Call &call) {
        // The common case, one more call of a run, inline; the rest apart.
        if (open_ && isRun_ && Continues(call)) [[likely]] {
            ++words_[at_ + N + 1];
            ++next_;
            return;
        }
        AppendOther(call);
    }

    // Calls `call(const Call &)` for every call of the entries in the words
    // [begin, end), in the order they were recorded.
    template <class F>
    void ForEach(std::size_t begin, std::size_t end, F &&call) const {
        const std::vector<int32_t> &words = words_;
        Call args{};
        for (std::size_t i = begin; i < end;) {
            if (words[i] != kRunMark) {
                for (std::size_t k = 0; k < N; ++k) args[k] = words[i + k];
                call(args);
                i += N;
                continue;
            }
            for (std::size_t k = 0; k < N; ++k) args[k] = words[i + 1 + k];
            const int32_t count = words[i + N + 1];
            // Stepped before each call but the first: a run may end at the
            // largest int32.
            for (int32_t k = 0; k < count; ++k) {
                if (k != 0) ++args[N - 1];
                call(args);
            }
            i += N + 2;
        }
    }

private:
    void AppendOther(const Call &call);

    bool Continues(const Call &call) const {
        for (std::size_t k = 0; k + 1 < N; ++k)
            if (call[k] != openCall_[k]) return false;
        return static_cast<int64_t>(call[N - 1]) == next_;
    }

    // The number of calls from which a run takes no more room than the
    // calls one by one: N + 2 <= calls * N.
    static constexpr std::size_t kRunFrom = (N + 2 + N - 1) / N;

    std::vector<int32_t> words_;
    // The sequence the next call may continue: where it begins, whether it
    // is a run yet or how many single calls it has, its first call, and the
    // last argument that would continue it.
    bool open_ = false;
    bool isRun_ = false;
    std::size_t singles_ = 0;
    std::size_t at_ = 0;
    Call openCall_{};
    int64_t next_ = 0;
};

// Defined in call_stream.cpp for the two kinds of call the plan records.
extern template class CallStream<1>;
extern template class CallStream<2>;

} // namespace cmq
