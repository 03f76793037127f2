// The image side of a flash write's check.
#include "boot/verify_image.h"

#include "boot/boot_base.h"

namespace k470 {

uint32_t ImageSum(const WrittenImage& image) {
  const uint32_t held = image.bytes < image.flashBytes ? image.bytes : image.flashBytes;
  uint32_t sum = 0;
  for (uint32_t i = 0; i < held; ++i) sum += image.data[i];
  sum += static_cast<uint32_t>(kErasedByte) * (image.flashBytes - held);
  return sum;
}

uint8_t ImageByte(const WrittenImage& image, uint32_t address) {
  return address < image.bytes ? image.data[address] : kErasedByte;
}

}  // namespace k470
