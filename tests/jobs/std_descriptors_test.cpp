// The standard descriptors at start: a closed one is opened on the null device, so that
// the next file opened cannot take its number (and the program's own output with it).
#include "base/std_descriptors.h"

#include <gtest/gtest.h>

#include <unistd.h>  // dup, dup2, close: in both builds' C runtimes

#include <cstdio>
#include <fstream>
#include <string>

#include "base/open_file.h"

namespace k470 {
namespace {

TEST(StdDescriptors, AClosedStdoutIsOpenedOnTheNullDeviceBeforeAFileCanTakeIt) {
  const std::string path = ::testing::TempDir() + "k470_std_descriptors.mot";
  std::ofstream(path).put('S');
  std::fflush(stdout);
  const int saved = dup(1);
  ASSERT_GE(saved, 0);
  close(1);
  OpenClosedStdDescriptors();
  const int nullCopy = dup(1);  // descriptor 1 is open again
  FILE* file = OpenRegularFile(path);
  const int fileNumber = file != nullptr ? fileno(file) : -1;
  if (file != nullptr) std::fclose(file);
  if (nullCopy >= 0) close(nullCopy);
  dup2(saved, 1);  // gtest's own output goes on as before
  close(saved);
  std::remove(path.c_str());
  EXPECT_GE(nullCopy, 0);
  EXPECT_GT(fileNumber, 2);
}

}  // namespace
}  // namespace k470
