// Checks of the counts and sizes the host reports, made before they size an
// allocation or an offset.
//
// A count the host cannot mean (negative, or more elements than the address
// space can hold), like a face point naming no vertex slot, makes the
// command fail: CheckedCount throws
// BadHostAnswer, the command has changed nothing yet (it reads everything
// before its first selection change), and the export that ran it returns 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <limits>

namespace cmq {

class BadHostAnswer : public std::exception {
public:
    const char *what() const noexcept override { return "the host gave an answer a command cannot use"; }
};

// `count` as a size for elements of `elementSize` bytes; throws BadHostAnswer
// when it is negative or its elements could not fit in the address space.
inline std::size_t CheckedCount(int64_t count, std::size_t elementSize = 1) {
    constexpr auto kMaxBytes = static_cast<uint64_t>(std::numeric_limits<std::ptrdiff_t>::max());
    if (count < 0 || static_cast<uint64_t>(count) > kMaxBytes / (elementSize == 0 ? 1 : elementSize))
        throw BadHostAnswer();
    return static_cast<std::size_t>(count);
}

// Throws BadHostAnswer when `total` does not fit in 32 bits (the offset
// tables of the commands index one object's face points with 32 bits).
inline void CheckFits32(std::size_t total) {
    if (total > std::numeric_limits<uint32_t>::max()) throw BadHostAnswer();
}

} // namespace cmq
