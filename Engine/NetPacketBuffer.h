// The byte form of every packet field kind, written by NetPacketOutBuffer and read by
// NetPacketInBuffer. Each kind is written by one function and read by its mirror here,
// for every packet alike. Everything is little-endian.
//
//   kind   bytes                   form
//   u8     1                       the byte
//   u16    2                       the value
//   u32    4                       the value (also signed integers and enums, same bits)
//   f32    4                       the IEEE-754 single bits
//   rN     N                       a small record copied whole, lowest address first
//   b      1                       0 false, 1 true; any other byte fails the read
//   h16    2                       the low 16 bits of a 32-bit value; read back
//                                  zero-extended (unsigned) or sign-extended (int)
//   Id     4                       the object id (0 is no object)
//   Id?    4                       the object id, 0 for none
//   IdL    4 + 4n                  u32 count, then each id
//   IdL?   4 + 4n                  the same, entries may be 0
//   V3     16                      u32 region id (0 no region), then x, y, z as f32;
//                                  a region id this world does not know fails the read
//   WC     52                      u32 region id as in V3, then the frame as 12 f32:
//                                  x axis, y axis, z axis, origin
//                                  Every coordinate of V3 and WC must be finite: an
//                                  infinity or a NaN fails the read and is never
//                                  written
//   s, sr  2 + n                   u16 byte count, then the bytes, no terminator
//   fn     2 + n                   as s; a record file name: at most
//                                  kMaxFileNameLength bytes and no zero byte
//   ws     2 + 2n                  u16 unit count, then the 16-bit units
//   lists  1 or 4 + elements       a u8 or u32 count, then each element in its form
//
// Bounds (NetLimits): a packet is at most kMaxPacketSize bytes; strings, wide strings
// and lists have their own maximum counts. A writer refuses to build what a reader
// would refuse to read. A reader checks every count and length against its bound and
// against the bytes left (a count times a size is checked by division) before it
// allocates anything; after its first failure it keeps the error and every further
// read yields zeros and empty values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Engine/NetPacket.h"

namespace GAME {

class Region;
class WorldVec3;
class WorldCoords;
class SmartObjectId;
class SmartObjectIdList;

namespace NetLimits {
inline constexpr size_t kHeaderSize = 2;
inline constexpr size_t kMaxPacketSize = 64 * 1024;
inline constexpr size_t kMaxStringLength = 4096;       // bytes of an 8-bit string
inline constexpr size_t kMaxWideStringLength = 4096;   // units of a 16-bit string
inline constexpr size_t kMaxFileNameLength = 260;      // bytes of a record file name
inline constexpr size_t kMaxListCount = 4096;          // elements of any list
inline constexpr size_t kVec3Size = 16;
inline constexpr size_t kCoordsSize = 52;
}  // namespace NetLimits

// How a list states its element count.
enum class NetCount : uint8_t {
    Byte = 1,   // one byte: at most 255 elements
    Word = 4,   // four bytes
};

class NetPacketOutBuffer {
public:
    // Starts the packet's bytes with its header.
    explicit NetPacketOutBuffer(NetPacket* packet);
    ~NetPacketOutBuffer();
    NetPacketOutBuffer(const NetPacketOutBuffer&) = delete;
    NetPacketOutBuffer& operator=(const NetPacketOutBuffer&) = delete;

    // The size of the whole packet, or 0 when a write failed (logged once).
    uint32_t Done();
    bool IsOk() const { return m_ok; }
    // Marks the packet as not buildable; the first reason is logged by Done.
    void Fail(const char* reason);

    void AddRawBytes(const void* value, size_t count);
    template <size_t N>
    void AddRawBytes(const void* value)
    {
        AddRawBytes(value, N);
    }
    void AddU8(uint8_t value) { AddRawBytes(&value, 1); }
    void Add(const unsigned short* value);
    void AddU32(uint32_t value);
    void AddF32(float value);
    // A coordinate of a position; one that is not a finite number fails the packet.
    void AddCoordinate(float value);

    void Add(const bool* value);
    void Add16Bit(const unsigned int* value);
    void Add16Bit(const int* value);
    void Add(const SmartObjectId* id);
    void Add(const SmartObjectIdList& list);
    void Add(const WorldVec3* point);
    void Add(const WorldCoords* coords);
    void Add(const std::string& text);
    void AddRaw(const std::string& text);
    void AddFileName(const std::string& name);
    void Add(const std::u16string& text);

    // A list's element count; fails when it exceeds what the width or the bounds allow.
    void AddCount(NetCount width, size_t count);

private:
    void AddString(const std::string& text, size_t maxLength, const char* what);

    NetPacket* m_packet;
    std::vector<unsigned char>& m_bytes;
    bool m_ok = true;
    const char* m_failure = nullptr;
};

class NetPacketInBuffer {
public:
    // Reads the header and checks that it names the packet's own type.
    NetPacketInBuffer(NetPacketHeader* header, const unsigned char* data, int size);
    NetPacketInBuffer(const NetPacketInBuffer&) = delete;
    NetPacketInBuffer& operator=(const NetPacketInBuffer&) = delete;

    bool IsOk() const { return m_ok; }
    const std::string& GetError() const { return m_error; }
    size_t GetRemaining() const { return static_cast<size_t>(m_end - m_cursor); }
    // Fails when bytes are left after the last field; returns IsOk.
    bool Finish();
    // Keeps the first reason; from now on every read yields zeros.
    void Fail(const std::string& reason);

    // Copies `count` bytes at the cursor, or zeros when they are not there.
    void RemoveRawBytes(void* out, size_t count);
    uint8_t RemoveU8();
    void Remove(unsigned short* value);
    uint32_t RemoveU32();
    float RemoveF32();
    // A coordinate of a position: one that is not a finite number fails the read.
    // Every position kind reads its coordinates here.
    float RemoveCoordinate();

    void Remove(bool* value);
    void Remove16Bit(unsigned int* value);
    void Remove16Bit(int* value);
    void Remove(SmartObjectId* id);
    void Remove(SmartObjectIdList& list);
    void Remove(WorldVec3* point);
    void Remove(WorldCoords* coords);
    void Remove(std::string& text);
    void RemoveRaw(std::string& text);
    void RemoveFileName(std::string& name);
    void Remove(std::u16string& text);

    // A list's element count, checked against the list bound and against the bytes
    // left for that many elements of at least `minElementSize` bytes; 0 on failure.
    uint32_t RemoveCount(NetCount width, size_t minElementSize);

private:
    bool Take(size_t count, const char* what);
    void RemoveString(std::string& text, size_t maxLength, const char* what);
    Region* RemoveRegion();

    const unsigned char* m_cursor;   // the next byte to read
    const unsigned char* m_begin;
    const unsigned char* m_end;
    bool m_ok = true;
    std::string m_error;
};

}  // namespace GAME
