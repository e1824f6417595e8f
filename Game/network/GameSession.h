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
//   session.Listen(port) / session.Connect("HOST:PORT");   // networked only; before
//                                                  // InitializeObjects, so that a client's
//                                                  // objects get ids of its own host number
//   InitializeObjects();                           // the library's entry: the game engine
//   session.Start(*gGameEngine);                   // alone, server or client as opened
//   ... make the player; session.SetPlayer(id) ...
//   session.WaitForClient();                       // a server: optionally, for a first client
//   while (running && !session.ShouldStop())
//       session.RunFrame(stepMs);
//   session.Stop();
//   ShutdownObjects();
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

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
        // The server told a joining host of a character / an item on the ground, then of
        // how many of each in all.
        std::function<void(const Character&)> characterSent;
        std::function<void(const Item&)> itemSent;
        std::function<void(int host, int characters, int items)> worldSent;
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

    // A server waits at most this long for its first client, a client this long to be taken.
    static constexpr int kConnectTimeoutMs = 60000;
    // A client whose server went away plays on at most this long while packets wait for
    // the objects they name and while the game's processes run.
    static constexpr uint32_t kDrainMs = 30000;

    GameSession();
    ~GameSession();
    GameSession(const GameSession&) = delete;
    GameSession& operator=(const GameSession&) = delete;

    // Listens on `port` (0: any free one, see GetPort). False with `error` set on failure.
    bool Listen(int port, std::string& error);
    // Connects to "HOST:PORT" and takes the host number the server gives. False with
    // `error` set on failure.
    bool Connect(const std::string& address, std::string& error);
    Role GetRole() const { return m_role; }
    uint16_t GetPort() const;
    int GetLocalHost() const;

    void SetObservers(Observers observers);

    // After InitializeObjects: registers the game's packet handlers, sets the engine's
    // network role (alone, server or client as opened) and hears the connections.
    void Start(GameEngine& engine);
    // This host's own player: a client sends it to the server once the world arrived.
    void SetPlayer(uint32_t playerId) { m_playerId = playerId; }
    // A server waits (bounded) until a first client has connected; false on time-out.
    bool WaitForClient(int timeoutMs = kConnectTimeoutMs);
    // Services the transport for a moment without a game frame (while waiting).
    void Poll();

    // One frame of `ms`: the game engine's frame, then the engine's (what the peers sent
    // is applied, the world's actors update).
    void RunFrame(int ms);
    // The two halves of RunFrame, for a host that does its own work between them.
    void UpdateGame(int ms);
    void UpdateWorld(int ms);

    // A client whose server went away has applied what it sent, and what it started has
    // run (at most kDrainMs): the game should end.
    bool ShouldStop() const;

    // Leaves the network and removes the packet handlers; before ShutdownObjects.
    void Stop();

private:
    void OnConnection(const NetConnectionEvent& event);
    void OnWorldArrived();

    Role m_role = Role::Alone;
    std::unique_ptr<EnetTransport> m_transport;
    std::unique_ptr<ObservedTransport> m_observed;
    GameEngine* m_engine = nullptr;
    uint32_t m_playerId = 0;
    bool m_clientJoined = false;
    bool m_started = false;
    uint32_t m_serverLostAt = 0;
    Observers m_observers;
};

}  // namespace GAME
