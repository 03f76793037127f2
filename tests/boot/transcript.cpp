// Golden transcript files: parsing into FakeLine expectations.
#include "tests/boot/transcript.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/fake_line.h"

namespace k470::test {

bool ScriptTranscript(const std::string& name) {
  const std::string path = std::string(K470_TRANSCRIPT_DIR) + "/" + name;
  std::ifstream file(path);
  if (!file) {
    ADD_FAILURE() << "cannot read " << path;
    return false;
  }
  bool have = false;
  Bytes request, response;
  auto flush = [&]() {
    if (have) FakeLine::Instance().Expect(request, response);
    request.clear();
    response.clear();
  };
  std::string line;
  while (std::getline(file, line)) {
    if (line.rfind(">>", 0) == 0) {
      flush();
      request = HexBytes(line.substr(2));
      have = true;
    } else if (line.rfind("<<", 0) == 0) {
      const Bytes more = HexBytes(line.substr(2));
      if (have) {
        response.insert(response.end(), more.begin(), more.end());
      } else {
        FakeLine::Instance().Feed(more);
      }
    }
  }
  flush();
  return true;
}

}  // namespace k470::test
