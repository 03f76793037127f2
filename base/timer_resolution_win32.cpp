// The 1 ms timer on Windows: timeBeginPeriod while a job's body runs. The system counts
// the calls, so nested jobs (a load and its file reader) are fine.
#include <windows.h>
#include <mmsystem.h>

#include "base/timer_resolution.h"

namespace k470 {
namespace {
constexpr UINT kTimerResolutionMs = 1;
thread_local bool t_raised = false;
}  // namespace

void RaiseTimerResolution() {
  if (!t_raised) t_raised = timeBeginPeriod(kTimerResolutionMs) == TIMERR_NOERROR;
}

void RestoreTimerResolution() {
  if (t_raised) timeEndPeriod(kTimerResolutionMs);
  t_raised = false;
}

}  // namespace k470
