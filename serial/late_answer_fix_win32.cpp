// The fix for a slow USB adapter on Windows: a program cannot change the adapter's
// latency timer, the user can, in the port's driver settings.
#include "serial/late_answer_fix.h"

namespace k470 {

std::string LocalLateAnswerFix(const std::string&) {
  return "set the adapter's Latency Timer to 1 ms "
         "(Device Manager → the port → Port Settings → Advanced)";
}

}  // namespace k470
