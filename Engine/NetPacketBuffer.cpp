#include "Engine/NetPacketBuffer.h"

#include <algorithm>

#include "Engine/Engine.h"
#include "Engine/ObjectInteractionPacket.h"
#include "Engine/World.h"

namespace GAME {

namespace {

// The kept bytes of a packet start this large, so most packets never grow them.
constexpr size_t kInitialOutBytes = 512;

// Three coordinates, each refused when not finite.
bool StoreVec3(unsigned char* at, const Vec3& v)
{
    const uint32_t bits[3] = {std::bit_cast<uint32_t>(v.x), std::bit_cast<uint32_t>(v.y),
                              std::bit_cast<uint32_t>(v.z)};
    for (int i = 0; i < 3; ++i)
        NetBytes::StoreU32(at + 4 * i, bits[i]);
    return NetBytes::IsFiniteBits(bits[0]) && NetBytes::IsFiniteBits(bits[1]) && NetBytes::IsFiniteBits(bits[2]);
}

Vec3 LoadVec3(const unsigned char* at)
{
    return Vec3(std::bit_cast<float>(NetBytes::LoadU32(at)), std::bit_cast<float>(NetBytes::LoadU32(at + 4)),
                std::bit_cast<float>(NetBytes::LoadU32(at + 8)));
}

// The bytes up to and including the first of `count` coordinates that is not finite;
// 0 when every one is.
size_t UpToNotFinite(const unsigned char* at, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (!NetBytes::IsFiniteBits(NetBytes::LoadU32(at + 4 * i)))
            return 4 * (i + 1);
    return 0;
}

}  // namespace

// ---- Out buffer -----------------------------------------------------------------------

NetPacketOutBuffer::NetPacketOutBuffer(NetPacket* packet) : m_packet(packet), m_bytes(packet->m_outBuffer)
{
    packet->m_outSize = 0;
    if (m_bytes.size() < kInitialOutBytes)
        m_bytes.resize(kInitialOutBytes);
    m_begin = m_cursor = m_bytes.data();
    m_limit = m_begin + m_bytes.size();
    const uint16_t type = packet->GetType();
    Add(&type);
}

NetPacketOutBuffer::~NetPacketOutBuffer() = default;

void NetPacketOutBuffer::Grow(size_t count)
{
    const size_t used = static_cast<size_t>(m_cursor - m_begin);
    m_bytes.resize(std::max(used + count, 2 * m_bytes.size()));
    m_begin = m_bytes.data();
    m_cursor = m_begin + used;
    m_limit = m_begin + m_bytes.size();
}

uint32_t NetPacketOutBuffer::Done()
{
    const size_t size = static_cast<size_t>(m_cursor - m_begin);
    if (m_ok && size > NetLimits::kMaxPacketSize)
        Fail("the packet is larger than the largest packet");
    if (m_ok) {
        m_packet->m_outSize = static_cast<uint32_t>(size);
        return m_packet->m_outSize;
    }
    gEngine->Log(LOG_ERROR, "%s (type %u) not built: %s", m_packet->GetClassName(), m_packet->GetType(), m_failure);
    m_packet->m_outSize = 0;
    return 0;
}

void NetPacketOutBuffer::Fail(const char* reason)
{
    if (m_ok)
        m_failure = reason;
    m_ok = false;
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
    unsigned char* at = Claim(NetLimits::kVec3Size);
    NetBytes::StoreU32(at, point->GetRegionId());
    if (!StoreVec3(at + 4, point->GetRegionPosition()))
        Fail("a coordinate is not a finite number");
}

void NetPacketOutBuffer::Add(const WorldCoords* coords)
{
    unsigned char* at = Claim(NetLimits::kCoordsSize);
    NetBytes::StoreU32(at, coords->GetRegion() ? coords->GetRegion()->GetId() : 0);
    const Coords& frame = coords->GetRegionCoords();
    bool finite = StoreVec3(at + 4, frame.xAxis);
    finite &= StoreVec3(at + 16, frame.yAxis);
    finite &= StoreVec3(at + 28, frame.zAxis);
    finite &= StoreVec3(at + 40, frame.origin);
    if (!finite)
        Fail("a coordinate is not a finite number");
}

void NetPacketOutBuffer::Add(const std::u16string& text)
{
    if (text.size() > NetLimits::kMaxWideStringLength) {
        Fail("a wide string is longer than a wide string may be");
        return;
    }
    unsigned char* at = Claim(2 + 2 * text.size());
    NetBytes::StoreU16(at, static_cast<uint16_t>(text.size()));
    for (char16_t unit : text) {
        at += 2;
        NetBytes::StoreU16(at, unit);
    }
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
    m_end = m_cursor;
}

void NetPacketInBuffer::Short(size_t count, const char* what)
{
    if (m_ok)
        Fail(std::string("short ") + what + ": " + std::to_string(count) + " bytes needed, " +
             std::to_string(GetRemaining()) + " left");
}

void NetPacketInBuffer::NotFinite()
{
    Fail("a coordinate that is not a finite number");
}

void NetPacketInBuffer::NotABool(uint8_t byte)
{
    Fail("bool byte " + std::to_string(byte));
}

void NetPacketInBuffer::OverBound(const char* what, size_t length, const char* unit)
{
    Fail(std::string(what) + " of " + std::to_string(length) + " " + unit + " is over its bound");
}

void NetPacketInBuffer::UnknownRegion(const unsigned char* at, uint32_t id)
{
    m_cursor = at + 4;
    Fail("unknown region " + std::to_string(id));
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

// A failure names the byte after the offending value, as reading it alone would.
Region* NetPacketInBuffer::RegionAt(const unsigned char* at)
{
    const uint32_t id = NetBytes::LoadU32(at);
    if (id == 0)
        return nullptr;
    Region* region = World::Get().GetRegionById(id);
    if (!region)
        UnknownRegion(at, id);
    return region;
}

template <size_t Size>
const unsigned char* NetPacketInBuffer::TakePosition(Region*& region)
{
    constexpr size_t kCoordinates = (Size - 4) / 4;
    const unsigned char* at = Take<Size>();
    if (!at)
        return nullptr;
    region = RegionAt(at);
    if (!m_ok)
        return nullptr;
    if (const size_t upTo = UpToNotFinite(at + 4, kCoordinates)) {
        m_cursor = at + 4 + upTo;
        NotFinite();
        return nullptr;
    }
    return at + 4;
}

void NetPacketInBuffer::Remove(WorldVec3* point)
{
    Region* region = nullptr;
    const unsigned char* at = TakePosition<NetLimits::kVec3Size>(region);
    *point = at ? WorldVec3(region, LoadVec3(at)) : WorldVec3();
}

void NetPacketInBuffer::Remove(WorldCoords* coords)
{
    Region* region = nullptr;
    const unsigned char* at = TakePosition<NetLimits::kCoordsSize>(region);
    if (!at) {
        *coords = WorldCoords();
        return;
    }
    Coords frame;
    frame.xAxis = LoadVec3(at);
    frame.yAxis = LoadVec3(at + 12);
    frame.zAxis = LoadVec3(at + 24);
    frame.origin = LoadVec3(at + 36);
    *coords = WorldCoords(region, frame);
}

void NetPacketInBuffer::RemoveString(std::string& text, size_t maxLength, const char* what, bool fileName)
{
    unsigned short length = 0;
    Remove(&length);
    const unsigned char* at = nullptr;
    if (length > maxLength)
        OverBound(what, length, "bytes");
    else
        at = Take(length, what);
    if (at && fileName && NetBytes::HasZeroByte(at, length)) {
        Fail("file name with a zero byte");
        at = nullptr;
    }
    if (at)
        text.assign(reinterpret_cast<const char*>(at), length);
    else
        text.clear();
}

void NetPacketInBuffer::Remove(std::string& text)
{
    RemoveString(text, NetLimits::kMaxStringLength, "string", false);
}

void NetPacketInBuffer::RemoveRaw(std::string& text)
{
    Remove(text);
}

void NetPacketInBuffer::RemoveFileName(std::string& name)
{
    RemoveString(name, NetLimits::kMaxFileNameLength, "file name", true);
}

void NetPacketInBuffer::Remove(std::u16string& text)
{
    unsigned short length = 0;
    Remove(&length);
    if (length > NetLimits::kMaxWideStringLength) {
        text.clear();
        OverBound("wide string", length, "units");
        return;
    }
    const unsigned char* at = Take(static_cast<size_t>(length) * 2, "wide string");
    if (!at) {
        text.clear();
        return;
    }
    text.resize(length);
    for (unsigned short i = 0; i < length; ++i)
        text[i] = static_cast<char16_t>(NetBytes::LoadU16(at + 2 * i));
}

void NetPacketInBuffer::CountTooLarge(NetCount width, uint32_t count)
{
    if (count > MaxListCount(width))
        Fail("count " + std::to_string(count) + " is over the list bound");
    else
        Fail("count " + std::to_string(count) + " needs more bytes than are left");
}

}  // namespace GAME
