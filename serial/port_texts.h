// The message of a port whose device has gone while a job used it, in the style of the
// program's other messages: "COM3との通信が切れました。".
#pragma once

#include <string>

#include "base/fill_text.h"

namespace k470 {

constexpr const char* kMsgPortLostFormat = "%sとの通信が切れました。";

inline std::string PortLostMessage(const std::string& portName) {
  return FillText(kMsgPortLostFormat, {portName});
}

}  // namespace k470
