#include "select/vertex_pair_set.h"

#include <algorithm>


namespace selection {

VertexPairSet::VertexPairSet(int32_t vertexSlots) : slots_(std::max(0, vertexSlots)) {}

void VertexPairSet::Reserve(std::size_t pairs) noexcept {
    try {
        pending_.reserve(pairs);
    } catch (...) {
    }
}

void VertexPairSet::Add(int32_t a, int32_t b) {
    const int32_t lo = std::min(a, b);
    const int32_t hi = std::max(a, b);
    pending_.push_back({lo, hi});
}

void VertexPairSet::Build() {
    std::vector<uint32_t> &start = start_;
    std::vector<int32_t> &larger = larger_;
    std::vector<Pair> &pending = pending_;
    start.assign(static_cast<std::size_t>(slots_) + 1, 0);
    for (const Pair &p : pending) ++start[static_cast<std::size_t>(p.lo) + 1];
    for (std::size_t v = 0; v < static_cast<std::size_t>(slots_); ++v) start[v + 1] += start[v];
    larger.resize(pending.size());
    {
        std::vector<uint32_t> fill;
        fill.assign(start.begin(), start.end() - 1);
        for (const Pair &p : pending) larger[fill[static_cast<std::size_t>(p.lo)]++] = p.hi;
    }
    pending.clear();
    for (std::size_t v = 0; v < static_cast<std::size_t>(slots_); ++v)
        if (start[v + 1] - start[v] > 1) std::sort(larger.data() + start[v], larger.data() + start[v + 1]);
}

bool VertexPairSet::Contains(int32_t a, int32_t b) const {
    const int32_t lo = std::min(a, b);
    const int32_t hi = std::max(a, b);
    const std::vector<uint32_t> &start = start_;
    if (start.empty()) return false;
    const int32_t *const first = larger_.data() + start[static_cast<std::size_t>(lo)];
    const int32_t *const last = larger_.data() + start[static_cast<std::size_t>(lo) + 1];
    if (last - first <= 8) return std::find(first, last, hi) != last;
    return std::binary_search(first, last, hi);
}

} // namespace selection
