// Writing and reading typical packets (the server's heartbeat of four players, and an
// item created for a player) beside memcpy of the same bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "Engine/World.h"
#include "Game/network/ItemTradePackets.h"
#include "Game/network/PlayerRosterPackets.h"

namespace GAME {
namespace {

constexpr int kPlayers = 4;

Region* BenchRegion()
{
    static Region* region = World::Get().AddRegion(1, "Bench", Vec3());
    return region;
}

AllPlayersHeartbeatPacket MakeHeartbeat()
{
    AllPlayersHeartbeatPacket packet;
    for (int i = 0; i < kPlayers; ++i) {
        PlayerNetHeartbeatInfo info;
        info.playerId = (static_cast<uint32_t>(i) << 28) | 0x100;
        info.life = info.maxLife = 420.0f;
        info.mana = info.maxMana = 180.0f;
        info.level = 20 + i;
        info.partyId = 0x100;
        info.position = WorldVec3(BenchRegion(), Vec3(12.5f * i, 0.0f, -3.0f));
        info.classTag = "tagCClass0" + std::to_string(1 + i);
        info.statusSkills = {"Records/Skills/Defensive/Haste.dbr"};
        packet.players.push_back(info);
    }
    return packet;
}

CreateItemPacket MakeCreateItem()
{
    CreateItemPacket packet;
    packet.characterId = 0x10000001;
    packet.coords = WorldCoords(BenchRegion(), Coords::MakeTranslation(Vec3(4, 0, 9)));
    packet.item = {0x2345, "Records/Items/Weapons/Sword/Sword01.dbr", "Records/Items/Prefix/Sharp.dbr",
                   "Records/Items/Suffix/OfPower.dbr", "", "", 4711, 0};
    return packet;
}

template <class Packet, Packet (*Make)()>
void BM_Write(benchmark::State& state)
{
    Packet packet = Make();
    for (auto _ : state)
        benchmark::DoNotOptimize(packet.PrepareOutBuffer());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * packet.GetOutBufferSize());
}

template <class Packet, Packet (*Make)()>
void BM_Read(benchmark::State& state)
{
    Packet sent = Make();
    const uint32_t size = sent.PrepareOutBuffer();
    const std::vector<unsigned char> bytes(sent.GetOutBuffer(), sent.GetOutBuffer() + size);
    Packet received;
    for (auto _ : state) {
        benchmark::DoNotOptimize(received.CopyInbound(bytes.data(), static_cast<int>(bytes.size())));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
}

template <class Packet, Packet (*Make)()>
void BM_Memcpy(benchmark::State& state)
{
    Packet sent = Make();
    const uint32_t size = sent.PrepareOutBuffer();
    const std::vector<unsigned char> bytes(sent.GetOutBuffer(), sent.GetOutBuffer() + size);
    std::vector<unsigned char> copy(size);
    for (auto _ : state) {
        std::memcpy(copy.data(), bytes.data(), size);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
}

BENCHMARK_TEMPLATE(BM_Write, AllPlayersHeartbeatPacket, MakeHeartbeat)->Name("Heartbeat4/Write");
BENCHMARK_TEMPLATE(BM_Read, AllPlayersHeartbeatPacket, MakeHeartbeat)->Name("Heartbeat4/Read");
BENCHMARK_TEMPLATE(BM_Memcpy, AllPlayersHeartbeatPacket, MakeHeartbeat)->Name("Heartbeat4/Memcpy");
BENCHMARK_TEMPLATE(BM_Write, CreateItemPacket, MakeCreateItem)->Name("CreateItem/Write");
BENCHMARK_TEMPLATE(BM_Read, CreateItemPacket, MakeCreateItem)->Name("CreateItem/Read");
BENCHMARK_TEMPLATE(BM_Memcpy, CreateItemPacket, MakeCreateItem)->Name("CreateItem/Memcpy");

}  // namespace
}  // namespace GAME
