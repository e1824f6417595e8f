// A golden packet: its exact bytes, written by hand one field per line from the packet's
// published layout (a packet of plain 32-bit words as its list of words), and the packet
// they stand for. Every field of a golden packet holds
// a value unlike its neighbours', so a changed type number or two swapped fields change
// the bytes. Positions name regions 1 to 7 (PacketTest makes them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

#include "Engine/World.h"
#include "tests/network/PacketTestUtil.h"

namespace GAME {

struct GoldenPacket {
    const char* name;
    Bytes bytes;
    // Where the counts and lengths sit (offset, width); each flipped must fail the read.
    std::vector<std::pair<size_t, size_t>> counts;
    std::function<std::unique_ptr<NetPacket>()> make;
};

// A golden packet of class P whose fields `fill` sets.
template <class P, class Fill>
GoldenPacket Golden(Bytes bytes, std::vector<std::pair<size_t, size_t>> counts, Fill fill)
{
    return {P::GetStaticClassInfo().GetName(), std::move(bytes), std::move(counts), [fill] {
                auto packet = std::make_unique<P>();
                fill(*packet);
                return std::unique_ptr<NetPacket>(std::move(packet));
            }};
}

// A golden packet of class P that is its type and then 32-bit words only, each least
// significant byte first (a negative word in two's complement); the comment above each
// names the words in order.
template <class P, class Fill>
GoldenPacket GoldenWords(uint16_t type, std::initializer_list<int64_t> words, Fill fill)
{
    Bytes bytes = {static_cast<unsigned char>(type), static_cast<unsigned char>(type >> 8)};
    for (int64_t word : words)
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<unsigned char>(static_cast<uint64_t>(word) >> shift));
    return Golden<P>(std::move(bytes), {}, fill);
}

inline WorldVec3 GoldenPoint(uint32_t region, float x, float y, float z)
{
    return WorldVec3(World::Get().GetRegionById(region), Vec3(x, y, z));
}

// Sets the fields every player record opens with.
template <class Info>
void GoldenVitals(Info& info, uint32_t id, float life, float maxLife, float mana, float maxMana, uint32_t party)
{
    info.playerId = id;
    info.life = life;
    info.maxLife = maxLife;
    info.mana = mana;
    info.maxMana = maxMana;
    info.partyId = party;
}

inline WorldCoords GoldenFrame(uint32_t region, const Coords& frame)
{
    return WorldCoords(World::Get().GetRegionById(region), frame);
}

}  // namespace GAME
