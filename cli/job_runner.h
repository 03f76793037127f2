// Waiting for a job on the console: Ctrl-C requests the cancel and waits for the job's end,
// as the Cancel button of a progress dialog does.
#pragma once

#include <cstdint>

#include "jobs/thread_vl.h"

namespace k470::cli {

enum class JobWait { Ended, Interrupted, TimeUp };

// Waits until the started job has ended, Ctrl-C was pressed or `limitMs` have passed
// (0: no limit). In the last two cases the job is stopped (StopAndWait); on return the
// job has always ended.
// `beforeStop` (may be null) is called before such a stop.
JobWait WaitForJob(CThreadVl& job, uint32_t limitMs = 0, void (*beforeStop)(void*) = nullptr,
                   void* context = nullptr);

// The exit status for a job's end result (JOB_SUCCEEDED 0, JOB_FAILED 1, JOB_CANCELLED and
// an interrupted wait 130).
int ExitStatusFor(JobWait wait, int result);

}  // namespace k470::cli
