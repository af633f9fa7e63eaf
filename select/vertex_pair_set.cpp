#include "select/vertex_pair_set.h"

#include <algorithm>

namespace selection {

VertexPairSet::VertexPairSet(int32_t vertexSlots) {
    start_.assign(static_cast<std::size_t>(std::max(0, vertexSlots)) + 1, 0);
}

void VertexPairSet::StartFiling() {
    // start_[v + 1] counts v's pairs; summed, start_[v] is where v's bucket
    // starts.
    for (std::size_t v = 1; v < start_.size(); ++v) start_[v] += start_[v - 1];
    larger_.resize(start_.back());
}

void VertexPairSet::Finish() {
    // Filed, start_[v] is where bucket v ends: where v + 1's starts.
    std::move_backward(start_.begin(), start_.end() - 1, start_.end());
    start_[0] = 0;
    for (std::size_t v = 0; v + 1 < start_.size(); ++v)
        if (start_[v + 1] - start_[v] > 1) std::sort(larger_.data() + start_[v], larger_.data() + start_[v + 1]);
}

bool VertexPairSet::Contains(int32_t a, int32_t b) const {
    const int32_t lo = std::min(a, b);
    const int32_t hi = std::max(a, b);
    const int32_t *const first = larger_.data() + start_[static_cast<std::size_t>(lo)];
    const int32_t *const last = larger_.data() + start_[static_cast<std::size_t>(lo) + 1];
    if (last - first <= 8) return std::find(first, last, hi) != last;
    return std::binary_search(first, last, hi);
}

} // namespace selection
