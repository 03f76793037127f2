// MotFile2Bin: reads a Motorola S-record file into a memory image, a caller-owned buffer
// that stands for the addresses base .. base + size - 1, filled with 0xFF first.
#pragma once

#include <cstdint>
#include <cstddef>
#include <string>

#include "jobs/thread_vl.h"

namespace k470 {

// Result codes of a reading.
constexpr int MOT_OK = 0;            // at least one data byte stored
constexpr int MOT_OPEN_FAILED = 1;   // the file cannot be opened or read, or is no regular file
constexpr int MOT_FORMAT_ERROR = 2;  // a line is not a valid S-record
constexpr int MOT_NO_DATA = 3;       // no data byte fell inside the window
constexpr int MOT_CANCELLED = 4;     // cancelled after some data was stored

// Results of ParseRecord.
constexpr int kRecordOk = 0;
constexpr int kRecordNotSRecord = 2;  // does not start with 'S'
constexpr int kRecordBadChecksum = 3;
constexpr int kRecordTextAfterChecksum = 4;  // other than blanks: the record may be cut

constexpr size_t kLineBufferBytes = 1024;   // a longer line is read in pieces
constexpr size_t kRecordDataBytes = 1024;   // data area handed to ParseRecord

// The hexadecimal accumulator of the reader: `digits` characters from `text`, each hex
// digit shifted in, any other character skipped. Characters past the end of `text`
// (`length`) count as non-hex. Truncated to 8, 16 or 32 bits by the caller's form.
uint32_t HexValue32(const char* text, size_t length, size_t digits);
uint16_t HexValue16(const char* text, size_t length, size_t digits);
uint8_t HexValue8(const char* text, size_t length, size_t digits);

// The note on data bytes that an image window left out.
std::string DroppedBytesNote(uint64_t count, uint32_t first, uint32_t base, uint32_t size);

struct ParsedRecord {
  uint32_t address = 0;
  int count = 0;  // number of data bytes written to the data area
};

// Parses one line (without or with its line end). Returns kRecordOk, kRecordNotSRecord,
// kRecordBadChecksum or kRecordTextAfterChecksum. Never reads past `length` nor writes
// past kRecordDataBytes of `data`.
int ParseRecord(const char* line, size_t length, uint8_t* data, ParsedRecord* out);

class MotFile2Bin : public CThreadVl {
 public:
  MotFile2Bin() = default;
  ~MotFile2Bin() override;

  // Stores the parameters and starts the reading. The buffer must stay valid until the
  // reading has ended.
  int Start(const std::string& fileName, uint8_t* buffer, uint32_t size, uint32_t base);

  // Requests the end of the reading, waits for it and returns the result code; stores
  // the data's low and high bounds through the pointers that are not null.
  int WaitResult(uint32_t* lowOut, uint32_t* highOut);

  // After the end: why a reading that did not end with MOT_OK or MOT_CANCELLED failed,
  // as the detail line of its message: the path as given and the reason ("No such file
  // or directory", "not a regular file", "no data records", "line 3: bad checksum").
  std::string FailureDetail() const;

  // After the end: data bytes of the file that lay outside the window and were left out.
  uint64_t DroppedBytes() const { return m_dropped; }

  // The note on the bytes left out ("12 bytes outside 00000000-0007FFFF were not written
  // (first at 00080000)"); empty when none were.
  std::string DroppedNote() const;

 protected:
  int Run() override;

 private:
  void ReadFile();
  // Counts the bytes of the record first..last that lie outside the window.
  void CountDropped(uint64_t first, uint64_t last, uint64_t windowLast);

  std::string m_fileName;
  uint8_t* m_buffer = nullptr;
  uint32_t m_size = 0;
  uint32_t m_base = 0;
  int m_result = MOT_OK;
  uint32_t m_low = 0;
  uint32_t m_high = 0;
  std::string m_reason;       // why the reading failed
  uint64_t m_dropped = 0;
  uint32_t m_firstDropped = 0;  // the lowest address left out
  bool m_anyRecord = false;     // a data record was read, inside the window or not
};

}  // namespace k470
