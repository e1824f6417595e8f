// A golden packet: its exact bytes, written by hand one field per line from the packet's
// published layout, and the packet they stand for. Every field of a golden packet holds
// a value unlike its neighbours', so a changed type number or two swapped fields change
// the bytes. Positions name regions 1 to 7 (PacketTest makes them).
#pragma once

#include <cstddef>
#include <functional>
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

inline WorldVec3 GoldenPoint(uint32_t region, float x, float y, float z)
{
    return WorldVec3(World::Get().GetRegionById(region), Vec3(x, y, z));
}

inline WorldCoords GoldenFrame(uint32_t region, const Coords& frame)
{
    return WorldCoords(World::Get().GetRegionById(region), frame);
}

}  // namespace GAME
