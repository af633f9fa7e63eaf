// The guard at the boundary with the host: every function the host calls
// into this module (the exports and the widget event callback) runs its body
// through Contain, so no exception ever unwinds into the host, which cannot
// catch it and would end the modeller with the user's unsaved work.
//
// A body that throws (an allocation that fails, a host answer a command
// cannot use) returns the entry's failure value instead. Commands read and
// allocate everything before their first selection change, so a failure
// leaves the document's selection as it was.
#pragma once

#include <type_traits>

namespace hostapi {

// Runs `body()` and returns its result, or `failure` if it throws anything.
template <class Result, class Body>
Result Contain(Result failure, Body &&body) noexcept {
    try {
        return static_cast<Result>(body());
    } catch (...) {
        return failure;
    }
}

// The same for an entry without a result: a throwing body simply ends.
template <class Body>
void ContainVoid(Body &&body) noexcept {
    static_assert(std::is_void_v<decltype(body())>, "use Contain for an entry with a result");
    try {
        body();
    } catch (...) {
    }
}

} // namespace hostapi
