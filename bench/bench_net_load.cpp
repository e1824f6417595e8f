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
// The level case: the game itself on 16 hosts, each its own process over loopback. The
// server plays bench/BenchLevel.h's village and road (4 players against 500 monsters) at
// a frame every 16 ms; 15 client processes each join with a player of their own, take the
// server's world and run their frames at the same pace, applying what the server
// replicates. Once every client's player has arrived, the server's frames are timed for
// 20 s. Each side counts the packets: the server those it sent each client by the end of
// each frame, a client those it has taken in by the end of each of its frames; a client is
// behind by the time from the server's frame that sent a packet to the client's frame that
// applied it. Reported: the server's frame (wall time: mean, 99th percentile, worst; and
// its processor time, as the machine is shared), the clients' frame processor time, and for each
// client the worst and mean time behind (in ms; 16 is one frame), with the packets a
// client never applied, which must be 0.
#include <benchmark/benchmark.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Engine/EnetTransport.h"
#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/session/GamePacketDispatch.h"
#include "Game/session/SpawnReplication.h"
#include "Game/core/foundation/Filters.h"

#include "BenchLevel.h"
#include "NetBenchRig.h"

namespace GAME {
namespace {

using namespace bench;

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
    // All from one address, which joins only a few at a time (until they play): the rest
    // wait for their turn.
    std::string error;
    auto client = EnetTransport::Connect("127.0.0.1", port, 10000, error);
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

        // Serve until every client has joined, before the clock starts. Each plays, as a
        // game's client does once its player stands in the world and beats: the server
        // hears it beat every frame (once its world arrived, a beat makes it play).
        int joined = 0;
        std::vector<int> hosts;
        const auto beat = [&] {
            for (int host : hosts) {
                server->ConfirmInWorld(host);
                server->ConfirmJoined(host);
            }
        };
        for (auto until = Clock::now() + std::chrono::seconds(20); joined < kClients && Clock::now() < until;) {
            server->Service();
            for (NetConnectionEvent event; server->PollConnectionEvent(event);)
                if (event.kind == NetConnectionEvent::Joined) {
                    ++joined;
                    hosts.push_back(event.host);
                }
            beat();
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
            beat();
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

// ---- The level case -----------------------------------------------------------------------

constexpr auto kLevelWindow = std::chrono::seconds(20);
constexpr auto kLevelDrain = std::chrono::seconds(2);
// After the last player arrives the clients take in the rest of the world before timing.
constexpr auto kLevelSettle = std::chrono::seconds(3);
constexpr auto kLevelJoinLimit = std::chrono::seconds(90);
constexpr int kLevelMaxServerFrames = 2000;    // the window's 1,250 and room to spare
constexpr int kLevelMaxClientFrames = 12000;   // the join, the window and the drain
constexpr uint32_t kGuestRegion = 1;

double NowMs()
{
    return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

// The processor time this thread has had: on a loaded machine a frame's wall time also
// holds the time other processes had the core.
double ThreadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// What one client writes of its frames: when each ended and how many of the server's
// packets it had applied by then.
struct ClientLog {
    std::atomic<int> frames{0};
    std::atomic<int> host{-1};
    double frameCpuMs = 0;   // over every frame logged
    double endedMs[kLevelMaxClientFrames];
    uint32_t applied[kLevelMaxClientFrames];
};

// Shared by the server and its client processes (an anonymous shared mapping made before
// the fork): steady_clock is the system's monotonic clock, the same in every process.
struct LevelShared {
    std::atomic<int> port{0};       // the server listens: clients may connect
    std::atomic<bool> stop{false};  // the clients end their games
    int serverFrames = 0;
    double serverEndedMs[kLevelMaxServerFrames];
    uint32_t sentTo[kLevelMaxServerFrames][kHosts];
    ClientLog clients[kClients];
};

// A client's transport as the game uses it, counting what the game takes in (and, under a
// server's game, what the server takes in).
class CountingClientTransport : public NetTransport {
public:
    explicit CountingClientTransport(NetTransport& inner) : m_inner(inner) {}
    void Service() override { m_inner.Service(); }
    bool PollConnectionEvent(NetConnectionEvent& event) override { return m_inner.PollConnectionEvent(event); }
    void Send(const NetDestination& to, const unsigned char* data, size_t size) override { m_inner.Send(to, data, size); }
    bool Receive(int& fromHost, std::vector<unsigned char>& bytes) override
    {
        if (!m_inner.Receive(fromHost, bytes))
            return false;
        ++applied;
        return true;
    }
    void Disconnect(int host, const std::string& reason) override { m_inner.Disconnect(host, reason); }
    bool IsConnected(int host) const override { return m_inner.IsConnected(host); }
    void ConfirmJoined(int host) override { m_inner.ConfirmJoined(host); }
    void ConfirmInWorld(int host) override { m_inner.ConfirmInWorld(host); }

    uint32_t applied = 0;

private:
    NetTransport& m_inner;
};

// One client process: joins, plays its frames at the server's pace until told to stop,
// and ends without returning (the benchmark's process is the server's).
[[noreturn]] void RunLevelClient(LevelShared& shared, int slot)
{
    gEngine->SetLogSink([](const LogLine&) {});
    while (shared.port == 0 && !shared.stop)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::string error;
    auto enet = shared.stop ? nullptr
                            : EnetTransport::Connect("127.0.0.1", static_cast<uint16_t>(shared.port.load()), 60000, error);
    if (!enet)
        _exit(1);
    ClientLog& log = shared.clients[slot];
    log.host = enet->GetLocalHost();
    // The host number first, so that every object made here has an id of this host's range.
    ConnectionManager::Get().SetLocalHostId(enet->GetLocalHost());
    CountingClientTransport transport(*enet);
    ConnectionManager::Get().SetTransport(&transport);
    RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
    InitializeObjects();
    RegisterGamePacketDispatch();
    GameEngine& engine = *gGameEngine;
    engine.SetAsNetworkClient();
    engine.SetGameLoading(false);
    NetPacketRegistry::Get().SetHoldLimits(kHoldTries, kHoldMs);
    ConnectionManager::Get().SetConnectionListener(
        [&engine](const NetConnectionEvent& event) { engine.HandleConnectionEvent(event); });
    Region* region = World::Get().AddRegion(kGuestRegion, "Village");
    // The player waits in the village, away from the road's monsters.
    const Vec3 where(-10.0f - static_cast<float>(slot), 0.0f, 10.0f);
    auto* player = ObjectManager::Get().CreateObjectFromFile<Player>(kPlayerRecord);
    if (!player || !World::Get().AddEntity(player, WorldCoords(region, Coords::MakeTranslation(where))))
        _exit(1);
    player->SetPathPosition(WorldVec3(region, where));
    player->SetIsControllingCharacter(true);
    player->GetCharacterBio().InitialUpdate(*player);
    player->GetCharacterBio().Update(*player, 0);
    const uint32_t playerId = player->GetObjectId();
    // Once the server's world has arrived, this player goes to every peer.
    SetSpawnObservers({}, [playerId] {
        if (auto* self = ObjectManager::Get().GetObject<Player>(playerId))
            if (std::unique_ptr<SpawnPlayerPacket> packet = MakeSpawnPacket(*self))
                ConnectionManager::Get().SendToServer(*packet);
    });
    engine.GetPlayerManagerClient()->SetMainPlayer(playerId);
    engine.SetPlayer(player);
    InterpenetrationManager crowding;
    for (auto tick = Clock::now(); !shared.stop;) {
        const double cpu = ThreadCpuMs();
        engine.Update(bench::kLevelFrameMs);
        gEngine->UpdateFrame(bench::kLevelFrameMs);
        engine.GetCamera().Update();
        crowding.FixupCharacterCollisions(engine.GetCamera());
        const int frame = log.frames;
        if (frame < kLevelMaxClientFrames) {
            log.frameCpuMs += ThreadCpuMs() - cpu;
            log.endedMs[frame] = NowMs();
            log.applied[frame] = transport.applied;
            log.frames = frame + 1;
        }
        tick = std::max(tick + std::chrono::milliseconds(bench::kLevelFrameMs), Clock::now());
        std::this_thread::sleep_until(tick);
    }
    _exit(0);
}

// How far one client was behind: for each server frame of the window that sent it
// something, the time from that frame's end to the end of the client's frame by which it
// had applied as many packets. Packets it never applied are counted apart.
struct Behind {
    double worstMs = 0;
    double totalMs = 0;
    int samples = 0;
    uint32_t neverApplied = 0;
};

Behind MeasureBehind(const LevelShared& shared, const ClientLog& log, int host)
{
    Behind behind;
    const int frames = std::min(log.frames.load(), kLevelMaxClientFrames);
    int next = 0;
    for (int f = 1; f < shared.serverFrames; ++f) {
        const uint32_t due = shared.sentTo[f][host];
        if (due == shared.sentTo[f - 1][host])
            continue;
        while (next < frames && log.applied[next] < due)
            ++next;
        if (next == frames) {
            behind.neverApplied = due - (frames ? log.applied[frames - 1] : 0);
            break;
        }
        const double ms = std::max(0.0, log.endedMs[next] - shared.serverEndedMs[f]);
        behind.worstMs = std::max(behind.worstMs, ms);
        behind.totalMs += ms;
        ++behind.samples;
    }
    return behind;
}

// The clients' players the server has taken in.
int GuestPlayersArrived()
{
    std::vector<Entity*> players;
    World::Get().GetEntities(players, FilterGetAllPlayers(), EntityList_All);
    int arrived = 0;
    for (const Entity* player : players)
        arrived += ConnectionManager::HostOfPlayer(player->GetObjectId()) != ConnectionManager::kServerHost;
    return arrived;
}

void BM_NetLevelLoad(benchmark::State& state)
{
    for (auto _ : state) {
        void* memory = mmap(nullptr, sizeof(LevelShared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED) {
            state.SkipWithError("no shared memory for the clients' logs");
            return;
        }
        auto* shared = new (memory) LevelShared();
        // The clients are made before the server's game: each starts its own from nothing.
        std::vector<pid_t> clients;
        for (int slot = 0; slot < kClients; ++slot) {
            const pid_t pid = fork();
            if (pid == 0)
                RunLevelClient(*shared, slot);
            if (pid > 0)
                clients.push_back(pid);
        }
        std::string error;
        auto enet = EnetTransport::Listen(0, error);
        if (!enet) {
            shared->stop = true;
            for (pid_t pid : clients)
                waitpid(pid, nullptr, 0);
            state.SkipWithError(error.c_str());
            return;
        }
        enet->SetGoodbyeWait(1000);
        CountingServerTransport transport(*enet);
        double frameWorst = 0, frameTotal = 0, frameCpu = 0;
        std::vector<double> frameMs;
        int arrived = 0;
        {
            bench::Level level(transport);
            GameEngine& engine = *gGameEngine;
            RegisterGamePacketDispatch();
            NetPacketRegistry::Get().SetHoldLimits(kHoldTries, kHoldMs);
            ConnectionManager::Get().SetConnectionListener([&engine](const NetConnectionEvent& event) {
                engine.HandleConnectionEvent(event);
                if (event.kind == NetConnectionEvent::Joined)
                    SendWorldToHost(event.host, [](const Character&) {});
            });
            shared->port = enet->GetPort();
            auto tick = Clock::now();
            double cpu = 0;
            auto serve = [&] {
                level.Play();
                const auto began = Clock::now();
                const double cpuBefore = ThreadCpuMs();
                level.Frame();
                cpu = ThreadCpuMs() - cpuBefore;
                const auto ended = Clock::now();
                tick = std::max(tick + std::chrono::milliseconds(bench::kLevelFrameMs), ended);
                return std::chrono::duration<double, std::milli>(ended - began).count();
            };
            // The clients join and take the world while the game goes on.
            for (const auto until = Clock::now() + kLevelJoinLimit;
                 (arrived = GuestPlayersArrived()) < kClients && Clock::now() < until;) {
                serve();
                std::this_thread::sleep_until(tick);
            }
            for (const auto until = Clock::now() + kLevelSettle; Clock::now() < until;) {
                serve();
                std::this_thread::sleep_until(tick);
            }
            const auto windowEnd = Clock::now() + kLevelWindow;
            for (int& f = shared->serverFrames; Clock::now() < windowEnd && f < kLevelMaxServerFrames; ++f) {
                const double ms = serve();
                shared->serverEndedMs[f] = NowMs();
                std::copy(transport.sent.begin(), transport.sent.end(), shared->sentTo[f]);
                frameMs.push_back(ms);
                frameTotal += ms;
                frameCpu += cpu;
                frameWorst = std::max(frameWorst, ms);
                std::this_thread::sleep_until(tick);
            }
            for (const auto until = Clock::now() + kLevelDrain; Clock::now() < until;) {
                serve();
                std::this_thread::sleep_until(tick);
            }
            shared->stop = true;
            UnregisterGamePacketDispatch();
            NetPacketRegistry::Get().SetHoldLimits(0, 0);
            ConnectionManager::Get().SetConnectionListener({});
        }
        int failed = 0;
        for (pid_t pid : clients) {
            int status = 0;
            waitpid(pid, &status, 0);
            failed += !WIFEXITED(status) || WEXITSTATUS(status) != 0;
        }

        std::sort(frameMs.begin(), frameMs.end());
        state.counters["clients_in_game"] = arrived;
        state.counters["server_frame_ms_mean"] = frameMs.empty() ? 0 : frameTotal / static_cast<double>(frameMs.size());
        state.counters["server_frame_ms_p99"] = frameMs.empty() ? 0 : frameMs[frameMs.size() * 99 / 100];
        state.counters["server_frame_ms_worst"] = frameWorst;
        state.counters["server_frame_cpu_ms_mean"] = frameMs.empty() ? 0 : frameCpu / static_cast<double>(frameMs.size());
        double clientCpu = 0;
        int clientFrames = 0;
        double worst = 0, total = 0;
        int samples = 0;
        uint32_t never = 0;
        for (int slot = 0; slot < kClients; ++slot) {
            const int host = shared->clients[slot].host;
            if (host <= 0 || host >= kHosts)
                continue;
            const Behind behind = MeasureBehind(*shared, shared->clients[slot], host);
            clientCpu += shared->clients[slot].frameCpuMs;
            clientFrames += std::min(shared->clients[slot].frames.load(), kLevelMaxClientFrames);
            char name[32];
            std::snprintf(name, sizeof name, "host%02d_behind_ms_worst", host);
            state.counters[name] = behind.worstMs;
            std::snprintf(name, sizeof name, "host%02d_behind_ms_mean", host);
            state.counters[name] = behind.samples ? behind.totalMs / behind.samples : 0;
            worst = std::max(worst, behind.worstMs);
            total += behind.totalMs;
            samples += behind.samples;
            never += behind.neverApplied;
        }
        state.counters["behind_ms_worst"] = worst;
        state.counters["behind_ms_mean"] = samples ? total / samples : 0;
        state.counters["packets_never_applied"] = never;
        state.counters["client_frame_cpu_ms_mean"] = clientFrames ? clientCpu / clientFrames : 0;
        state.counters["sent_per_client_per_s"] =
            shared->serverFrames > 1
                ? static_cast<double>(shared->sentTo[shared->serverFrames - 1][1] - shared->sentTo[0][1]) /
                      std::chrono::duration<double>(kLevelWindow).count()
                : 0;
        munmap(memory, sizeof(LevelShared));
        if (failed || arrived < kClients || never)
            state.SkipWithError("a client did not join or end cleanly, or missed packets");
    }
}
BENCHMARK(BM_NetLevelLoad)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace GAME
