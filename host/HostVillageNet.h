// The village played by several hosts over the network. The server plays the village as
// a lone host does (host/HostVillage.h) and serves it: it waits for its first clients
// (--clients N), holds at a frame until a late client has joined (--late-join FRAME), and
// tells every client of the world as it changes (host/HostNetwork.h). Each client plays
// only its own player, steered by its own clicks (--input). At the end of the level the
// server prints the summary of the shared world ("world:" lines: the level's end, the
// monsters killed, the quests' states, the loot of the chests and of the bosses by
// identity, the players present) and sends it to every client's player; a client prints
// the lines as they reach it, so every host present at the end prints the same summary.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Game/session/GamePacketDispatch.h"
#include "host/HostEventTap.h"

namespace GAME {

class GameEngine;
class GameSession;
class HostLevel;
class HostNetwork;
class Name;
struct GameEvent;
struct HostOptions;

// What a host's world came to, gathered after each frame: the monsters that died (by
// record), and the items that came to lie in the world while a chest had just opened or a
// boss (a monster its record ranks "Boss") had just died (the game throws a drop away from its source, the farther the farther
// the source stands from its region's origin, so nearness alone cannot tell whose it is).
// The server's tally is the summary of the shared world; a client keeps its own from what
// reached it, to set beside the server's.
class HostWorldTally {
public:
    // An item first seen within this many looks of its source's opening or death is the
    // source's (the nearest such source of its region when there are several).
    static constexpr int kLootLooks = 40;

    HostWorldTally() = default;
    ~HostWorldTally();
    HostWorldTally(const HostWorldTally&) = delete;
    HostWorldTally& operator=(const HostWorldTally&) = delete;

    // From now on each monster is counted as the game tells of its death, so that one that
    // dies and goes between two looks is counted too; until StopObserving.
    void ObserveDeaths();
    // The game's observer of events from before ObserveDeaths is given back.
    void StopObserving();
    // After a frame: the deaths and the drops since the last look.
    void Watch();
    // A creature started dying: counted when it is a monster (each once).
    void CreatureDied(uint32_t id);
    // The summary's lines, in a fixed order, each starting "world: ".
    std::vector<std::string> Lines(const std::string& level, bool finished) const;
    // The lines of what the world came to, without the level's end, each starting `prefix`.
    std::vector<std::string> WorldLines(const std::string& prefix) const;
    // The items lying loose in the world now, by identity in a fixed order, each line
    // starting `prefix`: what a host can compare with a source's loot whatever it knows
    // of the source itself.
    static std::vector<std::string> GroundLines(const std::string& prefix);

private:
    int m_looks = 0;
    std::map<uint32_t, std::string> m_killed;                 // monster id -> record
    std::set<uint32_t> m_itemsSeen;
    std::map<uint32_t, int> m_sourceSince;                    // source id -> the look it opened or died at
    std::map<std::string, std::vector<std::string>> m_loot;   // source -> identities
    HostEventTap m_deaths;
};

class HostVillageNet {
public:
    // The server waits this long at most for its clients, at the start and for a late one.
    static constexpr int kClientWaitMs = 60000;
    // Each networked frame gives the other processes a moment.
    static constexpr int kFrameSleepMs = 4;
    static constexpr const char* kWorldPrefix = kServerSummaryPrefix;
    // What a client saw of the shared world itself, printed beside the server's summary.
    static constexpr const char* kSeenPrefix = "seen: ";

    HostVillageNet();
    ~HostVillageNet();
    HostVillageNet(const HostVillageNet&) = delete;
    HostVillageNet& operator=(const HostVillageNet&) = delete;

    // The server listens as the options say; false (printed) when it cannot.
    bool Open(const HostOptions& options);
    bool IsOpen() const { return m_open; }
    // Where the server listens, once the run is accepted (nothing when it is not open).
    void PrintOpened() const;
    // After InitializeObjects: the game's packet handlers, and the engine's role (the
    // server's when open, else alone).
    void StartGame(GameEngine& engine);
    GameSession& Session();
    // The server's game runs with `playerId` its player: the clients are heard and waited for,
    // and their players are in its party before the first frame.
    void Start(GameEngine& engine, uint32_t playerId);
    void BeforeFrame(int frame);
    void AfterFrame(int frame);
    // The summary of the shared world, printed here and sent to every client's player.
    void Finish(const std::string& level, bool finished);
    void Close();

    // A client's whole run of the village `level`; the process exit code: 0 when it left by
    // itself or had the server's summary before the server went away. `beyond`, the level behind
    // the village's portal (null: none), has its region opened as the server's is, so that
    // the client is shown what the server plays there.
    static int RunClient(const HostOptions& options, const HostLevel& level, const HostLevel* beyond);

private:
    // Hears the clients until `done` holds, for kClientWaitMs at most; false on time-out.
    bool WaitUntil(const std::function<bool()>& done);
    // Waits (bounded) until more clients than `count` have joined in all; false on time-out.
    bool WaitForJoins(int count);
    // The clients' players in the roster now; a player not there before counts as a join.
    void CountJoins();
    void InviteClients(int frame);
    // Whether every client's player in the roster is in the server player's party.
    bool InParty() const;
    // Waits (bounded) until it is; false on time-out.
    bool WaitForParty();

    std::unique_ptr<HostNetwork> m_network;
    GameEngine* m_engine = nullptr;
    uint32_t m_playerId = 0;
    bool m_open = false;
    int m_clients = 0;
    int m_lateJoinFrame = 0;
    int m_joins = 0;
    std::set<uint32_t> m_clientPlayers;
    std::set<uint32_t> m_invited;   // the clients' players invited into the party
    bool m_firstInvited = false;
    HostWorldTally m_tally;
};

}  // namespace GAME
