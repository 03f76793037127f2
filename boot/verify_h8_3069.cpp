// BootH8_3069's check after the end frame: the boot program's sum of the user flash
// against the image's (one round trip), and only when they differ a read-back of the
// written blocks that names the first byte the chip did not take.
#include <cstdio>

#include "boot/boot_errors.h"
#include "boot/boot_h8_3069.h"

namespace k470 {

using namespace h8_3069;

namespace {

// The first bytes of a reply kept for a failure's detail.
constexpr int kShownReplyBytes = 8;
constexpr uint32_t kReadBackBytes = kReadBackBlocks * kBlockBytes;

std::string SumText(uint32_t sum) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(sum));
  return text;
}

}  // namespace

BootH8_3069::CheckReply BootH8_3069::CheckCommand(const uint8_t* frame, int length,
                                                  uint8_t code, int sizeBytes, uint8_t* data,
                                                  uint32_t capacity, uint32_t* received) {
  char where[24] = "";
  if (frame[0] == kCmdMemoryRead && length >= 7) {
    std::snprintf(where, sizeof where, " at %08X",
                  static_cast<unsigned>(GetBigEndian(frame + 3, 4)));
  }
  const std::string what = CommandName(frame[0]) + where;
  if (!SendFrame(frame, length, length > 1)) {
    Fail(what + WriteRefusal());
    return CheckReply::Broken;
  }

  // code, size field, data, checksum; or an error pair.
  uint8_t seen[kShownReplyBytes];
  uint8_t sizeField[4] = {};
  uint32_t expected = 2;  // until the size field is known
  uint32_t dataBytes = 0;
  uint8_t sum = 0;
  for (uint32_t count = 0; count < expected; ++count) {
    // A cancel ends the wait at once; the job then ends cancelled.
    const int b = WaitAnyByte(kReplyByteWaitMs, true);
    const int shown = count < kShownReplyBytes ? static_cast<int>(count) : kShownReplyBytes;
    if (!b) {
      Fail(what + ReplyBrokeOff(seen, shown));
      return CheckReply::Broken;
    }
    const uint8_t byte = static_cast<uint8_t>(b);
    if (count < kShownReplyBytes) seen[count] = byte;
    sum = static_cast<uint8_t>(sum + byte);
    if (count == 0) {
      if (byte & kReplyErrorBit) continue;  // the error code follows
      if (byte != code) {
        Fail(what + " answered " + HexBytesText(seen, 1) + ": not its response");
        return CheckReply::Broken;
      }
      expected = 1 + static_cast<uint32_t>(sizeBytes);
    } else if (seen[0] & kReplyErrorBit) {
      Fail(what + " answered " + HexBytesText(seen, 2) + ": " + BootErrorMeaning(byte));
      return CheckReply::ErrorPair;
    } else if (count <= static_cast<uint32_t>(sizeBytes)) {
      sizeField[count - 1] = byte;
      if (count == static_cast<uint32_t>(sizeBytes)) {
        dataBytes = GetBigEndian(sizeField, sizeBytes);
        if (dataBytes > capacity) {
          const int have = count + 1 < kShownReplyBytes ? static_cast<int>(count) + 1
                                                        : kShownReplyBytes;
          Fail(what + " answered " + HexBytesText(seen, have) + ": more data than asked for");
          return CheckReply::Broken;
        }
        expected = 1 + sizeBytes + dataBytes + 1;
      }
    } else if (count < expected - 1) {
      data[count - 1 - sizeBytes] = byte;
    }
  }
  if (sum != 0) {
    const int shown = expected < kShownReplyBytes ? static_cast<int>(expected) : kShownReplyBytes;
    Fail(what + " answered " + HexBytesText(seen, shown) + ": checksum does not add up");
    return CheckReply::Broken;
  }
  *received = dataBytes;
  return CheckReply::Data;
}

StepResult BootH8_3069::VerifyWrite(const WrittenImage& image, VerifyReport* report,
                                    std::string* note) {
  *report = VerifyReport();
  report->result = VerifyResult::Failed;
  report->imageSum = ImageSum(image);
  const uint8_t request[1] = {kCmdUserSumCheck};
  uint8_t sum[kSumBytes];
  uint32_t received = 0;
  switch (CheckCommand(request, 1, kRspUserSum, 1, sum, sizeof sum, &received)) {
    case CheckReply::Broken:
      return Unfinished();
    case CheckReply::ErrorPair:
      // A boot program without the check: the write stands as acknowledged.
      report->result = VerifyResult::Unavailable;
      *note = "not verified: " + FailureDetail();
      m_failure.clear();
      return StepResult::Ok;
    case CheckReply::Data:
      break;
  }
  if (received != kSumBytes) {
    char text[96];
    std::snprintf(text, sizeof text, ": a sum of %u bytes", static_cast<unsigned>(received));
    return Fail(CommandName(kCmdUserSumCheck) + text);
  }
  report->chipSumKnown = true;
  report->chipSum = GetBigEndian(sum, kSumBytes);
  if (report->chipSum == report->imageSum) {
    report->result = VerifyResult::Verified;
    return StepResult::Ok;
  }

  report->readBack = true;
  if (StepResult r = ReadBack(image, report); r != StepResult::Ok) return r;
  // Every written block holds what was sent: the difference lies in the flash that the
  // write left erased, e.g. beyond a device type's flash size smaller than the chip's.
  report->result = VerifyResult::Verified;
  *note = "verify: the chip's sum " + SumText(report->chipSum) + " differs from the image's " +
          SumText(report->imageSum) +
          ", but every written block reads back as sent: the difference lies outside them";
  return StepResult::Ok;
}

StepResult BootH8_3069::ReadBack(const WrittenImage& image, VerifyReport* report) {
  // Blocks that WriteBlock sent: those below the end that hold data.
  auto written = [&image](uint32_t a) {
    return a + kBlockBytes <= image.bytes && !IsErased(image.data + a);
  };
  uint8_t data[kReadBackBytes];
  uint32_t address = 0;
  while (address < image.end) {
    if (!written(address)) {
      address += kBlockBytes;
      continue;
    }
    uint32_t length = 0;
    while (length < kReadBackBytes && address + length < image.end && written(address + length)) {
      length += kBlockBytes;
    }
    if (Cancelled()) return Fail("verify: cancelled during the read-back");
    uint8_t request[2 + kReadRequestBytes] = {kCmdMemoryRead, kReadRequestBytes,
                                              kReadAreaUserFlash};
    PutBigEndian(address, request + 3);
    PutBigEndian(length, request + 7);
    uint32_t received = 0;
    const CheckReply reply = CheckCommand(request, sizeof request, kCmdMemoryRead,
                                          kReadLengthBytes, data, sizeof data, &received);
    if (reply == CheckReply::ErrorPair) {
      // The sums differ and the place cannot be found: the write is not trusted.
      return Fail("verify: the chip's sum " + SumText(report->chipSum) +
                  " differs from the image's " + SumText(report->imageSum) + "; " +
                  FailureDetail());
    }
    if (reply != CheckReply::Data) return Unfinished();
    if (received != length) {
      char text[96];
      std::snprintf(text, sizeof text, " at %08X: %u bytes for %u asked",
                    static_cast<unsigned>(address), static_cast<unsigned>(received),
                    static_cast<unsigned>(length));
      return Fail(CommandName(kCmdMemoryRead) + text);
    }
    for (uint32_t i = 0; i < length; ++i) {
      const uint8_t expected = ImageByte(image, address + i);
      if (data[i] == expected) continue;
      report->differs = true;
      report->address = address + i;
      report->chipByte = data[i];
      report->imageByte = expected;
      char text[64];
      std::snprintf(text, sizeof text, "verify: %08X holds %02X, the image has %02X",
                    static_cast<unsigned>(report->address), data[i], expected);
      return Fail(text);
    }
    address += length;
  }
  return StepResult::Ok;
}

}  // namespace k470
