// The IEEE CRC-32 (the polynomial 0x04C11DB7 taken bit-reversed, initial value and final
// mask all ones), as zip files and Ethernet use it: Crc32("123456789") is 0xCBF43926.
#pragma once

#include <cstddef>
#include <cstdint>

namespace GAME {

// The CRC of `size` bytes; pass an earlier result as `crc` to continue over more bytes.
uint32_t Crc32(const void* data, size_t size, uint32_t crc = 0);

}  // namespace GAME
