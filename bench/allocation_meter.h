// Heap use of the benchmark process, for the peak extra memory of a command.
//
// The benchmark executable replaces the global operator new and delete, so
// every allocation of the plug-in module and the stand-in host (both take
// operator new from the process) is counted by its usable size.
//
//   allocmeter::StartPeak();
//   RunCommand();
//   const std::size_t extra = allocmeter::PeakSinceStart(); // bytes above the start
#pragma once

#include <cstddef>

namespace allocmeter {

// Bytes allocated and not yet freed.
std::size_t LiveBytes();
// Starts a new peak from what is live now.
void StartPeak();
// The highest live byte count since StartPeak, less what was live then.
std::size_t PeakSinceStart();

} // namespace allocmeter
