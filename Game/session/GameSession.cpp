#include "Game/session/GameSession.h"

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "Engine/ConnectionManager.h"
#include "Engine/EnetTransport.h"
#include "Engine/Engine.h"
#include "Engine/GameClock.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/core/ActivityManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/PlayerManagerServer.h"
#include "Game/core/foundation/Filters.h"
#include "Game/session/GamePacketDispatch.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/session/SpawnReplication.h"

namespace GAME {

namespace {

// A client that stops answering is dropped once it has been silent this long: the
// shortest and the longest time-out are one, so that a quick round trip does not shorten it.
constexpr uint32_t kPeerTimeoutMs = 3000;
// A packet naming characters that have not arrived yet waits this many frames, or this
// much game time (120 frames of the bundled runs' 250 ms), for them.
constexpr int kHoldTries = 120;
constexpr int kHoldMs = 30000;

// What the server tells the clients of a monster's health, and remembers it told: its life
// and life state (GameSession::m_sentMonsters).
std::pair<float, int> SentLife(const Character& character)
{
    return {character.GetCurrentLife(), static_cast<int>(character.GetLifeState())};
}

}  // namespace

// Passes everything to the network transport and lets the session's observer see what
// travels: a packet sent as it goes, a packet received once it has been applied (what was
// dropped is never seen). A client whose server has gone sends nothing.
class ObservedTransport : public NetTransport {
public:
    ObservedTransport(NetTransport& inner, bool serving, const GameSession::Observers& observers)
        : m_inner(inner), m_serving(serving), m_observers(observers)
    {
        NetPacketRegistry::Get().SetAppliedObserver([this](NetPacket& packet, int) { Applied(packet); });
    }
    ~ObservedTransport() override { NetPacketRegistry::Get().SetAppliedObserver({}); }
    ObservedTransport(const ObservedTransport&) = delete;
    ObservedTransport& operator=(const ObservedTransport&) = delete;

    void Service() override { m_inner.Service(); }
    bool PollConnectionEvent(NetConnectionEvent& event) override { return m_inner.PollConnectionEvent(event); }
    void Send(const NetDestination& to, const unsigned char* data, size_t size) override
    {
        if (!m_serving && !m_inner.IsConnected(ConnectionManager::kServerHost))
            return;
        if (m_observers.traffic)
            m_observers.traffic(data, size, true);
        m_inner.Send(to, data, size);
    }
    bool Receive(int& fromHost, std::vector<unsigned char>& bytes) override
    {
        // The packet received before has been applied by now: what it changed is seen
        // before the next one changes it again.
        if (!m_serving && m_observers.applied)
            m_observers.applied();
        return m_inner.Receive(fromHost, bytes);
    }
    void Disconnect(int host, const std::string& reason) override { m_inner.Disconnect(host, reason); }
    bool IsConnected(int host) const override { return m_inner.IsConnected(host); }
    // The steps of a client's join, for the transport to weigh.
    void ConfirmJoined(int host) override { m_inner.ConfirmJoined(host); }
    void ConfirmInWorld(int host) override { m_inner.ConfirmInWorld(host); }

private:
    void Applied(NetPacket& packet)
    {
        if (!m_observers.traffic)
            return;
        if (const uint32_t size = packet.PrepareOutBuffer())
            m_observers.traffic(packet.GetOutBuffer(), size, false);
    }

    NetTransport& m_inner;
    const bool m_serving;
    const GameSession::Observers& m_observers;
};

GameSession::GameSession() : m_clientTimeoutMs(kPeerTimeoutMs) {}

GameSession::~GameSession()
{
    Stop();
}

bool GameSession::ParseAddress(const std::string& text, std::string& host, uint16_t& port)
{
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0)
        return false;
    host = text.substr(0, colon);
    char* end = nullptr;
    const long value = std::strtol(text.c_str() + colon + 1, &end, 10);
    if (colon + 1 == text.size() || *end != '\0' || value <= 0 || value > 65535)
        return false;
    port = static_cast<uint16_t>(value);
    return true;
}

bool GameSession::Listen(int port, std::string& error)
{
    if (m_transport) {
        error = "the session is already on the network";
        return false;
    }
    if (port < 0 || port > 65535) {
        error = "no such port";
        return false;
    }
    m_transport = EnetTransport::Listen(static_cast<uint16_t>(port), error);
    if (!m_transport)
        return false;
    m_transport->SetPeerTimeout(m_clientTimeoutMs, m_clientTimeoutMs);
    m_role = Role::Server;
    m_observed = std::make_unique<ObservedTransport>(*m_transport, true, m_observers);
    ConnectionManager::Get().SetTransport(m_observed.get());
    return true;
}

void GameSession::SetClientTimeout(uint32_t ms)
{
    m_clientTimeoutMs = ms;
    if (m_transport && m_role == Role::Server)
        m_transport->SetPeerTimeout(ms, ms);
}

bool GameSession::Connect(const std::string& address, std::string& error)
{
    if (m_transport) {
        error = "the session is already on the network";
        return false;
    }
    std::string host;
    uint16_t port = 0;
    if (!ParseAddress(address, host, port)) {
        error = "\"" + address + "\" is no HOST:PORT";
        return false;
    }
    m_transport = EnetTransport::Connect(host, port, kJoinTimeoutMs, error);
    if (!m_transport)
        return false;
    m_role = Role::Client;
    ConnectionManager::Get().SetLocalHostId(m_transport->GetLocalHost());
    m_observed = std::make_unique<ObservedTransport>(*m_transport, false, m_observers);
    ConnectionManager::Get().SetTransport(m_observed.get());
    return true;
}

uint16_t GameSession::GetPort() const
{
    return m_transport ? m_transport->GetPort() : 0;
}

int GameSession::GetLocalHost() const
{
    return m_transport ? m_transport->GetLocalHost() : ConnectionManager::Get().GetLocalHostId();
}

void GameSession::SetObservers(Observers observers)
{
    m_observers = std::move(observers);
}

void GameSession::Start(GameEngine& engine)
{
    m_engine = &engine;
    if (!m_started)
        RegisterGamePacketDispatch();
    m_started = true;
    switch (m_role) {
    case Role::Server:
        engine.SetAsNetworkServer();
        break;
    case Role::Client:
        engine.SetAsNetworkClient();
        break;
    case Role::Alone:
        engine.SetAsNetworkStub();
        break;
    }
}

void GameSession::BeginPlay(uint32_t playerId)
{
    m_playerId = playerId;
    if (!m_engine || m_role == Role::Alone)
        return;
    m_playing = true;
    NetPacketRegistry::Get().SetHoldLimits(kHoldTries, kHoldMs);
    ConnectionManager::Get().SetConnectionListener([this](const NetConnectionEvent& event) { OnConnection(event); });
    SetSpawnObservers(
        [this](const SpawnReport& report) {
            if (m_observers.spawned)
                m_observers.spawned(report);
        },
        [this] { OnWorldArrived(); });
    SetSpawnPreparer([this](Character& character) {
        if (m_observers.making)
            m_observers.making(character);
    });
}

void GameSession::OnConnection(const NetConnectionEvent& event)
{
    if (m_observers.connection)
        m_observers.connection(event);
    m_engine->HandleConnectionEvent(event);
    if (event.kind == NetConnectionEvent::ServerLost)
        m_serverLostAt = GameClock::Get().GetRealTime();
    if (event.kind == NetConnectionEvent::Joined && m_role == Role::Server) {
        int items = 0;
        const int sent = SendWorldToHost(
            event.host,
            [this](const Character& character) {
                if (m_observers.characterSent)
                    m_observers.characterSent(character);
                if (character.IsA<Monster>())
                    m_sentMonsters[character.GetObjectId()] = SentLife(character);
            },
            [this, &items](const Item& item) {
                ++items;
                if (m_observers.itemSent)
                    m_observers.itemSent(item);
            });
        if (m_observers.worldSent)
            m_observers.worldSent(event.host, sent, items);
    }
    if (m_observers.connectionDone)
        m_observers.connectionDone(event);
}

// The server's world is here: this client's own player goes to every peer now.
void GameSession::OnWorldArrived()
{
    if (m_observers.worldArrived)
        m_observers.worldArrived();
    auto* player = ObjectManager::Get().GetObject<Player>(m_playerId);
    if (!player)
        return;
    if (std::unique_ptr<SpawnPlayerPacket> packet = MakeSpawnPacket(*player)) {
        if (m_observers.playerSent)
            m_observers.playerSent(*player);
        ConnectionManager::Get().SendToServer(*packet);
    }
}

bool GameSession::WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done() && std::chrono::steady_clock::now() < until) {
        ConnectionManager::Get().ProcessIncoming();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

// First a client's connection, then its player in the roster: the client has started
// its game by then, so it sees the server's from its first frame. Then the player stands
// in the world (the client sends it once the server's world has reached it), so the
// server's opening moves find it there however slow the client is. Only a client that is
// connected counts: one that stalls is dropped by the transport at its deadline for
// joining, and the next one may still come, within the one wait of `timeoutMs` in all.
GameSession::FirstClient GameSession::WaitForFirstClient(int timeoutMs)
{
    if (m_role != Role::Server || !m_transport || !m_engine)
        return FirstClient::Ready;
    // How far the furthest client connected now has come.
    const auto reached = [this] {
        FirstClient best = FirstClient::NoClient;
        for (int host = 1; host <= ConnectionManager::kMaxHost; ++host)
            if (ConnectionManager::Get().IsClientConnected(host) && best == FirstClient::NoClient)
                best = FirstClient::NoPlayer;
        const PlayerManagerServer* roster = m_engine->GetPlayerManagerServer();
        if (roster)
            for (const PlayerNetBasicInfo& record : roster->GetPlayerInfos()) {
                const int host = PlayerHostId(record.playerId);
                if (host == ConnectionManager::kServerHost || !ConnectionManager::Get().IsClientConnected(host))
                    continue;
                const auto* player = ObjectManager::Get().GetObject<Player>(record.playerId);
                if (player && player->IsInWorld())
                    return FirstClient::Ready;
                best = FirstClient::NotInWorld;
            }
        return best;
    };
    WaitUntil([&reached] { return reached() == FirstClient::Ready; }, timeoutMs);
    return reached();
}

void GameSession::Poll()
{
    ConnectionManager::Get().ProcessIncoming();
}

void GameSession::RunFrame(int ms)
{
    UpdateGame(ms);
    UpdateWorld(ms);
    EndFrame();
}

void GameSession::UpdateGame(int ms)
{
    if (m_engine)
        m_engine->Update(ms);
}

void GameSession::UpdateWorld(int ms)
{
    gEngine->UpdateFrame(ms);
}

void GameSession::EndFrame()
{
    if (m_role == Role::Server && m_playing)
        SendChangedMonsters();
}

void GameSession::SendChangedMonsters()
{
    // A monster's entry goes once the monster has gone: looked for again only after an
    // object left the game, so a server that runs for days keeps only the living.
    const uint64_t removals = ObjectManager::GetRemovalCount();
    if (removals != m_sentPrunedAt) {
        m_sentPrunedAt = removals;
        std::erase_if(m_sentMonsters,
                      [](const auto& entry) { return !ObjectManager::Get().GetObject<Monster>(entry.first); });
    }
    bool anyClient = false;
    for (int host = 1; host <= ConnectionManager::kMaxHost; ++host)
        anyClient = anyClient || ConnectionManager::Get().IsClientConnected(host);
    if (!anyClient)
        return;
    std::vector<Entity*> found;
    World::Get().GetEntities(found, FilterGetSpawnObjects(), EntityList_All);
    for (Entity* entity : found) {
        auto* monster = DynamicCast<Monster>(entity);
        // One made this frame goes out once its first update has filled its life and
        // rolled its loot: sent before, its replica would carry neither.
        if (!monster || !monster->HasHadInitialUpdate())
            continue;
        // A blow or a new life state goes out; the slow regeneration between blows each
        // peer works out itself.
        const std::pair<float, int> now = SentLife(*monster);
        auto [seen, added] = m_sentMonsters.try_emplace(monster->GetObjectId(), now);
        const bool struck = now.first < seen->second.first;
        const bool newState = now.second != seen->second.second;
        seen->second = now;
        if (!added && !struck && !newState)
            continue;
        if (std::unique_ptr<SpawnPlayerPacket> packet = MakeSpawnPacket(*monster)) {
            if (m_observers.characterSent)
                m_observers.characterSent(*monster);
            ConnectionManager::Get().SendToAllClients(*packet);
        }
    }
}

bool GameSession::ShouldStop() const
{
    if (!m_engine || !m_engine->HasLostServer())
        return false;
    if (GameClock::Get().GetRealTime() - m_serverLostAt >= kDrainMs)
        return true;
    const ActivityManager* activities = ActivityManager::Get();
    return NetPacketRegistry::Get().GetHeldCount() == 0 && !(activities && activities->HasActivities());
}

void GameSession::Stop()
{
    if (m_playing) {
        SetSpawnObservers({}, {});
        SetSpawnPreparer({});
        NetPacketRegistry::Get().SetHoldLimits(0, 0);
        ConnectionManager::Get().SetConnectionListener({});
        m_playing = false;
    }
    m_sentMonsters.clear();
    if (m_observed && ConnectionManager::Get().GetTransport() == m_observed.get())
        ConnectionManager::Get().SetTransport(nullptr);
    m_observed.reset();
    m_transport.reset();
    if (m_started)
        UnregisterGamePacketDispatch();
    m_started = false;
    m_engine = nullptr;
}

}  // namespace GAME
