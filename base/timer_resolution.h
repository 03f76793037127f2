// While a job runs, the system's timer runs at 1 ms, so that a sleep or a wait lasts as
// long as asked (Windows otherwise rounds each one up to a whole timer tick, 15.6 ms).
// Nothing to do where the system's timer is fine already.
#pragma once

namespace k470 {

// Raises the resolution for the calling job thread; the job's body does it as it starts.
void RaiseTimerResolution();

// Gives the calling thread's raise back (once; a second call does nothing). The body does
// it before it marks itself done: once its owner sees the end, the program may end.
void RestoreTimerResolution();

}  // namespace k470
