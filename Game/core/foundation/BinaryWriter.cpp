#include "Game/core/foundation/BinaryWriter.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "Engine/Engine.h"

namespace GAME {

namespace {

constexpr size_t kBytesPerKilobyte = 1024;

// Little-endian, the byte order of the platform's files and packets.
template <size_t N>
void PutLittleEndian(uint8_t (&bytes)[N], uint32_t value)
{
    for (size_t i = 0; i < N; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

BinaryWriter::~BinaryWriter()
{
    std::free(m_buffer);
}

void BinaryWriter::WriteUInt16(uint16_t value)
{
    uint8_t bytes[2];
    PutLittleEndian(bytes, value);
    WriteBytes(bytes, sizeof(bytes));
}

void BinaryWriter::WriteUInt32(uint32_t value)
{
    uint8_t bytes[4];
    PutLittleEndian(bytes, value);
    WriteBytes(bytes, sizeof(bytes));
}

void BinaryWriter::WriteBool(bool value)
{
    WriteUInt32(value ? 1u : 0u);
}

void BinaryWriter::WriteString(const std::string& text)
{
    if (text.size() > UINT32_MAX) {
        gEngine->Log(LOG_ERROR, "BinaryWriter: string of %zu bytes does not fit a 32-bit length", text.size());
        m_failed = true;
        return;
    }
    WriteUInt32(static_cast<uint32_t>(text.size()));
    WriteBytes(text.data(), text.size());
}

void BinaryWriter::WriteBytes(const void* data, size_t size)
{
    if (m_failed || size == 0)
        return;
    if (m_file) {
        if (std::fwrite(data, 1, size, m_file) != size) {
            gEngine->Log(LOG_ERROR, "BinaryWriter: writing %zu bytes to the file failed", size);
            m_failed = true;
        }
        return;
    }
    if (!Reserve(size))
        return;
    std::memcpy(m_buffer + m_length, data, size);
    m_length += size;
}

// Grows the buffer when `size` more bytes would pass the capacity: to the old capacity
// plus kGrowthFactor times the request.
bool BinaryWriter::Reserve(size_t size)
{
    if (size <= m_capacity - m_length)
        return true;
    const bool overflows = size > (SIZE_MAX - m_capacity) / kGrowthFactor;
    const size_t newCapacity = overflows ? SIZE_MAX : m_capacity + kGrowthFactor * size;
    void* grown = newCapacity <= kMaxCapacity ? std::realloc(m_buffer, newCapacity) : nullptr;
    if (!grown) {
        const size_t kilobytes = newCapacity / kBytesPerKilobyte;
        gEngine->Log(LOG_ERROR, "Memory allocation of %dkb failed",
                     kilobytes > INT_MAX ? INT_MAX : static_cast<int>(kilobytes));
        m_failed = true;
        return false;
    }
    m_buffer = static_cast<uint8_t*>(grown);
    m_capacity = newCapacity;
    return true;
}

}  // namespace GAME
