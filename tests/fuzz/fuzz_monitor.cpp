// fuzz_monitor: board detection and the RAM load against arbitrary monitor output, over
// the scripted line and the virtual clock. The first byte picks the job (even: detection,
// odd: load); the rest are replies, each a length byte and that many bytes.
// Detection: each reply is what the board sends before one look; a board of the family is
// reported only when the bytes of its prompt came, and only changes are reported.
// Load: each reply answers one chunk's data; the load succeeds exactly when the replies
// held an "end!" for every chunk by the time that chunk was sent (other bytes may come
// between its letters), and then the monitor received the image.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "jobs/thread_vl.h"
#include "monitor/board_state.h"
#include "monitor/thread_cchk.h"
#include "monitor/thread_load.h"
#include "serial/com_port.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_line.h"
#include "tests/support/recording_target.h"
#include "tests/support/srecords.h"

namespace {

using namespace k470;
using test::Bytes;
using test::FakeLine;
using test::RecordingTarget;

constexpr const char* kPort = "COM1";
constexpr int kRealPollUs = 20;
constexpr int kRealLimitMs = 5000;  // far beyond any input's need
// Virtual time with no write after which a load waiting for an acknowledgement that
// cannot come any more is cancelled, as the user would.
constexpr uint32_t kStallMs = 1000;

// The image: 3073 bytes at the RAM's base, sent as chunks of 1024, 1024 and 1025 bytes.
constexpr uint32_t kImageBytes = 3073;
constexpr int kChunks = 3;
// Looks of one detection run: enough for every change of state, short enough to be quick.
constexpr size_t kMaxLooks = 16;

std::vector<std::string> Replies(const uint8_t* data, size_t size) {
  std::vector<std::string> out;
  for (size_t at = 0; at < size;) {
    const size_t length = data[at++];
    const size_t n = std::min(length, size - at);
    out.emplace_back(reinterpret_cast<const char*>(data + at), n);
    at += n;
  }
  return out;
}

bool TimedOut(std::chrono::steady_clock::time_point start) {
  return std::chrono::steady_clock::now() - start > std::chrono::milliseconds(kRealLimitMs);
}

void Detect(const std::vector<std::string>& replies) {
  FakeLine& line = FakeLine::Instance();
  CComPort port;
  FUZZ_CHECK(port.Open(kPort) == 1, "port did not open");
  RecordingTarget target;
  CThreadCchk job;
  FUZZ_CHECK(job.Start(&port, &target) == 1, "detection did not start");
  std::string sent;
  for (size_t look = 0; look < replies.size() && look < kMaxLooks; ++look) {
    const std::string& reply = replies[look];
    line.Feed(Bytes(reply.begin(), reply.end()));
    sent += reply;
    // The next look: the clock jumps a period ahead until the job has looked (its
    // carriage return is written after the look has been reported).
    const size_t looks = line.Written().size();
    const auto start = std::chrono::steady_clock::now();
    while (line.Written().size() == looks) {
      FUZZ_CHECK(!TimedOut(start), "detection stopped looking");
      test::AdvanceClock(kDetectPeriodMs);
      std::this_thread::sleep_for(std::chrono::microseconds(kRealPollUs));
    }
    const std::vector<int> states = target.BoardStates();
    for (size_t i = 0; i < states.size(); ++i) {
      FUZZ_CHECK(states[i] >= BOARD_NO_REPLY && states[i] <= BOARD_OTHER, "unknown state");
      FUZZ_CHECK(i == 0 || states[i] != states[i - 1], "a state reported twice in a row");
      if (IsFamilyBoard(states[i])) {
        // The name is what the line buffer holds at the end of a look in which a '>'
        // came; bytes of an earlier line may remain in it behind a shorter new one, so
        // the name need not have come in one piece. Its bytes and the '>' did come.
        const std::string name = "k47" + std::to_string(states[i] - BOARD_K470L) + "l>";
        FUZZ_CHECK(name.find_first_not_of(sent) == std::string::npos,
                   "a board reported without its prompt's bytes");
      }
    }
  }
  job.StopAndWait();
}

// S2 records of 32 bytes for the image.
std::string ImageText(const std::vector<uint8_t>& image) {
  return test::SRecords(2, kRamBase, image) + "S9030000FC\r\n";
}

const std::vector<uint8_t>& Image() {
  static const std::vector<uint8_t> image = [] {
    std::vector<uint8_t> bytes(kImageBytes);
    for (uint32_t i = 0; i < kImageBytes; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    return bytes;
  }();
  return image;
}

// Whether every chunk found its "end!" among the replies given up to its own.
bool EveryChunkAcknowledged(const std::vector<std::string>& replies) {
  static const std::string kAck = kAckText;
  std::string given;
  size_t read = 0;
  for (int chunk = 0; chunk < kChunks; ++chunk) {
    if (static_cast<size_t>(chunk) < replies.size()) given += replies[static_cast<size_t>(chunk)];
    size_t matched = 0;
    while (matched < kAck.size() && read < given.size())
      if (given[read++] == kAck[matched]) ++matched;
    if (matched < kAck.size()) return false;
  }
  return true;
}

void Load(const std::vector<std::string>& replies) {
  static const std::string path = [] {
    const std::string p = k470::fuzz::ScratchPath("fuzz_monitor.mot");
    const std::string text = ImageText(Image());
    k470::fuzz::WriteFile(p, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    return p;
  }();
  FakeLine& line = FakeLine::Instance();
  std::atomic<size_t> writes{0};
  std::atomic<uint32_t> lastWriteAt{test::ClockNow()};
  Bytes data;  // what the job sent after its load commands
  line.SetResponder([&](const Bytes& written, uint32_t) {
    const size_t n = writes++;
    lastWriteAt = test::ClockNow();
    if (n % 2 == 0) return Bytes();  // the load command
    data.insert(data.end(), written.begin(), written.end());
    const size_t chunk = n / 2;
    if (chunk >= replies.size()) return Bytes();
    return Bytes(replies[chunk].begin(), replies[chunk].end());
  });
  CComPort port;
  FUZZ_CHECK(port.Open(kPort) == 1, "port did not open");
  RecordingTarget target;
  CThreadLoad job;
  FUZZ_CHECK(job.Start(&port, path, kRamBase, &target) == 1, "load did not start");
  const auto start = std::chrono::steady_clock::now();
  while (target.EndCount() == 0) {
    FUZZ_CHECK(!TimedOut(start), "the load hangs");
    if (writes.load() > 0 && test::ClockNow() - lastWriteAt.load() > kStallMs) job.StopAndWait();
    std::this_thread::sleep_for(std::chrono::microseconds(kRealPollUs));
  }
  job.StopAndWait();
  const bool acknowledged = EveryChunkAcknowledged(replies);
  const int result = target.LastResult();
  FUZZ_CHECK(target.EndCount() == 1, "the load ended more than once");
  FUZZ_CHECK((result == JOB_SUCCEEDED) == acknowledged,
             acknowledged ? "the load failed although every chunk was acknowledged"
                          : "the load succeeded without every acknowledgement");
  if (result == JOB_SUCCEEDED) {
    FUZZ_CHECK(data == Bytes(Image().begin(), Image().end()), "the monitor received another image");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  FakeLine::Instance().Reset();
  const std::vector<std::string> replies = Replies(data + 1, size - 1);
  if ((data[0] & 1) == 0) {
    Detect(replies);
  } else {
    Load(replies);
  }
  FakeLine::Instance().Reset();
  return 0;
}
