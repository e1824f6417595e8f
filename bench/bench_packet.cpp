// Writing and reading typical packets (the server's heartbeat of four players, an item
// created for a player, a skill's target result with 1 and with 30 targets, and a
// character's attack with its pre-move block and its death with three ids, and a monster's
// replication image), beside two limits: memcpy of the same bytes, and a plain
// unchecked copy of the heartbeat's fields into a struct, which is what any reader of
// these bytes must at least do. Reads go into one packet kept across iterations, as a
// receiver that reuses its packets does; writes go into the packet's kept bytes and
// memcpy into a kept vector, so no side makes a buffer per iteration, and every side
// ends an iteration with its bytes counted as written.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "Engine/NetPacket.h"
#include "Engine/NetPacketBuffer.h"
#include "Engine/World.h"
#include "Game/core/TeamManager.h"
#include "fuzz/FuzzMonster.h"
#include "Game/network/CharacterActionPackets.h"
#include "Game/network/ConfigCmdPackets.h"
#include "Game/network/ItemTradePackets.h"
#include "Game/network/PlayerRosterPackets.h"

namespace GAME {
namespace {

constexpr int kPlayers = 4;

Region* BenchRegion()
{
    // The monster's maker may have added region 1 first.
    static Region* region = [] {
        Region* found = World::Get().GetRegionById(1);
        return found ? found : World::Get().AddRegion(1, "Bench", Vec3());
    }();
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

template <int Targets>
SkillTargetResultConfigCmdPacket MakeTargetResult()
{
    SkillTargetResultConfigCmdPacket packet;
    packet.actorId = 0x10000001;
    packet.skillNumber = 12;
    packet.seed = 0x4711;
    packet.weaponId = 0x2345;
    packet.useWeapon = true;
    packet.origin = WorldCoords(BenchRegion(), Coords::MakeTranslation(Vec3(4, 0, 9)));
    packet.hitIteration = 2;
    std::vector<uint32_t> targets;
    for (int i = 0; i < Targets; ++i)
        targets.push_back(0x30000100u + static_cast<uint32_t>(i));
    packet.targetIds = targets;
    return packet;
}

AttackPacket MakeAttack()
{
    AttackPacket packet;
    packet.preMoveFlag = 1;
    packet.preMovePosition = WorldVec3(BenchRegion(), Vec3(3, 0, 4));
    packet.preMoveTargetId = 0x30000100;
    packet.preMoveSkillNumber = 12;
    packet.preMoveSpeed = 1.5f;
    packet.characterId = 0x10000001;
    packet.defenderId = 0x30000100;
    packet.location = WorldVec3(BenchRegion(), Vec3(5, 0, 6));
    packet.skillNumber = 12;
    packet.seed = 0x4711;
    packet.attackerPosition = WorldVec3(BenchRegion(), Vec3(4, 0, 9));
    return packet;
}

DiePacket MakeDie()
{
    DiePacket packet;
    packet.characterId = 0x30000100;
    packet.deathHandlerIds = {0x30000200, 0x30000201, 0x30000202};
    return packet;
}

template <class Packet>
std::vector<unsigned char> BytesOf(Packet& packet)
{
    const uint32_t size = packet.PrepareOutBuffer();
    return std::vector<unsigned char>(packet.GetOutBuffer(), packet.GetOutBuffer() + size);
}

template <class Packet, Packet (*Make)()>
void BM_Write(benchmark::State& state)
{
    Packet packet = Make();
    for (auto _ : state) {
        benchmark::DoNotOptimize(packet.PrepareOutBuffer());
        benchmark::ClobberMemory();   // the bytes count as written, as memcpy's do
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * packet.GetOutBufferSize());
}

template <class Packet, Packet (*Make)()>
void BM_Read(benchmark::State& state)
{
    Packet sent = Make();
    const std::vector<unsigned char> bytes = BytesOf(sent);
    Packet received;
    for (auto _ : state) {
        benchmark::DoNotOptimize(received.CopyInbound(bytes.data(), static_cast<int>(bytes.size())));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes.size());
}

// One packet written and read back into another: the cost of a packet end to end.
template <class Packet, Packet (*Make)()>
void BM_WriteRead(benchmark::State& state)
{
    Packet sent = Make();
    Packet received;
    for (auto _ : state) {
        const uint32_t size = sent.PrepareOutBuffer();
        benchmark::DoNotOptimize(received.CopyInbound(sent.GetOutBuffer(), static_cast<int>(size)));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * sent.GetOutBufferSize());
}

template <class Packet, Packet (*Make)()>
void BM_Memcpy(benchmark::State& state)
{
    Packet sent = Make();
    const std::vector<unsigned char> bytes = BytesOf(sent);
    std::vector<unsigned char> copy(bytes.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), bytes.data(), bytes.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes.size());
}

// The heartbeat's fields copied into plain members without a single check: no bounds,
// no counts, no region look-up, no class tag text. No reader can do less.
struct PlainPlayer {
    uint32_t playerId;
    float life, maxLife, mana, maxMana;
    uint32_t partyId;
    uint8_t flags;
    uint32_t level;
    uint8_t classByte;
    std::string classTag;
    uint32_t region;
    float x, y, z;
    std::vector<std::string> statusSkills;
};

const unsigned char* PlainCopy(const unsigned char* at, void* out, size_t size)
{
    std::memcpy(out, at, size);
    return at + size;
}

const unsigned char* PlainString(const unsigned char* at, std::string& out)
{
    const size_t length = at[0] | at[1] << 8;
    out.assign(reinterpret_cast<const char*>(at + 2), length);
    return at + 2 + length;
}

void PlainRead(const unsigned char* at, std::vector<PlainPlayer>& players)
{
    at += 2;   // the header
    players.resize(*at++);
    for (PlainPlayer& p : players) {
        at = PlainCopy(at, &p.playerId, 4);
        at = PlainCopy(at, &p.life, 4);
        at = PlainCopy(at, &p.maxLife, 4);
        at = PlainCopy(at, &p.mana, 4);
        at = PlainCopy(at, &p.maxMana, 4);
        at = PlainCopy(at, &p.partyId, 4);
        p.flags = *at++;
        p.level = 0;
        at = PlainCopy(at, &p.level, (p.flags & PlayerNetFlags::kSmallLevel) ? 1 : 4);
        if (p.flags & PlayerNetFlags::kClassByte)
            p.classByte = *at++;
        else
            at = PlainString(at, p.classTag);
        at = PlainCopy(at, &p.region, 4);
        at = PlainCopy(at, &p.x, 4);
        at = PlainCopy(at, &p.y, 4);
        at = PlainCopy(at, &p.z, 4);
        p.statusSkills.resize(*at++);
        for (std::string& skill : p.statusSkills)
            at = PlainString(at, skill);
    }
}

void BM_HeartbeatPlainCopy(benchmark::State& state)
{
    AllPlayersHeartbeatPacket sent = MakeHeartbeat();
    const std::vector<unsigned char> bytes = BytesOf(sent);
    std::vector<PlainPlayer> players;
    for (auto _ : state) {
        PlainRead(bytes.data(), players);
        benchmark::DoNotOptimize(players.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes.size());
}

// ---- A monster's replication image ----
// Written from one monster and read back into it, as a peer that receives a monster it
// already holds does; the read keeps its record, as a received image is kept until applied.
struct MonsterImagePacket : NetPacket {
    MonsterImagePacket() : NetPacket(kMonsterImageType) {}
    uint32_t PrepareOutBuffer() override { return 0; }
    bool CopyInbound(const unsigned char*, int) override { return true; }
    std::string GetPacketDescription(bool) override { return "monster image"; }
    static constexpr NetPacketType kMonsterImageType = 40;
};

// A living monster on a team, with a proxy parent, siblings and its nine loot ids: the
// alive section is sent, the moving one is not.
Monster* BenchMonster()
{
    static Monster* monster = [] {
        Monster* made = MakeFuzzMonster();
        made->SetTeam(TeamManager::BuildTeam(3, 7));
        made->SetCurrentLife(40.0f);
        made->SetProxyParent("Records/Proxies/Area1/Wolves.dbr");
        made->SetProxyNumSiblings(4);
        return made;
    }();
    return monster;
}

uint32_t WriteMonsterImage(MonsterImagePacket& packet)
{
    NetPacketOutBuffer out(&packet);
    BenchMonster()->WriteReplicationData(out);
    return out.Done();
}

std::vector<unsigned char> MonsterImageBytes()
{
    MonsterImagePacket packet;
    const uint32_t size = WriteMonsterImage(packet);
    return std::vector<unsigned char>(packet.GetOutBuffer(), packet.GetOutBuffer() + size);
}

void BM_MonsterImageWrite(benchmark::State& state)
{
    MonsterImagePacket packet;
    for (auto _ : state) {
        benchmark::DoNotOptimize(WriteMonsterImage(packet));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * packet.GetOutBufferSize());
}

void BM_MonsterImageRead(benchmark::State& state)
{
    const std::vector<unsigned char> bytes = MonsterImageBytes();
    Monster* monster = BenchMonster();
    for (auto _ : state) {
        NetPacketHeader header{MonsterImagePacket::kMonsterImageType};
        NetPacketInBuffer in(&header, bytes.data(), static_cast<int>(bytes.size()));
        benchmark::DoNotOptimize(monster->ReadReplicationData(in));
        benchmark::ClobberMemory();
    }
    if (!monster->GetReplicationRecord())
        state.SkipWithError("the monster image was not read");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes.size());
}

void BM_MonsterImageMemcpy(benchmark::State& state)
{
    const std::vector<unsigned char> bytes = MonsterImageBytes();
    std::vector<unsigned char> copy(bytes.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), bytes.data(), bytes.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes.size());
}

BENCHMARK_TEMPLATE(BM_Write, AllPlayersHeartbeatPacket, MakeHeartbeat)->Name("Heartbeat4/Write");
BENCHMARK_TEMPLATE(BM_Read, AllPlayersHeartbeatPacket, MakeHeartbeat)->Name("Heartbeat4/Read");
BENCHMARK_TEMPLATE(BM_WriteRead, AllPlayersHeartbeatPacket, MakeHeartbeat)->Name("Heartbeat4/WriteRead");
BENCHMARK_TEMPLATE(BM_Memcpy, AllPlayersHeartbeatPacket, MakeHeartbeat)->Name("Heartbeat4/Memcpy");
BENCHMARK(BM_HeartbeatPlainCopy)->Name("Heartbeat4/PlainCopy");
BENCHMARK_TEMPLATE(BM_Write, CreateItemPacket, MakeCreateItem)->Name("CreateItem/Write");
BENCHMARK_TEMPLATE(BM_Read, CreateItemPacket, MakeCreateItem)->Name("CreateItem/Read");
BENCHMARK_TEMPLATE(BM_WriteRead, CreateItemPacket, MakeCreateItem)->Name("CreateItem/WriteRead");
BENCHMARK_TEMPLATE(BM_Memcpy, CreateItemPacket, MakeCreateItem)->Name("CreateItem/Memcpy");
BENCHMARK_TEMPLATE(BM_Write, SkillTargetResultConfigCmdPacket, MakeTargetResult<1>)->Name("TargetResult1/Write");
BENCHMARK_TEMPLATE(BM_Read, SkillTargetResultConfigCmdPacket, MakeTargetResult<1>)->Name("TargetResult1/Read");
BENCHMARK_TEMPLATE(BM_Memcpy, SkillTargetResultConfigCmdPacket, MakeTargetResult<1>)->Name("TargetResult1/Memcpy");
BENCHMARK_TEMPLATE(BM_Write, SkillTargetResultConfigCmdPacket, MakeTargetResult<30>)->Name("TargetResult30/Write");
BENCHMARK_TEMPLATE(BM_Read, SkillTargetResultConfigCmdPacket, MakeTargetResult<30>)->Name("TargetResult30/Read");
BENCHMARK_TEMPLATE(BM_Memcpy, SkillTargetResultConfigCmdPacket, MakeTargetResult<30>)->Name("TargetResult30/Memcpy");
BENCHMARK_TEMPLATE(BM_Write, AttackPacket, MakeAttack)->Name("Attack/Write");
BENCHMARK_TEMPLATE(BM_Read, AttackPacket, MakeAttack)->Name("Attack/Read");
BENCHMARK_TEMPLATE(BM_Memcpy, AttackPacket, MakeAttack)->Name("Attack/Memcpy");
BENCHMARK_TEMPLATE(BM_Write, DiePacket, MakeDie)->Name("Die3/Write");
BENCHMARK_TEMPLATE(BM_Read, DiePacket, MakeDie)->Name("Die3/Read");
BENCHMARK_TEMPLATE(BM_Memcpy, DiePacket, MakeDie)->Name("Die3/Memcpy");
BENCHMARK(BM_MonsterImageWrite)->Name("MonsterImage/Write");
BENCHMARK(BM_MonsterImageRead)->Name("MonsterImage/Read");
BENCHMARK(BM_MonsterImageMemcpy)->Name("MonsterImage/Memcpy");

}  // namespace
}  // namespace GAME
