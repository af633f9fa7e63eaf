// Allocation failure on demand, for the plug-in module's allocations only.
//
// This program replaces the global operator new (every form). While armed,
// each allocation made on behalf of the plug-in module is counted and the
// k-th one fails (throws std::bad_alloc, or returns null for the nothrow
// forms). Allocations of the stand-in host, the toolkit and the test itself
// never fail: a real host does not throw into the plug-in.
//
// An allocation belongs to the plug-in when the nearest caller outside the
// C and C++ runtime libraries lies in the module's mapped segments. Its
// direct caller is the module for code the module instantiated itself
// (containers, shared pointers); for runtime code called by the module (a
// std::string growing inside libstdc++) the stack is unwound through the
// runtime frames to the first caller that is not runtime code.
#pragma once

#include <cstddef>

namespace faultinject {

// Finds the module's segments, given any address inside it, and the
// runtime libraries' segments. Call once, after the module is loaded.
void Setup(const void *addressInModule);

// Counts the plug-in's allocations from now on; the failAt-th fails
// (0: none fails).
void Arm(std::size_t failAt);

struct Tally {
    std::size_t allocations = 0; // plug-in allocations seen while armed
    bool injected = false;       // the failAt-th was reached and failed
};
Tally Disarm();

} // namespace faultinject
