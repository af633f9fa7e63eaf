// Heap use of the benchmark process, for the peak extra memory of a command.
//
// The benchmark executable replaces the global operator new and delete, so
// every allocation of the plug-in module and the stand-in host (both take
// operator new from the process) can be counted by its usable size. Counting
// is on only between StartPeak and PeakSinceStart, so the timed runs pay
// nothing for it but one flag test per allocation.
//
//   allocmeter::StartPeak();
//   RunCommand();
//   const std::size_t extra = allocmeter::PeakSinceStart(); // bytes above the start
#pragma once

#include <cstddef>

namespace allocmeter {

// Starts counting, from zero: what is live now is the baseline.
void StartPeak();
// Stops counting; the highest live byte count above the baseline since
// StartPeak. Memory allocated before StartPeak and freed since lowers the
// count, as it should: the peak is of the process's heap use.
std::size_t PeakSinceStart();

} // namespace allocmeter
