// gamehost over the network, through the game's session (Game/session/GameSession.h):
// the session listens or connects, tells a joining client of the world, sends a client's
// player once the world arrived and the monsters again as they change. What this host
// chooses: the server's player invites the first client's player into its party. Both
// print what travels of the characters, of the skills' results and of the buffs the
// monsters take and lose ("net:" lines, alike on both sides), who joins and leaves, and
// the roster at the end. A client's image of the server's player knows the fight's skills.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Game/session/GameSession.h"
#include "host/HostLevelTell.h"
#include "host/HostSession.h"

namespace GAME {

class GameEngine;
struct NetConnectionEvent;
struct SpawnReport;

class HostNetwork {
public:
    // The game time a server may run ahead of a client (see Pace); a host number's grace for
    // the run; the longest wait for a client with --pace.
    static constexpr int kLeadMs = 4000;
    static constexpr int kGraceMs = 500;
    static constexpr int kPaceWaitMs = 60000;

    HostNetwork();
    ~HostNetwork();
    HostNetwork(const HostNetwork&) = delete;
    HostNetwork& operator=(const HostNetwork&) = delete;

    // Whether the options ask for a network run.
    static bool Wanted(const HostOptions& options);
    // Listens or connects as the options say (before InitializeObjects); a client takes
    // the host number the server gave it. False when that fails, which refuses the run
    // (HostRefuse). Prints nothing: the run accepted, PrintOpened says where it listens or
    // whom it joined.
    bool Open(const HostOptions& options);
    void PrintOpened() const;
    // The game's session: StartGame after InitializeObjects registers the packet handlers
    // and sets the engine's role (`role`, the options' role, when there is no network).
    GameSession& Session() { return m_session; }
    void StartGame(GameEngine& engine, const std::string& role);
    // Once the game runs in its role: hears the connections and the received spawns.
    // `playerId` is this host's own player.
    void Start(GameEngine& engine, uint32_t playerId);
    // A server waits (bounded) until its first client has connected and its player has
    // joined the roster, so that the client sees the game from its start.
    void WaitForFirstClient();
    // What else watches the traffic: `packet` sees each packet as it travels (sent, or
    // received once it has been applied: never one that was dropped); on a client, `applied` runs once each received
    // packet has been applied, so that what a packet makes and a later one of the same
    // frame takes away again is seen in between.
    void WatchTraffic(std::function<void(const unsigned char*, size_t)> packet, std::function<void()> applied);
    // A server first paces itself to its clients (see Pace), then its player invites the
    // first client's player.
    void BeforeFrame(int frame);
    void AfterFrame(int frame);
    // The server went away and the client has applied what it sent: the client ends its
    // game. What came before the server's goodbye is all here by then; the client plays on
    // while packets wait for objects they name (each for a bounded time) and while the
    // game's processes run (the end of the game with its dialog), at most GameSession::kDrainMs of game
    // time after the loss.
    bool ShouldStop() const { return m_session.ShouldStop(); }
    // On a client: why its server went away when it did not end the game as planned (it
    // stopped answering, or dropped this client); empty while it is there, or when it closed
    // the game.
    const std::string& GetLossReason() const { return m_lossReason; }
    // The level this host plays, told to each client as it joins; on a client, the refusal
    // of a server that plays another level (HostLevelTell::GetRefusal), once it was told.
    const HostLevelTell& GetLevelTell() const { return m_levelTell; }
    void PrintEnd() const;
    // The milliseconds the pacing's waits are measured on (a test's own clock; the steady
    // clock unless set).
    void SetClock(std::function<int64_t()> clock) { m_clock = std::move(clock); }
    // Leaves the network (the transport is gone afterwards) and removes the packet handlers.
    void Close();

private:
    void OnConnection(const NetConnectionEvent& event);
    void OnMaking(Character& character);
    void OnSpawned(const SpawnReport& report);
    // What travels: the heartbeats counted, the skills' results, spawns and buffs printed.
    void Note(const unsigned char* data, size_t size, bool sent);
    // Prints each player who left the roster since the last look.
    void WatchRoster();
    // A server runs no further ahead of a client than kLeadMs of game time: before a frame
    // it hears each client that plays and has fallen further behind (by its heartbeats
    // since its first) until the client has caught up, or is gone (it leaves, or times
    // out). A server that strangers join waits so only within a short grace: kGraceMs in
    // all over the run for each host number, which a client that leaves and joins again
    // (under the lowest free number, its own again) does not get back; so a client that
    // stops beating, or whose heartbeats queue behind its own flood, holds the others'
    // game for that long at most, once. A server told to pace (--pace: its clients are its
    // own, as a test's are) waits up to kPaceWaitMs each time, however slow a loaded
    // machine makes a client. A host number whose wait ran out is waited for no more in the
    // run (printed).
    void Pace(int frame);
    int64_t Now() const;

    // A client's connection paced to: the server's frame of its first heartbeat, its
    // heartbeats since.
    struct PacedClient {
        int firstFrame = 0;
        int heartbeats = 0;
    };

    GameSession m_session;
    GameEngine* m_engine = nullptr;
    uint32_t m_playerId = 0;
    int m_frame = 0;
    int m_stepMs = 0;
    bool m_serving = false;
    std::string m_joined;   // a client: the server's HOST:PORT
    bool m_invited = false;
    int m_charactersArrived = 0;
    std::function<void(const unsigned char*, size_t)> m_travelled;
    std::string m_lossReason;
    HostLevelTell m_levelTell{std::string()};
    std::function<void()> m_applied;
    int m_heartbeatsSent = 0;
    int m_heartbeatsReceived = 0;
    // The last all-players heartbeat either way: what the server last told its clients of
    // every player is what they last heard.
    std::vector<unsigned char> m_lastAllPlayersHeartbeat;
    // The roster's players after the last look, with their names.
    std::map<uint32_t, std::string> m_rosterNames;
    // On a server: each connected client's heartbeats, by host; and for the whole run, the
    // waiting each host number has left (its grace, or with --pace a wait's length, which
    // is 0 once a wait ran out).
    std::map<int, PacedClient> m_paced;
    std::map<int, int64_t> m_waitLeftMs;
    bool m_pace = false;
    std::function<int64_t()> m_clock;
};

}  // namespace GAME
