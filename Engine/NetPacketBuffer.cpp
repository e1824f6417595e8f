#include "Engine/NetPacketBuffer.h"

#include <algorithm>
#include <cstdio>

#include "Engine/Engine.h"
#include "Engine/NetPacketRegistry.h"
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

// A packet built while a received one is handled (passed on, or an answer to it) is made
// of what its sender sent: its failure is that packet's refusal, logged through the drop
// log within the sender's budget of lines, however many such packets come.
uint32_t NetPacketOutBuffer::Refuse(NetPacket* packet, const char* failure)
{
    char reason[256];
    std::snprintf(reason, sizeof reason, "%s (type %u) not built: %s", packet->GetClassName(), packet->GetType(),
                  failure);
    if (!NetPacketRegistry::NoteHandledDrop(failure, reason))
        gEngine->Log(LOG_ERROR, "%s", reason);
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

const std::string& NetPacketInBuffer::NoError()
{
    static const std::string none;
    return none;
}

std::string* NetPacketInBuffer::Message(const std::string& reason, size_t at)
{
    return new std::string(reason + " (at byte " + std::to_string(at) + ")");
}

// Says what reading the header field by field would have failed on.
std::string* NetPacketInBuffer::StartMessage(const unsigned char* data, int size, NetPacketType expected, size_t at)
{
    if (!data || size < 0)
        return Message("no bytes", at);
    if (static_cast<size_t>(size) > NetLimits::kMaxPacketSize)
        return Message("larger than the largest packet", at);
    if (static_cast<size_t>(size) < NetLimits::kHeaderSize)
        return ShortMessage(NetLimits::kHeaderSize, "field", static_cast<size_t>(size), at);
    return Message("type " + std::to_string(NetBytes::LoadU16(data)) + " where " + std::to_string(expected) +
                       " was expected",
                   at);
}

std::string* NetPacketInBuffer::LeftOverMessage(size_t left, size_t at)
{
    return Message(std::to_string(left) + " bytes left after the last field", at);
}

std::string* NetPacketInBuffer::ShortMessage(size_t count, const char* what, size_t left, size_t at)
{
    return Message(std::string("short ") + what + ": " + std::to_string(count) + " bytes needed, " +
                       std::to_string(left) + " left",
                   at);
}

std::string* NetPacketInBuffer::NotFiniteMessage(size_t at)
{
    return Message("a coordinate that is not a finite number", at);
}

std::string* NetPacketInBuffer::BoolMessage(uint8_t byte, size_t at)
{
    return Message("bool byte " + std::to_string(byte), at);
}

std::string* NetPacketInBuffer::OverBoundMessage(const char* what, size_t length, const char* unit, size_t at)
{
    return Message(std::string(what) + " of " + std::to_string(length) + " " + unit + " is over its bound", at);
}

std::string* NetPacketInBuffer::RegionMessage(uint32_t id, size_t at)
{
    return Message("unknown region " + std::to_string(id), at);
}

std::string* NetPacketInBuffer::CountMessage(NetCount width, uint32_t count, size_t at)
{
    if (count > MaxListCount(width))
        return Message("count " + std::to_string(count) + " is over the list bound", at);
    return Message("count " + std::to_string(count) + " needs more bytes than are left", at);
}

size_t NetPacketInBuffer::UpToNotFinite(const unsigned char* at, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (!NetBytes::IsFiniteBits(NetBytes::LoadU32(at + 4 * i)))
            return 4 * (i + 1);
    return 4 * count;
}

void NetPacketInBuffer::RemoveString(std::string& text, size_t maxLength, const char* what, bool fileName)
{
    unsigned short length = 0;
    Remove(&length);
    const unsigned char* at = nullptr;
    if (length > maxLength)
        FailWith([&](size_t failedAt) { return OverBoundMessage(what, length, "bytes", failedAt); });
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
        FailWith([&](size_t failedAt) { return OverBoundMessage("wide string", length, "units", failedAt); });
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

}  // namespace GAME
