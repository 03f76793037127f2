// Waiting for a job on the console: Ctrl-C requests the cancel and waits for the job's end,
// as the Cancel button of a progress dialog does.
#pragma once

#include <cstdint>

#include "jobs/thread_vl.h"

namespace k470::cli {

enum class JobWait { Ended, Interrupted, TimeUp, OutputFailed };

// True once a write to stdout or stderr has failed (a full disk, a closed pipe): the
// command's reports are lost, so its job is stopped and it ends with status 1.
bool OutputFailed();

// Waits until the started job has ended, Ctrl-C was pressed, a write to stdout or stderr
// failed or `limitMs` have passed (0: no limit). In all but the first case the job is
// stopped (StopAndWait); on return the job has always ended.
// `beforeStop` (may be null) is called before such a stop.
JobWait WaitForJob(CThreadVl& job, uint32_t limitMs = 0, void (*beforeStop)(void*) = nullptr,
                   void* context = nullptr);

// The exit status for a job's end result (JOB_SUCCEEDED 0, JOB_FAILED 1, JOB_CANCELLED and
// an interrupted wait 130, or 143 / 129 after SIGTERM / SIGHUP; a failed output 1).
int ExitStatusFor(JobWait wait, int result);

}  // namespace k470::cli
