// The message of a port whose device has gone while a job used it, in the style of the
// program's other messages: "COM3との通信が切れました。" ("The connection to COM3 was lost.").
#pragma once

#include <string>

#include "base/fill_text.h"
#include "base/texts.h"

namespace k470 {

inline std::string PortLostMessage(const std::string& portName) {
  return FillText(Text(TextId::kPortLost), {portName});
}

}  // namespace k470
