// The hostile case: a game server (the host's received-packet table over the real game)
// with one client that joins as a player would (its record, its spawn, a heartbeat) and
// then floods it for 10 s, one run for each flood: 200,000 packets of mixed kinds
// (bonuses of absurd amounts and of no number, creations of monsters and items each under
// a new id, skill results against the server's player, purchases past the stock,
// uninvited party joins, heartbeats of no number, market requests, chat with terminal
// escapes, unknown types and packets cut short); 200,000 trade steps offering the server's
// player gold the client does not have and items it never had; its own player's spawn
// sent again 1,000 times, each image carrying 200 items under new ids; 20,000 portals,
// each under a new id, for its player or for new owners. The server keeps the pace of its
// frames (16 ms), first for a few seconds with the client quiet, then through the flood.
// Reported: the growth of its resident memory from the quiet frames' end to the largest
// seen in the flood (it must stay within 20 MB), its frame rate in the flood against the
// quiet one (it must keep half), and how many forgeries arrived. The label names the
// flood and says whether the server kept both bounds.
//
// The floods beside an honest client: the hostile case's game server with a client that
// plays beside the flood, one run for each flood: its spawn image (200 items) sent again
// and 4,096 mutations of the mixed forgeries, each as fast as the server takes them in;
// connections from another address that hold every number they may without joining; 2,000
// heartbeats of the flooder's player, each naming 230 status skills of 250 bytes and a
// class tag of 4,000; and 200,000 runs of its player. Beside the first three the honest
// client beats every frame, beside the last two it runs every frame and beats every 900 ms.
// Reported: whether every heartbeat and run the honest client sent reached the server's
// game, and the server's frame rate in the flood against the quiet one (the goal: 0.8 in
// the plain build); the label names the flood and says whether both held.
#include <benchmark/benchmark.h>
#include <enet/enet.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "Engine/ChatPacket.h"
#include "Engine/EnetTransport.h"
#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/NpcMerchant.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/network/CharacterActionPackets.h"
#include "Game/network/ConfigCmdPackets.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/network/GoldBonusPartyPackets.h"
#include "Game/network/ItemTradePackets.h"
#include "Game/network/PlayerRosterPackets.h"
#include "Game/session/GamePacketDispatch.h"
#include "Game/session/SpawnReplication.h"

#include "NetBenchRig.h"

namespace GAME {
namespace {

using namespace bench;

// ---- The hostile case ---------------------------------------------------------------------

// The floods, each its own run: what the client forges and how many packets it sends.
enum Flood : int { kMixed, kTrade, kSpawn, kPortal, kFloodCount };
struct FloodPlan {
    const char* name;
    int packets;
};
constexpr std::array<FloodPlan, kFloodCount> kFloods{{
    {"mixed", 200000},
    {"trade", 200000},
    {"spawn", 1000},
    {"portal", 20000},
}};
// The spawn flood's images: each carries this many items under ids of its own.
constexpr int kSpawnImages = 20;
constexpr int kItemsPerSpawn = 200;
constexpr auto kFloodTime = std::chrono::seconds(10);
constexpr auto kQuietTime = std::chrono::seconds(3);
constexpr auto kJoinLimit = std::chrono::seconds(10);
constexpr double kMemoryLimitMb = 20.0;
constexpr double kFrameRateFloor = 0.5;
constexpr int kGameFrameMs = 16;
constexpr uint32_t kServerPlayer = 0x00000100;
constexpr uint32_t kMerchant = 0x0FFFFE30;
constexpr const char* kMerchantRecord = "Records/Creatures/Merchant.dbr";
constexpr const char* kSwordRecord = "Records/Item/Weapons/Sword.dbr";
// Where the spawn flood's item ids begin: the client's own, above the other floods' new ids.
constexpr uint32_t kSpawnItemIds = kFloodPlayer + 0x01000000;

size_t ResidentBytes()
{
    size_t pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%zu %zu", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

// A forged packet's bytes; at each of `idsAt`, each copy sent carries a new object id of
// the client's own (a u32, little-endian), so that every creation names a new object.
struct Forgery {
    std::vector<unsigned char> bytes;
    std::vector<int> idsAt = {};
};

// A packet whose object id is set by `name`: where the id lies is found by building it
// with two ids and comparing.
template <class P, class Name>
Forgery WithNewIds(Name name)
{
    P first, second;
    name(first, kFloodPlayer + 0x1000);
    name(second, kFloodPlayer + 0x2000);
    Forgery forgery{BytesOf(first)};
    const std::vector<unsigned char> other = BytesOf(second);
    for (size_t i = 1; i < forgery.bytes.size() && i < other.size(); ++i)
        if (forgery.bytes[i] != other[i])
            forgery.idsAt.push_back(static_cast<int>(i) - 1);   // the ids differ in their second byte
    return forgery;
}

template <class P, class Fill>
Forgery Plain(Fill fill)
{
    return {BytesOfFilled<P>(fill)};
}

std::vector<Forgery> MixedForgeries()
{
    std::vector<Forgery> all;
    for (auto amounts : {+[](Bonus& b) { b.goldPoints = 1000000; }, +[](Bonus& b) { b.skillPoints = 40; },
                         +[](Bonus& b) { b.lifePoints = -1e9f; },
                         +[](Bonus& b) { b.lifePoints = b.manaPoints = std::numeric_limits<float>::quiet_NaN(); }})
        all.push_back(Plain<BonusToServerPacket>([&](BonusToServerPacket& p) {
            amounts(p.bonus);
            p.point = WorldVec3(World::Get().GetRegionById(1), Vec3(0, 0, 0));
            p.activePlayer = kFloodPlayer;
        }));
    for (const char* record : {"Records/Creatures/ArenaMonster.dbr", kMerchantRecord})
        all.push_back(WithNewIds<CreateEntityPacket>([record](CreateEntityPacket& p, uint32_t id) {
            p.coords = AtOrigin();
            p.recordName = record;
            p.objectId = id;
        }));
    all.push_back(WithNewIds<CreateItemPacket>([](CreateItemPacket& p, uint32_t id) {
        p.coords = AtOrigin();
        p.item.objectId = id;
        p.item.baseName = "Records/Item/Weapons/Sword.dbr";
    }));
    all.push_back(Plain<SkillTargetResultConfigCmdPacket>([](SkillTargetResultConfigCmdPacket& p) {
        p.actorId = kFloodPlayer;
        p.targetIds.AddId(kServerPlayer);
        p.origin = AtOrigin();
    }));
    for (uint32_t index : {1u, 40u, 599u})
        all.push_back(Plain<MarketC2SPurchaseRequestPacket>([index](MarketC2SPurchaseRequestPacket& p) {
            p.marketId = kMerchant;
            p.itemIndex = index;
            p.buyerId = kFloodPlayer;
        }));
    all.push_back(Plain<MarketC2SUpdateRequestPacket>([](MarketC2SUpdateRequestPacket& p) { p.marketId = kMerchant; }));
    all.push_back(Plain<JoinPartyConfigCmdPacket>([](JoinPartyConfigCmdPacket& p) {
        p.playerId = kFloodPlayer;
        p.partyId = static_cast<int32_t>(kServerPlayer);
    }));
    all.push_back(Plain<SinglePlayerHeartbeatPacket>([](SinglePlayerHeartbeatPacket& p) {
        p.info.playerId = kFloodPlayer;
        p.info.partyId = 0x0DEAD001;
        p.info.life = std::numeric_limits<float>::quiet_NaN();
        p.info.maxLife = -5.0f;
    }));
    all.push_back(Plain<ChatPacket>([](ChatPacket& p) {
        p.sender = u"Host";
        p.text = u"\x1b[2J\x1b]0;owned\x07";
    }));
    all.push_back({{0xF0, 0xFE, 1, 2, 3}});   // a type nobody registered
    Forgery cut = all[0];
    cut.bytes.resize(cut.bytes.size() / 2);   // a bonus cut short
    all.push_back(cut);
    return all;
}

std::vector<Forgery> TradeForgeries()
{
    std::vector<Forgery> all;
    all.push_back(Plain<TradeInitiatePacket>([](TradeInitiatePacket& p) {
        p.sender = kFloodPlayer;
        p.receiver = kServerPlayer;
    }));
    for (uint32_t gold : {0xFFFFFFFFu, 0x80000000u, 5000u})
        all.push_back(Plain<TradeSetGoldPacket>([gold](TradeSetGoldPacket& p) {
            p.sender = kFloodPlayer;
            p.receiver = kServerPlayer;
            p.goldAmount = gold;
        }));
    all.push_back(WithNewIds<TradeAddItemPacket>([](TradeAddItemPacket& p, uint32_t id) {
        p.sender = kFloodPlayer;
        p.receiver = kServerPlayer;
        p.item.objectId = id;
        p.item.baseName = kSwordRecord;
    }));
    all.push_back(Plain<TradeFinalizePacket>([](TradeFinalizePacket& p) {
        p.sender = kFloodPlayer;
        p.receiver = kServerPlayer;
    }));
    return all;
}

// The client's own player sent again, each image carrying kItemsPerSpawn items under ids
// no other image uses; made from a player and items built here and destroyed again.
std::vector<Forgery> SpawnForgeries()
{
    std::vector<Forgery> all;
    ObjectManager& objects = ObjectManager::Get();
    uint32_t itemId = kSpawnItemIds;
    for (int image = 0; image < kSpawnImages; ++image) {
        auto* player = objects.CreateObjectFromFile<Player>(kArenaPlayerRecord, kFloodPlayer);
        if (!player)
            break;
        World::Get().AddEntity(player, AtOrigin());
        std::vector<Object*> made{player};
        for (int i = 0; i < kItemsPerSpawn; ++i)
            if (auto* item = objects.CreateObjectFromFile<Item>(kSwordRecord, itemId++)) {
                player->GetInventory().AddItemToInventory(item->GetObjectId(), false);
                made.push_back(item);
            }
        if (std::unique_ptr<SpawnPlayerPacket> spawn = MakeSpawnPacket(*player))
            all.push_back({BytesOf(*spawn)});
        for (Object* object : made)
            objects.DestroyObjectEx(object, __FILE__, __LINE__);
        objects.FlushDestroyedObjects();
    }
    return all;
}

// Portals under new ids: for the client's own player, and each for a new owner of its host.
std::vector<Forgery> PortalForgeries()
{
    std::vector<Forgery> all;
    all.push_back(WithNewIds<CreateItemTeleportPacket>([](CreateItemTeleportPacket& p, uint32_t id) {
        p.coords = AtOrigin();
        p.owner = kFloodPlayer;
        p.objectId = id;
    }));
    all.push_back(WithNewIds<CreateItemTeleportPacket>([](CreateItemTeleportPacket& p, uint32_t id) {
        p.coords = AtOrigin();
        p.owner = id;
        p.objectId = id;
    }));
    return all;
}

std::vector<Forgery> Forgeries(Flood flood)
{
    switch (flood) {
    case kTrade: return TradeForgeries();
    case kSpawn: return SpawnForgeries();
    case kPortal: return PortalForgeries();
    default: return MixedForgeries();
    }
}

struct FloodShared {
    std::atomic<bool> joined{false}, flood{false}, done{false};
    std::atomic<int> sent{0};
    std::atomic<bool> failed{false};
    // With a window: the client sends as fast as the server takes its packets in, at most
    // `window` packets ahead of what the server has received, instead of at an even pace;
    // with `evenToo`, at the even pace as well, never further ahead than the window.
    int window = 0;
    bool evenToo = false;
    std::atomic<uint64_t> serverReceived{0};
    // The time over which the even pace sends all the packets.
    Clock::duration span = kFloodTime;
};

// The hostile client: joins, waits for the word, then sends the forgeries in turn at an
// even pace until all are sent, and keeps its connection serviced until the end.
void RunFlooder(uint16_t port, const std::vector<std::vector<unsigned char>>& join,
                const std::vector<Forgery>& forgeries, int packets, FloodShared& shared)
{
    std::string error;
    auto client = EnetTransport::Connect("127.0.0.1", port, 5000, error);
    if (!client || client->GetLocalHost() != kFloodHost) {
        shared.failed = true;
        return;
    }
    for (const auto& bytes : join)
        client->Send({NetDestination::Server, 0}, bytes.data(), bytes.size());
    shared.joined = true;
    int from = 0;
    std::vector<unsigned char> received;
    uint32_t nextId = kFloodPlayer + 0x100;
    auto start = Clock::now();
    bool started = false;
    while (!shared.done) {
        client->Service();
        while (client->Receive(from, received)) {
        }
        if (!shared.flood) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        if (!started) {
            started = true;
            start = Clock::now();
        }
        const double part = std::chrono::duration<double>(Clock::now() - start) / shared.span;
        int due = packets;
        if (shared.window <= 0 || shared.evenToo)
            due = std::min(due, static_cast<int>(part * packets) + 1);
        if (shared.window > 0)
            due = static_cast<int>(std::min<uint64_t>(due, shared.serverReceived + shared.window));
        for (int i = shared.sent; i < due; ++i) {
            Forgery copy = forgeries[static_cast<size_t>(i) % forgeries.size()];
            const uint32_t id = nextId++;
            for (const int at : copy.idsAt)
                std::memcpy(copy.bytes.data() + at, &id, sizeof id);
            client->Send({NetDestination::Server, 0}, copy.bytes.data(), copy.bytes.size());
        }
        shared.sent = due;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// The server's frames for `span`, each of kGameFrameMs of game time started on its own
// tick of the clock, as a server keeps its pace (a frame that overruns its tick delays
// the next); the largest resident size seen goes into `largest`. Returns frames per
// second.
double ServeFrames(GameEngine& engine, Clock::duration span, size_t& largest)
{
    int frames = 0;
    const auto start = Clock::now();
    for (auto tick = start; Clock::now() - start < span; ++frames) {
        gEngine->UpdateFrame(kGameFrameMs);
        engine.Update(kGameFrameMs);
        if (frames % 8 == 0)
            largest = std::max(largest, ResidentBytes());
        tick = std::max(tick + std::chrono::milliseconds(kGameFrameMs), Clock::now());
        std::this_thread::sleep_until(tick);
    }
    return frames / std::chrono::duration<double>(Clock::now() - start).count();
}

// The game server of the hostile cases, for one run: the game on an ENet transport that
// listens on a free port, with the server's player and the merchant at the origin; the log
// is formatted, not printed. Everything is undone when it goes.
class FloodServer {
public:
    FloodServer()
    {
        InitializeObjects();
        m_previousLog = gEngine->SetLogSink([](const LogLine&) {});
        RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
        World::Get().AddRegion(1, "Arena");
        if ((enet = EnetTransport::Listen(0, error)))
            enet->SetGoodbyeWait(1000);
    }
    ~FloodServer()
    {
        UnregisterGamePacketDispatch();
        NetPacketRegistry::Get().SetHoldLimits(0, 0);
        ConnectionManager::Get().SetConnectionListener({});
        ConnectionManager::Get().SetTransport(nullptr);
        enet.reset();
        ShutdownObjects();
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
        gEngine->SetLogSink(m_previousLog);
    }
    FloodServer(const FloodServer&) = delete;
    FloodServer& operator=(const FloodServer&) = delete;

    // Starts the game on `transport` (the ENet one, or a case's own over it); false, with
    // the reason in `error`, when the server cannot listen or its characters are missing.
    bool Serve(NetTransport& transport)
    {
        if (!enet)
            return false;
        GameEngine* engine = gGameEngine;
        ConnectionManager::Get().SetTransport(&transport);
        engine->SetAsNetworkServer();
        RegisterGamePacketDispatch();
        NetPacketRegistry::Get().SetHoldLimits(kHoldTries, kHoldMs);
        ConnectionManager::Get().SetConnectionListener([engine](const NetConnectionEvent& event) {
            engine->HandleConnectionEvent(event);
            if (event.kind == NetConnectionEvent::Joined)
                SendWorldToHost(event.host, [](const Character&) {});
        });
        auto* player = ObjectManager::Get().CreateObjectFromFile<Player>(kArenaPlayerRecord, kServerPlayer);
        auto* merchant = ObjectManager::Get().CreateObjectFromFile<NpcMerchant>(kMerchantRecord, kMerchant);
        if (!player || !merchant) {
            error = "the bundled player or merchant is missing";
            return false;
        }
        World::Get().AddEntity(player, AtOrigin());
        World::Get().AddEntity(merchant, AtOrigin());
        player->SetIsControllingCharacter(true);
        engine->GetPlayerManagerClient()->SetMainPlayer(kServerPlayer);
        return true;
    }

    std::unique_ptr<EnetTransport> enet;
    std::string error;

private:
    LogSink m_previousLog;
};

void BM_NetFlood(benchmark::State& state)
{
    const auto flood = static_cast<Flood>(state.range(0));
    const FloodPlan& plan = kFloods[static_cast<size_t>(flood)];
    for (auto _ : state) {
        FloodServer game;
        if (!game.Serve(*game.enet)) {
            state.SkipWithError(game.error.c_str());
            return;
        }
        GameEngine* engine = gGameEngine;
        EnetTransport* server = game.enet.get();

        const std::vector<Forgery> forgeries = Forgeries(flood);
        if (forgeries.empty()) {
            state.SkipWithError("the flood's packets could not be made");
            return;
        }
        const std::vector<std::vector<unsigned char>> join = JoinPackets();
        FloodShared shared;
        std::thread flooder(RunFlooder, server->GetPort(), std::cref(join), std::cref(forgeries), plan.packets,
                            std::ref(shared));
        size_t largest = 0;
        for (const auto until = Clock::now() + kJoinLimit;
             !shared.failed && !ObjectManager::Get().GetObject(kFloodPlayer) && Clock::now() < until;)
            ServeFrames(*engine, std::chrono::milliseconds(1), largest);
        const bool joined = ObjectManager::Get().GetObject(kFloodPlayer) != nullptr;

        const double quietRate = ServeFrames(*engine, kQuietTime, largest);
        const size_t before = ResidentBytes();
        const EnetTransport::Stats atStart = server->GetStats();
        largest = before;
        shared.flood = true;
        const double floodRate = ServeFrames(*engine, kFloodTime, largest);
        const EnetTransport::Stats atEnd = server->GetStats();
        shared.done = true;
        flooder.join();

        const double growthMb = static_cast<double>(largest - before) / (1024.0 * 1024.0);
        const double rateKept = quietRate > 0 ? floodRate / quietRate : 0;
        state.counters["forged_sent"] = shared.sent.load();
        state.counters["forged_arrived"] = static_cast<double>(atEnd.packetsReceived - atStart.packetsReceived);
        state.counters["rss_growth_mb"] = growthMb;
        state.counters["fps_quiet"] = quietRate;
        state.counters["fps_flood"] = floodRate;
        state.counters["fps_kept"] = rateKept;
        std::string verdict = std::string(plan.name) + ": ";
        verdict += growthMb <= kMemoryLimitMb ? "memory kept" : "memory grew past 20 MB";
        verdict += rateKept >= kFrameRateFloor ? ", frame rate kept" : ", frame rate fell below half";
        state.SetLabel(verdict);
        if (shared.failed || !joined)
            state.SkipWithError("the flooding client did not join");
    }
}
BENCHMARK(BM_NetFlood)->DenseRange(kMixed, kFloodCount - 1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- The floods beside an honest client ----------------------------------------------------

// An honest client beside a flood: the game server of the hostile case, one client that
// joins and plays (a heartbeat every 16 ms), and beside it, one run for each: a client that
// sends its spawn image (200 items) again as fast as the server takes it in; a client that
// sends 4,096 mutations of the mixed forgeries (bytes changed, packets cut) as fast as
// that; and connections from another address (127.0.0.2) that hold every host number
// they can (their address's few) without joining, each one dropped connecting again at
// once, while the honest client connects. Two more floods come at an even pace beside a client that plays as a player
// does, a run every frame and a heartbeat every 900 ms: 2,000 heartbeats of the flooder's
// player, each naming 230 status skills of 250 bytes and a class tag of 4,000 (62 KB a
// packet, 200 a second), and 200,000 runs of the flooder's player (20,000 a second). The
// server keeps the pace of its frames, first quiet, then through the flood. Reported: how
// many of the honest client's heartbeats and runs it sent and the server's game took in
// (every one must arrive), how long the honest client took to connect (the connection
// flood: at most 5 s), and the server's frame rate in the flood against the quiet one (0.8
// at least in the release build, 0.5 under the sanitizers). The label says whether all held.
enum Beside : int { kBesideSpawn, kBesideFuzz, kBesideConnections, kBesideHeartbeats, kBesideRuns, kBesideCount };
constexpr int kBesideWindow = 1024;
constexpr int kBesideAll = std::numeric_limits<int>::max();
// Each run's flood: how many packets, sent as fast as the server takes them in (a window)
// or evenly over the flood's time (none); and whether the honest client plays (a run every
// frame, a heartbeat every 900 ms) or only beats every frame.
struct BesidePlan {
    const char* name;
    int packets;
    int window;
    bool honestPlays;
};
constexpr std::array<BesidePlan, kBesideCount> kBesidePlans{{
    {"spawns", kBesideAll, kBesideWindow, false},
    {"fuzzer", kBesideAll, kBesideWindow, false},
    {"connections", 0, 0, false},
    {"heartbeats", 2000, 0, true},
    {"runs", 200000, 0, true},
}};
constexpr int kHonestBeatFrames = 900 / kGameFrameMs;
constexpr int kForgedStatusSkills = 230;
constexpr size_t kForgedSkillNameBytes = 250;
constexpr size_t kForgedClassTagBytes = 4000;
constexpr int kFuzzVariants = 4096;
constexpr auto kHonestDrain = std::chrono::seconds(5);
constexpr double kJoinLimitMs = 5000;
constexpr int kSquatters = kClients;

// The mixed forgeries changed as a fuzzer changes its inputs: a few bytes after the type
// set to random values, and one in four cut short.
std::vector<Forgery> FuzzForgeries()
{
    const std::vector<Forgery> seeds = MixedForgeries();
    std::vector<Forgery> all;
    uint32_t state = 0x2545F491u;
    const auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    for (int i = 0; i < kFuzzVariants; ++i) {
        Forgery variant{seeds[static_cast<size_t>(i) % seeds.size()].bytes};
        for (uint32_t changes = 1 + next() % 4; changes > 0 && variant.bytes.size() > 2; --changes)
            variant.bytes[2 + next() % (variant.bytes.size() - 2)] = static_cast<unsigned char>(next());
        if (next() % 4 == 0 && variant.bytes.size() > 2)
            variant.bytes.resize(2 + next() % (variant.bytes.size() - 2));
        all.push_back(std::move(variant));
    }
    return all;
}

// A run of `player` from the origin to `x` along the region's first axis.
std::vector<unsigned char> RunBytes(uint32_t player, float x)
{
    MoveToPacket run;
    run.characterId = player;
    run.startLocation = WorldVec3(World::Get().GetRegionById(1), Vec3(0, 0, 0));
    run.worldLocation = WorldVec3(World::Get().GetRegionById(1), Vec3(x, 0, 0));
    run.speed = 1.0f;
    return BytesOf(run);
}

// A heartbeat of the flooder's player naming status skills it never had, each name as
// long as a name may nearly be, and a class tag no class has.
Forgery HeavyHeartbeat()
{
    SinglePlayerHeartbeatPacket beat;
    beat.info.playerId = kFloodPlayer;
    beat.info.maxLife = beat.info.life = 300.0f;
    beat.info.classTag = "tag" + std::string(kForgedClassTagBytes - 3, 'Q');
    const std::string prefix = "Records/Skills/", suffix = ".dbr";
    for (int i = 0; i < kForgedStatusSkills; ++i)
        beat.info.statusSkills.push_back(
            prefix + std::string(kForgedSkillNameBytes - prefix.size() - suffix.size(), static_cast<char>('a' + i % 26)) +
            suffix);
    return {BytesOf(beat)};
}

std::vector<Forgery> BesideForgeries(Beside kind)
{
    switch (kind) {
    case kBesideSpawn: return SpawnForgeries();
    case kBesideFuzz: return FuzzForgeries();
    case kBesideHeartbeats: return {HeavyHeartbeat()};
    case kBesideRuns: return {{RunBytes(kFloodPlayer, 3.0f)}, {RunBytes(kFloodPlayer, -3.0f)}};
    default: return {};
    }
}

struct HonestShared {
    std::atomic<bool> start{false}, sending{true}, done{false}, failed{false};
    std::atomic<int> host{-1};
    std::atomic<uint32_t> sent{0};
    std::atomic<int64_t> connectMs{-1};
};

// The honest client: once told to start, connects (timed), joins with the packets made for
// the number it was given, and until told to stop sends every 16 ms its heartbeat or, when
// it has runs, a run, with a heartbeat every 900 ms.
void RunHonest(uint16_t port, const std::vector<HonestPackets>& byHost, HonestShared& shared)
{
    while (!shared.start && !shared.done)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto began = Clock::now();
    std::string error;
    auto client = shared.done ? nullptr : EnetTransport::Connect("127.0.0.1", port, 60000, error);
    if (!client) {
        shared.failed = true;
        return;
    }
    shared.connectMs = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - began).count();
    shared.host = client->GetLocalHost();
    const HonestPackets& mine = byHost[static_cast<size_t>(client->GetLocalHost())];
    for (const auto& bytes : mine.join)
        client->Send({NetDestination::Server, 0}, bytes.data(), bytes.size());
    const std::vector<unsigned char>& beat = mine.join.back();   // the join ends with its first
    shared.sent = 1;
    int from = 0;
    std::vector<unsigned char> received;
    const auto send = [&](const std::vector<unsigned char>& bytes) {
        client->Send({NetDestination::Server, 0}, bytes.data(), bytes.size());
        ++shared.sent;
    };
    size_t frame = 0;
    for (auto tick = Clock::now(); !shared.done; tick += std::chrono::milliseconds(kGameFrameMs), ++frame) {
        client->Service();
        while (client->Receive(from, received)) {
        }
        if (shared.sending && mine.runs.empty()) {
            send(beat);
        } else if (shared.sending) {
            send(mine.runs[frame % mine.runs.size()]);
            if (frame % kHonestBeatFrames == 0)
                send(beat);
        }
        std::this_thread::sleep_until(tick + std::chrono::milliseconds(kGameFrameMs));
    }
}

struct SquatShared {
    std::atomic<bool> done{false};
    std::atomic<int> holding{0};
    std::atomic<int> renewed{0};
};

// Connections from 127.0.0.2 that never answer the number they are offered; each one the
// server drops connects again at once.
void RunSquatters(uint16_t port, SquatShared& shared)
{
    ENetHost* host = MakeRawHost("127.0.0.2", kSquatters);
    if (!host)
        return;
    for (int i = 0; i < kSquatters; ++i)
        ConnectRaw(host, port);
    while (!shared.done) {
        ENetEvent event;
        if (enet_host_service(host, &event, 1) <= 0)
            continue;
        if (event.type == ENET_EVENT_TYPE_RECEIVE) {
            if (event.channelID == 1 && event.packet->dataLength == 2 && event.packet->data[0] == 1 && !event.peer->data) {
                event.peer->data = event.peer;   // offered a number: it holds one
                ++shared.holding;
            }
            enet_packet_destroy(event.packet);
        } else if (event.type == ENET_EVENT_TYPE_DISCONNECT) {
            shared.holding -= event.peer->data != nullptr;
            event.peer->data = nullptr;
            ConnectRaw(host, port);
            ++shared.renewed;
        }
    }
    enet_host_destroy(host);
}

// The server's transport, counting the heartbeats and runs the game takes in from each
// client and telling a flooding client how much it has received.
class HonestCountingTransport : public CountingServerTransport {
public:
    HonestCountingTransport(EnetTransport& inner, FloodShared& flood) : CountingServerTransport(inner), m_enet(inner), m_flood(flood) {}
    void Service() override
    {
        CountingServerTransport::Service();
        m_flood.serverReceived = m_enet.GetStats().packetsReceived;
    }
    bool Receive(int& fromHost, std::vector<unsigned char>& bytes) override
    {
        if (!CountingServerTransport::Receive(fromHost, bytes))
            return false;
        NetPacketType type = 0;
        if (fromHost > 0 && fromHost < kHosts && NetPacketRegistry::PeekType(bytes.data(), bytes.size(), type) &&
            (type == SinglePlayerHeartbeatPacket::kType || type == MoveToPacket::kType))
            ++taken[static_cast<size_t>(fromHost)];
        return true;
    }

    std::array<uint32_t, kHosts> taken{};

private:
    EnetTransport& m_enet;
    FloodShared& m_flood;
};

// Ends a run beside the honest client: once the flood is told to stop, the server serves
// until the flooder's thread has ended (its goodbye waits for the server's answer) and the
// other threads are joined; then the honest client stops sending and the server serves until
// all it sent has arrived (at most kHonestDrain), and the honest client ends. Returns how
// much of the honest client's sending has arrived, counted by `taken` for its host number.
using ServeUntil = std::function<bool(const std::function<bool()>&, Clock::duration)>;
std::function<uint32_t()> EndBeside(const ServeUntil& serveUntil, const std::atomic<bool>& flooderEnded,
                                    std::initializer_list<std::thread*> threads, HonestShared& honest,
                                    std::thread& honestThread, std::function<uint32_t(size_t)> taken)
{
    serveUntil([&] { return flooderEnded.load(); }, std::chrono::seconds(60));
    for (std::thread* thread : threads)
        if (thread->joinable())
            thread->join();
    honest.sending = false;
    const int host = honest.host;
    const auto arrived = [host, taken = std::move(taken)] { return host > 0 ? taken(static_cast<size_t>(host)) : 0u; };
    serveUntil([&] { return honest.failed || arrived() >= honest.sent; }, kHonestDrain);
    honest.done = true;
    if (honestThread.joinable())
        honestThread.join();
    return arrived;
}

void BM_NetFloodBeside(benchmark::State& state)
{
    const auto kind = static_cast<Beside>(state.range(0));
    const BesidePlan& plan = kBesidePlans[static_cast<size_t>(kind)];
    for (auto _ : state) {
        FloodServer game;
        FloodShared flood;
        flood.window = plan.window;
        std::optional<HonestCountingTransport> counting;
        if (game.enet)
            counting.emplace(*game.enet, flood);
        if (!counting || !game.Serve(*counting)) {
            state.SkipWithError(game.error.c_str());
            return;
        }
        GameEngine* engine = gGameEngine;
        EnetTransport* server = game.enet.get();
        HonestCountingTransport& transport = *counting;

        // What the honest client sends, for whichever number it is given.
        std::vector<HonestPackets> honestByHost(kHosts);
        for (int host = 1; host < kHosts; ++host) {
            const uint32_t player = (static_cast<uint32_t>(host) << ConnectionManager::kPlayerIdShift) | 1u;
            HonestPackets& packets = honestByHost[static_cast<size_t>(host)];
            packets.join = JoinPackets(player);
            if (plan.honestPlays)
                packets.runs = {RunBytes(player, 2.0f), RunBytes(player, -2.0f)};
        }
        const std::vector<Forgery> forgeries = BesideForgeries(kind);
        if (kind != kBesideConnections &&
            (forgeries.empty() || std::any_of(forgeries.begin(), forgeries.end(), [](const Forgery& f) { return f.bytes.empty(); }))) {
            state.SkipWithError("the flood's packets could not be made");
            return;
        }
        const std::vector<std::vector<unsigned char>> floodJoin = JoinPackets();
        size_t largest = 0;
        const auto serveUntil = [&](const std::function<bool()>& done, Clock::duration limit) {
            for (const auto until = Clock::now() + limit; !done() && Clock::now() < until;)
                ServeFrames(*engine, std::chrono::milliseconds(1), largest);
            return done();
        };
        const auto honestIn = [] (const HonestShared& honest) {
            const int host = honest.host;
            return host > 0 && ObjectManager::Get().GetObject((static_cast<uint32_t>(host) << ConnectionManager::kPlayerIdShift) | 1u);
        };

        HonestShared honest;
        SquatShared squat;
        std::thread honestThread(RunHonest, server->GetPort(), std::cref(honestByHost), std::ref(honest));
        std::thread flooder, squatters;
        bool ready = true;
        std::atomic<bool> flooderEnded{kind == kBesideConnections};
        if (kind != kBesideConnections) {
            // Its goodbye waits for the server's answer: the server serves until it has ended.
            flooder = std::thread([&] {
                RunFlooder(server->GetPort(), floodJoin, forgeries, plan.packets, flood);
                flooderEnded = true;
            });
            ready = serveUntil([&] { return flood.failed || ObjectManager::Get().GetObject(kFloodPlayer); }, kJoinLimit);
            honest.start = true;
            ready = ready && serveUntil([&] { return honest.failed || honestIn(honest); }, kJoinLimit);
        }
        const double quietRate = ServeFrames(*engine, kQuietTime, largest);
        if (kind == kBesideConnections) {
            squatters = std::thread(RunSquatters, server->GetPort(), std::ref(squat));
            ready = serveUntil([&] { return squat.holding == EnetTransport::kPendingPerAddress; }, kJoinLimit);
            honest.start = true;
        }
        flood.flood = true;
        const uint32_t forgedBefore = transport.taken[kFloodHost];
        const double floodRate = ServeFrames(*engine, kFloodTime, largest);
        const uint32_t forgedTaken = transport.taken[kFloodHost] - forgedBefore;   // its heartbeats and runs
        flood.done = squat.done = true;
        const auto arrived = EndBeside(serveUntil, flooderEnded, {&flooder, &squatters}, honest, honestThread,
                                       [&](size_t host) { return transport.taken[host]; });

        const double rateKept = quietRate > 0 ? floodRate / quietRate : 0;
        const bool allArrived = !honest.failed && honest.sent > 0 && arrived() == honest.sent;
        state.counters["honest_sent"] = honest.sent.load();
        state.counters["honest_arrived"] = arrived();
        state.counters["honest_connect_ms"] = static_cast<double>(honest.connectMs.load());
        state.counters["forged_sent"] = flood.sent.load();
        if (plan.honestPlays)
            state.counters["forged_taken_in_flood"] = forgedTaken;
        state.counters["squatters_renewed"] = squat.renewed.load();
        state.counters["fps_quiet"] = quietRate;
        state.counters["fps_flood"] = floodRate;
        state.counters["fps_kept"] = rateKept;
        std::string verdict = std::string(plan.name) + ": ";
        verdict += allArrived ? "every honest packet arrived" : "honest packets lost";
        if (kind == kBesideConnections)
            verdict += honest.connectMs >= 0 && honest.connectMs <= kJoinLimitMs ? ", honest client in within 5 s"
                                                                               : ", honest client kept out";
        char kept[48];
        std::snprintf(kept, sizeof kept, ", frame rate kept %.2f", rateKept);
        state.SetLabel(verdict + kept);
        if (!ready)
            state.SkipWithError("the flood or the honest client did not start");
    }
}
BENCHMARK(BM_NetFloodBeside)->DenseRange(kBesideSpawn, kBesideCount - 1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace GAME
