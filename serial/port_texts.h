// The message of a port whose device has gone while a job used it, in the style of the
// program's other messages: "COM3との通信が切れました。".
#pragma once

#include <cstdio>
#include <string>

namespace k470 {

constexpr const char* kMsgPortLostFormat = "%sとの通信が切れました。";
constexpr size_t kPortMessageBytes = 160;

inline std::string PortLostMessage(const std::string& portName) {
  char text[kPortMessageBytes];
  std::snprintf(text, sizeof text, kMsgPortLostFormat, portName.c_str());
  return text;
}

}  // namespace k470
