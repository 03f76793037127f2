// Waiting for a job with Ctrl-C and an optional time limit.
#include "cli/job_runner.h"

#include <cstdio>

#include "cli/cli_args.h"
#include "cli/console.h"
#include "base/cancel_slice.h"
#include "jobs/job_target.h"
#include "base/ticks.h"

namespace k470::cli {

bool OutputFailed() { return std::ferror(stdout) != 0 || std::ferror(stderr) != 0; }

JobWait WaitForJob(CThreadVl& job, uint32_t limitMs, void (*beforeStop)(void*), void* context) {
  const uint32_t started = TickCountMs();
  while (!job.IsDone()) {
    if (InterruptRequested()) {
      if (beforeStop) beforeStop(context);
      job.StopAndWait();
      return JobWait::Interrupted;
    }
    if (OutputFailed()) {
      if (beforeStop) beforeStop(context);
      job.StopAndWait();
      return JobWait::OutputFailed;
    }
    if (limitMs != 0 && TickCountMs() - started >= limitMs) {
      if (beforeStop) beforeStop(context);
      job.StopAndWait();
      return JobWait::TimeUp;
    }
    // Ctrl-C is a flag without a signal: looked at every cancel slice; the job's end
    // ends the wait at once.
    job.WaitDoneFor(kCancelSliceMs);
  }
  return JobWait::Ended;
}

int ExitStatusFor(JobWait wait, int result) {
  if (wait == JobWait::Interrupted) return InterruptExitStatus();
  if (wait == JobWait::OutputFailed) return kExitFailed;
  switch (result) {
    case JOB_SUCCEEDED: return kExitOk;
    case JOB_CANCELLED: return InterruptExitStatus();
    default: return kExitFailed;
  }
}

}  // namespace k470::cli
