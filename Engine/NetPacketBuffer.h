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
//
// Speed: a fixed-size field is written and read inline with one bounds check. The out
// buffer writes through a cursor into the packet's kept bytes, which grow only when a
// packet is larger than any before it. After a failure the in buffer has no bytes left,
// so the same single check sends every further read to the path that yields zeros.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
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

// Little-endian values at unaligned byte addresses.
namespace NetBytes {

inline uint16_t LoadU16(const unsigned char* bytes)
{
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

inline uint32_t LoadU32(const unsigned char* bytes)
{
    if constexpr (std::endian::native == std::endian::little) {
        uint32_t value;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    } else {
        return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
               static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    }
}

inline void StoreU16(unsigned char* bytes, uint16_t value)
{
    bytes[0] = static_cast<unsigned char>(value);
    bytes[1] = static_cast<unsigned char>(value >> 8);
}

inline void StoreU32(unsigned char* bytes, uint32_t value)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(bytes, &value, sizeof value);
    } else {
        for (int i = 0; i < 4; ++i)
            bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

// Infinity and NaN have every exponent bit set.
inline bool IsFiniteBits(uint32_t bits)
{
    constexpr uint32_t kExponent = 0x7F800000u;
    return (bits & kExponent) != kExponent;
}

// Whether any of `size` bytes is zero, eight at a time.
inline bool HasZeroByte(const void* data, size_t size)
{
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kHighs = 0x8080808080808080ull;
    const auto* bytes = static_cast<const unsigned char*>(data);
    uint64_t zeros = 0;
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes + i, sizeof word);
        zeros |= (word - kOnes) & ~word & kHighs;
    }
    bool zero = zeros != 0;
    for (; i < size; ++i)
        zero |= bytes[i] == 0;
    return zero;
}

}  // namespace NetBytes

// How a list states its element count.
enum class NetCount : uint8_t {
    Byte = 1,   // one byte: at most 255 elements
    Word = 4,   // four bytes
};

// The most elements a list may hold with that count width.
constexpr size_t MaxListCount(NetCount width)
{
    constexpr size_t kMaxByteCount = 255;
    return width == NetCount::Byte ? std::min(kMaxByteCount, NetLimits::kMaxListCount) : NetLimits::kMaxListCount;
}

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

    void AddRawBytes(const void* value, size_t count)
    {
        if (count)
            std::memcpy(Claim(count), value, count);
    }
    template <size_t N>
    void AddRawBytes(const void* value)
    {
        std::memcpy(Claim(N), value, N);
    }
    void AddU8(uint8_t value) { *Claim(1) = value; }
    void Add(const unsigned short* value) { NetBytes::StoreU16(Claim(2), *value); }
    void AddU32(uint32_t value) { NetBytes::StoreU32(Claim(4), value); }
    void AddF32(float value) { AddU32(std::bit_cast<uint32_t>(value)); }
    // A coordinate of a position; one that is not a finite number fails the packet.
    void AddCoordinate(float value)
    {
        if (!NetBytes::IsFiniteBits(std::bit_cast<uint32_t>(value)))
            Fail("a coordinate is not a finite number");
        AddF32(value);
    }

    void Add(const bool* value) { AddU8(*value ? 1 : 0); }
    void Add16Bit(const unsigned int* value) { NetBytes::StoreU16(Claim(2), static_cast<uint16_t>(*value)); }
    void Add16Bit(const int* value) { NetBytes::StoreU16(Claim(2), static_cast<uint16_t>(*value)); }
    void Add(const SmartObjectId* id);
    void Add(const SmartObjectIdList& list);
    void Add(const WorldVec3* point);
    void Add(const WorldCoords* coords);
    void Add(const std::string& text)
    {
        AddString(text, NetLimits::kMaxStringLength, "a string is longer than a string may be");
    }
    void AddRaw(const std::string& text) { Add(text); }
    void AddFileName(const std::string& name)
    {
        if (NetBytes::HasZeroByte(name.data(), name.size()))
            Fail("a file name holds a zero byte");
        else
            AddString(name, NetLimits::kMaxFileNameLength, "a file name is longer than a file name may be");
    }
    void Add(const std::u16string& text);

    // A list's element count; fails when it exceeds what the width or the bounds allow.
    void AddCount(NetCount width, size_t count)
    {
        if (count > MaxListCount(width))
            Fail("a list holds more elements than its count allows");
        else if (width == NetCount::Byte)
            AddU8(static_cast<uint8_t>(count));
        else
            AddU32(static_cast<uint32_t>(count));
    }

private:
    // Room for `count` more bytes at the cursor, which moves past them.
    unsigned char* Claim(size_t count)
    {
        if (static_cast<size_t>(m_limit - m_cursor) < count)
            Grow(count);
        unsigned char* at = m_cursor;
        m_cursor += count;
        return at;
    }
    void Grow(size_t count);
    void AddString(const std::string& text, size_t maxLength, const char* what)
    {
        if (text.size() > maxLength) {
            Fail(what);
            return;
        }
        unsigned char* at = Claim(2 + text.size());
        NetBytes::StoreU16(at, static_cast<uint16_t>(text.size()));
        std::memcpy(at + 2, text.data(), text.size());
    }

    NetPacket* m_packet;
    std::vector<unsigned char>& m_bytes;   // the packet's kept bytes, at least as long as written
    unsigned char* m_begin;
    unsigned char* m_cursor;
    unsigned char* m_limit;
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
    // Keeps the first reason; from now on no bytes are left and every read yields zeros.
    void Fail(const std::string& reason);

    // The bytes not yet read, for a record with a reader of its own (GetRemaining of
    // them); Skip then moves past the bytes that reader used.
    const unsigned char* Peek() const { return m_cursor; }
    void Skip(size_t count) { Take(count, "record"); }

    // Copies `count` bytes at the cursor, or zeros when they are not there.
    void RemoveRawBytes(void* out, size_t count)
    {
        if (const unsigned char* at = Take(count, "field"))
            std::memcpy(out, at, count);
        else
            std::memset(out, 0, count);
    }
    uint8_t RemoveU8()
    {
        const unsigned char* at = Take<1>();
        return at ? *at : 0;
    }
    void Remove(unsigned short* value)
    {
        const unsigned char* at = Take<2>();
        *value = at ? NetBytes::LoadU16(at) : 0;
    }
    uint32_t RemoveU32()
    {
        const unsigned char* at = Take<4>();
        return at ? NetBytes::LoadU32(at) : 0;
    }
    float RemoveF32() { return std::bit_cast<float>(RemoveU32()); }
    // A coordinate of a position: one that is not a finite number fails the read.
    // Every position kind reads its coordinates here.
    float RemoveCoordinate()
    {
        const uint32_t bits = RemoveU32();
        if (NetBytes::IsFiniteBits(bits))
            return std::bit_cast<float>(bits);
        NotFinite();
        return 0.0f;
    }

    void Remove(bool* value)
    {
        const uint8_t byte = RemoveU8();
        if (byte > 1)
            NotABool(byte);
        *value = byte == 1 && m_ok;
    }
    void Remove16Bit(unsigned int* value)
    {
        unsigned short low;
        Remove(&low);
        *value = low;
    }
    void Remove16Bit(int* value)
    {
        unsigned short low;
        Remove(&low);
        *value = static_cast<int16_t>(low);
    }
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
    // Inline, so that the element size is known and the division is a multiplication.
    uint32_t RemoveCount(NetCount width, size_t minElementSize)
    {
        const uint32_t count = width == NetCount::Byte ? RemoveU8() : RemoveU32();
        const size_t size = minElementSize ? minElementSize : 1;
        if (count <= MaxListCount(width) && count <= GetRemaining() / size)
            return count;
        if (m_ok)
            CountTooLarge(width, count);
        return 0;
    }

    // A count sent as a signed 32-bit value: 0 or less is no element; a larger count is
    // checked as RemoveCount checks a 4-byte one. 0 on failure.
    uint32_t RemoveSignedCount(size_t minElementSize)
    {
        const auto count = static_cast<int32_t>(RemoveU32());
        if (count <= 0)
            return 0;
        const size_t size = minElementSize ? minElementSize : 1;
        const auto wanted = static_cast<uint32_t>(count);
        if (wanted <= MaxListCount(NetCount::Word) && wanted <= GetRemaining() / size)
            return wanted;
        if (m_ok)
            CountTooLarge(NetCount::Word, wanted);
        return 0;
    }

private:
    // The next `count` bytes, the cursor moved past them; null when they are not all
    // there (the first time, the read fails with the reason).
    template <size_t N>
    const unsigned char* Take()
    {
        if (static_cast<size_t>(m_end - m_cursor) < N) {
            Short(N, "field");
            return nullptr;
        }
        const unsigned char* at = m_cursor;
        m_cursor += N;
        return at;
    }
    const unsigned char* Take(size_t count, const char* what)
    {
        if (static_cast<size_t>(m_end - m_cursor) < count) {
            Short(count, what);
            return nullptr;
        }
        const unsigned char* at = m_cursor;
        m_cursor += count;
        return at;
    }
    // The failures, out of the way of the reads.
    [[gnu::cold]] void Short(size_t count, const char* what);
    [[gnu::cold]] void NotFinite();
    [[gnu::cold]] void NotABool(uint8_t byte);
    [[gnu::cold]] void CountTooLarge(NetCount width, uint32_t count);
    [[gnu::cold]] void OverBound(const char* what, size_t length, const char* unit);
    [[gnu::cold]] void UnknownRegion(const unsigned char* at, uint32_t id);
    // A file name also must not hold a zero byte.
    void RemoveString(std::string& text, size_t maxLength, const char* what, bool fileName);
    Region* RegionAt(const unsigned char* at);
    // A position of Size bytes: its region, then coordinates that must be finite. The
    // coordinates' bytes, or null when the read failed.
    template <size_t Size>
    const unsigned char* TakePosition(Region*& region);

    const unsigned char* m_cursor;   // the next byte to read
    const unsigned char* m_begin;
    const unsigned char* m_end;      // the cursor after a failure: nothing is left
    bool m_ok = true;
    std::string m_error;
};

}  // namespace GAME
