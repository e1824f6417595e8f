// What the network benchmarks share: the game's own packets as a joining client sends them,
// a server transport that counts what goes to each client, programs of this build run as
// child processes, raw ENet peers (the one place where such a peer connects), and the
// machine's cores split between a flooder and everything else.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <sys/types.h>

#include "Engine/ConnectionManager.h"
#include "Engine/EnetTransport.h"

struct _ENetHost;
struct _ENetPeer;

namespace GAME {
class NetPacket;
class WorldCoords;
}  // namespace GAME

namespace GAME::bench {

using Clock = std::chrono::steady_clock;
constexpr int kClients = EnetTransport::kMaxClients;
constexpr int kHosts = kClients + 1;
// The host number a flooding client of this process is given, and its player.
constexpr int kFloodHost = 1;
constexpr uint32_t kFloodPlayer = (uint32_t{kFloodHost} << ConnectionManager::kPlayerIdShift) | 1u;
// The host program's patience with packets that name objects not there yet.
constexpr int kHoldTries = 120;
constexpr int kHoldMs = 3000;
// The record the players of the network benchmarks are made from.
constexpr const char* kArenaPlayerRecord = "Records/Creatures/ArenaPlayer.dbr";

// A packet's bytes as it goes on the wire.
std::vector<unsigned char> BytesOf(NetPacket& packet);

// A packet of type P filled by `fill`, as bytes.
template <class P, class Fill>
std::vector<unsigned char> BytesOfFilled(Fill fill)
{
    P packet;
    fill(packet);
    return BytesOf(packet);
}

// The origin of region 1.
WorldCoords AtOrigin();

// A joining client's first packets: its roster record, its player's spawn (made from a
// player built here for the purpose and then destroyed again; needs the game's objects and
// region 1) and a heartbeat, with which it plays and keeps its host number past the join
// deadline.
std::vector<std::vector<unsigned char>> JoinPackets(uint32_t playerId = kFloodPlayer);

// What an honest client sends under one host number: its join, which ends with its first
// heartbeat, and when it plays, the two runs it takes in turn (back and forth).
struct HonestPackets {
    std::vector<std::vector<unsigned char>> join;
    std::vector<std::vector<unsigned char>> runs;
};

// The server's transport as the game uses it, counting what goes to each client.
class CountingServerTransport : public NetTransport {
public:
    explicit CountingServerTransport(EnetTransport& inner) : m_inner(inner) {}
    void Service() override { m_inner.Service(); }
    bool PollConnectionEvent(NetConnectionEvent& event) override { return m_inner.PollConnectionEvent(event); }
    void Send(const NetDestination& to, const unsigned char* data, size_t size) override;
    bool Receive(int& fromHost, std::vector<unsigned char>& bytes) override { return m_inner.Receive(fromHost, bytes); }
    void Disconnect(int host, const std::string& reason) override { m_inner.Disconnect(host, reason); }
    bool IsConnected(int host) const override { return m_inner.IsConnected(host); }
    void ConfirmJoined(int host) override { m_inner.ConfirmJoined(host); }
    void ConfirmInWorld(int host) override { m_inner.ConfirmInWorld(host); }

    std::array<uint32_t, kHosts> sent{};

private:
    EnetTransport& m_inner;
};

// The machine's cores, one kept for a flooder and the rest for the programs it floods, so
// that the flood's own sending takes nothing of the server's processor time. Not split (an
// empty `others`) when this process may run on one core only.
struct CoreSplit {
    int flooder = -1;
    std::vector<int> others;
    bool Split() const { return flooder >= 0 && !others.empty(); }
};
// The last core this process may run on for the flooder, the others for the rest.
CoreSplit SplitOffFlooderCore();
// Keeps the calling thread (or, in a child process, the process) on `cores`; false when
// the system refuses or `cores` is empty.
bool PinCallingThread(const std::vector<int>& cores);

// A program of this build run as a child process, on `cores` when any are given (and the
// threads that read it too). Each line
// of its standard output goes to `onLine` on a thread of its own, its standard error's
// lines are counted; both are read as fast as they come, as a terminal or a file takes
// them. Stopped (SIGTERM, then SIGKILL) when it goes.
class ChildProgram {
public:
    using OnLine = std::function<void(const std::string&)>;

    bool Start(const std::vector<std::string>& args, OnLine onLine, const std::vector<int>& cores = {});
    // Whether it still runs; one that ended is reaped here, and its id is not used again.
    bool Running();
    void Stop();
    ChildProgram() = default;
    ~ChildProgram() { Stop(); }
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    std::atomic<uint64_t> errorLines{0};

private:
    pid_t m_pid = -1;
    std::vector<std::thread> m_readers;
};

// A raw ENet host of `peers` peers and 2 channels at `localAddress` (any port), as a
// stranger's program makes one; null when it cannot be made.
_ENetHost* MakeRawHost(const char* localAddress, size_t peers);
// A raw peer's CONNECT to the server at 127.0.0.1:`port`: every raw connection of the
// benchmarks starts here, whatever a server asks of a connecting peer before it takes one.
// Null when ENet has no free peer.
_ENetPeer* ConnectRaw(_ENetHost* host, uint16_t port);

}  // namespace GAME::bench
