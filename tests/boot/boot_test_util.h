// Shared pieces of the boot driver tests: a fresh line per test and the transcript's
// bytes grouped by the rate the port was open at.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "tests/support/fake_clock.h"
#include "tests/support/fake_line.h"

namespace k470::test {

constexpr const char* kTestPort = "COM3";

// Host bytes written while the port was at each rate.
inline std::map<uint32_t, Bytes> WrittenByRate(const std::string& transcript) {
  std::map<uint32_t, Bytes> out;
  uint32_t rate = 0;
  size_t pos = 0;
  while (pos < transcript.size()) {
    size_t end = transcript.find('\n', pos);
    if (end == std::string::npos) end = transcript.size();
    const std::string line = transcript.substr(pos, end - pos);
    if (line.rfind("-- open ", 0) == 0 || line.rfind("-- rate ", 0) == 0) {
      rate = static_cast<uint32_t>(std::stoul(line.substr(8)));
    } else if (line.rfind(">> ", 0) == 0) {
      const Bytes b = HexBytes(line.substr(3));
      out[rate].insert(out[rate].end(), b.begin(), b.end());
    }
    pos = end + 1;
  }
  return out;
}

}  // namespace k470::test
