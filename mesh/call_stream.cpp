#include "mesh/call_stream.h"

namespace cmq {

template <std::size_t N>
void CallStream<N>::AppendOther(const Call &call) {
    std::vector<int32_t> &words = words_;
    if (open_ && Continues(call)) {
        if (isRun_) {
            ++words[at_ + N + 1];
        } else if (singles_ + 1 < kRunFrom) {
            for (const int32_t a : call) words.push_back(a);
            ++singles_;
        } else {
            // The singles from at_ on and this call become one run: the
            // words from at_ are rewritten, after making room for the run's
            // N + 2 (never fewer words than the singles took).
            while (words.size() < at_ + N + 2) words.push_back(0);
            words[at_] = kRunMark;
            for (std::size_t k = 0; k < N; ++k) words[at_ + 1 + k] = openCall_[k];
            words[at_ + N + 1] = static_cast<int32_t>(kRunFrom);
            isRun_ = true;
        }
        ++next_;
        return;
    }
    // A new entry: a single call, or a run of one when the call's first
    // argument is the mark itself.
    at_ = words.size();
    isRun_ = call[0] == kRunMark;
    if (isRun_) words.push_back(kRunMark);
    for (const int32_t a : call) words.push_back(a);
    if (isRun_) words.push_back(1);
    singles_ = 1;
    open_ = true;
    openCall_ = call;
    next_ = static_cast<int64_t>(call[N - 1]) + 1;
}

template class CallStream<1>;
template class CallStream<2>;

} // namespace cmq
