// BlockSessionEnd and UnblockSessionEnd.
#include "ui/session_end.h"

#include "ui/wide_text.h"

namespace k470 {

void BlockSessionEnd(HWND window, const char* jobName) {
  HWND top = window != nullptr ? GetAncestor(window, GA_ROOT) : nullptr;
  if (top != nullptr) ShutdownBlockReasonCreate(top, Widen(jobName).c_str());
}

void UnblockSessionEnd(HWND window) {
  HWND top = window != nullptr ? GetAncestor(window, GA_ROOT) : nullptr;
  if (top != nullptr) ShutdownBlockReasonDestroy(top);
}

}  // namespace k470
