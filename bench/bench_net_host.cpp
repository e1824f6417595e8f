// The real host beside an honest client: the build's gamehost programs, a server and a
// client, against a client of this process that joins three times and stays silent, floods
// chat lines (20,000 a second), floods its player's heartbeats (5,000 a second) or sends
// chat lines at nine tenths of the packets a second the server takes of a client, 20 s
// each, from a core of its own; the server's frame rate over the span against the same
// frames of quiet reference runs before and after (the goal: 0.9 under the sanitizers too),
// whether the server dropped the flooder (never, under its budget) and whether the honest
// client played on.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
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
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/core/GameEngine.h"

#include "NetBenchRig.h"
#include "ServerFrameLines.h"

namespace GAME {
namespace {

using namespace bench;

// gamehost's own server, the program as a player runs it (its process, its frame loop, the
// bundled run's arena at 250 ms a frame, printing as it plays; without --pace, as a server
// that strangers join runs), with a gamehost client
// beside it and a client of this process that joins as a client does, one run for each of
// what then comes: it sends chat lines, 20,000 a second; it sends its player's heartbeats,
// 5,000 a second; it sends chat lines just under the server's budget, nine tenths of
// EnetTransport::kFloodPacketsPerSecond, paced evenly, and must never be dropped for it; it
// leaves and another joins, beats once and stays silent, then leaves and joins again, three
// times in the span. Each run's span is its second argument (20 s).
//
// The client of this process sends from a core of its own: its thread is kept on the last
// core this process may use, the server and the honest client (and the threads reading
// them) on the others, in the references as in the runs, so that what the flood costs the
// server is what the server does with it, not a share of its processor.
//
// The server runs its frames as fast as it can, and what a frame costs changes as the fight
// goes on, so the flood's frames are set against the same frames of reference runs: the same
// programs and seed with the client of this process joined and leaving as the flood would
// start, one played before the run and one after it (the machine's other load changes from run to run), the rate taken
// as their mean. The flood starts at the server's frame kFloodFromFrame; its frame rate is
// the frames the server played in the span over the span; a reference's, the time its
// server took over the same frames. The server's frame is read from the frame number its
// lines print (nearly every frame prints one).
//
// Reported: the frame rate kept over the span, and while the flooder was still connected
// (with how far apart the two references ran: a spread of 0.1 makes a ratio uncertain by as much);
// whether the server disconnected the flooder and after how long (and its reason, in the
// label); whether the honest client stayed in the game. The goal: 0.9 kept under the
// sanitizers, in each flood.
#ifndef GAMEHOST_PROGRAM
#define GAMEHOST_PROGRAM "gamehost"
#endif

enum HostCase : int { kHostSilent, kHostChat, kHostHeartbeats, kHostUnderBudget, kHostCaseCount };
struct HostPlan {
    const char* name;
    int perSecond;
};
// Nine tenths of what the server takes: ENet's window may bunch what arrives, and the
// join's own packets were taken from the same budget.
constexpr int kUnderBudgetPerSecond = static_cast<int>(EnetTransport::kFloodPacketsPerSecond * 9 / 10);
constexpr std::array<HostPlan, kHostCaseCount> kHostPlans{{
    {"silent rejoins", 0},
    {"chat", 20000},
    {"heartbeats", 5000},
    {"chat under the budget", kUnderBudgetPerSecond},
}};
constexpr double kKeptGoal = 0.9;
constexpr int kSilentJoins = 3;
constexpr int kHostStepMs = 250;
constexpr int kFloodFromFrame = 400;
constexpr auto kHostStartLimit = std::chrono::seconds(90);
// The reference plays on this long past the flood's span, so that it covers the frames a
// flooded server played even when it ran as fast.
constexpr auto kReferenceMargin = std::chrono::seconds(5);

// Connects to the server on this machine's `port` (waiting up to `timeoutMs`) and sends the
// join made for the number it is given; null when it cannot connect. Its goodbye waits 1 s
// at most.
std::unique_ptr<EnetTransport> JoinServer(uint16_t port, int timeoutMs, const std::vector<HonestPackets>& byHost)
{
    std::string error;
    auto client = EnetTransport::Connect("127.0.0.1", port, timeoutMs, error);
    if (!client)
        return nullptr;
    client->SetGoodbyeWait(1000);
    for (const auto& bytes : byHost[static_cast<size_t>(client->GetLocalHost())].join)
        client->Send({NetDestination::Server, 0}, bytes.data(), bytes.size());
    return client;
}

struct HostFloodShared {
    std::atomic<bool> flood{false}, done{false}, failed{false}, joined{false};
    std::atomic<int> host{-1};
    std::atomic<int> sent{0};
    std::atomic<double> lostAt{-1};   // when the server dropped it, in seconds from the run's start
};

// The client of this process: connects, joins with the packets made for the number it is
// given and, once told to flood, sends its number's packet at `perSecond` until told to
// stop or dropped (with none to send, it leaves then); its connection is serviced every
// millisecond all along. It runs on the flooder's core.
void RunHostFlooder(uint16_t port, const std::vector<HonestPackets>& byHost,
                    const std::vector<std::vector<unsigned char>>& packetByHost, int perSecond, Clock::time_point runStart,
                    const CoreSplit& cores, HostFloodShared& shared)
{
    if (cores.Split())
        PinCallingThread({cores.flooder});
    auto client = JoinServer(port, 30000, byHost);
    if (!client) {
        shared.failed = true;
        return;
    }
    shared.host = client->GetLocalHost();
    const std::vector<unsigned char>& packet = packetByHost[static_cast<size_t>(client->GetLocalHost())];
    shared.joined = true;
    int from = 0;
    std::vector<unsigned char> received;
    Clock::time_point start{};
    bool flooding = false;
    while (!shared.done) {
        client->Service();
        while (client->Receive(from, received)) {
        }
        if (!client->IsConnected(ConnectionManager::kServerHost)) {
            shared.lostAt = std::chrono::duration<double>(Clock::now() - runStart).count();
            return;
        }
        if (shared.flood && !flooding) {
            if (perSecond <= 0)
                return;   // it leaves, as a flooder the server drops goes
            flooding = true;
            start = Clock::now();
        }
        if (flooding) {
            const int due = static_cast<int>(std::chrono::duration<double>(Clock::now() - start).count() * perSecond);
            for (int i = shared.sent; i < due; ++i)
                client->Send({NetDestination::Server, 0}, packet.data(), packet.size());
            shared.sent = std::max(due, shared.sent.load());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

struct SilentShared {
    std::atomic<bool> start{false}, done{false}, failed{false};
    std::atomic<int> joins{0};
};

// The client that holds back: joins with the packets made for the number it is given
// (which end with its one heartbeat), keeps its connection serviced without a word more for
// a third of the span, leaves and joins again; kSilentJoins times. It runs on the flooder's
// core.
void RunSilentRejoins(uint16_t port, const std::vector<HonestPackets>& byHost, Clock::duration span,
                      const CoreSplit& cores, SilentShared& shared)
{
    if (cores.Split())
        PinCallingThread({cores.flooder});
    while (!shared.start && !shared.done)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    for (int join = 0; join < kSilentJoins && !shared.done; ++join) {
        const auto until = Clock::now() + span / kSilentJoins;
        auto client = JoinServer(port, 20000, byHost);
        if (!client) {
            shared.failed = true;
            return;
        }
        ++shared.joins;
        int from = 0;
        std::vector<unsigned char> received;
        while (Clock::now() < until && !shared.done) {
            client->Service();
            while (client->Receive(from, received)) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
}

// One run of the real host: what it printed of its frames (seconds from its start), when
// the flood started and ended on that clock, and what became of the clients.
struct HostRun {
    std::string error;
    std::vector<FrameSample> samples;
    double floodFrom = 0, floodTo = 0;
    double lostAt = -1;          // when the flooder was dropped (-1: it was not)
    std::string flooderLeft;     // how the server said the flooder left, when it dropped it
    std::string honestLeft;      // ... and the honest client ("" while it plays)
    int sent = 0;
    int silentJoins = 0;
    uint64_t serverLogLines = 0;
};

std::vector<std::string> HostArgs(const std::string& role, const std::string& where)
{
    return {GAMEHOST_PROGRAM, "--role", role, role == "server" ? "--listen" : "--connect", where, "--quiet",
            "--frames", "1000000", "--step", std::to_string(kHostStepMs), "--seed", "1"};
}

// Plays the server and the honest client, the client of this process joining after the
// honest one; from the server's frame kFloodFromFrame on, `kind` holds back or floods for
// `span` (nothing when `flood` is false), and the server plays `tail` longer.
HostRun PlayHost(HostCase kind, bool flood, Clock::duration span, Clock::duration tail,
                 const std::vector<HonestPackets>& byHost, const std::vector<std::vector<unsigned char>>& packetByHost,
                 const CoreSplit& cores)
{
    HostRun run;
    const auto start = Clock::now();
    const auto seconds = [start] { return std::chrono::duration<double>(Clock::now() - start).count(); };
    ServerFrameLines lines;
    ChildProgram server, honest;
    const auto waitFor = [&](const std::function<bool()>& done) {
        for (const auto until = Clock::now() + kHostStartLimit; !done() && Clock::now() < until && server.Running();)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return done();
    };
    if (!server.Start(HostArgs("server", "0"), [&](const std::string& line) { lines.See(line, seconds()); }, cores.others) ||
        !waitFor([&] { return lines.port > 0; })) {
        run.error = "the server did not start (" GAMEHOST_PROGRAM ")";
        return run;
    }
    const uint16_t port = static_cast<uint16_t>(lines.port.load());
    // The honest client is host 1: the server starts its frames once its player is in.
    if (!honest.Start(HostArgs("client", "127.0.0.1:" + std::to_string(port)), [](const std::string&) {}, cores.others) ||
        !waitFor([&] { return lines.LatestFrame() >= 1; })) {
        run.error = "the honest client did not join";
        return run;
    }
    HostFloodShared shared;
    SilentShared silent;
    std::thread flooder, holder;
    // The client of this process joins in every run and, but for a flood, leaves as it would
    // start (in the references, and for the silent one), so that the runs differ in the flood
    // alone, and a flooder that is dropped leaves the server as the references have it.
    flooder = std::thread(RunHostFlooder, port, std::cref(byHost), std::cref(packetByHost),
                          flood ? kHostPlans[static_cast<size_t>(kind)].perSecond : 0, start, std::cref(cores),
                          std::ref(shared));
    if (!waitFor([&] { return shared.failed || (shared.joined && lines.Joined(shared.host)); }))
        run.error = "the flooding client did not join";
    if (kind == kHostSilent)
        holder = std::thread(RunSilentRejoins, port, std::cref(byHost), span, std::cref(cores), std::ref(silent));
    if (run.error.empty() && !waitFor([&] { return lines.LatestFrame() >= kFloodFromFrame; }))
        run.error = "the server did not reach its frame " + std::to_string(kFloodFromFrame);
    if (run.error.empty()) {
        run.floodFrom = seconds();
        silent.start = flood;
        shared.flood = true;
        std::this_thread::sleep_for(span);
        run.floodTo = seconds();
        shared.flood = false;
        silent.done = true;
        std::this_thread::sleep_for(tail);
    }
    shared.done = silent.done = true;
    if (flooder.joinable())
        flooder.join();
    if (holder.joinable())
        holder.join();
    run.samples = lines.Samples();
    run.lostAt = shared.lostAt;
    run.sent = shared.sent;
    run.silentJoins = silent.joins;
    if (shared.host > 0 && run.lostAt >= 0)
        run.flooderLeft = lines.Left(shared.host);
    run.honestLeft = lines.Left(1);
    honest.Stop();
    server.Stop();
    run.serverLogLines = server.errorLines;
    return run;
}

void BM_NetPaceBeside(benchmark::State& state)
{
    const auto kind = static_cast<HostCase>(state.range(0));
    const HostPlan& plan = kHostPlans[static_cast<size_t>(kind)];
    const Clock::duration span = std::chrono::seconds(state.range(1));
    for (auto _ : state) {
        // The joins, made of the game's own packets and player, and what a flooder sends
        // under each number: a chat line, or its player's heartbeat (the join's last packet).
        std::vector<HonestPackets> byHost(kHosts);
        std::vector<std::vector<unsigned char>> floodByHost(kHosts);
        InitializeObjects();
        const LogSink previousLog = gEngine->SetLogSink([](const LogLine&) {});
        RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
        World::Get().AddRegion(1, "Arena");
        const std::vector<unsigned char> chat = BytesOfFilled<ChatPacket>([](ChatPacket& p) {
            p.sender = u"Flood";
            p.text = u"a word for every player, twenty thousand times a second";
        });
        for (int host = 1; host < kHosts; ++host) {
            const auto at = static_cast<size_t>(host);
            byHost[at].join = JoinPackets((static_cast<uint32_t>(host) << ConnectionManager::kPlayerIdShift) | 1u);
            floodByHost[at] = kind == kHostHeartbeats && !byHost[at].join.empty() ? byHost[at].join.back() : chat;
        }
        ShutdownObjects();
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
        gEngine->SetLogSink(previousLog);
        if (std::any_of(byHost.begin() + 1, byHost.end(), [](const HonestPackets& p) { return p.join.size() != 3; })) {
            state.SkipWithError("the join's packets could not be made");
            return;
        }

        static const CoreSplit cores = SplitOffFlooderCore();
        // The run beside a reference before it and one after it, each timed on the same
        // frames: the machine's other load changes between runs, and the two references
        // bracket the run. A case takes the last case's reference after as its own before.
        static std::optional<std::pair<Clock::duration, HostRun>> lastReference;
        const auto quiet = [&] {
            return PlayHost(kHostChat, false, span + kReferenceMargin, Clock::duration::zero(), byHost, floodByHost,
                            cores);
        };
        if (!lastReference || lastReference->first != span || !lastReference->second.error.empty())
            lastReference.emplace(span, quiet());
        const HostRun before = std::move(lastReference->second);
        const HostRun run = PlayHost(kind, true, span, std::chrono::seconds(1), byHost, floodByHost, cores);
        lastReference.emplace(span, quiet());
        const HostRun& after = lastReference->second;
        // The run's frame rate from `from` to `to` seconds, the references' mean rate over
        // the same frames and how far apart the two are (a share of their mean); returns
        // the first against the second.
        const auto kept = [&](double from, double to, double& rate, double& quietRate, double& spread) {
            int first = 0, last = 0;
            rate = RateBetween(run.samples, from, to, &first, &last);
            const double one = RateOverFrames(before.samples, first, last), two = RateOverFrames(after.samples, first, last);
            quietRate = one > 0 && two > 0 ? (one + two) / 2 : 0;
            spread = quietRate > 0 ? std::abs(one - two) / quietRate : 0;
            return quietRate > 0 ? rate / quietRate : 0;
        };
        double rate = 0, quietRate = 0, spread = 0;
        const double keptAll = kept(run.floodFrom, run.floodTo, rate, quietRate, spread);
        // While the flooder was still connected (all the span when it was not dropped).
        double whileRate = rate, whileQuiet = quietRate, whileSpread = spread;
        const double keptWhile = run.lostAt >= 0 ? kept(run.floodFrom, run.lostAt, whileRate, whileQuiet, whileSpread) : keptAll;
        const bool dropped = run.lostAt >= 0;
        const double droppedAfter = dropped ? std::max(0.0, run.lostAt - run.floodFrom) : -1;
        state.counters["fps_reference"] = quietRate;
        state.counters["fps_run"] = rate;
        state.counters["fps_reference_spread"] = spread;
        state.counters["fps_kept"] = keptAll;
        state.counters["fps_kept_while_connected"] = keptWhile;
        state.counters["flooder_dropped"] = dropped ? 1 : 0;
        state.counters["dropped_after_s"] = droppedAfter;
        state.counters["forged_sent"] = run.sent;
        state.counters["honest_in"] = run.honestLeft.empty() ? 1 : 0;
        state.counters["server_log_lines"] = static_cast<double>(run.serverLogLines);
        state.counters["flooder_core_own"] = cores.Split() ? 1 : 0;
        if (kind == kHostUnderBudget)
            state.counters["flood_per_s"] = plan.perSecond;
        if (kind == kHostSilent)
            state.counters["silent_joins"] = run.silentJoins;
        const bool floods = kind != kHostSilent;
        char verdict[512];
        std::snprintf(verdict, sizeof verdict, "%s: frame rate kept %.2f (%.2f while connected)%s; %s%s%s; %s%s", plan.name,
                      keptAll, keptWhile, !floods ? "" : keptAll >= kKeptGoal ? ", goal 0.9 met" : ", goal 0.9 missed",
                      dropped ? "flooder dropped" : "flooder not dropped",
                      run.flooderLeft.empty() ? "" : ", the server says: ", run.flooderLeft.substr(0, 120).c_str(),
                      run.honestLeft.empty() ? "the honest client played on" : "the honest client left: ",
                      run.honestLeft.substr(0, 120).c_str());
        state.SetLabel(verdict);
        std::string error = !before.error.empty() ? "the reference before: " + before.error
                            : !after.error.empty() ? "the reference after: " + after.error
                                                   : run.error;
        if (error.empty() && (rate <= 0 || quietRate <= 0))
            error = "the server printed too few frames to time";
        if (error.empty() && kind == kHostSilent && run.silentJoins != kSilentJoins)
            error = "the silent client did not join three times";
        if (error.empty() && kind == kHostUnderBudget && dropped)
            error = "the server dropped a client sending under its budget: " + run.flooderLeft.substr(0, 160);
        if (!error.empty())
            state.SkipWithError(error.c_str());
    }
}
BENCHMARK(BM_NetPaceBeside)
    ->ArgsProduct({{kHostSilent, kHostChat, kHostHeartbeats, kHostUnderBudget}, {20}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace GAME
