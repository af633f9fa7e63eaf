#include "select/vertex_pair_set.h"

#include <algorithm>

#include "mesh/cmq_object.h"

namespace selection {

VertexPairSet::VertexPairSet(int32_t vertexSlots) : slots_(std::max(0, vertexSlots)) {}

void VertexPairSet::Add(int32_t a, int32_t b) {
    const int32_t lo = std::min(a, b);
    const int32_t hi = std::max(a, b);
    if (lo >= 0 && hi < slots_) pending_.push_back({lo, hi});
    else others_.Insert(cmq::EdgeKey(a, b));
}

void VertexPairSet::Build() {
    start_.assign(static_cast<std::size_t>(slots_) + 1, 0);
    for (const Pair &p : pending_) ++start_[static_cast<std::size_t>(p.lo) + 1];
    for (std::size_t v = 0; v < static_cast<std::size_t>(slots_); ++v) start_[v + 1] += start_[v];
    his_.resize(pending_.size());
    std::vector<uint32_t> fill(start_.begin(), start_.end() - 1);
    for (const Pair &p : pending_) his_[fill[static_cast<std::size_t>(p.lo)]++] = p.hi;
    pending_.clear();
    pending_.shrink_to_fit();
    for (std::size_t v = 0; v < static_cast<std::size_t>(slots_); ++v)
        if (start_[v + 1] - start_[v] > 1) std::sort(his_.begin() + start_[v], his_.begin() + start_[v + 1]);
}

bool VertexPairSet::Contains(int32_t a, int32_t b) const {
    const int32_t lo = std::min(a, b);
    const int32_t hi = std::max(a, b);
    if (lo < 0 || hi >= slots_) return others_.Contains(cmq::EdgeKey(a, b));
    if (start_.empty()) return false;
    const auto first = his_.begin() + start_[static_cast<std::size_t>(lo)];
    const auto last = his_.begin() + start_[static_cast<std::size_t>(lo) + 1];
    if (last - first <= 8) return std::find(first, last, hi) != last;
    return std::binary_search(first, last, hi);
}

} // namespace selection
