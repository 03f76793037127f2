// fuzz_mot: arbitrary file contents through the S-record reader, into several windows.
// Checks: nothing is written outside a window (guard bytes on both sides), the result
// code and the low/high bounds agree with the bytes stored, and windows that cover the
// same addresses hold the same bytes there. ParseRecord also gets the input as one line,
// in a buffer of exactly its size, with guards around its data area.
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "jobs/mot_file2bin.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using namespace k470;

constexpr size_t kGuardBytes = 64;
constexpr uint8_t kGuardByte = 0xA5;
constexpr uint8_t kErased = 0xFF;

struct Window {
  uint32_t base;
  uint32_t size;
};

// The RAM load window, the largest flash image, the write-control program's window, a
// window at the top of the 32-bit space and an empty one.
constexpr Window kWindows[] = {
    {0x200000, 0x40000}, {0, 0x80000}, {0xF780, 0x780}, {0xFFFFF000, 0x1000}, {0, 0}};
constexpr size_t kWholeFlash = 1;
constexpr size_t kProgramWindow = 2;

// A window's buffer with guard bytes on both sides, kept from input to input. Whole-buffer
// checks go through memcmp: a byte loop over 512 KiB, instrumented for the fuzzing
// engine, would cost more than the reading itself.
struct Reading {
  int result = -1;
  uint32_t low = 0;
  uint32_t high = 0;
  std::vector<uint8_t> area;
  const uint8_t* Image() const { return area.data() + kGuardBytes; }
};

const std::vector<uint8_t>& Filled(uint8_t value) {
  static std::vector<uint8_t> erased(0x80000 + kGuardBytes, kErased);
  static std::vector<uint8_t> guard(kGuardBytes, kGuardByte);
  return value == kErased ? erased : guard;
}

bool AllAre(const uint8_t* bytes, size_t size, uint8_t value) {
  return size == 0 || std::memcmp(bytes, Filled(value).data(), size) == 0;
}

std::string Where(const Window& w) {
  char text[64];
  std::snprintf(text, sizeof text, "window %X/%X", static_cast<unsigned>(w.base),
                static_cast<unsigned>(w.size));
  return text;
}

void Read(const std::string& path, const Window& w, Reading* r) {
  r->area.assign(kGuardBytes + w.size + kGuardBytes, kGuardByte);
  {
    MotFile2Bin reader;
    FUZZ_CHECK(reader.Start(path, r->area.data() + kGuardBytes, w.size, w.base) == 1,
               "reader did not start");
    while (!reader.IsDone()) std::this_thread::yield();
    r->result = reader.WaitResult(&r->low, &r->high);
  }
  FUZZ_CHECK(AllAre(r->area.data(), kGuardBytes, kGuardByte), "byte written below the " + Where(w));
  FUZZ_CHECK(AllAre(r->area.data() + kGuardBytes + w.size, kGuardBytes, kGuardByte),
             "byte written above the " + Where(w));
}

void CheckReading(const Reading& r, const Window& w) {
  FUZZ_CHECK(r.result == MOT_OK || r.result == MOT_FORMAT_ERROR || r.result == MOT_NO_DATA,
             "unexpected result in the " + Where(w));
  if (w.size == 0) {
    FUZZ_CHECK(r.result != MOT_OK, "data stored in the empty window");
    return;
  }
  FUZZ_CHECK(r.low == w.base, "low is not the base in the " + Where(w));
  FUZZ_CHECK(r.high >= w.base && r.high - w.base < w.size, "high outside the " + Where(w));
  const size_t upToHigh = r.high - w.base + 1;
  FUZZ_CHECK(AllAre(r.Image() + upToHigh, w.size - upToHigh, kErased),
             "a byte stored above high in the " + Where(w));
  if (r.result == MOT_NO_DATA) {
    FUZZ_CHECK(AllAre(r.Image(), w.size, kErased), "bytes stored but no data reported in the " + Where(w));
  }
}

void CheckParseRecord(const uint8_t* data, size_t size) {
  std::vector<char> line(data, data + size);  // exactly the line: no byte to read beyond it
  std::vector<uint8_t> area(kGuardBytes + kRecordDataBytes + kGuardBytes, kGuardByte);
  ParsedRecord record;
  const int result = ParseRecord(line.data(), line.size(), area.data() + kGuardBytes, &record);
  FUZZ_CHECK(result == kRecordOk || result == kRecordNotSRecord || result == kRecordBadChecksum ||
                 result == kRecordTextAfterChecksum,
             "unexpected ParseRecord result");
  FUZZ_CHECK(record.count >= 0 && static_cast<size_t>(record.count) <= kRecordDataBytes,
             "data count out of range");
  for (size_t i = 0; i < kGuardBytes; ++i) {
    FUZZ_CHECK(area[i] == kGuardByte, "ParseRecord wrote below its data area");
    FUZZ_CHECK(area[kGuardBytes + kRecordDataBytes + i] == kGuardByte,
               "ParseRecord wrote above its data area");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckParseRecord(data, size);

  static const std::string path = k470::fuzz::ScratchPath("fuzz_mot.mot");
  k470::fuzz::WriteFile(path, data, size);
  static std::vector<Reading> readings(std::size(kWindows));
  for (size_t i = 0; i < std::size(kWindows); ++i) {
    Read(path, kWindows[i], &readings[i]);
    CheckReading(readings[i], kWindows[i]);
  }
  // A format error is a property of the file, whatever the window.
  for (const Reading& r : readings) {
    FUZZ_CHECK((r.result == MOT_FORMAT_ERROR) == (readings[0].result == MOT_FORMAT_ERROR),
               "format error in one window only");
  }
  // The program's window lies inside the whole flash image: same bytes there.
  const Window& small = kWindows[kProgramWindow];
  const Reading& whole = readings[kWholeFlash];
  FUZZ_CHECK(std::memcmp(readings[kProgramWindow].Image(), whole.Image() + small.base,
                         small.size) == 0,
             "overlapping windows disagree");
  return 0;
}
