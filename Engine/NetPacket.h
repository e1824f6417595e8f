// The base of every packet: its type number, the bytes it was last written to, and the
// class information of the packet family.
//
// On the wire a packet is its header followed by its fields, nothing else: no tags,
// no field lengths, no alignment, no trailer.
//   header: the type number, 2 bytes little-endian (kNetPacketHeaderSize)
//   fields: in the order the packet states them, each in the byte form of its kind
//           (NetPacketBuffer.h documents every kind)
//
// Packets form their own class-information tree with NetPacket at its root, apart
// from the tree under Object, so the object manager can never create a packet and a
// type number received from a peer can only ever create a registered packet class.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/Object.h"

namespace GAME {

class NetPacketInBuffer;

using NetPacketType = uint16_t;

struct NetPacketHeader {
    NetPacketType type = 0;
};

class NetPacket {
public:
    explicit NetPacket(NetPacketType type);
    virtual ~NetPacket();
    NetPacket(const NetPacket&) = default;
    NetPacket& operator=(const NetPacket&) = default;

    virtual const RTTI_ClassInfo& GetClassInfo() const { return classInfo; }
    static const RTTI_ClassInfo& GetStaticClassInfo() { return classInfo; }
    const char* GetClassName() const { return GetClassInfo().GetName(); }

    NetPacketType GetType() const { return m_header.type; }
    NetPacketHeader* GetHeader() { return &m_header; }
    const NetPacketHeader* GetHeader() const { return &m_header; }

    // Writes the header and the fields into the out buffer; returns the packet's size in
    // bytes, header included, or 0 when a field could not be written (logged), in which
    // case there is nothing to send.
    virtual uint32_t PrepareOutBuffer() = 0;
    // The bytes of the last PrepareOutBuffer.
    const unsigned char* GetOutBuffer() const { return m_outBuffer.data(); }
    uint32_t GetOutBufferSize() const { return m_outSize; }

    // Reads a whole received packet, header included, into the fields. False when the
    // bytes do not read cleanly: wrong type, too short, a count or length over its
    // bound, a value its kind does not allow, or bytes left over. GetReadError then says
    // why; the fields hold what was read before the failure and zeros after it, and the
    // packet must be dropped whole. Reading applies nothing.
    virtual bool CopyInbound(const unsigned char* data, int size) = 0;
    const std::string& GetReadError() const { return m_readError; }

    // One line per described field, for logs.
    virtual std::string GetPacketDescription(bool verbose) = 0;

    // Whether the object ids the packet carries may be acted on now (attempt counts the
    // tries of one received packet from 0); plain packets carry none.
    virtual bool CheckObjects(int attempt);
    // Appends the ids of the objects the packet acts on (not those travelling with it);
    // with `missingOnly`, only those that name no live object yet. Plain packets name none.
    virtual void CollectObjectIds(std::vector<uint32_t>& ids, bool missingOnly) const;
    // Called after the packet was handled.
    virtual void FinishObjectProcessing();

protected:
    static RTTI_ClassInfo classInfo;
    static void* RTTI_new();

    // Ends a read: checks that every byte was used, keeps the reason of a failure.
    // Inline, with the in buffer (NetPacketBuffer.h).
    inline bool EndRead(NetPacketInBuffer& in);

private:
    friend class NetPacketOutBuffer;
    friend class NetPacketInBuffer;

    NetPacketHeader m_header;
    // Kept from write to write; only its first m_outSize bytes are the packet.
    std::vector<unsigned char> m_outBuffer;
    uint32_t m_outSize = 0;
    std::string m_readError;
};

// Checked downcast through the packet's class information (handlers get a NetPacket&).
template <class T>
T* DynamicCast(NetPacket* packet)
{
    return (packet && packet->GetClassInfo().IsA(&T::GetStaticClassInfo())) ? static_cast<T*>(packet) : nullptr;
}

}  // namespace GAME
