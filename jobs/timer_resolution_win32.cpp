// The 1 ms timer on Windows: timeBeginPeriod for as long as the object lives. The calls
// are counted by the system, so nested jobs (a load and its file reader) are fine.
#include <windows.h>
#include <mmsystem.h>

#include "jobs/timer_resolution.h"

namespace k470 {
namespace {
constexpr UINT kTimerResolutionMs = 1;
}

FineTimerResolution::FineTimerResolution()
    : m_raised(timeBeginPeriod(kTimerResolutionMs) == TIMERR_NOERROR) {}

FineTimerResolution::~FineTimerResolution() {
  if (m_raised) timeEndPeriod(kTimerResolutionMs);
}

}  // namespace k470
