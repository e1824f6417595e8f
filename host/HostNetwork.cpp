#include "host/HostNetwork.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "Engine/ConnectionManager.h"
#include "Engine/EnetTransport.h"
#include "Engine/Localization.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Engine/TextUtil.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Npc.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/core/PlayerManagerServer.h"
#include "Game/core/PlayerManagerSettings.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "Game/network/ConfigCmdPackets.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/network/PlayerRosterPackets.h"
#include "Game/session/SpawnReplication.h"
#include "host/HostFight.h"
#include "host/HostSkills.h"
#include "host/HostText.h"

namespace GAME {

namespace {

// A server told to pace drops a playing client once it has been silent as long as the
// transport lets it go without a heartbeat (3 s otherwise): a loaded machine stalls a
// client's frame for seconds (a region's bosses arriving at once), and such a server waits
// for a slow client anyway.
constexpr uint32_t kPacedClientTimeoutMs = EnetTransport::kDefaultJoinDeadlineMs;

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
                    HostPlayerName(*player).c_str(), player->GetCurrentLife(), at.x, at.y, at.z);
    else if (character.IsA<Npc>())
        std::printf("net: townsperson %u %s at (%.2f, %.2f, %.2f)\n", character.GetObjectId(),
                    HostName(&character).c_str(), at.x, at.y, at.z);
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
            name = HostName(skill);
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
            name = HostName(skill);
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
    std::printf("net: buff %s %s by monster %u\n", HostSkillName(command.skillName).c_str(),
                command.level != 0 ? "taken" : "lost", actorId);
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

// A roster record: a player still in the world by the name the host gives it (HostPlayerName).
void PrintRecord(const PlayerNetBasicInfo& record)
{
    const auto* player = ObjectManager::Get().GetObject<Player>(record.playerId);
    std::printf("gamehost: roster at the end: player %u \"%s\" party %u\n", record.playerId,
                (player ? HostPlayerName(*player) : PrintableName(record.playerName)).c_str(), record.partyId);
}

}  // namespace

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
    m_levelTell = HostLevelTell(options.level);
    m_stepMs = options.stepMs;
    m_pace = options.pace;
    if (options.listenPort >= 0) {
        m_serving = true;
        if (!m_session.Listen(options.listenPort, error)) {
            HostRefuse("--listen " + std::to_string(options.listenPort), "cannot listen on the port: " + error);
            return false;
        }
        if (m_pace)
            m_session.SetClientTimeout(kPacedClientTimeoutMs);
    } else {
        std::string host;
        uint16_t port = 0;
        if (!GameSession::ParseAddress(options.connectTo, host, port)) {
            HostRefuse("--connect " + options.connectTo, "no HOST:PORT");
            return false;
        }
        // Standard output stays empty until the client has joined (a refusal prints nothing
        // there): the wait is told with the log.
        std::fprintf(stderr, "gamehost: --connect %s: waiting up to %g s for the server to answer\n",
                     options.connectTo.c_str(), GameSession::kJoinTimeoutMs / 1000.0);
        if (!m_session.Connect(options.connectTo, error)) {
            HostRefuse("--connect " + options.connectTo, "cannot join the server: " + error);
            return false;
        }
        m_joined = options.connectTo;
    }
    return true;
}

void HostNetwork::PrintOpened() const
{
    if (!m_session.IsNetworked())
        return;
    if (m_serving)
        std::printf("gamehost: listening on port %u\n", static_cast<unsigned>(m_session.GetPort()));
    else
        std::printf("gamehost: joined %s as host %d\n", m_joined.c_str(), m_session.GetLocalHost());
    std::fflush(stdout);   // a script waiting for the port reads it now
}

void HostNetwork::StartGame(GameEngine& engine, const std::string& role)
{
    if (!m_session.IsNetworked())
        m_session.SetRole(role == "server"   ? GameSession::Role::Server
                          : role == "client" ? GameSession::Role::Client
                                             : GameSession::Role::Alone);
    m_session.Start(engine);
}

void HostNetwork::Start(GameEngine& engine, uint32_t playerId)
{
    m_engine = &engine;
    m_playerId = playerId;
    m_serving = m_session.GetRole() == GameSession::Role::Server;
    GameSession::Observers observers;
    observers.connection = [this](const NetConnectionEvent& event) { OnConnection(event); };
    observers.characterSent = [](const Character& character) { PrintTravelled(character); };
    observers.worldSent = [this](int host, int characters, int items) {
        std::printf("session: frame %d: host %d was told of %d characters and %d items on the ground\n", m_frame, host,
                    characters, items);
    };
    observers.connectionDone = [this](const NetConnectionEvent& event) {
        // A joining client learns the server's level with its world, before its player
        // arrives: one of another level is refused whatever region its player stands in.
        if (m_serving && event.kind == NetConnectionEvent::Joined && m_engine)
            m_levelTell.Tell(*m_engine, event.host);
        WatchRoster();
        std::fflush(stdout);
    };
    observers.making = [this](Character& character) { OnMaking(character); };
    observers.spawned = [this](const SpawnReport& report) { OnSpawned(report); };
    observers.worldArrived = [this] {
        std::printf("session: frame %d: the server's world arrived (%d characters)\n", m_frame, m_charactersArrived);
    };
    observers.playerSent = [](const Character& player) { PrintTravelled(player); };
    observers.traffic = [this](const unsigned char* data, size_t size, bool sent) { Note(data, size, sent); };
    observers.applied = [this] {
        if (m_applied)
            m_applied();
    };
    m_session.SetObservers(std::move(observers));
    m_session.BeginPlay(playerId);
}

void HostNetwork::WatchTraffic(std::function<void(const unsigned char*, size_t)> packet,
                               std::function<void()> applied)
{
    m_travelled = std::move(packet);
    if (!m_serving)
        m_applied = std::move(applied);
}

// Keeps count of the roster's heartbeats that go out and come in, and the last
// all-players heartbeat either way. Prints the skills' results and spawns both ways, and
// the monsters' buffs as the server sends them and a client applies them (a client's own
// removal of a buff that ran out travels nowhere).
void HostNetwork::Note(const unsigned char* data, size_t size, bool sent)
{
    const bool fromServer = sent ? m_serving : !m_serving;
    NetPacketType type = 0;
    if (!NetPacketRegistry::PeekType(data, size, type))
        return;
    if (type == AllPlayersHeartbeatPacket::kType)
        m_lastAllPlayersHeartbeat.assign(data, data + size);
    if (type == AllPlayersHeartbeatPacket::kType || type == SinglePlayerHeartbeatPacket::kType)
        ++(sent ? m_heartbeatsSent : m_heartbeatsReceived);
    SinglePlayerHeartbeatPacket beat;
    if (m_serving && !sent && type == SinglePlayerHeartbeatPacket::kType &&
        beat.CopyInbound(data, static_cast<int>(size))) {
        auto [client, first] = m_paced.try_emplace(PlayerHostId(beat.info.playerId));
        if (first)
            client->second.firstFrame = m_frame;
        ++client->second.heartbeats;
    }
    if (type == SkillTargetResultConfigCmdPacket::kType)
        PrintSkillResult(data, size);
    if (type == SpawnObjectConfigCmdPacket::kType)
        PrintSpawn(data, size);
    if (type == CreateRemoveSkillBuffConfigCmdPacket::kType && fromServer)
        PrintBuffCommand(data, size);
    if (!sent && !m_serving)
        m_levelTell.Travelled(data, size);
    if (m_travelled)
        m_travelled(data, size);
}

void HostNetwork::OnConnection(const NetConnectionEvent& event)
{
    // The roster as it stands before the event is applied: a player whose record came in
    // and whose host now goes within one frame (or one wait for the clients) was never
    // looked at, and would leave the game unannounced.
    WatchRoster();
    m_paced.erase(event.host);
    // A reason that only says the kind again ("left: left") is not printed.
    const char* kind = KindText(event);
    const bool told = !event.reason.empty() && event.reason != kind;
    std::printf("session: frame %d: host %d %s%s%s\n", m_frame, event.host, kind, told ? ": " : "", told ? event.reason.c_str() : "");
    if (event.kind == NetConnectionEvent::ServerLost && !event.IsServerClosed() && m_lossReason.empty())
        m_lossReason = told ? event.reason : kind;
}

void HostNetwork::WaitForFirstClient()
{
    if (!m_serving)
        return;
    std::printf("gamehost: the server waits up to %g s for a first client to join and bring its player\n",
                GameSession::kConnectTimeoutMs / 1000.0);
    std::fflush(stdout);
    switch (m_session.WaitForFirstClient()) {
    case GameSession::FirstClient::Ready:
        return;
    case GameSession::FirstClient::NoClient:
        std::printf("gamehost: no client joined; the server plays alone\n");
        return;
    case GameSession::FirstClient::NoPlayer:
        std::printf("gamehost: the client's player never joined; the server plays on\n");
        return;
    case GameSession::FirstClient::NotInWorld:
        std::printf("gamehost: the client's player never arrived in the world; the server plays on\n");
        return;
    }
}

void HostNetwork::OnSpawned(const SpawnReport& report)
{
    if (const auto* character = ObjectManager::Get().GetObject<Character>(report.id))
        PrintTravelled(*character);
    if (!m_serving && report.made)
        ++m_charactersArrived;
}

namespace {

// Whether the player's image, read and not yet applied, names a skill the player lacks.
bool NamesSkillItLacks(const Player& player)
{
    const Player::ReplicationRecord* image = player.GetReplicationRecord();
    if (!image)
        return false;
    const SkillManager& skills = player.GetSkillManager();
    return std::any_of(image->skills.begin(), image->skills.end(),
                       [&](const SkillManager::_SkillReplica& entry) { return skills.FindSkillId(entry.skillName) == 0; });
}

}  // namespace

void HostNetwork::OnMaking(Character& character)
{
    // A player made here knows the skills this host gives its players under the same
    // reference numbers as where it plays: its skill results name them alike on both sides.
    // They are taught before its image applies, which brings them to the levels they have
    // there. The server's player knows the fight's skills; a client's player knows them,
    // and then the skill tree, only when its image names skills beyond its record's (a
    // loaded character, which its host gave both, in that order), at the levels the fight
    // gives: the server holds its image to what it could have grown to from them.
    auto* player = DynamicCast<Player>(&character);
    if (!player || player->GetObjectId() == m_playerId)
        return;
    if (!m_serving)
        HostFight::AddPlayerSkills(*player);
    else if (NamesSkillItLacks(*player))
        HostFight::AddPlayerSkillsAtTheirLevels(*player);
    if (NamesSkillItLacks(*player))
        HostSkills::TakeTree(*player);
}

void HostNetwork::BeforeFrame(int frame)
{
    m_frame = frame;
    if (m_serving)
        Pace(frame);
    if (!m_serving || m_invited || !m_engine || !m_engine->GetPlayerManagerServer())
        return;
    // The server's player invites the first client's player once the roster has it.
    for (const PlayerNetBasicInfo& record : m_engine->GetPlayerManagerServer()->GetPlayerInfos()) {
        if (PlayerHostId(record.playerId) == ConnectionManager::kServerHost)
            continue;
        m_invited = true;
        std::printf("session: frame %d: the player invites player %u into its party\n", frame, record.playerId);
        m_engine->InvitePlayerToParty(record.playerId, static_cast<int>(m_playerId));
        return;
    }
}

int64_t HostNetwork::Now() const
{
    if (m_clock)
        return m_clock();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void HostNetwork::Pace(int frame)
{
    if (m_stepMs <= 0 || m_paced.empty())
        return;
    // A client sends its heartbeat on the first frame its timer passes the interval, and
    // starts the timer again: one heartbeat in so many frames of the server's length.
    const long long heartbeatMs = (kClientHeartbeatIntervalMs / m_stepMs + 1) * m_stepMs;
    std::vector<int> hosts;
    for (const auto& [host, client] : m_paced)
        hosts.push_back(host);
    for (const int host : hosts) {
        // A connection's event while the server hears the clients forgets the host's count.
        const auto behind = [&, host] {
            const auto client = m_paced.find(host);
            if (client == m_paced.end() || !ConnectionManager::Get().IsClientConnected(host))
                return false;
            const long long ran = static_cast<long long>(frame - client->second.firstFrame) * m_stepMs;
            return ran - client->second.heartbeats * heartbeatMs > kLeadMs;
        };
        int64_t& left = m_waitLeftMs.try_emplace(host, m_pace ? kPaceWaitMs : kGraceMs).first->second;
        if (left <= 0 || !behind())
            continue;
        const int64_t began = Now();
        const int64_t until = began + left;
        m_session.WaitUntil([&] { return !behind() || Now() >= until; }, static_cast<int>(left));
        if (!m_pace)
            left -= Now() - began;
        if (!behind())
            continue;
        std::printf("session: frame %d: host %d did not catch up within %s%g s; the server plays on without waiting for it\n",
                    frame, host, m_pace ? "" : "its grace of ", (m_pace ? kPaceWaitMs : kGraceMs) / 1000.0);
        left = 0;
    }
}

void HostNetwork::AfterFrame(int frame)
{
    m_frame = frame;
    m_session.EndFrame();
    WatchRoster();
    std::fflush(stdout);
}

// The players who left the roster since it was last looked at, and whether their
// characters went with them: the server removes a host that went, a client when the
// server tells it, and both print the same.
void HostNetwork::WatchRoster()
{
    const PlayerManagerClient* roster = m_engine ? m_engine->GetPlayerManagerClient() : nullptr;
    if (!roster)
        return;
    std::map<uint32_t, std::string> listed;
    for (const PlayerNetBasicInfo& record : roster->GetPlayerInfoCache())
        listed[record.playerId] = PrintableName(record.playerName);
    bool anyLeft = false;
    for (const auto& [id, name] : m_rosterNames) {
        if (listed.count(id))
            continue;
        // This host's own player does not leave its own game: a roster that comes without
        // it (the server's, before it has this client's player) is not its leaving.
        if (id == m_playerId && ObjectManager::Get().GetObject<Player>(id)) {
            listed.emplace(id, name);
            continue;
        }
        anyLeft = true;
        std::printf("session: frame %d: player %u \"%s\" leaves the game; its character %s\n", m_frame, id, name.c_str(),
                    ObjectManager::Get().GetObject<Player>(id) ? "stays" : "is gone");
    }
    if (anyLeft)
        std::printf("session: frame %d: the roster lists %s\n", m_frame, HostCount(listed.size(), "player").c_str());
    m_rosterNames = std::move(listed);
}

void HostNetwork::PrintEnd() const
{
    if (!m_engine || !m_session.IsNetworked())
        return;
    std::printf("gamehost: heartbeats: %d sent, %d received\n", m_heartbeatsSent, m_heartbeatsReceived);
    AllPlayersHeartbeatPacket last;
    const std::vector<unsigned char>& bytes = m_lastAllPlayersHeartbeat;
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
    m_session.Stop();
    m_engine = nullptr;
}

}  // namespace GAME
