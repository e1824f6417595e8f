// The network transport between host processes, on ENet (reliable, ordered delivery over
// UDP).
//
// One host serves (host 0, `Listen`); up to 15 clients connect to it (`Connect`). The
// server gives each client the lowest free host number from 1 to 15 and tells it, as a
// transport message; the client joins by answering with that number. Only then does the
// game on either side hear of the other (the server's Joined event, the end of Connect),
// and only then do game packets pass: the server's game sends the newcomer its world as it
// hears of it, and once the game has heard every event of a service the server welcomes
// the client, after that world.
//
// A connection plays once three steps are behind it, each one a peer cannot take before
// the one below it: it acknowledged the world the game sent it (every packet sent it until
// it was welcomed, and the welcome: ENet releases a reliable packet once the peer has
// acknowledged it); its player stands in the world, brought once that world had arrived
// (the game confirms it, ConfirmInWorld); and a heartbeat of its player arrived after that
// (the game confirms each one, ConfirmJoined). A heartbeat before those steps promotes
// nothing (logged through the drop log). A connection that does not play within the join
// deadline (30 s unless set: a client builds its game and its world on a loaded machine in
// that time) is dropped; so is one that plays and sends no heartbeat for as long, judged
// once the game was handed all it sent: a connection found silent at the start of a service
// is dropped at the start of the next if the game still heard no heartbeat of it, however
// long the server's frames take. The game hears that it left if it had heard of it.
//
// Admission holds by four rules. A request to connect holds nothing until its sender has
// answered from its address: the server answers a request whose connect data is not a cookie
// of its sender's with a challenge, a datagram no larger than the request, that carries one.
// The cookie is made of the sender's address and port, the time (in windows of
// kCookieWindowMs; a cookie is good in its window and the next) and a secret the server drew
// when it started. Only a request that carries its cookie is given to ENet and takes a peer.
// A client's transport answers the challenge by itself, within Connect's wait
// (AnswerChallenges makes a bare ENet host do so). A sender that cannot receive at the
// address it sends from, a forged one, thus holds nothing, and the rules below count only
// senders that answered. A connection keeps its number while it progresses through
// its join (it answers its number, and acknowledges the world it was sent, each within the
// join's step time) until it plays or its join deadline passes; it is never removed to make
// room for another. A newcomer that finds every number held is refused "server full": it
// takes no number from anyone. And one address holds at most kPendingPerAddress peers that
// do not play (handshakes not finished, connections joining, refusals not yet answered): a
// further connection from it is ignored before ENet gives it a peer, so half-open handshakes
// and connections opened anew from a few addresses fill neither the numbers nor ENet's peer
// table (kPeerSlots, far more than the numbers). Players that play are not counted, so
// several players behind one address still fill the server. A stranger thus holds at most
// its address's few numbers, each no longer than a join takes, short of joining for real;
// connections from a player's own address that answer share its limit and can keep it out.
//
// A client reaches only the server: whatever it sends goes there, and the game on the
// server passes on what is meant for another client. Each connection has a budget of
// packets, refilled at kFloodPacketsPerSecond up to a burst of kFloodBurstPackets (a few
// times a real client's busiest second, its join: about a hundred packets); one that sends
// past it is disconnected, and hears that it sent too much. A connection does not start
// afresh by coming back: one from an address takes over what the connections of that
// address that left had left of their budgets (refilled since at the same rate). Players
// behind one address keep a budget each. An address disconnected for sending too much is
// refused for kFloodRefusalMs: its connection requests are ignored before ENet gives them a
// peer, and the game hears of none. The server remembers at most kAddressMemory addresses
// at once; one more makes it forget an address not refused, or else the one whose refusal
// ends first. The budgets run on ENet's time, the refusal on the transport's clock.
//
// The log lines of one address (a flooder disconnected, its requests refused, requests
// over its limit of peers that do not play) are counted rather than printed one by one:
// the first of each kind is logged whole, and the others of the next kAddressLogPeriodMs
// are summed in one line for the address at the end of that period, and so on while they
// go on.
//
// A server takes at most kFramePackets packets and kFrameBytes bytes of each client's in a
// service (a frame of the game's); the rest waits in that client's own queue for the next
// (NetInbox), and what a flooded queue cannot hold is that client's loss alone.
//
// Game packets travel reliably and in order on one channel; transport messages on a second.
// A packet above NetLimits::kMaxPacketSize is never sent, and one announced by a peer is
// dropped and logged before anything is allocated for it; the peer is then disconnected,
// since its reliable stream cannot go on without that packet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Engine/ConnectionManager.h"

struct _ENetHost;
struct _ENetPeer;
struct _ENetEvent;
struct _ENetPacket;
struct _ENetAddress;

namespace GAME {

class EnetTransport : public NetTransport {
public:
    static constexpr int kMaxClients = ConnectionManager::kMaxHost;
    static constexpr int kDefaultGoodbyeWaitMs = 30000;
    static constexpr int kDefaultJoinDeadlineMs = 30000;
    // What a server hands the game of one client's packets in a service, at most.
    static constexpr size_t kFramePackets = 64;
    static constexpr size_t kFrameBytes = size_t{256} << 10;
    // ENet's peer table on a server: every peer, numbered or not, half-open handshakes too.
    static constexpr size_t kPeerSlots = 256;
    // The peers of one address that do not play a server holds at most.
    static constexpr int kPendingPerAddress = 4;
    // The cookie a server's challenge carries is good in the window of this length it was
    // made in, and in the next.
    static constexpr int64_t kCookieWindowMs = 10000;
    // How long a joining connection may take over a step of its join its transport answers
    // by itself: answering its number, acknowledging its world.
    static constexpr int kDefaultJoinStepMs = 10000;
    // A client's packets a second the server takes on average, and the burst above it.
    static constexpr uint32_t kFloodPacketsPerSecond = 300;
    static constexpr uint32_t kFloodBurstPackets = 1200;
    // How long an address disconnected for sending too much is refused.
    static constexpr int kFloodRefusalMs = 60000;
    // The addresses a server remembers at once, and the period over which one address's
    // repeated log lines are counted into one.
    static constexpr size_t kAddressMemory = 256;
    static constexpr int kAddressLogPeriodMs = 60000;
    // Milliseconds from any fixed point; the transport's deadlines are measured on it.
    using Clock = std::function<int64_t()>;

    // A server on `port` (0: any free port) of every local address; host 0. Null, with the
    // reason in `error`, when the port cannot be bound.
    static std::unique_ptr<EnetTransport> Listen(uint16_t port, std::string& error);
    // Connects to a server and waits, at most `timeoutMs`, until it is connected and has
    // been told its host number. Null, with the reason in `error` ("server full" when the
    // server turned it away), otherwise.
    static std::unique_ptr<EnetTransport> Connect(const std::string& address, uint16_t port, int timeoutMs,
                                                  std::string& error);

    // Disconnects every peer cleanly (they see Left or ServerLost) and frees the host.
    ~EnetTransport() override;
    EnetTransport(const EnetTransport&) = delete;
    EnetTransport& operator=(const EnetTransport&) = delete;

    void Send(const NetDestination& to, const unsigned char* data, size_t size) override;
    bool Receive(int& fromHost, std::vector<unsigned char>& bytes) override;
    void Disconnect(int host, const std::string& reason) override;
    bool IsConnected(int host) const override;
    void ConfirmJoined(int host) override;
    void ConfirmInWorld(int host) override;
    void Service() override;
    bool PollConnectionEvent(NetConnectionEvent& event) override;

    int GetLocalHost() const { return m_localHost; }
    // The local port (the one bound when listening on port 0).
    uint16_t GetPort() const;
    // The peers of ENet's table in use: connections, handshakes and closings alike.
    size_t PeersHeld() const;

    // The server's challenge to a request to connect: reads the request's connect id and the
    // cookie to connect again with; false for any other datagram.
    static bool ReadChallenge(const unsigned char* datagram, size_t size, uint32_t& connectId, uint32_t& cookie);
    // Makes a bare ENet host (not a transport's) answer a server's challenge by itself, as a
    // client transport does: the peer that asked connects again, with the cookie as its
    // connect data, and keeps its time-outs and user data. Takes the host's datagram hook.
    static void AnswerChallenges(_ENetHost* host);

    // Game packets and their bytes, counted once for every peer they went to or came from.
    struct Stats {
        uint64_t bytesSent = 0;
        uint64_t bytesReceived = 0;
        uint64_t packetsSent = 0;
        uint64_t packetsReceived = 0;
    };
    Stats GetStats() const { return m_stats; }

    // How long a peer may stay silent before it is dropped as timed out: after at least
    // `minimumMs` of unanswered resends, and at most `maximumMs`. Applies to the peers
    // connected now and to those that connect later. 0 keeps ENet's default. On a server, a
    // connection that does not play yet may stay silent as long as its join deadline: a
    // client builds its game and the world it was sent before it answers again, which on a
    // loaded machine takes seconds, and the deadline bounds its stay anyway. A long pause
    // of this host's own (a slow frame, a quarter of a second or more) is not counted
    // against a connected peer until it has answered since, up to as long again as its
    // time-out: a peer whose oldest unanswered packet is older than that is timed out at
    // the end of the service that finds it so. A handshake not finished keeps ENet's own.
    void SetPeerTimeout(uint32_t minimumMs, uint32_t maximumMs);
    // The longest closing waits for the peers to answer its goodbye (30 s unless set). A
    // program whose peers cannot answer while it closes (they are serviced by the same
    // thread) gives a short one.
    void SetGoodbyeWait(int maximumMs) { m_goodbyeWaitMs = maximumMs; }
    // How long a server gives a new connection to join the game and play, and a connection
    // that plays between two heartbeats (30 s unless set).
    void SetJoinDeadline(int maximumMs);
    // The clock the join deadline, the cookies' windows, the refusal of a flooder's address
    // and the periods of the log's counts are measured on (the steady clock unless set).
    void SetClock(Clock clock);

private:
    EnetTransport(_ENetHost* host, int localHost);
    static _ENetHost* CreateHost(bool server, uint16_t port);
    static int InterceptDatagram(_ENetHost* host, _ENetEvent* event);

    void HandleEvent(_ENetEvent& event);
    void HandleConnect(_ENetPeer* peer);
    void HandleReceive(_ENetPeer* peer, uint8_t channel, const unsigned char* data, size_t size);
    void HandleDisconnect(_ENetPeer* peer, uint32_t data);
    void HandleTransportMessage(int host, const unsigned char* data, size_t size);
    void SendTransportMessage(_ENetPeer* peer, const unsigned char* data, size_t size);
    // The server's: drops the connections past their join deadline or their step time.
    void ExpireJoins();
    // The server's, at the start of a service: drops the playing connections found silent
    // at the last one and still silent, and marks those silent now.
    void ExpireSilentPlayers();
    // Drops a connection (`reason` tells the client why), logging `why` unless `log` is
    // false; the game hears that it left if it heard of it.
    void DropConnection(int host, uint32_t reason, const char* why, bool log = true);
    // The lowest host number no connection holds; -1 when every one is held.
    int FreeHost() const;
    // The server's: welcomes every client that answered its number, once the game has sent
    // it what it sends a newcomer, and sends that at once.
    void WelcomeAnswered();
    // How far a connection that does not play has come in its join: 0 shaken hands (or
    // not even that), 1 its world arrived, 2 its player stands in the world.
    int JoinProgress(int host);
    // The server's: how many peers of `address` in ENet's table do not play.
    int PendingAt(uint32_t address) const;
    // The server's, for the received datagram that asks to connect (its connect id and data,
    // as sent): whether ENet may give it a peer. A request whose data is not a cookie of its
    // sender's is answered with a challenge instead.
    bool AdmitConnection(uint32_t connectId, uint32_t cookie);
    // The cookie of an address and port in a window of kCookieWindowMs.
    uint32_t Cookie(const _ENetAddress& from, int64_t window) const;
    void SendChallenge(const _ENetAddress& to, uint32_t connectId);
    // The server's secret, drawn when it starts listening.
    uint64_t m_cookieKey[2] = {};
    // The server's: takes a packet of a numbered connection from its budget; false once the
    // peer has sent more than the budget holds.
    bool WithinBudget(int host);
    // Drops the peers whose oldest unanswered packet is older than their time-out maximum.
    void TimeOutUnanswering();
    // Whether the peer acknowledged every game packet sent it until it was welcomed, and
    // the welcome.
    bool AcknowledgedWorld(int host) const;
    // Sends a reliable packet to one peer, counted among its world's packets until ENet
    // releases it; false when ENet did not take it.
    bool SendCounted(_ENetPeer* peer, int host, uint8_t channel, const unsigned char* data, size_t size);
    static void ReleaseWorldPacket(_ENetPacket* packet);
    // Services the host, waiting at most `waitMs` for the first event.
    void ServiceFor(uint32_t waitMs);
    // A connection whose time-outs have this host's pauses added to them: its own time-outs,
    // the pauses, and ENet's time the last of them ended.
    struct PausedPeer {
        _ENetPeer* peer;
        uint32_t connectId;   // the connection's, so that a slot taken anew is not mistaken for it
        uint32_t minimum, maximum;
        uint32_t addedMs;
        uint32_t pauseEnd;
    };
    // A pause of this host at least this long is added to its peers' time-outs...
    static constexpr uint32_t kLongPauseMs = 250;
    void LiftTimeouts(uint32_t pausedMs, uint32_t now);
    static void Lift(PausedPeer& paused);
    // ... until each has answered since: then it has its own again.
    void RestoreTimeouts();
    std::vector<PausedPeer>::iterator FindPaused(const _ENetPeer* peer);
    void DropOversizeSenders();
    // Gives a peer its time-out: the one set (SetPeerTimeout), or a joining connection's;
    // with the pauses it is owed still added.
    void ApplyTimeout(_ENetPeer* peer, int host);
    // ... to every peer connected now.
    void ApplyTimeouts();
    int HostOfPeer(const _ENetPeer* peer) const;
    std::string PeerName(const _ENetPeer* peer) const;

    _ENetHost* m_host = nullptr;
    int m_localHost = ConnectionManager::kServerHost;
    // The server's clients by host number (slot 0 unused); a client's one peer, the
    // server, in slot 0.
    _ENetPeer* m_peers[ConnectionManager::kMaxHost + 1] = {};
    // On the server: how far each connection has come in its join, and since when it waits.
    // The join deadline runs until the game confirms the client plays: a connection that
    // only shakes hands, or only sends its player, holds a host number as surely as one
    // that never does.
    enum class JoinStep : uint8_t {
        Offered,        // told its number
        Answered,       // answered with it: the game hears of it and sends it its world
        Welcomed,       // welcomed, after that world
        WorldReceived,  // acknowledged that world (its player may stand in it: m_playerBrought)
        Playing,        // its player beats: it never gives way, and keeps its number while it beats
    };
    // Moves a connection on to `step`, its step time starting now.
    void Advance(int host, JoinStep step);
    bool Joined(int host) const { return m_step[host] >= JoinStep::Answered; }
    JoinStep m_step[ConnectionManager::kMaxHost + 1] = {};
    // Whether the game said the connection's player stands in the world, whichever came first.
    bool m_playerBrought[ConnectionManager::kMaxHost + 1] = {};
    // The packets of each connection's world that ENet has not released yet, and whether one
    // was released unacknowledged (its peer was reset); shared with the packets, which may
    // outlive the connection and the transport.
    struct WorldPackets {
        int unreleased = 0;
        bool lost = false;
    };
    std::shared_ptr<WorldPackets> m_world[ConnectionManager::kMaxHost + 1];
    int64_t m_connectedAt[ConnectionManager::kMaxHost + 1] = {};
    // When the connection's player last beat, once it plays.
    int64_t m_beatAt[ConnectionManager::kMaxHost + 1] = {};
    // When the connection took its step of the join it stands at.
    int64_t m_stepAt[ConnectionManager::kMaxHost + 1] = {};
    // A playing connection found silent at the start of the last service.
    bool m_silent[ConnectionManager::kMaxHost + 1] = {};
    // Each connection's packet budget, and ENet's time it was last filled.
    double m_budget[ConnectionManager::kMaxHost + 1] = {};
    uint32_t m_budgetAt[ConnectionManager::kMaxHost + 1] = {};

    // What a server remembers of an address beyond its connections: what those that left had
    // left of their budgets, its refusal, and its log's counts.
    enum class AddressEvent : uint8_t { Flooded, Refused, OverLimit, Count };
    static constexpr size_t kAddressEvents = static_cast<size_t>(AddressEvent::Count);
    struct AddressMemory {
        uint32_t address = 0;
        // The least the connections that left had left of their budgets, on ENet's time
        // budgetAt.
        double budget = kFloodBurstPackets;
        uint32_t budgetAt = 0;
        // Refused until then, on the transport's clock.
        bool refused = false;
        int64_t refusedUntil = 0;
        // The period of its log lines, while one is open: since when, the lines of each kind
        // only counted, and whether one of the kind was logged whole.
        bool logging = false;
        int64_t logFrom = 0;
        uint32_t counted[kAddressEvents] = {};
        bool logged[kAddressEvents] = {};
    };
    // The address's memory, made when `make` (when the table is full, the one whose refusal
    // ends first, or is over, is forgotten for it); null when there is none.
    AddressMemory* FindAddress(uint32_t address, bool make);
    // The server's: whether a request to connect comes from an address still refused,
    // counting the refusal in the log.
    bool RefusedAddress(uint32_t address);
    // Logs a line of the address's, or counts it when one of its kind was logged whole in the
    // address's period.
    void NoteAddress(uint32_t address, AddressEvent event, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    // Logs what the address's period counted, in one line, and opens the next period; closes
    // it when it counted nothing (the next line of the address is logged whole again).
    void EndLogPeriod(AddressMemory& memory, int64_t now);
    // Ends the periods and the refusals that are over and forgets the addresses with nothing
    // left to remember; `closing`: logs every count.
    void SweepAddresses(bool closing);
    // The server's: remembers, for its address, what a connection that leaves has left of its
    // budget.
    void RememberBudget(int host);
    // The server's: disconnects a connection that sent past its budget, and refuses its address.
    void DropFlooder(int host);
    std::vector<AddressMemory> m_addresses;
    // On a client: the number the server offered, until it welcomes the client.
    int m_offeredHost = -1;
    std::vector<_ENetPeer*> m_oversizeSenders;
    NetInbox m_inbox;
    Stats m_stats;
    int m_goodbyeWaitMs = kDefaultGoodbyeWaitMs;
    int m_joinDeadlineMs = kDefaultJoinDeadlineMs;
    int m_joinStepMs = kDefaultJoinStepMs;
    Clock m_clock;
    uint32_t m_timeoutMinimum = 0;
    uint32_t m_timeoutMaximum = 0;
    std::vector<PausedPeer> m_paused;
    // ENet's time at the end of the last service; 0 before the first.
    uint32_t m_servicedAt = 0;
};

}  // namespace GAME
