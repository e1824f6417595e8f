#include "Game/core/foundation/BinaryReader.h"

#include <cstring>

#include "Engine/Engine.h"

namespace GAME {

namespace {

uint32_t GetLittleEndian(const uint8_t* bytes, size_t count)
{
    uint32_t value = 0;
    for (size_t i = 0; i < count; ++i)
        value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    return value;
}

}  // namespace

const uint8_t* BinaryReader::Take(size_t size, const char* what)
{
    if (m_failed)
        return nullptr;
    if (size > GetRemaining()) {
        gEngine->Log(LOG_WARNING, "BinaryReader: %s of %zu bytes at %zu runs past the end (%zu left)", what, size,
                     m_position, GetRemaining());
        m_failed = true;
        return nullptr;
    }
    const uint8_t* at = m_data + m_position;
    m_position += size;
    return at;
}

uint16_t BinaryReader::ReadUInt16()
{
    const uint8_t* at = Take(2, "a 16-bit value");
    return at ? static_cast<uint16_t>(GetLittleEndian(at, 2)) : 0;
}

uint32_t BinaryReader::ReadUInt32()
{
    const uint8_t* at = Take(4, "a 32-bit value");
    return at ? GetLittleEndian(at, 4) : 0;
}

bool BinaryReader::ReadBool()
{
    return ReadUInt32() != 0;
}

bool BinaryReader::ReadBytes(void* out, size_t size)
{
    const uint8_t* at = Take(size, "a block");
    if (!at) {
        if (size)
            std::memset(out, 0, size);
        return false;
    }
    if (size)
        std::memcpy(out, at, size);
    return true;
}

std::string BinaryReader::ReadString()
{
    const uint32_t length = ReadUInt32();
    if (m_failed)
        return {};
    if (length > kMaxStringLength) {
        gEngine->Log(LOG_WARNING, "BinaryReader: string of %u bytes at %zu is longer than %u", length, m_position,
                     kMaxStringLength);
        m_failed = true;
        return {};
    }
    const uint8_t* at = Take(length, "a string");
    return at ? std::string(reinterpret_cast<const char*>(at), length) : std::string();
}

}  // namespace GAME
