// The image file opening on POSIX systems: a FIFO without a writer is refused at once
// instead of blocking the reader (and the job that waits for it).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "jobs/mot_file2bin.h"

namespace k470 {
namespace {

TEST(OpenImageFile, AFifoWithoutWriterIsRefusedWithoutWaiting) {
  const std::string path = ::testing::TempDir() + "k470_fifo.mot";
  std::remove(path.c_str());
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  std::vector<uint8_t> image(0x40000);
  MotFile2Bin reader;
  reader.Start(path, image.data(), static_cast<uint32_t>(image.size()), 0x200000);
  // A reader stuck in the opening is let go by a writer that comes and goes, so that the
  // test ends either way.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!reader.IsDone() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const bool doneInTime = reader.IsDone() != 0;
  if (!doneInTime) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
  }
  EXPECT_TRUE(doneInTime);
  EXPECT_EQ(reader.WaitResult(nullptr, nullptr), MOT_OPEN_FAILED);
  std::remove(path.c_str());
}

TEST(OpenImageFile, AReadErrorFailsTheReadingWithThePathAndTheSystemsReason) {
  // A regular file whose read fails: the process's own memory from address 0, which is
  // never mapped.
  const std::string path = "/proc/self/mem";
  if (::access(path.c_str(), R_OK) != 0) GTEST_SKIP() << path << " is not here";
  std::vector<uint8_t> image(0x40000);
  MotFile2Bin reader;
  reader.Start(path, image.data(), static_cast<uint32_t>(image.size()), 0x200000);
  EXPECT_EQ(reader.WaitResult(nullptr, nullptr), MOT_OPEN_FAILED);
  EXPECT_EQ(reader.FailureDetail(), path + ": " + std::strerror(EIO));
}

}  // namespace
}  // namespace k470
