// MotFile2Bin: the S-record reader. Lines end at LF, CR LF or CR alone (read as LF) and go
// into a 1024-byte buffer; a longer line is read in pieces, each parsed as a line.
#include "jobs/mot_file2bin.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/numbers.h"
#include "base/open_file.h"
#include "base/ticks.h"

namespace k470 {

namespace {

// Reads one piece of a line: up to kLineBufferBytes - 1 characters, ending after a line
// end (kept, as LF). A CR alone ends a line too: a file from a system that ends its lines
// so would otherwise be one long line. Returns the piece's length, 0 at end of file. A read
// that fails is no end of file: `*error` then holds the system's code, and the piece read
// so far is not to be used.
size_t ReadPiece(FILE* file, char* piece, int* error) {
  size_t length = 0;
  while (length < kLineBufferBytes - 1) {
    int c = std::getc(file);
    if (c == EOF) {
      if (std::ferror(file)) *error = errno != 0 ? errno : EIO;
      break;
    }
    if (c == '\r') {
      const int next = std::getc(file);
      if (next == EOF && std::ferror(file)) {
        *error = errno != 0 ? errno : EIO;
        break;
      }
      if (next != '\n' && next != EOF) std::ungetc(next, file);
      c = '\n';
    }
    piece[length++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  piece[length] = '\0';
  return length;
}

}  // namespace

uint32_t HexValue32(const char* text, size_t length, size_t digits) {
  uint32_t value = 0;
  for (size_t i = 0; i < digits; ++i) {
    int d = i < length ? HexDigit(text[i]) : -1;
    if (d >= 0) value = value * 16 + static_cast<uint32_t>(d);
  }
  return value;
}

uint16_t HexValue16(const char* text, size_t length, size_t digits) {
  return static_cast<uint16_t>(HexValue32(text, length, digits));
}

uint8_t HexValue8(const char* text, size_t length, size_t digits) {
  return static_cast<uint8_t>(HexValue32(text, length, digits));
}

int ParseRecord(const char* line, size_t length, uint8_t* data, ParsedRecord* out) {
  out->address = 0;
  out->count = 0;
  if (length == 0 || line[0] != 'S') return kRecordNotSRecord;

  // Reads `digits` hex characters at `pos`, treating anything past the line as non-hex.
  auto hex = [&](size_t pos, size_t digits) -> uint32_t {
    if (pos >= length) return 0;
    return HexValue32(line + pos, length - pos, digits);
  };

  const uint32_t type = hex(1, 1);
  const int count = static_cast<int>(hex(2, 2));
  uint8_t sum = static_cast<uint8_t>(count);
  size_t pos = 4;
  int n = 0;

  int addressBytes = 0;
  switch (type) {
    case 1: addressBytes = 2; break;
    case 2: addressBytes = 3; break;
    case 3: addressBytes = 4; break;
    default: break;
  }
  if (addressBytes > 0) {
    out->address = hex(pos, static_cast<size_t>(addressBytes) * 2);
    for (int i = 0; i < addressBytes; ++i) sum = static_cast<uint8_t>(sum + hex(pos + 2 * i, 2));
    pos += static_cast<size_t>(addressBytes) * 2;
    n = count - addressBytes - 1;
  } else {
    // Headers, counts and start records: checked, not interpreted.
    for (int i = 0; i < count - 1; ++i) sum = static_cast<uint8_t>(sum + hex(pos + 2 * i, 2));
    if (count > 1) pos += static_cast<size_t>(count - 1) * 2;
  }

  if (n > 0) {
    for (int i = 0; i < n; ++i) {
      data[i] = static_cast<uint8_t>(hex(pos, 2));
      sum = static_cast<uint8_t>(sum + data[i]);
      pos += 2;
    }
    out->count = n;
  }
  // A record cut short (its checksum would lie past the line's end) is corrupt, even if
  // the missing characters happened to add up.
  size_t content = length;
  while (content > 0 && (line[content - 1] == '\n' || line[content - 1] == '\r')) --content;
  if (pos + 2 > content) {
    out->count = 0;
    return kRecordBadChecksum;
  }
  const uint8_t checksum = static_cast<uint8_t>(hex(pos, 2));
  if (checksum != static_cast<uint8_t>(0xFF - sum)) return kRecordBadChecksum;
  // Anything but blanks after the checksum means the count does not cover the line: a
  // record that would otherwise be taken short, or two records run together.
  for (size_t i = pos + 2; i < content; ++i) {
    if (line[i] != ' ' && line[i] != '\t') {
      out->count = 0;
      return kRecordTextAfterChecksum;
    }
  }
  return kRecordOk;
}

std::string DroppedBytesNote(uint64_t count, uint32_t first, uint32_t base, uint32_t size) {
  char text[128];
  std::snprintf(text, sizeof text, "%llu %s outside %08X-%08X were not written (first at %08X)",
                static_cast<unsigned long long>(count), count == 1 ? "byte" : "bytes",
                static_cast<unsigned>(base), static_cast<unsigned>(base + (size - 1)),
                static_cast<unsigned>(first));
  return text;
}

MotFile2Bin::~MotFile2Bin() { StopAndWait(); }

int MotFile2Bin::Start(const std::string& fileName, uint8_t* buffer, uint32_t size,
                       uint32_t base) {
  m_fileName = fileName;
  m_buffer = buffer;
  m_size = size;
  m_base = base;
  return CThreadVl::Start();
}

int MotFile2Bin::WaitResult(uint32_t* lowOut, uint32_t* highOut) {
  StopAndWait();
  if (lowOut) *lowOut = m_low;
  if (highOut) *highOut = m_high;
  return m_result;
}

std::string MotFile2Bin::FailureDetail() const {
  return m_fileName.empty() ? m_reason : m_fileName + ": " + m_reason;
}

std::string MotFile2Bin::DroppedNote() const {
  return m_dropped == 0 ? std::string() : DroppedBytesNote(m_dropped, m_firstDropped, m_base, m_size);
}

int MotFile2Bin::Run() {
  ReadFile();
  SetDone();
  return 0;
}

void MotFile2Bin::CountDropped(uint64_t first, uint64_t last, uint64_t windowLast) {
  const bool noneBefore = m_dropped == 0;
  uint64_t lowest = UINT64_MAX;
  if (first < m_base) {
    m_dropped += (last < m_base ? last + 1 : m_base) - first;
    lowest = first;
  }
  if (last > windowLast) {
    const uint64_t from = first > windowLast ? first : windowLast + 1;
    m_dropped += last - from + 1;
    if (from < lowest) lowest = from;
  }
  if (lowest != UINT64_MAX && (noneBefore || lowest < m_firstDropped)) {
    m_firstDropped = static_cast<uint32_t>(lowest);
  }
}

void MotFile2Bin::ReadFile() {
  m_low = m_high = m_base;
  m_result = MOT_OK;
  if (m_size > 0) std::memset(m_buffer, 0xFF, m_size);
  bool stored = false;
  m_reason.clear();
  m_dropped = 0;
  m_firstDropped = 0;
  m_anyRecord = false;

  FILE* file = OpenRegularFile(m_fileName, &m_reason);
  if (!file) {
    m_result = MOT_OPEN_FAILED;
    return;
  }

  // Addresses are compared in 64 bits so that a record near the top of the address
  // space cannot wrap around into the window.
  const uint64_t windowLast = static_cast<uint64_t>(m_base) + m_size - 1;
  char piece[kLineBufferBytes];
  uint8_t data[kRecordDataBytes];
  size_t length;
  unsigned long lineNumber = 0;
  bool lineStarts = true;
  int readError = 0;
  errno = 0;
  while ((length = ReadPiece(file, piece, &readError)) > 0 || readError != 0) {
    // A disk or a network drive that fails mid-file would otherwise pass the first part
    // off as the whole image.
    if (readError != 0) {
      m_result = MOT_OPEN_FAILED;
      m_reason = std::strerror(readError);
      break;
    }
    if (Cancelled()) break;
    if (lineStarts) ++lineNumber;
    lineStarts = piece[length - 1] == '\n';
    ParsedRecord record;
    const int parsed = ParseRecord(piece, length, data, &record);
    if (parsed != kRecordOk) {
      m_result = MOT_FORMAT_ERROR;
      m_reason = "line " + std::to_string(lineNumber) + ": " +
                 (parsed == kRecordNotSRecord          ? "not an S-record"
                  : parsed == kRecordTextAfterChecksum ? "text after the checksum"
                                                       : "bad checksum");
      break;
    }
    if (record.count == 0) continue;
    m_anyRecord = true;
    uint64_t first = record.address;
    uint64_t last = first + static_cast<uint64_t>(record.count) - 1;
    CountDropped(first, last, windowLast);
    if (first < m_base) first = m_base;
    if (first <= last) {
      if (last > windowLast) last = windowLast;
      if (first <= last && m_size > 0) {
        std::memcpy(m_buffer + (first - m_base), data + (first - record.address),
                    static_cast<size_t>(last - first + 1));
        stored = true;
      }
    }
    if (first < m_low) m_low = static_cast<uint32_t>(first);
    if (last > m_high && last <= windowLast) m_high = static_cast<uint32_t>(last);
  }
  std::fclose(file);

  if (m_result == MOT_OK && !stored) {
    m_result = MOT_NO_DATA;
    m_reason = m_anyRecord ? DroppedNote() : "no data records";
  } else if (m_result == MOT_OK && Cancelled()) {
    m_result = MOT_CANCELLED;
  }
}

}  // namespace k470
