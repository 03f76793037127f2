// What a flash write's check compares the chip with: the write image, the flash size the
// chip's sum covers, and the blocks that were written.
#pragma once

#include <cstdint>

namespace k470 {

struct WrittenImage {
  const uint8_t* data = nullptr;  // the image from address 0
  uint32_t bytes = 0;             // how many bytes `data` holds; erased (0xFF) beyond
  uint32_t flashBytes = 0;        // the device type's flash size: what the sum covers
  uint32_t end = 0;               // every block below this was offered to WriteBlock
};

// The 32-bit sum of every byte of the flash as the image has it, 0xFF where the image
// has no data (the boot program erased the whole flash before the write).
uint32_t ImageSum(const WrittenImage& image);

// The image's byte at `address`, 0xFF beyond its data.
uint8_t ImageByte(const WrittenImage& image, uint32_t address);

}  // namespace k470
