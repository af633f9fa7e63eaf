// Keyword lists: arrays of pointer-sized words read in pairs (keyword,
// value), ended by the first pair whose keyword is null. Keywords are ASCII,
// compared exactly; the first match wins.
#pragma once

#include <cstring>

namespace keyword_list {

// The word after the first pair whose keyword is `keyword`. Returns false
// when the list (possibly null) has no such pair.
inline bool Find(void *const *values, const char *keyword, void *&value) {
    if (values == nullptr) return false;
    for (size_t i = 0; values[i] != nullptr; i += 2) {
        if (std::strcmp(static_cast<const char *>(values[i]), keyword) == 0) {
            value = values[i + 1];
            return true;
        }
    }
    return false;
}

// A value word built from a pointer to constant data: the host only reads it.
inline void *Word(const void *p) { return const_cast<void *>(p); }

} // namespace keyword_list
