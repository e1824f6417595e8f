// A game as a host program runs it: alone, as a server that others join, or as a client
// of a server. The session registers the game's packet handlers, makes characters from
// the spawn packets that arrive, listens or connects over the network transport, tells a
// joining client of the world, sends a client's own player once the server's world has
// reached it, and runs the frame that services the transport. What a host prints is its
// own: the observers below hear what happens and print nothing themselves.
//
// A host uses it in this order:
//   RecordDatabase::Get().SetDataRoot(dir);        // where the game's records lie
//   GameSession session;
//   session.Listen(port, error) / session.Connect("HOST:PORT", error);
//                                                  // networked only; before InitializeObjects,
//                                                  // so that a client's objects get ids of
//                                                  // its own host number
//   InitializeObjects();                           // the library's entry: the game engine
//   session.Start(*gGameEngine);                   // packet handlers; alone, server or client
//   ... make the player ...
//   session.BeginPlay(playerId);                   // hears connections and spawns
//   session.WaitForFirstClient();                  // a server: optionally, for a first client
//   for (each frame) { session.RunFrame(stepMs); if (session.ShouldStop()) break; }
//   session.Stop();
//   ShutdownObjects();
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

namespace GAME {

class Character;
class EnetTransport;
class GameEngine;
class Item;
class ObservedTransport;
struct NetConnectionEvent;
struct SpawnReport;

class GameSession {
public:
    enum class Role { Alone, Server, Client };

    // What a host may want to hear (each may be left empty).
    struct Observers {
        // A host joined, left, timed out, was refused, or the server went away.
        std::function<void(const NetConnectionEvent&)> connection;
        // ... after the game handled it (and a joining client was told of the world).
        std::function<void(const NetConnectionEvent&)> connectionDone;
        // The server told a joining host of a character / an item on the ground, then of
        // how many of each in all.
        // A server also sends a monster again whose life or life state changed (EndFrame):
        // characterSent hears it.
        std::function<void(const Character&)> characterSent;
        std::function<void(const Item&)> itemSent;
        std::function<void(int host, int characters, int items)> worldSent;
        // A received spawn makes a character here: the host gives it what its game gives
        // such a character beside its record, before the image applies (SpawnPreparer).
        std::function<void(Character&)> making;
        // A received spawn was applied (made now, or an existing character took its image).
        std::function<void(const SpawnReport&)> spawned;
        // A client: the server's world arrived; then its own player goes to the server.
        std::function<void()> worldArrived;
        std::function<void(const Character&)> playerSent;
        // Each packet as it travels: sent, or received once applied (never one dropped);
        // `sent` tells which.
        std::function<void(const unsigned char* data, size_t size, bool sent)> traffic;
        // A client: each received packet has been applied (before the next is taken).
        std::function<void()> applied;
    };

    // A server waits at most this long for its first client.
    static constexpr int kConnectTimeoutMs = 60000;
    // A client gives up joining when no server has taken it within this long.
    static constexpr int kJoinTimeoutMs = 10000;
    // A client whose server went away plays on at most this long while packets wait for
    // the objects they name and while the game's processes run.
    static constexpr uint32_t kDrainMs = 30000;

    GameSession();
    ~GameSession();
    GameSession(const GameSession&) = delete;
    GameSession& operator=(const GameSession&) = delete;

    // Listens on `port` (0: any free one, see GetPort). False with `error` set on failure.
    bool Listen(int port, std::string& error);
    // How long a server lets a playing client stay silent before it drops it (3 s unless
    // set); before Listen or after.
    void SetClientTimeout(uint32_t ms);
    // Connects to "HOST:PORT" and takes the host number the server gives. False with
    // `error` set on failure.
    bool Connect(const std::string& address, std::string& error);
    // Splits "HOST:PORT"; false when it is not one.
    static bool ParseAddress(const std::string& text, std::string& host, uint16_t& port);
    // A host that plays the server's or a client's role without the network (its own
    // transport set with the connection manager) says so before Start.
    void SetRole(Role role) { m_role = role; }
    Role GetRole() const { return m_role; }
    bool IsNetworked() const { return m_transport != nullptr; }
    uint16_t GetPort() const;
    int GetLocalHost() const;
    // The network transport; null off the network.
    EnetTransport* GetTransport() const { return m_transport.get(); }

    void SetObservers(Observers observers);

    // After InitializeObjects: registers the game's packet handlers and sets the engine's
    // network role (server or client as opened, else as SetRole said, else alone).
    void Start(GameEngine& engine);
    // On the network, once the game runs with `playerId` this host's own player: hears the
    // connections and the received spawns; packets naming objects not there yet wait
    // (bounded) for them. A client sends this player once the server's world arrived.
    void BeginPlay(uint32_t playerId);
    // A server waits, `timeoutMs` at most in all, until a client's player stands in the
    // world (its client connected, and its player joined the roster and arrived); a client
    // that stalls on the way is dropped at its deadline for joining and the next one counts.
    // What it returns tells how far the furthest client connected at the end came.
    enum class FirstClient { Ready, NoClient, NoPlayer, NotInWorld };
    FirstClient WaitForFirstClient(int timeoutMs = kConnectTimeoutMs);
    // Hears the transport until `done` holds or `timeoutMs` passed, without a game frame.
    bool WaitUntil(const std::function<bool()>& done, int timeoutMs = kConnectTimeoutMs);
    // Applies what the peers sent by now, without a game frame.
    void Poll();

    // One frame of `ms`: the game engine's frame, then the engine's (what the peers sent
    // is applied, the world's actors update), then EndFrame.
    void RunFrame(int ms);
    // The steps of RunFrame, for a host that does its own work between them.
    void UpdateGame(int ms);
    void UpdateWorld(int ms);
    // A server sends every monster whose life or life state changed to every client.
    void EndFrame();
    // How many monsters the server keeps what it last sent of: each from when it is first
    // sent until it is destroyed.
    size_t GetSentMonsterCount() const { return m_sentMonsters.size(); }

    // A client whose server went away has applied what it sent, and what it started has
    // run (at most kDrainMs): the game should end.
    bool ShouldStop() const;

    // Leaves the network (the transport is gone afterwards) and removes the packet
    // handlers; before ShutdownObjects.
    void Stop();

private:
    void OnConnection(const NetConnectionEvent& event);
    void OnWorldArrived();
    void SendChangedMonsters();
    Role m_role = Role::Alone;
    std::unique_ptr<EnetTransport> m_transport;
    uint32_t m_clientTimeoutMs;
    std::unique_ptr<ObservedTransport> m_observed;
    GameEngine* m_engine = nullptr;
    uint32_t m_playerId = 0;
    bool m_started = false;
    bool m_playing = false;
    // What was last sent of each monster: its life and life state. A monster's entry goes
    // after it is destroyed (at the next frame's sending, once the object manager's
    // removal count, m_sentPrunedAt, has moved).
    std::map<uint32_t, std::pair<float, int>> m_sentMonsters;
    uint64_t m_sentPrunedAt = 0;
    uint32_t m_serverLostAt = 0;
    Observers m_observers;
};

}  // namespace GAME
