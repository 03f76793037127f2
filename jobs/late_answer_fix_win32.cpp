// The fix for a slow USB adapter on Windows: a program cannot change the adapter's
// latency timer, the user can, in the port's driver settings.
#include "jobs/late_answers.h"

namespace k470 {

const char* LateAnswerFix() {
  return "set the adapter's Latency Timer to 1 ms "
         "(Device Manager → the port → Port Settings → Advanced)";
}

}  // namespace k470
