#include "Engine/UniqueId.h"

namespace GAME {

namespace {

uint32_t BigEndianWord(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | static_cast<uint32_t>(bytes[3]);
}

}  // namespace

void UniqueId::Generate()
{
    SetFromGuid(System::CreateGuid());
}

void UniqueId::SetFromGuid(const SystemGuid& guid)
{
    m_parts[0] = guid.data1;
    m_parts[1] = static_cast<uint32_t>(guid.data2) << 16 | guid.data3;
    m_parts[2] = BigEndianWord(guid.data4);
    m_parts[3] = BigEndianWord(guid.data4 + 4);
}

size_t UniqueIdHash::operator()(const UniqueId& id) const
{
    // FNV-1a over the four words.
    uint64_t hash = 14695981039346656037ull;
    for (unsigned i = 0; i < UniqueId::kPartCount; ++i) {
        hash ^= id.GetPart(i);
        hash *= 1099511628211ull;
    }
    return static_cast<size_t>(hash);
}

}  // namespace GAME
