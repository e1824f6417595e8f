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
// Starting and ending a buffer, ids, id lists and positions are inline too, so a small
// packet is written or read without a call; what fails, grows or looks up a region
// leaves the inline path through static functions that are handed what they need rather
// than the buffer (see NetPacketOf), and strings are read out of line. Id lists and the
// frame of a position travel in their in-memory order, so on a little-endian machine
// each is one copy, and a frame's twelve coordinates are checked two at a time without
// a branch.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "Engine/NetPacket.h"
#include "Engine/ObjectInteractionPacket.h"
#include "Engine/World.h"

namespace GAME {

namespace NetLimits {
inline constexpr size_t kHeaderSize = 2;
inline constexpr size_t kMaxPacketSize = 64 * 1024;
inline constexpr size_t kMaxStringLength = 4096;       // bytes of an 8-bit string
inline constexpr size_t kMaxWideStringLength = 4096;   // units of a 16-bit string
inline constexpr size_t kMaxFileNameLength = 260;      // bytes of a record file name
inline constexpr size_t kMaxListCount = 4096;          // elements of any list
inline constexpr size_t kVec3Size = 16;
inline constexpr size_t kCoordsSize = 52;
inline constexpr size_t kInitialOutBytes = 512;   // most packets never grow their kept bytes
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

// `count` 32-bit values, each least significant byte first.
inline void StoreU32s(unsigned char* bytes, const uint32_t* values, size_t count)
{
    if constexpr (std::endian::native == std::endian::little) {
        if (count)
            std::memcpy(bytes, values, 4 * count);
    } else {
        for (size_t i = 0; i < count; ++i)
            StoreU32(bytes + 4 * i, values[i]);
    }
}

inline void LoadU32s(uint32_t* values, const unsigned char* bytes, size_t count)
{
    if constexpr (std::endian::native == std::endian::little) {
        if (count)
            std::memcpy(values, bytes, 4 * count);
    } else {
        for (size_t i = 0; i < count; ++i)
            values[i] = LoadU32(bytes + 4 * i);
    }
}

// Whether every one of N floats at `bytes` is finite. Two at a time in a 64-bit word,
// without a branch: adding 1 below the exponent of a float whose exponent bits are all
// set carries into its top bit, and a lane's sum never carries into the next lane.
template <size_t N>
inline bool AllFinite(const unsigned char* bytes)
{
    constexpr uint64_t kExponents = 0x7F8000007F800000ull;
    constexpr uint64_t kCarry = 0x0080000000800000ull;
    constexpr uint64_t kTops = 0x8000000080000000ull;
    uint64_t carried = 0;
#pragma GCC unroll 8
    for (size_t i = 0; i + 2 <= N; i += 2) {
        uint64_t pair;
        std::memcpy(&pair, bytes + 4 * i, sizeof pair);
        carried |= (pair & kExponents) + kCarry;
    }
    if constexpr (N % 2 != 0)
        carried |= (uint64_t{LoadU32(bytes + 4 * (N - 1))} & kExponents) + kCarry;
    return (carried & kTops) == 0;
}

// A point's three coordinates and a frame's twelve (x axis, y axis, z axis, origin), as
// they lie in memory: the wire order.
static_assert(sizeof(Vec3) == 12 && offsetof(Vec3, y) == 4 && offsetof(Vec3, z) == 8);
static_assert(sizeof(Coords) == 48 && offsetof(Coords, yAxis) == 12 && offsetof(Coords, zAxis) == 24 &&
              offsetof(Coords, origin) == 36);
static_assert(std::is_trivially_copyable_v<Vec3> && std::is_trivially_copyable_v<Coords>);

template <class T>
inline void StoreFloats(unsigned char* bytes, const T& value)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(bytes, &value, sizeof value);
    } else {
        uint32_t words[sizeof value / 4];
        std::memcpy(words, &value, sizeof value);
        StoreU32s(bytes, words, sizeof value / 4);
    }
}

// One little-endian float.
inline float LoadF32(const unsigned char* bytes) { return std::bit_cast<float>(LoadU32(bytes)); }

template <class T>
inline T LoadFloats(const unsigned char* bytes)
{
    T value;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&value, bytes, sizeof value);
    } else {
        uint32_t words[sizeof value / 4];
        LoadU32s(words, bytes, sizeof value / 4);
        std::memcpy(&value, words, sizeof value);
    }
    return value;
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
    explicit NetPacketOutBuffer(NetPacket* packet) : m_packet(packet), m_bytes(packet->m_outBuffer)
    {
        packet->m_outSize = 0;
        if (m_bytes.size() < NetLimits::kInitialOutBytes)
            FirstUse(m_bytes);
        m_begin = m_cursor = m_bytes.data();
        m_limit = m_begin + m_bytes.size();
        const uint16_t type = packet->GetType();
        Add(&type);
    }
    NetPacketOutBuffer(const NetPacketOutBuffer&) = delete;
    NetPacketOutBuffer& operator=(const NetPacketOutBuffer&) = delete;

    // The size of the whole packet, or 0 when a write failed (logged once).
    uint32_t Done()
    {
        const size_t size = static_cast<size_t>(m_cursor - m_begin);
        if (m_ok && size <= NetLimits::kMaxPacketSize) {
            m_packet->m_outSize = static_cast<uint32_t>(size);
            return m_packet->m_outSize;
        }
        return Refuse(m_packet, m_ok ? "the packet is larger than the largest packet" : m_failure);
    }
    bool IsOk() const { return m_ok; }
    // Marks the packet as not buildable; the first reason is logged by Done.
    void Fail(const char* reason)
    {
        if (m_ok)
            m_failure = reason;
        m_ok = false;
    }

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
    void Add(const SmartObjectId* id) { AddU32(id->GetId()); }
    void Add(const SmartObjectIdList& list)
    {
        const std::vector<uint32_t>& ids = list.GetIds();
        AddCount(NetCount::Word, ids.size());
        if (m_ok)
            NetBytes::StoreU32s(Claim(4 * ids.size()), ids.data(), ids.size());
    }
    void Add(const WorldVec3* point)
    {
        unsigned char* at = Claim(NetLimits::kVec3Size);
        NetBytes::StoreU32(at, point->GetRegionId());
        NetBytes::StoreFloats(at + 4, point->GetRegionPosition());
        if (!NetBytes::AllFinite<3>(reinterpret_cast<const unsigned char*>(&point->GetRegionPosition())))
            Fail("a coordinate is not a finite number");
    }
    void Add(const WorldCoords* coords)
    {
        unsigned char* at = Claim(NetLimits::kCoordsSize);
        NetBytes::StoreU32(at, coords->GetRegion() ? coords->GetRegion()->GetId() : 0);
        NetBytes::StoreFloats(at + 4, coords->GetRegionCoords());
        // Checked where the values lie rather than in the bytes just written, which
        // would wait for the stores.
        if (!NetBytes::AllFinite<12>(reinterpret_cast<const unsigned char*>(&coords->GetRegionCoords())))
            Fail("a coordinate is not a finite number");
    }
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
        if (static_cast<size_t>(m_limit - m_cursor) < count) {
            const size_t used = static_cast<size_t>(m_cursor - m_begin);
            m_begin = Grow(m_bytes, used + count);
            m_cursor = m_begin + used;
            m_limit = m_begin + m_bytes.size();
        }
        unsigned char* at = m_cursor;
        m_cursor += count;
        return at;
    }
    // The slow paths take what they change rather than the buffer, so that a packet's
    // writer, once inlined, keeps its cursor in registers: a buffer whose address never
    // leaves the function cannot be reached through the bytes it writes.
    // Makes the bytes at least `needed` long, at least doubling them; their new start.
    [[gnu::noinline]] static unsigned char* Grow(std::vector<unsigned char>& bytes, size_t needed);
    [[gnu::noinline]] static void FirstUse(std::vector<unsigned char>& bytes);
    // Logs why the packet was not built (as the drop of the received packet this thread's
    // handler runs, when one runs: see NetPacketRegistry::NoteHandledDrop); 0.
    [[gnu::cold]] static uint32_t Refuse(NetPacket* packet, const char* failure);
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

// The world is one object for the life of the program: asked for once, at start-up, so
// a read finds it without the guard a function's static would test on every call.
inline World& gNetPacketWorld = World::Get();

class NetPacketInBuffer {
public:
    // Reads the header and checks that it names the packet's own type.
    NetPacketInBuffer(NetPacketHeader* header, const unsigned char* data, int size)
        : m_cursor(data), m_begin(data), m_end(data)
    {
        const bool headerThere = data && size >= static_cast<int>(NetLimits::kHeaderSize) &&
                                 static_cast<size_t>(size) <= NetLimits::kMaxPacketSize;
        if (headerThere && NetBytes::LoadU16(data) == header->type) {
            m_cursor += NetLimits::kHeaderSize;
            m_end = data + size;
            return;
        }
        // A wrong type fails after the header was read, anything else before it.
        if (headerThere)
            m_cursor = m_end = data + NetLimits::kHeaderSize;
        FailWith([&](size_t at) { return StartMessage(data, size, header->type, at); });
    }
    NetPacketInBuffer(const NetPacketInBuffer&) = delete;
    NetPacketInBuffer& operator=(const NetPacketInBuffer&) = delete;

    bool IsOk() const { return m_ok; }
    // Why the read failed, with the byte it failed at; empty while it has not.
    const std::string& GetError() const { return m_error ? *m_error : NoError(); }
    size_t GetRemaining() const { return static_cast<size_t>(m_end - m_cursor); }
    // Fails when bytes are left after the last field; returns IsOk.
    bool Finish()
    {
        if (m_ok && m_cursor != m_end)
            FailWith([this](size_t at) { return LeftOverMessage(GetRemaining(), at); });
        return m_ok;
    }
    // Keeps the first reason; from now on no bytes are left and every read yields zeros.
    void Fail(const std::string& reason)
    {
        FailWith([&reason](size_t at) { return Message(reason, at); });
    }

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
        FailWith(NotFiniteMessage);
        return 0.0f;
    }

    void Remove(bool* value)
    {
        const uint8_t byte = RemoveU8();
        if (byte > 1)
            FailWith([byte](size_t at) { return BoolMessage(byte, at); });
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
    void Remove(SmartObjectId* id) { *id = RemoveU32(); }
    // The list becomes what is read; empty when the read failed.
    void Remove(SmartObjectIdList& list)
    {
        const uint32_t count = RemoveCount(NetCount::Word, 4);
        // The count is checked against the bytes left, so the ids are all there.
        const unsigned char* at = m_cursor;
        m_cursor += 4 * static_cast<size_t>(count);
        NetBytes::LoadU32s(list.Resize(count), at, count);
    }
    void Remove(WorldVec3* point)
    {
        Region* region = nullptr;
        const unsigned char* at = TakePosition<NetLimits::kVec3Size>(region);
        // Three loads straight into registers: a copy of the twelve bytes into a Vec3
        // goes through the stack, and its narrower reloads wait for the wider store.
        *point = at ? WorldVec3(region, Vec3(NetBytes::LoadF32(at), NetBytes::LoadF32(at + 4),
                                             NetBytes::LoadF32(at + 8)))
                    : WorldVec3();
    }
    void Remove(WorldCoords* coords)
    {
        Region* region = nullptr;
        const unsigned char* at = TakePosition<NetLimits::kCoordsSize>(region);
        *coords = at ? WorldCoords(region, NetBytes::LoadFloats<Coords>(at)) : WorldCoords();
    }
    void Remove(std::string& text);
    void RemoveRaw(std::string& text);
    void RemoveFileName(std::string& name);
    void Remove(std::u16string& text);

    // A list's element count, checked against the list bound and against the bytes
    // left for that many elements of at least `minElementSize` bytes; 0 on failure.
    // Inline, so that the element size is known and the division is a multiplication.
    uint32_t RemoveCount(NetCount width, size_t minElementSize)
    {
        return CheckCount(width, width == NetCount::Byte ? RemoveU8() : RemoveU32(), minElementSize);
    }

    // A count sent as a signed 32-bit value: 0 or less is no element; a larger count is
    // checked as RemoveCount checks a 4-byte one. 0 on failure.
    uint32_t RemoveSignedCount(size_t minElementSize)
    {
        const auto count = static_cast<int32_t>(RemoveU32());
        if (count <= 0)
            return 0;
        return CheckCount(NetCount::Word, static_cast<uint32_t>(count), minElementSize);
    }

private:
    uint32_t CheckCount(NetCount width, uint32_t count, size_t minElementSize)
    {
        const size_t size = minElementSize ? minElementSize : 1;
        if (count <= MaxListCount(width) && count <= GetRemaining() / size)
            return count;
        FailWith([width, count](size_t at) { return CountMessage(width, count, at); });
        return 0;
    }
    // The next `count` bytes, the cursor moved past them; null when they are not all
    // there (the first time, the read fails with the reason).
    template <size_t N>
    const unsigned char* Take()
    {
        return Take(N, "field");
    }
    const unsigned char* Take(size_t count, const char* what)
    {
        if (static_cast<size_t>(m_end - m_cursor) < count) {
            FailWith([&](size_t at) { return ShortMessage(count, what, GetRemaining(), at); });
            return nullptr;
        }
        const unsigned char* at = m_cursor;
        m_cursor += count;
        return at;
    }

    // A failure ends the read: the first one keeps its message, made by `make` from the
    // byte the cursor stands at; from then on no bytes are left. The messages are made
    // out of line by static functions that are handed what they report, never the buffer:
    // a buffer whose address stays in the packet's reader is kept in registers there.
    template <class Make>
    void FailWith(Make&& make)
    {
        if (m_ok)
            m_error.reset(make(static_cast<size_t>(m_cursor - m_begin)));
        m_ok = false;
        m_end = m_cursor;
    }
    static const std::string& NoError();
    [[gnu::cold]] static std::string* Message(const std::string& reason, size_t at);
    [[gnu::cold]] static std::string* StartMessage(const unsigned char* data, int size, NetPacketType expected,
                                                   size_t at);
    [[gnu::cold]] static std::string* LeftOverMessage(size_t left, size_t at);
    [[gnu::cold]] static std::string* ShortMessage(size_t count, const char* what, size_t left, size_t at);
    [[gnu::cold]] static std::string* NotFiniteMessage(size_t at);
    [[gnu::cold]] static std::string* BoolMessage(uint8_t byte, size_t at);
    [[gnu::cold]] static std::string* CountMessage(NetCount width, uint32_t count, size_t at);
    [[gnu::cold]] static std::string* OverBoundMessage(const char* what, size_t length, const char* unit, size_t at);
    [[gnu::cold]] static std::string* RegionMessage(uint32_t id, size_t at);
    // The bytes up to and including the first of `count` coordinates that is not finite.
    [[gnu::cold]] static size_t UpToNotFinite(const unsigned char* at, size_t count);
    // The region of a non-zero id; null when this world does not know it.
    static Region* FindRegion(uint32_t id)
    {
        return gNetPacketWorld.GetRegionById(id);
    }

    // A file name also must not hold a zero byte.
    void RemoveString(std::string& text, size_t maxLength, const char* what, bool fileName);
    // A position of Size bytes: its region, then coordinates that must be finite. The
    // coordinates' bytes, or null when the read failed. A failure names the byte after
    // the offending value, as reading the values one by one would.
    template <size_t Size>
    const unsigned char* TakePosition(Region*& region)
    {
        constexpr size_t kCoordinates = (Size - 4) / 4;
        const unsigned char* at = Take<Size>();
        if (!at)
            return nullptr;
        if (const uint32_t id = NetBytes::LoadU32(at)) {
            // The positions of one packet nearly always share their region: the buffer
            // keeps the last one found, so only the first asks the world.
            if (id != m_regionId) {
                m_region = FindRegion(id);
                m_regionId = m_region ? id : 0;
            }
            region = m_region;
            if (!region) {
                m_cursor = at + 4;
                FailWith([id](size_t failedAt) { return RegionMessage(id, failedAt); });
                return nullptr;
            }
        }
        if (!NetBytes::AllFinite<kCoordinates>(at + 4)) {
            m_cursor = at + 4 + UpToNotFinite(at + 4, kCoordinates);
            FailWith(NotFiniteMessage);
            return nullptr;
        }
        return at + 4;
    }

    const unsigned char* m_cursor;   // the next byte to read
    const unsigned char* m_begin;
    const unsigned char* m_end;      // the cursor after a failure: nothing is left
    bool m_ok = true;
    uint32_t m_regionId = 0;     // the id of m_region; 0 while no region was found
    Region* m_region = nullptr;
    std::unique_ptr<std::string> m_error;   // only once the read failed
};

inline bool NetPacket::EndRead(NetPacketInBuffer& in)
{
    if (in.Finish()) {
        m_readError.clear();
        return true;
    }
    m_readError = in.GetError();
    return false;
}

}  // namespace GAME
