// The results of the two progress dialogs, and how a job's end result maps onto them.
#pragma once

#include "jobs/job_target.h"

namespace k470 {

constexpr int kProgressSucceeded = 0;
constexpr int kProgressCancelled = 1;
constexpr int kProgressFailed = 3;

// The dialog result for a job's end result (lParam of its end message); -1 for a value
// that is no result, which ends nothing.
inline int ProgressResultFor(long long jobResult) {
  switch (jobResult) {
    case JOB_SUCCEEDED: return kProgressSucceeded;
    case JOB_CANCELLED: return kProgressCancelled;
    case JOB_FAILED: return kProgressFailed;
    default: return -1;
  }
}

}  // namespace k470
