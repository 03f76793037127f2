// The RAM load page's status line texts for what the user just did: a connect (made or
// failed), a disconnect, and the end of a load, so that the line never keeps a text from
// before (a board that is no longer there, an earlier write's result).
#pragma once

#include <cinttypes>
#include <cstdio>
#include <string>

#include "base/fill_text.h"
#include "base/texts.h"
#include "jobs/job_target.h"
#include "ui/own_reasons.h"
#include "ui/progress_result.h"

namespace k470 {

// "COM9 cannot be opened. File not found" (kPortNotOpened): the port as the user named
// it, the system's reason after it, as the flash write's message and its detail line say it.
inline std::string ConnectFailedStatus(const std::string& portName, const std::string& reason) {
  std::string text = FillText(Text(TextId::kPortNotOpened), {portName});
  if (!reason.empty()) text += " " + ShownReason(reason);
  return text;
}

inline std::string ConnectedStatus(const std::string& portName) {
  return "connected to " + portName;
}

inline std::string DisconnectedStatus(const std::string& portName) {
  return "disconnected from " + portName;
}

// The end of a load, from the dialog's result and the job's first and last progress
// reports: "loaded 6000 bytes at 00200000 - 0020176F", "cancel ram load",
// "error ram load".
inline std::string LoadResultStatus(int result, bool reported, const JobProgress& first,
                                    const JobProgress& last) {
  if (result == kProgressCancelled) return "cancel ram load";
  if (result != kProgressSucceeded) return "error ram load";
  if (!reported || last.done == 0) return "loaded 0 bytes";
  const uint64_t high = first.address + last.done - 1;
  char text[80];
  std::snprintf(text, sizeof text, "loaded %" PRIu64 " bytes at %08X - %08X", last.done,
                static_cast<unsigned>(first.address), static_cast<unsigned>(high));
  return text;
}

}  // namespace k470
