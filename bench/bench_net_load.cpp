// A load run of the network transport: one server and 15 clients on loopback, each client
// on a thread of its own, for a few seconds at 30 frames a second. Every frame a client
// sends the server a small and a larger game-sized packet (a heartbeat, a movement); the
// server sends every client a world update and passes each client's packets on to the
// other clients, as the game does with what one player does. Every packet carries its
// first sender and a sequence number, so each receiver checks that nothing was lost or
// came out of order. Reported: the server's frame time (mean and worst), bytes and
// packets per second into and out of the server, and the lost and reordered counts,
// which must be 0.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Engine/EnetTransport.h"

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

}  // namespace
}  // namespace GAME
