// gamehost over the network: the server listens for clients, a client connects to it.
// The server tells a joining client of every character it has, invites the client's
// player into its player's party, and sends the monster again whenever its life or life
// state changes; a client sends its own player once the server's world has arrived. Both
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

#include "host/HostSession.h"

namespace GAME {

class EnetTransport;
class WatchedTransport;
class GameEngine;
struct NetConnectionEvent;
struct SpawnReport;

class HostNetwork {
public:
    HostNetwork();
    ~HostNetwork();
    HostNetwork(const HostNetwork&) = delete;
    HostNetwork& operator=(const HostNetwork&) = delete;

    // Whether the options ask for a network run.
    static bool Wanted(const HostOptions& options);
    // Listens or connects as the options say, and makes the transport the connection
    // manager's; a client takes the host number the server gave it. False (printed) when
    // that fails.
    bool Open(const HostOptions& options);
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
    void BeforeFrame(int frame);
    void AfterFrame(int frame);
    // The server went away and the client has applied what it sent: the client ends its
    // game. What came before the server's goodbye is all here by then; the client plays on
    // while packets wait for objects they name (each for a bounded time) and while the
    // game's processes run (the end of the game with its dialog), at most kDrainMs of game
    // time after the loss.
    bool ShouldStop() const;
    static constexpr uint32_t kDrainMs = 30000;
    void PrintEnd() const;
    // Leaves the network; the transport is gone afterwards.
    void Close();

private:
    void OnConnection(const NetConnectionEvent& event);
    void OnSpawned(const SpawnReport& report);
    void OnWorldArrived();
    // Sends the monsters whose life or life state changed to every client.
    void SendChangedMonsters();
    // Prints each player who left the roster since the last look.
    void WatchRoster();

    std::unique_ptr<EnetTransport> m_transport;
    std::unique_ptr<WatchedTransport> m_watched;
    GameEngine* m_engine = nullptr;
    uint32_t m_playerId = 0;
    int m_frame = 0;
    bool m_serving = false;
    bool m_invited = false;
    bool m_clientJoined = false;
    int m_charactersArrived = 0;
    // The game clock's real time when the server went away.
    uint32_t m_serverLostAt = 0;
    // What was last sent of each monster: its life and life state.
    std::map<uint32_t, std::pair<float, int>> m_sentMonsters;
    // The roster's players after the last look, with their names.
    std::map<uint32_t, std::string> m_rosterNames;
};

}  // namespace GAME
