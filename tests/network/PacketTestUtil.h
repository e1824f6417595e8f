// Helpers for the packet tests: the bytes of a packet, a world with the regions that
// positions name, and a visitor that fills every field of a packet with sample values.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Engine/NetPacketFields.h"
#include "Engine/World.h"

namespace GAME {

using Bytes = std::vector<unsigned char>;

inline Bytes Written(NetPacket&& packet);

inline Bytes Written(NetPacket& packet)
{
    const uint32_t size = packet.PrepareOutBuffer();
    return Bytes(packet.GetOutBuffer(), packet.GetOutBuffer() + size);
}

inline Bytes Written(NetPacket&& packet)
{
    return Written(packet);
}

inline bool ReadInto(NetPacket& packet, const Bytes& bytes)
{
    return packet.CopyInbound(bytes.data(), static_cast<int>(bytes.size()));
}

// Regions 1 to 7 exist while a test runs.
class PacketTest : public ::testing::Test {
protected:
    static constexpr uint32_t kRegionCount = 7;

    void SetUp() override
    {
        for (uint32_t id = 1; id <= kRegionCount; ++id)
            World::Get().AddRegion(id, "Region" + std::to_string(id), Vec3(100.0f * id, 0.0f, 0.0f));
    }
    void TearDown() override { World::Get().Reset(); }

    static Region* RegionOf(uint32_t id) { return World::Get().GetRegionById(id); }
};

// Fills every field a packet's field list names with a value that differs from its
// default, as a reader would: fields that depend on earlier ones (flags) follow what
// was filled. Lists get two elements.
class SampleFiller {
public:
    static constexpr bool kReading = true;
    static constexpr bool kWriting = false;
    static constexpr bool kDescribing = false;

    explicit SampleFiller(uint32_t seed) : m_next(seed) {}

    template <class Kind, class T>
    void operator()(Kind kind, T& value, FieldLabel = {})
    {
        Fill(kind, value);
    }

    template <class Kind, class T>
    void operator()(NetCount width, Kind, std::vector<T>& values, ListLabel = {})
    {
        List(width, values, 0, [](auto& v, T& value) { v(Kind{}, value); });
    }

    template <class T, class ElementFields>
    void List(NetCount, std::vector<T>& values, size_t, ElementFields&& fields, ListLabel = {})
    {
        values.assign(2, T{});
        for (T& value : values)
            fields(*this, value);
    }

    void Heading(const char*) {}
    void Fail(const char*) {}
    bool IsOk() const { return true; }

private:
    uint32_t Next() { return m_next = m_next * 1103515245u + 12345u; }
    float NextFloat() { return static_cast<float>(Next() % 1000) + 0.25f; }
    Vec3 NextVec3() { return Vec3(NextFloat(), -NextFloat(), NextFloat()); }
    Region* NextRegion() { return World::Get().GetRegionById(1 + Next() % 7); }

    void Fill(Wire::U8, uint8_t& value) { value = static_cast<uint8_t>(Next() >> 8); }
    void Fill(Wire::U16, uint16_t& value) { value = static_cast<uint16_t>(Next() >> 8); }
    template <class T>
    void Fill(Wire::Word, T& value)
    {
        value = static_cast<T>(Next() | 1u);
    }
    template <auto Max>
    void Fill(Wire::Enum<Max>, decltype(Max)& value)
    {
        value = static_cast<decltype(Max)>(1 + Next() % static_cast<uint32_t>(Max));
    }
    void Fill(Wire::F32, float& value) { value = NextFloat(); }
    void Fill(Wire::Raw<8>, Vec2& value) { value = Vec2(NextFloat(), NextFloat()); }
    // A 16-byte name: one printable letter repeated.
    template <class T>
    void Fill(Wire::Raw<16>, T& value)
    {
        std::memset(static_cast<void*>(&value), 'a' + static_cast<int>(Next() % 26), sizeof value);
    }
    void Fill(Wire::Bool, bool& value) { value = true; }
    template <class T>
    void Fill(Wire::Half, T& value)
    {
        value = static_cast<T>(1 + Next() % 30000);
    }
    void Fill(Wire::Id, SmartObjectId& value) { value = Next() | 1u; }
    void Fill(Wire::Id, SmartObjectIdNullable& value) { value = Next() | 1u; }
    void Fill(Wire::IdList, SmartObjectIdList& value) { value = std::vector<uint32_t>{Next(), Next()}; }
    void Fill(Wire::IdList, SmartObjectIdListNullable& value) { value = std::vector<uint32_t>{Next(), Next()}; }
    void Fill(Wire::Point, WorldVec3& value) { value = WorldVec3(NextRegion(), NextVec3()); }
    void Fill(Wire::Frame, WorldCoords& value)
    {
        Coords frame = Coords::MakeRotation(Vec3(0, 1, 0), NextFloat());
        frame.origin = NextVec3();
        value = WorldCoords(NextRegion(), frame);
    }
    void Fill(Wire::String, std::string& value) { value = "tagSample" + std::to_string(Next() % 100); }
    void Fill(Wire::RawString, std::string& value) { value = "tagCClass" + std::to_string(Next() % 120); }
    void Fill(Wire::FileName, std::string& value) { value = "Records/Sample/" + std::to_string(Next() % 1000) + ".dbr"; }
    void Fill(Wire::WideString, std::u16string& value) { value = u"Name \u00e9" + std::u16string(1, u'a' + Next() % 26); }
    // A record kind (the item identity) fills through the record's own field list.
    template <class Kind, class T>
    void Fill(Kind, T& record)
    {
        T::NetFields(*this, record);
    }

    uint32_t m_next;
};

}  // namespace GAME
