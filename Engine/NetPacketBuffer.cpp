#include "Engine/NetPacketBuffer.h"

#include <algorithm>
#include <cstring>

#include "Engine/Engine.h"
#include "Engine/ObjectInteractionPacket.h"
#include "Engine/World.h"

namespace GAME {

namespace {

constexpr size_t kMaxByteCount = 255;

size_t MaxCount(NetCount width)
{
    return width == NetCount::Byte ? std::min(kMaxByteCount, NetLimits::kMaxListCount) : NetLimits::kMaxListCount;
}

uint32_t LoadU32(const unsigned char* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

void StoreU32(unsigned char* bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

uint32_t FloatBits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float BitsFloat(uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool IsFinite(float value)
{
    constexpr uint32_t kExponent = 0x7F800000u;   // all ones: infinity or NaN
    return (FloatBits(value) & kExponent) != kExponent;
}

void AddVec3(NetPacketOutBuffer& out, const Vec3& v)
{
    out.AddCoordinate(v.x);
    out.AddCoordinate(v.y);
    out.AddCoordinate(v.z);
}

Vec3 RemoveVec3(NetPacketInBuffer& in)
{
    Vec3 v;
    v.x = in.RemoveCoordinate();
    v.y = in.RemoveCoordinate();
    v.z = in.RemoveCoordinate();
    return v;
}

}  // namespace

// ---- Out buffer -----------------------------------------------------------------------

NetPacketOutBuffer::NetPacketOutBuffer(NetPacket* packet) : m_packet(packet), m_bytes(packet->m_outBuffer)
{
    m_bytes.clear();
    const uint16_t type = packet->GetType();
    Add(&type);
}

NetPacketOutBuffer::~NetPacketOutBuffer() = default;

uint32_t NetPacketOutBuffer::Done()
{
    if (m_ok && m_bytes.size() > NetLimits::kMaxPacketSize)
        Fail("the packet is larger than the largest packet");
    if (m_ok)
        return static_cast<uint32_t>(m_bytes.size());
    gEngine->Log(LOG_ERROR, "%s (type %u) not built: %s", m_packet->GetClassName(), m_packet->GetType(), m_failure);
    m_bytes.clear();
    return 0;
}

void NetPacketOutBuffer::Fail(const char* reason)
{
    if (m_ok)
        m_failure = reason;
    m_ok = false;
}

void NetPacketOutBuffer::AddRawBytes(const void* value, size_t count)
{
    const auto* bytes = static_cast<const unsigned char*>(value);
    m_bytes.insert(m_bytes.end(), bytes, bytes + count);
}

void NetPacketOutBuffer::Add(const unsigned short* value)
{
    const unsigned char bytes[2] = {static_cast<unsigned char>(*value), static_cast<unsigned char>(*value >> 8)};
    AddRawBytes(bytes, 2);
}

void NetPacketOutBuffer::AddU32(uint32_t value)
{
    unsigned char bytes[4];
    StoreU32(bytes, value);
    AddRawBytes(bytes, 4);
}

void NetPacketOutBuffer::AddF32(float value)
{
    AddU32(FloatBits(value));
}

void NetPacketOutBuffer::AddCoordinate(float value)
{
    if (!IsFinite(value))
        Fail("a coordinate is not a finite number");
    AddF32(value);
}

void NetPacketOutBuffer::Add(const bool* value)
{
    AddU8(*value ? 1 : 0);
}

void NetPacketOutBuffer::Add16Bit(const unsigned int* value)
{
    const unsigned short low = static_cast<unsigned short>(*value & 0xFFFFu);
    Add(&low);
}

void NetPacketOutBuffer::Add16Bit(const int* value)
{
    const unsigned int bits = static_cast<unsigned int>(*value);
    Add16Bit(&bits);
}

void NetPacketOutBuffer::Add(const SmartObjectId* id)
{
    AddU32(id->GetId());
}

void NetPacketOutBuffer::Add(const SmartObjectIdList& list)
{
    AddCount(NetCount::Word, list.Size());
    for (uint32_t id : list.GetIds())
        AddU32(id);
}

void NetPacketOutBuffer::Add(const WorldVec3* point)
{
    AddU32(point->GetRegionId());
    AddVec3(*this, point->GetRegionPosition());
}

void NetPacketOutBuffer::Add(const WorldCoords* coords)
{
    AddU32(coords->GetRegion() ? coords->GetRegion()->GetId() : 0);
    const Coords& frame = coords->GetRegionCoords();
    AddVec3(*this, frame.xAxis);
    AddVec3(*this, frame.yAxis);
    AddVec3(*this, frame.zAxis);
    AddVec3(*this, frame.origin);
}

void NetPacketOutBuffer::AddString(const std::string& text, size_t maxLength, const char* what)
{
    if (text.size() > maxLength) {
        Fail(what);
        return;
    }
    const unsigned short length = static_cast<unsigned short>(text.size());
    Add(&length);
    AddRawBytes(text.data(), text.size());
}

void NetPacketOutBuffer::Add(const std::string& text)
{
    AddString(text, NetLimits::kMaxStringLength, "a string is longer than a string may be");
}

void NetPacketOutBuffer::AddRaw(const std::string& text)
{
    Add(text);
}

void NetPacketOutBuffer::AddFileName(const std::string& name)
{
    if (name.find('\0') != std::string::npos) {
        Fail("a file name holds a zero byte");
        return;
    }
    AddString(name, NetLimits::kMaxFileNameLength, "a file name is longer than a file name may be");
}

void NetPacketOutBuffer::Add(const std::u16string& text)
{
    if (text.size() > NetLimits::kMaxWideStringLength) {
        Fail("a wide string is longer than a wide string may be");
        return;
    }
    const unsigned short length = static_cast<unsigned short>(text.size());
    Add(&length);
    for (char16_t unit : text) {
        const unsigned short value = unit;
        Add(&value);
    }
}

void NetPacketOutBuffer::AddCount(NetCount width, size_t count)
{
    if (count > MaxCount(width)) {
        Fail("a list holds more elements than its count allows");
        return;
    }
    if (width == NetCount::Byte)
        AddU8(static_cast<uint8_t>(count));
    else
        AddU32(static_cast<uint32_t>(count));
}

// ---- In buffer ------------------------------------------------------------------------

NetPacketInBuffer::NetPacketInBuffer(NetPacketHeader* header, const unsigned char* data, int size)
    : m_cursor(data), m_begin(data), m_end(data)
{
    if (!data || size < 0) {
        Fail("no bytes");
        return;
    }
    m_end = data + size;
    if (static_cast<size_t>(size) > NetLimits::kMaxPacketSize) {
        Fail("larger than the largest packet");
        return;
    }
    unsigned short type = 0;
    Remove(&type);
    if (m_ok && type != header->type)
        Fail("type " + std::to_string(type) + " where " + std::to_string(header->type) + " was expected");
}

bool NetPacketInBuffer::Finish()
{
    if (m_ok && m_cursor != m_end)
        Fail(std::to_string(GetRemaining()) + " bytes left after the last field");
    return m_ok;
}

void NetPacketInBuffer::Fail(const std::string& reason)
{
    if (m_ok)
        m_error = reason + " (at byte " + std::to_string(m_cursor - m_begin) + ")";
    m_ok = false;
}

bool NetPacketInBuffer::Take(size_t count, const char* what)
{
    if (!m_ok)
        return false;
    if (GetRemaining() < count) {
        Fail(std::string("short ") + what + ": " + std::to_string(count) + " bytes needed, " +
             std::to_string(GetRemaining()) + " left");
        return false;
    }
    return true;
}

void NetPacketInBuffer::RemoveRawBytes(void* out, size_t count)
{
    if (!Take(count, "field")) {
        std::memset(out, 0, count);
        return;
    }
    std::memcpy(out, m_cursor, count);
    m_cursor += count;
}

uint8_t NetPacketInBuffer::RemoveU8()
{
    uint8_t value;
    RemoveRawBytes(&value, 1);
    return value;
}

void NetPacketInBuffer::Remove(unsigned short* value)
{
    unsigned char bytes[2];
    RemoveRawBytes(bytes, 2);
    *value = static_cast<unsigned short>(bytes[0] | bytes[1] << 8);
}

uint32_t NetPacketInBuffer::RemoveU32()
{
    unsigned char bytes[4];
    RemoveRawBytes(bytes, 4);
    return LoadU32(bytes);
}

float NetPacketInBuffer::RemoveF32()
{
    return BitsFloat(RemoveU32());
}

float NetPacketInBuffer::RemoveCoordinate()
{
    const float value = RemoveF32();
    if (IsFinite(value))
        return value;
    Fail("a coordinate that is not a finite number");
    return 0.0f;
}

void NetPacketInBuffer::Remove(bool* value)
{
    const uint8_t byte = RemoveU8();
    if (byte > 1)
        Fail("bool byte " + std::to_string(byte));
    *value = m_ok && byte == 1;
}

void NetPacketInBuffer::Remove16Bit(unsigned int* value)
{
    unsigned short low = 0;
    Remove(&low);
    *value = low;
}

void NetPacketInBuffer::Remove16Bit(int* value)
{
    unsigned short low = 0;
    Remove(&low);
    *value = static_cast<int16_t>(low);
}

void NetPacketInBuffer::Remove(SmartObjectId* id)
{
    *id = RemoveU32();
}

void NetPacketInBuffer::Remove(SmartObjectIdList& list)
{
    list.Clear();
    const uint32_t count = RemoveCount(NetCount::Word, 4);
    for (uint32_t i = 0; i < count && m_ok; ++i)
        list.AddId(RemoveU32());
}

Region* NetPacketInBuffer::RemoveRegion()
{
    const uint32_t id = RemoveU32();
    if (id == 0)
        return nullptr;
    Region* region = World::Get().GetRegionById(id);
    if (!region)
        Fail("unknown region " + std::to_string(id));
    return region;
}

void NetPacketInBuffer::Remove(WorldVec3* point)
{
    Region* region = RemoveRegion();
    const Vec3 position = RemoveVec3(*this);
    *point = m_ok ? WorldVec3(region, position) : WorldVec3();
}

void NetPacketInBuffer::Remove(WorldCoords* coords)
{
    Region* region = RemoveRegion();
    Coords frame;
    frame.xAxis = RemoveVec3(*this);
    frame.yAxis = RemoveVec3(*this);
    frame.zAxis = RemoveVec3(*this);
    frame.origin = RemoveVec3(*this);
    *coords = m_ok ? WorldCoords(region, frame) : WorldCoords();
}

void NetPacketInBuffer::RemoveString(std::string& text, size_t maxLength, const char* what)
{
    text.clear();
    unsigned short length = 0;
    Remove(&length);
    if (m_ok && length > maxLength) {
        Fail(std::string(what) + " of " + std::to_string(length) + " bytes is over its bound");
        return;
    }
    if (!Take(length, what))
        return;
    text.assign(reinterpret_cast<const char*>(m_cursor), length);
    m_cursor += length;
}

void NetPacketInBuffer::Remove(std::string& text)
{
    RemoveString(text, NetLimits::kMaxStringLength, "string");
}

void NetPacketInBuffer::RemoveRaw(std::string& text)
{
    Remove(text);
}

void NetPacketInBuffer::RemoveFileName(std::string& name)
{
    RemoveString(name, NetLimits::kMaxFileNameLength, "file name");
    if (m_ok && name.find('\0') != std::string::npos) {
        name.clear();
        Fail("file name with a zero byte");
    }
}

void NetPacketInBuffer::Remove(std::u16string& text)
{
    text.clear();
    unsigned short length = 0;
    Remove(&length);
    if (m_ok && length > NetLimits::kMaxWideStringLength) {
        Fail("wide string of " + std::to_string(length) + " units is over its bound");
        return;
    }
    if (!Take(static_cast<size_t>(length) * 2, "wide string"))
        return;
    text.resize(length);
    for (unsigned short i = 0; i < length; ++i) {
        unsigned short unit = 0;
        Remove(&unit);
        text[i] = static_cast<char16_t>(unit);
    }
}

uint32_t NetPacketInBuffer::RemoveCount(NetCount width, size_t minElementSize)
{
    const uint32_t count = width == NetCount::Byte ? RemoveU8() : RemoveU32();
    if (!m_ok)
        return 0;
    if (count > MaxCount(width)) {
        Fail("count " + std::to_string(count) + " is over the list bound");
        return 0;
    }
    const size_t size = minElementSize ? minElementSize : 1;
    if (count > GetRemaining() / size) {
        Fail("count " + std::to_string(count) + " needs more bytes than are left");
        return 0;
    }
    return count;
}

}  // namespace GAME
