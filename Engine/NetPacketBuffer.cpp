#include "Engine/NetPacketBuffer.h"

#include <algorithm>

#include "Engine/Engine.h"
#include "Engine/ObjectInteractionPacket.h"
#include "Engine/World.h"

namespace GAME {

// ---- Out buffer -----------------------------------------------------------------------

void NetPacketOutBuffer::FirstUse(std::vector<unsigned char>& bytes)
{
    bytes.resize(NetLimits::kInitialOutBytes);
}

unsigned char* NetPacketOutBuffer::Grow(std::vector<unsigned char>& bytes, size_t needed)
{
    bytes.resize(std::max(needed, 2 * bytes.size()));
    return bytes.data();
}

uint32_t NetPacketOutBuffer::Refuse(NetPacket* packet, const char* failure)
{
    gEngine->Log(LOG_ERROR, "%s (type %u) not built: %s", packet->GetClassName(), packet->GetType(), failure);
    packet->m_outSize = 0;
    return 0;
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

// The slow start: reads as any field would, so each failure names its reason.
void NetPacketInBuffer::BadStart(NetPacketHeader* header, int size)
{
    m_cursor = m_begin;
    m_end = m_begin;
    if (!m_begin || size < 0) {
        Fail("no bytes");
        return;
    }
    m_end = m_begin + size;
    if (static_cast<size_t>(size) > NetLimits::kMaxPacketSize) {
        Fail("larger than the largest packet");
        return;
    }
    unsigned short type = 0;
    Remove(&type);
    if (m_ok && type != header->type)
        Fail("type " + std::to_string(type) + " where " + std::to_string(header->type) + " was expected");
}

void NetPacketInBuffer::LeftOver()
{
    Fail(std::to_string(GetRemaining()) + " bytes left after the last field");
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

void NetPacketInBuffer::NotFiniteAmong(const unsigned char* at, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (!NetBytes::IsFiniteBits(NetBytes::LoadU32(at + 4 * i))) {
            m_cursor = at + 4 * (i + 1);
            break;
        }
    NotFinite();
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
