// A level's whole frame: a village and a road built from the bundled records, played by 4
// players against 500 monsters for 60 simulated seconds of 16 ms frames, on a server whose
// 3 clients hear everything it replicates.
//
// The level is bench/BenchLevel.h's; the players' clicks and drinks between frames are
// not timed.
//
// The frame is the host's: the game engine's update, the engine's frame (commands from
// peers, the world's walk with every controller, skill, combat and volume, the actors'
// commands and their replication), the camera and the crowding. The first 10 seconds are
// run before timing; the last 50 are the benchmark's iterations. Reported: the frame's time
// (mean from the library, the worst and the 99th percentile here), allocations per frame,
// the growth of the heap in use over the 50 seconds, the monsters alive and killed, and
// the replication's packets and bytes per frame.
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "AllocationCounter.h"
#include "BenchLevel.h"

namespace {

using namespace GAME;
using namespace GAME::bench;
using Clock = std::chrono::steady_clock;

constexpr int kWarmUpFrames = 10000 / kLevelFrameMs;                // the first 10 s, untimed
constexpr int kTimedFrames = 60000 / kLevelFrameMs - kWarmUpFrames;   // the other 50 s
constexpr int kClients = 3;

// What the server sends its clients: counted, then forgotten. Hosts 1..kClients are there.
class CountingTransport : public NetTransport {
public:
    void Send(const NetDestination& to, const unsigned char*, size_t size) override
    {
        const size_t copies = to.kind == NetDestination::AllClients     ? kClients
                              : to.kind == NetDestination::OtherClients ? kClients - 1
                                                                        : 1;
        packets += copies;
        bytes += copies * size;
    }
    bool Receive(int&, std::vector<unsigned char>&) override { return false; }
    void Disconnect(int, const std::string&) override {}
    bool IsConnected(int host) const override { return host >= 1 && host <= kClients; }

    uint64_t packets = 0;
    uint64_t bytes = 0;
};

size_t HeapInUse() { return mallinfo2().uordblks; }

void BM_LevelFrame(benchmark::State& state)
{
    CountingTransport transport;
    Level level(transport);
    if (!level.IsComplete()) {
        state.SkipWithError("the level's players or monsters did not load");
        return;
    }
    for (int frame = 0; frame < kWarmUpFrames; ++frame) {
        level.Play();
        level.Frame();
    }
    const long long deathsBefore = level.Deaths();
    const uint64_t packetsBefore = transport.packets, bytesBefore = transport.bytes;
    const size_t heapBefore = HeapInUse();
    long long allocations = 0;
    std::vector<double> frameMs;
    frameMs.reserve(kTimedFrames);
    for (auto _ : state) {
        state.PauseTiming();
        level.Play();
        state.ResumeTiming();
        const long long before = gAllocations.load(std::memory_order_relaxed);
        const Clock::time_point start = Clock::now();
        level.Frame();
        const Clock::time_point end = Clock::now();
        allocations += gAllocations.load(std::memory_order_relaxed) - before;
        frameMs.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    const auto frames = static_cast<double>(state.iterations());
    std::sort(frameMs.begin(), frameMs.end());
    state.counters["frame_ms_worst"] = frameMs.empty() ? 0.0 : frameMs.back();
    state.counters["frame_ms_p99"] = frameMs.empty() ? 0.0 : frameMs[frameMs.size() * 99 / 100];
    state.counters["allocs_per_frame"] = static_cast<double>(allocations) / frames;
    state.counters["heap_growth_kb"] =
        (static_cast<double>(HeapInUse()) - static_cast<double>(heapBefore)) / 1024.0;
    state.counters["monsters_alive"] = level.CountMonsters(true);
    state.counters["players_alive"] = level.PlayersAlive();
    state.counters["kills"] = static_cast<double>(level.Deaths() - deathsBefore);
    state.counters["drinks"] = static_cast<double>(level.Drinks());
    state.counters["sent_packets_per_frame"] =
        static_cast<double>(transport.packets - packetsBefore) / frames;
    state.counters["sent_bytes_per_frame"] = static_cast<double>(transport.bytes - bytesBefore) / frames;
}
BENCHMARK(BM_LevelFrame)->Iterations(kTimedFrames)->Unit(benchmark::kMillisecond);

}  // namespace
