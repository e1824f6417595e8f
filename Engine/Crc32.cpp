#include "Engine/Crc32.h"

#include <array>

namespace GAME {

namespace {

constexpr std::array<uint32_t, 256> MakeCrcTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

}  // namespace

uint32_t Crc32(const void* data, size_t size, uint32_t crc)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = kCrcTable[(crc ^ bytes[i]) & 0xFFu] ^ (crc >> 8);
    return ~crc;
}

}  // namespace GAME
