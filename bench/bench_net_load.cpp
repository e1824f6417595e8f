// A load run of the network transport: one server and 15 clients on loopback, each client
// on a thread of its own, for a few seconds at 30 frames a second. Every frame a client
// sends the server a small and a larger game-sized packet (a heartbeat, a movement); the
// server sends every client a world update and passes each client's packets on to the
// other clients, as the game does with what one player does. Every packet carries its
// first sender and a sequence number, so each receiver checks that nothing was lost or
// came out of order. Reported: the server's frame time (mean and worst), bytes and
// packets per second into and out of the server, and the lost and reordered counts,
// which must be 0.
//
// The hostile case: a game server (the host's received-packet table over the real game)
// with one client that joins as a player would and then forges 200,000 packets of mixed
// kinds in 10 s: bonuses of absurd amounts and of no number, creations of monsters and
// items each under a new id, skill results against the server's player, purchases past
// the stock, uninvited party joins, heartbeats of no number, market requests, chat with
// terminal escapes, unknown types and packets cut short. The server keeps the pace of its
// frames (16 ms), first for a few seconds with the client quiet, then through the flood.
// Reported: the growth of its resident memory from the quiet frames' end to the largest
// seen in the flood (it must stay within 20 MB), its frame rate in the flood against the
// quiet one (it must keep half), and how many forgeries arrived. The label says whether
// the server kept both bounds.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <thread>
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
#include "Game/network/ConfigCmdPackets.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/network/GoldBonusPartyPackets.h"
#include "Game/network/ItemTradePackets.h"
#include "Game/network/PlayerRosterPackets.h"
#include "host/HostDispatch.h"
#include "host/HostReplication.h"

namespace GAME {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kClients = EnetTransport::kMaxClients;
constexpr int kHosts = kClients + 1;
constexpr auto kFrame = std::chrono::microseconds(33333);
constexpr auto kSending = std::chrono::seconds(3);
constexpr auto kDrainLimit = std::chrono::seconds(3);
constexpr size_t kHeartbeatSize = 48;
constexpr size_t kMoveSize = 160;
constexpr size_t kWorldUpdateSize = 600;

// A packet: its first sender's host number, its sequence number in that sender's stream,
// then filler up to `size`.
std::vector<unsigned char> Packet(uint8_t origin, uint32_t sequence, size_t size)
{
    std::vector<unsigned char> bytes(size, 0x5A);
    bytes[0] = origin;
    std::memcpy(bytes.data() + 1, &sequence, sizeof sequence);
    return bytes;
}

// What one receiver has seen of each sender's stream.
struct StreamCheck {
    std::array<uint32_t, kHosts> next{};
    uint64_t reordered = 0;
    uint64_t malformed = 0;

    void See(const std::vector<unsigned char>& bytes)
    {
        if (bytes.size() < 5 || bytes[0] >= kHosts) {
            ++malformed;
            return;
        }
        uint32_t sequence;
        std::memcpy(&sequence, bytes.data() + 1, sizeof sequence);
        if (sequence != next[bytes[0]])
            ++reordered;
        next[bytes[0]] = sequence + 1;
    }
};

struct Shared {
    std::atomic<bool> sending{true};   // false once the sending time is over
    std::atomic<bool> done{false};     // the clients must stop, seen all or not
    std::array<std::atomic<uint32_t>, kHosts> sent{};   // packets each host began, once sending is over
    std::atomic<int> sendingOver{0};   // clients that have published their count
    std::atomic<int> finished{0};      // clients that have seen everything (or never joined)
    std::atomic<uint64_t> lost{0}, reordered{0}, malformed{0}, connectFailures{0};
};

void RunClient(uint16_t port, Shared& shared)
{
    std::string error;
    auto client = EnetTransport::Connect("127.0.0.1", port, 5000, error);
    if (!client) {
        ++shared.connectFailures;
        ++shared.sendingOver;
        ++shared.finished;
        return;
    }
    const auto me = static_cast<uint8_t>(client->GetLocalHost());
    StreamCheck check;
    uint32_t sequence = 0;
    bool published = false;
    int from = 0;
    std::vector<unsigned char> bytes;
    // Every other host's stream has arrived up to where its sender stopped.
    auto complete = [&] {
        if (shared.sending || shared.sendingOver != kClients)
            return false;
        for (int host = 0; host < kHosts; ++host)
            if (host != me && check.next[host] < shared.sent[host])
                return false;
        return true;
    };
    for (auto frame = Clock::now(); !shared.done && !complete(); frame += kFrame) {
        client->Service();
        while (client->Receive(from, bytes))
            check.See(bytes);
        if (shared.sending) {
            for (size_t size : {kHeartbeatSize, kMoveSize}) {
                const auto packet = Packet(me, sequence++, size);
                client->Send({NetDestination::Server, 0}, packet.data(), packet.size());
            }
        } else if (!published) {
            shared.sent[me] = sequence;
            published = true;
            ++shared.sendingOver;
        }
        std::this_thread::sleep_until(frame + kFrame);
    }
    ++shared.finished;
    for (int host = 0; host < kHosts; ++host) {
        const uint32_t expected = host == me ? 0 : shared.sent[host].load();
        if (check.next[host] < expected)
            shared.lost += expected - check.next[host];
    }
    shared.reordered += check.reordered;
    shared.malformed += check.malformed;
}

void BM_NetLoad(benchmark::State& state)
{
    for (auto _ : state) {
        std::string error;
        auto server = EnetTransport::Listen(0, error);
        if (!server) {
            state.SkipWithError(error.c_str());
            return;
        }
        Shared shared;
        std::vector<std::thread> clients;
        for (int i = 0; i < kClients; ++i)
            clients.emplace_back(RunClient, server->GetPort(), std::ref(shared));

        // Serve until every client has joined, before the clock starts.
        int joined = 0;
        for (auto until = Clock::now() + std::chrono::seconds(10); joined < kClients && Clock::now() < until;) {
            server->Service();
            for (NetConnectionEvent event; server->PollConnectionEvent(event);)
                joined += event.kind == NetConnectionEvent::Joined;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }

        StreamCheck check;
        uint32_t sequence = 0;
        double frameTotal = 0, frameWorst = 0;
        int frames = 0;
        int from = 0;
        std::vector<unsigned char> bytes;
        EnetTransport::Stats atStop;
        const EnetTransport::Stats before = server->GetStats();
        const auto start = Clock::now();
        const auto stop = start + kSending;
        const auto drainUntil = stop + kDrainLimit;
        for (auto frame = start; shared.finished < kClients && Clock::now() < drainUntil; frame += kFrame) {
            const auto began = Clock::now();
            server->Service();
            while (server->Receive(from, bytes)) {
                check.See(bytes);
                server->Send({NetDestination::OtherClients, from}, bytes.data(), bytes.size());
            }
            if (began < stop) {
                const auto update = Packet(0, sequence++, kWorldUpdateSize);
                server->Send({NetDestination::AllClients, -1}, update.data(), update.size());
                const double ms = std::chrono::duration<double, std::milli>(Clock::now() - began).count();
                frameTotal += ms;
                frameWorst = std::max(frameWorst, ms);
                ++frames;
            } else if (shared.sending) {
                atStop = server->GetStats();
                shared.sent[0] = sequence;
                shared.sending = false;
            }
            std::this_thread::sleep_until(frame + kFrame);
        }
        shared.done = true;
        for (std::thread& client : clients)
            client.join();
        for (int host = 1; host < kHosts; ++host)
            if (check.next[host] < shared.sent[host])
                shared.lost += shared.sent[host] - check.next[host];
        const EnetTransport::Stats& after = atStop;

        const double seconds = std::chrono::duration<double>(stop - start).count();
        state.counters["clients"] = joined;
        state.counters["frame_ms_mean"] = frames ? frameTotal / frames : 0;
        state.counters["frame_ms_worst"] = frameWorst;
        state.counters["in_bytes_per_s"] = static_cast<double>(after.bytesReceived - before.bytesReceived) / seconds;
        state.counters["in_packets_per_s"] = static_cast<double>(after.packetsReceived - before.packetsReceived) / seconds;
        state.counters["out_bytes_per_s"] = static_cast<double>(after.bytesSent - before.bytesSent) / seconds;
        state.counters["out_packets_per_s"] = static_cast<double>(after.packetsSent - before.packetsSent) / seconds;
        state.counters["lost"] = static_cast<double>(shared.lost.load());
        state.counters["reordered"] = static_cast<double>(shared.reordered + check.reordered);
        state.counters["malformed"] = static_cast<double>(shared.malformed + check.malformed);
        if (shared.connectFailures || joined != kClients || shared.lost || shared.reordered || check.reordered)
            state.SkipWithError("a client did not join, or a reliable packet was lost or reordered");
    }
}
BENCHMARK(BM_NetLoad)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- The hostile case ---------------------------------------------------------------------

constexpr int kForgedPackets = 200000;
constexpr auto kFloodTime = std::chrono::seconds(10);
constexpr auto kQuietTime = std::chrono::seconds(3);
constexpr auto kJoinLimit = std::chrono::seconds(10);
constexpr double kMemoryLimitMb = 20.0;
constexpr double kFrameRateFloor = 0.5;
constexpr int kGameFrameMs = 16;
constexpr int kFloodHost = 1;
constexpr uint32_t kServerPlayer = 0x00000100;
constexpr uint32_t kFloodPlayer = (uint32_t{kFloodHost} << ConnectionManager::kPlayerIdShift) | 1u;
constexpr uint32_t kMerchant = 0x0FFFFE30;
// The host program's patience with packets that name objects not there yet.
constexpr int kHoldTries = 120;
constexpr int kHoldMs = 3000;
constexpr const char* kPlayerRecord = "Records/Creatures/ArenaPlayer.dbr";
constexpr const char* kMerchantRecord = "Records/Creatures/Merchant.dbr";

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

// A forged packet's bytes; where `idAt` is set, each copy sent carries a new object id of
// the client's own there (a u32, little-endian), so that every creation names a new object.
struct Forgery {
    std::vector<unsigned char> bytes;
    int idAt = -1;
};

std::vector<unsigned char> BytesOf(NetPacket& packet)
{
    const uint32_t size = packet.PrepareOutBuffer();
    return {packet.GetOutBuffer(), packet.GetOutBuffer() + size};
}

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
    for (size_t i = 0; i < forgery.bytes.size() && i < other.size() && forgery.idAt < 0; ++i)
        if (forgery.bytes[i] != other[i])
            forgery.idAt = static_cast<int>(i) - 1;   // the ids differ in their second byte
    return forgery;
}

template <class P, class Fill>
Forgery Plain(Fill fill)
{
    P packet;
    fill(packet);
    return {BytesOf(packet)};
}

WorldCoords AtOrigin()
{
    return WorldCoords(World::Get().GetRegionById(1), Coords());
}

std::vector<Forgery> Forgeries()
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

// The joining client's first packets: its roster record and its player's spawn, made
// from a player built here for the purpose and then destroyed again.
std::vector<std::vector<unsigned char>> JoinPackets()
{
    std::vector<std::vector<unsigned char>> packets;
    SinglePlayerBasicInfoPacket join;
    join.info.playerId = kFloodPlayer;
    join.info.playerName = u"Flood";
    join.info.maxLife = join.info.life = 300.0f;
    packets.push_back(BytesOf(join));
    if (auto* player = ObjectManager::Get().CreateObjectFromFile<Player>(kPlayerRecord, kFloodPlayer)) {
        World::Get().AddEntity(player, AtOrigin());
        if (std::unique_ptr<SpawnPlayerPacket> spawn = MakeSpawnPacket(*player))
            packets.push_back(BytesOf(*spawn));
        ObjectManager::Get().DestroyObjectEx(player, __FILE__, __LINE__);
        ObjectManager::Get().FlushDestroyedObjects();
    }
    return packets;
}

struct FloodShared {
    std::atomic<bool> joined{false}, flood{false}, done{false};
    std::atomic<int> sent{0};
    std::atomic<bool> failed{false};
};

// The hostile client: joins, waits for the word, then sends the forgeries in turn at an
// even pace until all are sent, and keeps its connection serviced until the end.
void RunFlooder(uint16_t port, const std::vector<std::vector<unsigned char>>& join,
                const std::vector<Forgery>& forgeries, FloodShared& shared)
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
        const double part = std::chrono::duration<double>(Clock::now() - start) / kFloodTime;
        const int due = std::min(kForgedPackets, static_cast<int>(part * kForgedPackets) + 1);
        for (int i = shared.sent; i < due; ++i) {
            Forgery copy = forgeries[static_cast<size_t>(i) % forgeries.size()];
            if (copy.idAt >= 0) {
                const uint32_t id = nextId++;
                std::memcpy(copy.bytes.data() + copy.idAt, &id, sizeof id);
            }
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

void BM_NetFlood(benchmark::State& state)
{
    for (auto _ : state) {
        InitializeObjects();
        GameEngine* engine = gGameEngine;
        const LogSink previousLog = gEngine->SetLogSink([](const LogLine&) {});   // formatted, not printed
        RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
        World::Get().AddRegion(1, "Arena");
        std::string error;
        auto server = EnetTransport::Listen(0, error);
        if (!server) {
            state.SkipWithError(error.c_str());
            return;
        }
        server->SetGoodbyeWait(1000);
        ConnectionManager::Get().SetTransport(server.get());
        engine->SetAsNetworkServer();
        RegisterHostDispatch();
        NetPacketRegistry::Get().SetHoldLimits(kHoldTries, kHoldMs);
        ConnectionManager::Get().SetConnectionListener([engine](const NetConnectionEvent& event) {
            engine->HandleConnectionEvent(event);
            if (event.kind == NetConnectionEvent::Joined)
                SendWorldToHost(event.host, [](const Character&) {});
        });
        auto* player = ObjectManager::Get().CreateObjectFromFile<Player>(kPlayerRecord, kServerPlayer);
        auto* merchant = ObjectManager::Get().CreateObjectFromFile<NpcMerchant>(kMerchantRecord, kMerchant);
        if (!player || !merchant) {
            state.SkipWithError("the bundled player or merchant is missing");
            return;
        }
        World::Get().AddEntity(player, AtOrigin());
        World::Get().AddEntity(merchant, AtOrigin());
        player->SetIsControllingCharacter(true);
        engine->GetPlayerManagerClient()->SetMainPlayer(kServerPlayer);

        const std::vector<Forgery> forgeries = Forgeries();
        const std::vector<std::vector<unsigned char>> join = JoinPackets();
        FloodShared shared;
        std::thread flooder(RunFlooder, server->GetPort(), std::cref(join), std::cref(forgeries), std::ref(shared));
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
        std::string verdict = growthMb <= kMemoryLimitMb ? "memory kept" : "memory grew past 20 MB";
        verdict += rateKept >= kFrameRateFloor ? ", frame rate kept" : ", frame rate fell below half";
        state.SetLabel(verdict);

        UnregisterHostDispatch();
        NetPacketRegistry::Get().SetHoldLimits(0, 0);
        ConnectionManager::Get().SetConnectionListener({});
        ConnectionManager::Get().SetTransport(nullptr);
        server.reset();
        ShutdownObjects();
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
        gEngine->SetLogSink(previousLog);
        if (shared.failed || !joined)
            state.SkipWithError("the flooding client did not join");
    }
}
BENCHMARK(BM_NetFlood)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace GAME
