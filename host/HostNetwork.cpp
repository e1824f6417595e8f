#include "host/HostNetwork.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

#include "Engine/ConnectionManager.h"
#include "Engine/EnetTransport.h"
#include "Engine/GameClock.h"
#include "Engine/Localization.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Engine/TextUtil.h"
#include "Engine/World.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Npc.h"
#include "Game/characters/Player.h"
#include "Game/core/ActivityManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/core/PlayerManagerServer.h"
#include "Game/core/foundation/Filters.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "Game/network/ConfigCmdPackets.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/network/PlayerRosterPackets.h"
#include "host/HostFight.h"
#include "host/HostReplication.h"

namespace GAME {

namespace {

// How long a client waits at most for the server to take it: the server takes it once
// it has loaded its game, which a busy machine can make slow.
constexpr int kConnectTimeoutMs = 60000;
// A server waits this long for its first client before it plays alone, and once one has
// connected, this long again at most for its player to join: only a client that hangs
// meets the second limit, which keeps the server from waiting for ever. A client that
// stops answering is dropped after kPeerTimeoutMaxMs.
constexpr int kFirstClientWaitMs = 60000;
constexpr uint32_t kPeerTimeoutMinMs = 1000;
constexpr uint32_t kPeerTimeoutMaxMs = 3000;
// A packet naming characters that have not arrived yet waits this many frames, or this
// long, for them.
constexpr int kHoldTries = 120;
constexpr int kHoldMs = 3000;

// A player's name as printed: a peer chose it, so it is printed without control characters.
std::string PrintableName(const std::u16string& name)
{
    return LocalizationManager::ToChar(WithoutControlCharacters(name));
}

// A character as it travels between the hosts: one line, the same on the side that sends
// it and on the side that makes it or brings it up to date.
void PrintTravelled(const Character& character)
{
    const Vec3 at = character.GetCoords().GetRegionCoords().origin;
    if (const auto* player = DynamicCast<Player>(&character))
        std::printf("net: player %u \"%s\" life %.1f at (%.2f, %.2f, %.2f)\n", player->GetObjectId(),
                    PrintableName(player->GetPlayerName()).c_str(), player->GetCurrentLife(), at.x, at.y, at.z);
    else if (character.IsA<Npc>())
        std::printf("net: townsperson %u %s at (%.2f, %.2f, %.2f)\n", character.GetObjectId(),
                    character.GetObjectName().c_str(), at.x, at.y, at.z);
    else
        std::printf("net: monster %u life %.1f, %s\n", character.GetObjectId(), character.GetCurrentLife(),
                    character.GetLifeStateAsText().c_str());
}

// A skill's result as it travels: the user, the skill (by its reference, named as the
// user's skills here name it), the seed and the targets. The results of the fight are its
// strikes: a pooled attack names the pool's pick, a chain lightning its links, a hex the
// monster it is laid on. One line, alike on the side that sends it and the side that
// receives it.
void PrintSkillResult(const unsigned char* data, size_t size)
{
    SkillTargetResultConfigCmdPacket result;
    if (!result.CopyInbound(data, static_cast<int>(size)))
        return;
    std::string name = "an unknown skill";
    if (const auto* user = ObjectManager::Get().GetObject<Character>(result.actorId.GetId()))
        if (const auto* skill = ObjectManager::Get().GetObject<Skill>(
                user->GetSkillManager().GetSkillIdFromReference(result.skillNumber)))
            name = GetFileName(skill->GetObjectName(), true);
    std::string targets;
    for (uint32_t id : result.targetIds.GetIds())
        targets += " " + std::to_string(id);
    std::printf("net: skill %s (reference %u) by %u, seed %u, on%s\n", name.c_str(), result.skillNumber,
                result.actorId.GetId(), static_cast<unsigned>(result.seed), targets.empty() ? " nothing" : targets.c_str());
}

// What a skill spawns as it travels: the user, the skill (by its reference, named as the
// user's skills here name it), the value the skill sends with it (a generator's choice of
// creature), the seed, the new ids and the centre. One line, alike on the side that sends
// it and the side that receives it.
void PrintSpawn(const unsigned char* data, size_t size)
{
    SpawnObjectConfigCmdPacket spawn;
    if (!spawn.CopyInbound(data, static_cast<int>(size)))
        return;
    std::string name = "an unknown skill";
    if (const auto* user = ObjectManager::Get().GetObject<Character>(spawn.actorId.GetId()))
        if (const auto* skill = ObjectManager::Get().GetObject<Skill>(
                user->GetSkillManager().GetSkillIdFromReference(spawn.skillNumber)))
            name = GetFileName(skill->GetObjectName(), true);
    std::string ids;
    for (uint32_t id : spawn.spawnIds)
        ids += " " + std::to_string(id);
    const Vec3& at = spawn.origin.GetRegionCoords().origin;
    std::printf("net: spawn %s (reference %u) by %u, choice %u, seed %u, ids%s at (%.2f, %.2f, %.2f)\n", name.c_str(),
                spawn.skillNumber, spawn.actorId.GetId(), spawn.targetId, static_cast<unsigned>(spawn.lastValue),
                ids.empty() ? " none" : ids.c_str(), at.x, at.y, at.z);
}

// A buff put on or taken off a monster as the command travels from the server: one line,
// alike on the server that sends it and the client that receives it. A client applies
// the commands it receives at the commands' point of its frame, so a buff taken and lost
// between two of its frames would never be seen in what it holds at a frame's end.
void PrintBuffCommand(const unsigned char* data, size_t size)
{
    CreateRemoveSkillBuffConfigCmdPacket command;
    if (!command.CopyInbound(data, static_cast<int>(size)))
        return;
    const uint32_t actorId = command.actorId.GetId();
    if (!ObjectManager::Get().GetObject<Monster>(actorId))
        return;
    std::printf("net: buff %s %s by monster %u\n", GetFileName(command.skillName, true).c_str(),
                command.level != 0 ? "taken" : "lost", actorId);
}

bool ParseAddress(const std::string& text, std::string& host, uint16_t& port)
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

const char* KindText(const NetConnectionEvent& event)
{
    switch (event.kind) {
    case NetConnectionEvent::Joined:
        return "joined";
    case NetConnectionEvent::Left:
        return "left";
    case NetConnectionEvent::TimedOut:
        return "timed out";
    case NetConnectionEvent::Refused:
        return "was refused";
    case NetConnectionEvent::ServerLost:
        return "went away";
    }
    return "changed";
}

void PrintRecord(const PlayerNetBasicInfo& record)
{
    std::printf("gamehost: roster at the end: player %u \"%s\" party %u\n", record.playerId,
                PrintableName(record.playerName).c_str(), record.partyId);
}

}  // namespace

// Passes everything to the network transport and watches what travels: a packet sent as it
// goes, a packet received once it has been applied (what was dropped is never seen). Keeps
// count of the roster's heartbeats that go out and come in, and the last all-players
// heartbeat either way: what the server last told its clients of every player is what they
// last heard. Prints the skills' results and spawns both ways, and the monsters' buffs as the server
// sends them and a client applies them (a client's own removal of a buff that ran out
// travels nowhere).
class WatchedTransport : public NetTransport {
public:
    WatchedTransport(NetTransport& inner, bool serving) : m_inner(inner), m_serving(serving)
    {
        NetPacketRegistry::Get().SetAppliedObserver([this](NetPacket& packet, int) { Applied(packet); });
    }
    ~WatchedTransport() override { NetPacketRegistry::Get().SetAppliedObserver({}); }
    WatchedTransport(const WatchedTransport&) = delete;
    WatchedTransport& operator=(const WatchedTransport&) = delete;

    void Service() override { m_inner.Service(); }
    bool PollConnectionEvent(NetConnectionEvent& event) override { return m_inner.PollConnectionEvent(event); }
    void Send(const NetDestination& to, const unsigned char* data, size_t size) override
    {
        // A client whose server has gone sends nothing: nothing travels.
        if (!m_serving && !m_inner.IsConnected(ConnectionManager::kServerHost))
            return;
        Note(data, size, heartbeatsSent, m_serving);
        m_inner.Send(to, data, size);
    }
    bool Receive(int& fromHost, std::vector<unsigned char>& bytes) override
    {
        // The packet received before has been applied by now: what it changed is seen
        // before the next one changes it again.
        if (afterApplied)
            afterApplied();
        return m_inner.Receive(fromHost, bytes);
    }
    void Disconnect(int host, const std::string& reason) override { m_inner.Disconnect(host, reason); }
    bool IsConnected(int host) const override { return m_inner.IsConnected(host); }
    // The game took the client's player in: the transport's deadline for joining ends.
    void ConfirmJoined(int host) override { m_inner.ConfirmJoined(host); }

    std::function<void(const unsigned char*, size_t)> travelled;
    std::function<void()> afterApplied;
    int heartbeatsSent = 0;
    int heartbeatsReceived = 0;
    std::vector<unsigned char> lastAllPlayersHeartbeat;

private:
    // A received packet, as it was applied.
    void Applied(NetPacket& packet)
    {
        if (const uint32_t size = packet.PrepareOutBuffer())
            Note(packet.GetOutBuffer(), size, heartbeatsReceived, !m_serving);
    }
    void Note(const unsigned char* data, size_t size, int& count, bool fromServer)
    {
        NetPacketType type = 0;
        if (!NetPacketRegistry::PeekType(data, size, type))
            return;
        if (type == AllPlayersHeartbeatPacket::kType)
            lastAllPlayersHeartbeat.assign(data, data + size);
        if (type == AllPlayersHeartbeatPacket::kType || type == SinglePlayerHeartbeatPacket::kType)
            ++count;
        if (type == SkillTargetResultConfigCmdPacket::kType)
            PrintSkillResult(data, size);
        if (type == SpawnObjectConfigCmdPacket::kType)
            PrintSpawn(data, size);
        if (type == CreateRemoveSkillBuffConfigCmdPacket::kType && fromServer)
            PrintBuffCommand(data, size);
        if (travelled)
            travelled(data, size);
    }

    NetTransport& m_inner;
    const bool m_serving;
};

HostNetwork::HostNetwork() = default;

HostNetwork::~HostNetwork()
{
    Close();
}

bool HostNetwork::Wanted(const HostOptions& options)
{
    return options.listenPort >= 0 || !options.connectTo.empty();
}

bool HostNetwork::Open(const HostOptions& options)
{
    std::string error;
    if (options.listenPort >= 0) {
        m_serving = true;
        m_transport = EnetTransport::Listen(static_cast<uint16_t>(options.listenPort), error);
        if (!m_transport) {
            std::printf("gamehost: cannot listen on port %d: %s\n", options.listenPort, error.c_str());
            return false;
        }
        std::printf("gamehost: listening on port %u\n", static_cast<unsigned>(m_transport->GetPort()));
        m_transport->SetPeerTimeout(kPeerTimeoutMinMs, kPeerTimeoutMaxMs);
    } else {
        std::string host;
        uint16_t port = 0;
        if (!ParseAddress(options.connectTo, host, port)) {
            std::printf("gamehost: \"%s\" is no HOST:PORT\n", options.connectTo.c_str());
            return false;
        }
        m_transport = EnetTransport::Connect(host, port, kConnectTimeoutMs, error);
        if (!m_transport) {
            std::printf("gamehost: cannot join %s: %s\n", options.connectTo.c_str(), error.c_str());
            return false;
        }
        std::printf("gamehost: joined %s as host %d\n", options.connectTo.c_str(), m_transport->GetLocalHost());
        ConnectionManager::Get().SetLocalHostId(m_transport->GetLocalHost());
    }
    std::fflush(stdout);   // a script waiting for the port reads it now
    m_watched = std::make_unique<WatchedTransport>(*m_transport, m_serving);
    ConnectionManager::Get().SetTransport(m_watched.get());
    return true;
}

void HostNetwork::Start(GameEngine& engine, uint32_t playerId)
{
    m_engine = &engine;
    m_playerId = playerId;
    NetPacketRegistry::Get().SetHoldLimits(kHoldTries, kHoldMs);
    ConnectionManager::Get().SetConnectionListener([this](const NetConnectionEvent& event) { OnConnection(event); });
    SetSpawnObservers([this](const SpawnReport& report) { OnSpawned(report); }, [this] { OnWorldArrived(); });
}

void HostNetwork::WatchTraffic(std::function<void(const unsigned char*, size_t)> packet,
                               std::function<void()> applied)
{
    if (!m_watched)
        return;
    m_watched->travelled = std::move(packet);
    if (!m_serving)
        m_watched->afterApplied = std::move(applied);
}

void HostNetwork::OnConnection(const NetConnectionEvent& event)
{
    std::printf("frame %d: host %d %s%s%s\n", m_frame, event.host, KindText(event), event.reason.empty() ? "" : ": ",
                event.reason.c_str());
    m_engine->HandleConnectionEvent(event);
    if (event.kind == NetConnectionEvent::ServerLost)
        m_serverLostAt = GameClock::Get().GetRealTime();
    m_clientJoined = m_clientJoined || event.kind == NetConnectionEvent::Joined;
    if (event.kind == NetConnectionEvent::Joined && m_serving) {
        int items = 0;
        const int sent = SendWorldToHost(
            event.host,
            [this](const Character& character) {
                PrintTravelled(character);
                if (character.IsA<Monster>())
                    m_sentMonsters[character.GetObjectId()] = {character.GetCurrentLife(),
                                                               static_cast<int>(character.GetLifeState())};
            },
            [&items](const Item&) { ++items; });
        std::printf("frame %d: host %d was told of %d characters and %d items on the ground\n", m_frame, event.host,
                    sent, items);
    }
    WatchRoster();
    std::fflush(stdout);
}

// First a client's connection, then its player in the roster: the client has started
// its game by then, so it sees the server's from its first frame.
void HostNetwork::WaitForFirstClient()
{
    if (!m_serving)
        return;
    const auto waitFor = [](const std::function<bool()>& done) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kFirstClientWaitMs);
        while (!done() && std::chrono::steady_clock::now() < until) {
            ConnectionManager::Get().ProcessIncoming();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return done();
    };
    if (!waitFor([this] { return m_clientJoined; })) {
        std::printf("gamehost: no client joined; the server plays alone\n");
        return;
    }
    const auto clientPlayerJoined = [this] {
        const PlayerManagerServer* roster = m_engine->GetPlayerManagerServer();
        if (roster)
            for (const PlayerNetBasicInfo& record : roster->GetPlayerInfos())
                if (PlayerHostId(record.playerId) != ConnectionManager::kServerHost)
                    return true;
        return false;
    };
    if (!waitFor(clientPlayerJoined)) {
        std::printf("gamehost: the client's player never joined; the server plays on\n");
        return;
    }
    // The client sends its player once the server's world has reached it: the first frame
    // waits for that player to stand in the world, so the server's opening moves (a buff
    // that reaches every friend near by) find it there however slow the client is.
    const auto clientPlayerArrived = [this] {
        const PlayerManagerServer* roster = m_engine->GetPlayerManagerServer();
        if (roster)
            for (const PlayerNetBasicInfo& record : roster->GetPlayerInfos()) {
                if (PlayerHostId(record.playerId) == ConnectionManager::kServerHost)
                    continue;
                const auto* player = ObjectManager::Get().GetObject<Player>(record.playerId);
                if (player && player->IsInWorld())
                    return true;
            }
        return false;
    };
    if (!waitFor(clientPlayerArrived))
        std::printf("gamehost: the client's player never arrived in the world; the server plays on\n");
}

void HostNetwork::OnSpawned(const SpawnReport& report)
{
    if (const auto* character = ObjectManager::Get().GetObject<Character>(report.id))
        PrintTravelled(*character);
    if (!m_serving && report.made)
        ++m_charactersArrived;
    // The server's player, made here, knows the fight's skills under the same reference
    // numbers as on the server: its skill results name them alike on both sides.
    if (auto* player = ObjectManager::Get().GetObject<Player>(report.id);
        player && !m_serving && report.made && report.id != m_playerId)
        HostFight::AddPlayerSkills(*player);
}

// The server's world is here: this client's own player goes to every peer now.
void HostNetwork::OnWorldArrived()
{
    std::printf("frame %d: the server's world arrived (%d characters)\n", m_frame, m_charactersArrived);
    auto* player = ObjectManager::Get().GetObject<Player>(m_playerId);
    if (!player)
        return;
    if (std::unique_ptr<SpawnPlayerPacket> packet = MakeSpawnPacket(*player)) {
        PrintTravelled(*player);
        ConnectionManager::Get().SendToServer(*packet);
    }
}

void HostNetwork::BeforeFrame(int frame)
{
    m_frame = frame;
    if (!m_serving || m_invited || !m_engine->GetPlayerManagerServer())
        return;
    // The server's player invites the first client's player once the roster has it.
    for (const PlayerNetBasicInfo& record : m_engine->GetPlayerManagerServer()->GetPlayerInfos()) {
        if (PlayerHostId(record.playerId) == ConnectionManager::kServerHost)
            continue;
        m_invited = true;
        std::printf("frame %d: the player invites player %u into its party\n", frame, record.playerId);
        m_engine->InvitePlayerToParty(record.playerId, static_cast<int>(m_playerId));
        return;
    }
}

void HostNetwork::AfterFrame(int frame)
{
    m_frame = frame;
    if (m_serving)
        SendChangedMonsters();
    WatchRoster();
    std::fflush(stdout);
}

// The players who left the roster since it was last looked at, and whether their
// characters went with them: the server removes a host that went, a client when the
// server tells it, and both print the same.
void HostNetwork::WatchRoster()
{
    const PlayerManagerClient* roster = m_engine->GetPlayerManagerClient();
    if (!roster)
        return;
    std::map<uint32_t, std::string> listed;
    for (const PlayerNetBasicInfo& record : roster->GetPlayerInfoCache())
        listed[record.playerId] = PrintableName(record.playerName);
    bool anyLeft = false;
    for (const auto& [id, name] : m_rosterNames) {
        if (listed.count(id))
            continue;
        anyLeft = true;
        std::printf("frame %d: player %u \"%s\" leaves the game; its character %s\n", m_frame, id, name.c_str(),
                    ObjectManager::Get().GetObject<Player>(id) ? "stays" : "is gone");
    }
    if (anyLeft)
        std::printf("frame %d: the roster lists %zu players\n", m_frame, listed.size());
    m_rosterNames = std::move(listed);
}

void HostNetwork::SendChangedMonsters()
{
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
        const std::pair<float, int> now{monster->GetCurrentLife(), static_cast<int>(monster->GetLifeState())};
        auto [seen, added] = m_sentMonsters.try_emplace(monster->GetObjectId(), now);
        const bool struck = now.first < seen->second.first;
        const bool newState = now.second != seen->second.second;
        seen->second = now;
        if (!added && !struck && !newState)
            continue;
        if (std::unique_ptr<SpawnPlayerPacket> packet = MakeSpawnPacket(*monster)) {
            PrintTravelled(*monster);
            ConnectionManager::Get().SendToAllClients(*packet);
        }
    }
}

bool HostNetwork::ShouldStop() const
{
    if (!m_engine || !m_engine->HasLostServer())
        return false;
    if (GameClock::Get().GetRealTime() - m_serverLostAt >= kDrainMs)
        return true;
    const ActivityManager* activities = ActivityManager::Get();
    return NetPacketRegistry::Get().GetHeldCount() == 0 && !(activities && activities->HasActivities());
}

void HostNetwork::PrintEnd() const
{
    if (!m_engine || !m_watched)
        return;
    std::printf("gamehost: heartbeats: %d sent, %d received\n", m_watched->heartbeatsSent,
                m_watched->heartbeatsReceived);
    AllPlayersHeartbeatPacket last;
    const std::vector<unsigned char>& bytes = m_watched->lastAllPlayersHeartbeat;
    if (!bytes.empty() && last.CopyInbound(bytes.data(), static_cast<int>(bytes.size())))
        for (const PlayerNetHeartbeatInfo& record : last.players) {
            const Vec3& at = record.position.GetRegionPosition();
            std::printf("gamehost: the last heartbeat: player %u life %.1f of %.1f, mana %.1f, party %u, at (%.2f, "
                        "%.2f, %.2f)\n",
                        record.playerId, record.life, record.maxLife, record.mana, record.partyId, at.x, at.y, at.z);
        }
    if (const PlayerManagerServer* roster = m_engine->GetPlayerManagerServer())
        for (const PlayerNetBasicInfo& record : roster->GetPlayerInfos())
            PrintRecord(record);
    else if (const PlayerManagerClient* cache = m_engine->GetPlayerManagerClient())
        for (const PlayerNetBasicInfo& record : cache->GetPlayerInfoCache())
            PrintRecord(record);
}

void HostNetwork::Close()
{
    if (!m_transport && !m_engine)
        return;
    SetSpawnObservers({}, {});
    NetPacketRegistry::Get().SetHoldLimits(0, 0);
    ConnectionManager::Get().SetConnectionListener({});
    if (ConnectionManager::Get().GetTransport() == m_watched.get())
        ConnectionManager::Get().SetTransport(nullptr);
    m_watched.reset();
    m_transport.reset();
    m_engine = nullptr;
}

}  // namespace GAME
