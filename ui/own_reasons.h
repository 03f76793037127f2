// The program's own reasons (those it gives where the system has none, after a port or a
// file name) in the program's language; the system's words pass unchanged.
#pragma once

#include <string>

#include "base/open_file.h"
#include "base/texts.h"
#include "serial/com_port.h"

namespace k470 {

inline std::string ShownReason(const std::string& reason) {
  if (reason == kTextNoSuchPort) return Text(TextId::kNoSuchPort);
  if (reason == kTextNotRegularFile) return Text(TextId::kNotRegularFile);
  return reason;
}

}  // namespace k470
