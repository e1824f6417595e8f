// The connection manager: sends packets to the server, to every client, to every client
// but one, or to the host of one player, through a transport; and hands what the
// transport received to the packet registry for decoding and dispatch.
//
// Hosts are numbered 0 to 15, host 0 serving the game; a player id carries its host's
// number in its top 4 bits. A client's transport reaches only the server, which passes on
// what is meant for another client.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Engine/CriticalSection.h"
#include "Engine/DropTally.h"
#include "Engine/NetPacket.h"

namespace GAME {

struct NetDestination {
    enum Kind : uint8_t {
        Server,       // the host that serves the game
        AllClients,   // every connected client
        Host,         // one host, by number
        OtherClients, // every connected client but one (`host`): what a client sent, passed on
    };
    Kind kind = Server;
    int host = -1;   // for Host and OtherClients

    bool operator==(const NetDestination&) const = default;
};

// A host joining or leaving, as the transport saw it.
struct NetConnectionEvent {
    enum Kind : uint8_t {
        Joined,     // a client connected and was given its host number
        Left,       // a client disconnected cleanly
        TimedOut,   // a client stopped answering
        Refused,    // a connection was turned away (the reason says why)
        ServerLost, // on a client: the server is gone
    };
    Kind kind = Joined;
    int host = -1;   // the host that joined or left (a client sees 0 for ServerLost)
    std::string reason;

    // The reason a client's ServerLost carries when the server closed the game on purpose:
    // the expected end of a client's run, unlike a server that stopped answering or dropped it.
    static constexpr const char* kServerClosed = "the server closed the game";
    bool IsServerClosed() const { return kind == ServerLost && reason == kServerClosed; }
};

// Moves whole packets between hosts.
class NetTransport {
public:
    virtual ~NetTransport() = default;
    // Moves bytes to and from the wire; called before anything is received.
    virtual void Service() {}
    // The next connection event, oldest first.
    virtual bool PollConnectionEvent(NetConnectionEvent&) { return false; }
    virtual void Send(const NetDestination& to, const unsigned char* data, size_t size) = 0;
    // The next received packet, if any.
    virtual bool Receive(int& fromHost, std::vector<unsigned char>& bytes) = 0;
    virtual void Disconnect(int host, const std::string& reason) = 0;
    // Whether that host is connected now; a host that was disconnected is not, even
    // while bytes it sent before are still waiting.
    virtual bool IsConnected(int host) const = 0;
    // A heartbeat of the host's player arrived. Once its world was acknowledged and its
    // player stands in the world, the host plays: it keeps its number while heartbeats come.
    virtual void ConfirmJoined(int) {}
    // The game made the host's player in the world from what the client sent: a step of its
    // join that a server's transport weighs when every host number is held.
    virtual void ConfirmInWorld(int) {}
};

// What a transport has received and not yet handed on: packets and connection events,
// each oldest first. Each host's packets wait in a queue of their own, bounded on its own:
// a peer that sends faster than the game drains fills only its own queue, past which what
// it sends is dropped (logged through the drop log, a line a second), and every other
// host's packets still find room. The game drains it every frame; with a round budget set
// (a server's), a host's packets beyond its budget wait for the next round, so that one
// peer's flood costs a frame no more than its budget's work.
class NetInbox {
public:
    static constexpr int kHosts = 16;   // host numbers 0 to 15; any other is dropped
    // What one host's queue holds at most.
    static constexpr size_t kMaxPackets = 4096;
    static constexpr size_t kMaxBytes = size_t{16} << 20;
    static constexpr size_t kMaxEvents = 256;

    void PushPacket(int fromHost, std::vector<unsigned char> bytes);
    // The same, copying the bytes only when the host's queue has room for them.
    void PushPacket(int fromHost, const unsigned char* data, size_t size);
    // The oldest packet of the hosts that have budget left in this round; each host's
    // packets come in the order they arrived. False when none is left to take this round.
    bool PopPacket(int& fromHost, std::vector<unsigned char>& bytes);
    // How much of one host's packets a round hands out: at most `packets` packets and
    // `bytes` bytes (a host's first packet of a round goes whatever its size); 0 is no bound.
    void SetRoundBudget(size_t packets, size_t bytes);
    // A new round: every host's budget is whole again.
    void NextRound();
    // Drops what a host's queue holds (its number goes to a new connection; logged).
    void DiscardHost(int host);
    // Whether a host's queue holds packets the game has not taken yet.
    bool Holds(int host) const;
    void PushEvent(NetConnectionEvent event);
    bool PopEvent(NetConnectionEvent& event);

private:
    // Whether the host's queue takes `size` more bytes; logs the drop when it does not.
    bool Admit(int fromHost, size_t size);
    void Store(int fromHost, std::vector<unsigned char> bytes);

    struct HostQueue {
        std::deque<std::pair<uint64_t, std::vector<unsigned char>>> packets;   // with their arrival numbers
        size_t bytes = 0;   // of every packet held
        size_t takenPackets = 0, takenBytes = 0;   // in this round
    };
    std::array<HostQueue, kHosts> m_hosts;
    uint64_t m_arrivals = 0;
    size_t m_roundPackets = 0, m_roundBytes = 0;
    std::deque<NetConnectionEvent> m_events;
    DropTally m_droppedEvents{"NetInbox: a connection event"};
};

// Keeps what was sent and serves what it was fed, for tests and single-process runs.
class RecordingTransport : public NetTransport {
public:
    struct SentPacket {
        NetDestination to;
        std::vector<unsigned char> bytes;
        NetPacketType Type() const;
    };
    struct Disconnection {
        int host;
        std::string reason;
    };

    void Send(const NetDestination& to, const unsigned char* data, size_t size) override;
    bool Receive(int& fromHost, std::vector<unsigned char>& bytes) override;
    void Disconnect(int host, const std::string& reason) override;
    bool IsConnected(int host) const override;

    // The host counts as connected until it is disconnected.
    void Connect(int host);
    // Queues bytes as if host `fromHost` had sent them (connected or not).
    void Feed(int fromHost, std::vector<unsigned char> bytes);
    // Queues a connection event as a real transport would report it: Joined connects the
    // host, Left and TimedOut disconnect it.
    void QueueEvent(NetConnectionEvent event);
    bool PollConnectionEvent(NetConnectionEvent& event) override;

    std::vector<SentPacket> sent;
    std::vector<Disconnection> disconnections;

private:
    NetInbox m_inbox;
    std::set<int> m_connected;
};

class ConnectionManager {
public:
    static constexpr int kServerHost = 0;
    static constexpr int kHostBits = 4;
    static constexpr int kMaxHost = (1 << kHostBits) - 1;
    static constexpr int kPlayerIdShift = 32 - kHostBits;

    static ConnectionManager& Get();

    // Not owned; null sends nothing.
    void SetTransport(NetTransport* transport);
    NetTransport* GetTransport() const;

    void SetLocalHostId(int host);
    int GetLocalHostId() const;

    static int HostOfPlayer(uint32_t playerId) { return static_cast<int>(playerId >> kPlayerIdShift); }

    // Each builds the packet (PrepareOutBuffer) and sends its bytes. False when there is
    // no transport or the packet could not be built; both are logged.
    bool SendToServer(NetPacket& packet);
    bool SendToAllClients(NetPacket& packet);
    bool SendToHost(int host, NetPacket& packet);
    bool SendToPlayer(uint32_t playerId, NetPacket& packet);
    // Every connected client but `exceptHost`: the server passing on what that client sent.
    bool SendToOtherClients(int exceptHost, NetPacket& packet);

    // The packet of an actor command that ran on this peer. Queued here (fromHost < 0): a
    // server sends it to every client, a client to the server. Received from a client: a
    // server passes it on to every other client, never back to the sender; a client, which
    // hears commands from the server only, sends nothing. False when nothing was sent.
    bool SendActorCommand(NetPacket& packet, int fromHost);

    void Disconnect(int host, const std::string& reason);
    // A client host (1 to 15) that is connected now; false without a transport.
    bool IsClientConnected(int host) const;
    // A server's: a heartbeat of the client host's player arrived (see NetTransport).
    void ConfirmJoined(int host);
    // A server's: the client host's player stands in the world (a step of its join).
    void ConfirmInWorld(int host);

    // Decodes and dispatches one received packet; false when it was dropped.
    bool HandleIncoming(int fromHost, const unsigned char* data, size_t size);
    // Called with each connection event the transport reports (a host joining or leaving).
    void SetConnectionListener(std::function<void(const NetConnectionEvent&)> listener);

    // Services the transport, hands every pending connection event to the listener in
    // order, then dispatches every packet the transport hands out (a server's, each client's
    // up to its budget for a frame); returns how many packets were handled. The drop log's counts of the seconds that are over are logged first.
    int ProcessIncoming();

    // How often a host may ask one kind of request: `burst` at once, then `perSecond` more
    // each second of the engine's real time.
    struct RequestRate {
        uint32_t burst = 0;
        uint32_t perSecond = 0;
    };
    // Takes one request of `kind` from the budget of `host`; false, taking nothing, when the
    // host has used it up. Every budget is full with a new transport, and a host's again
    // when it joins or leaves. A host outside 0 to 15 has no budget.
    bool TakeRequest(int host, unsigned kind, RequestRate rate);

private:
    ConnectionManager() = default;
    bool Send(const NetDestination& to, NetPacket& packet);

    void ForgetRequests(int host);
    // Tells the transport of a client host's step of its join.
    void ConfirmJoinStep(int host, void (NetTransport::*confirm)(int));

    // What is left of a budget, in thousandths of a request, and when it was last filled.
    struct RequestBudget {
        uint64_t left = 0;
        uint32_t filledAt = 0;
    };

    mutable CriticalSection m_lock;
    NetTransport* m_transport = nullptr;
    std::map<std::pair<int, unsigned>, RequestBudget> m_requestBudgets;
    std::function<void(const NetConnectionEvent&)> m_listener;
    int m_localHost = kServerHost;
};

}  // namespace GAME
