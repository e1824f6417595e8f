// The host's roster: joins, leaves, heartbeats and roster sends.
#include "Game/core/PlayerManagerServer.h"

#include <algorithm>
#include <string>

#include "Engine/Engine.h"
#include "Engine/ClassTag.h"
#include "Engine/ConnectionManager.h"
#include "Engine/GameClock.h"
#include "Engine/LoadTable.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Player.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEngineNetworkInterface.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/core/PartyManager.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/core/PlayerManagerSettings.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/LocalizedText.h"
#include "Game/network/ActorConfigCommands.h"

namespace GAME {

namespace {

// The name the client roster knows a player by.
std::u16string RosterName(uint32_t id)
{
    const PlayerManagerClient* players = gGameEngine ? gGameEngine->GetPlayerManagerClient() : nullptr;
    return players ? players->GetPlayerName(id) : std::u16string(kUnknownPlayerName);
}

// What is wrong with the life, mana and level a player's machine tells for it; null when
// nothing is. No character's level is past the limit a level record is held to. A maximum life of 0 is taken only with no life at all: a player whose
// character has not loaded yet.
const char* HeartbeatFault(const PlayerNetHeartbeatInfo& heartbeat)
{
    if (!IsFinite(heartbeat.life) || !IsFinite(heartbeat.maxLife) || !IsFinite(heartbeat.mana) ||
        !IsFinite(heartbeat.maxMana))
        return "its life or mana is not a finite number";
    if (heartbeat.life < 0.0f || heartbeat.mana < 0.0f || heartbeat.maxMana < 0.0f)
        return "its life or mana is negative";
    if (!(heartbeat.maxLife > 0.0f) && !(heartbeat.maxLife == 0.0f && heartbeat.life == 0.0f))
        return "its maximum life is not positive";
    if (heartbeat.level < 0)
        return "its level is negative";
    if (static_cast<uint32_t>(heartbeat.level) > ExperienceLevelControl::kLevelLimit)
        return "its level is past the level limit";
    return nullptr;
}

// A player's machine tells its life and mana, but never more of them than the server's
// copy of the player holds at most: the copy's maxima bound the record's (an item or a buff
// the copy takes a little later than the player's machine shows at the next heartbeat). A
// copy whose totals are not made yet bounds nothing.
void HoldToServersCopy(PlayerNetHeartbeatInfo& record)
{
    const Player* copy = ObjectManager::Get().GetObject<Player>(record.playerId);
    if (!copy || !copy->IsInWorld() || !(copy->GetLifeLimit() > 0.0f))
        return;
    record.maxLife = std::min(record.maxLife, copy->GetLifeLimit());
    record.life = std::min(record.life, record.maxLife);
    record.maxMana = std::min(record.maxMana, std::max(copy->GetTotalCharAttribute(CharAttributeType_Mana), 0.0f));
    record.mana = std::min(record.mana, record.maxMana);
}

// How far behind the server's game time a client's heartbeat may tell of a buff its player
// has lost here: a server lets a client fall 4 s behind before it waits for it, and a
// client beats about once a second.
constexpr uint32_t kLateHeartbeatMs = 10000;

// What a player's machine tells of the status skills it shows is held to the server's copy
// too, since the roster passes it on to every client: a status skill stays only while the
// copy has a buff of that record, each once, so a record carries no more of them, and no
// longer names, than the player holds here. A class tag is one of the numbered ones a
// class has (ClassTag.h), or none: each travels to the clients in one byte. What is left
// out is logged through the drop log, as a part of the packet refused.
void HoldStatusToServersCopy(PlayerNetHeartbeatInfo& record)
{
    std::vector<std::string> held;
    // A heartbeat leaves the client's frames, which may run behind the server's: a buff
    // that has ended on the copy since is left out as ended, with no line, not as one the
    // copy never had. The player's machine gives its player a buff by a command that comes
    // with the heartbeat, and runs here at the frame's pass over commands, after the
    // heartbeat is read: a buff such a command brings is left out the same way, and told
    // again at the next heartbeat.
    std::vector<std::string> passing;   // ended lately, or coming
    if (const Player* copy = ObjectManager::Get().GetObject<Player>(record.playerId)) {
        copy->GetActiveStatusSkills(held);
        const uint32_t now = GameClock::Get().GetGameTime();
        passing = copy->GetSkillManager().GetBuffsEndedSince(now > kLateHeartbeatMs ? now - kLateHeartbeatMs : 0);
        copy->ForEachQueuedCommand([&](const ActorConfigCommand& command) {
            if (const auto* buff = dynamic_cast<const CreateRemoveSkillBuffConfigCmd*>(&command); buff && buff->level != 0)
                passing.push_back(buff->skillName);
        });
    }
    size_t longest = 0;
    for (std::vector<std::string>* names : {&held, &passing})
        for (std::string& name : *names) {
            name = RecordDatabase::NormalizeName(name);
            longest = std::max(longest, name.size());
        }
    const size_t told = record.statusSkills.size();
    size_t inPassing = 0;
    std::erase_if(record.statusSkills, [&](const std::string& name) {
        if (name.size() > longest)
            return true;
        const std::string normalised = RecordDatabase::NormalizeName(name);
        if (const auto found = std::find(held.begin(), held.end(), normalised); found != held.end()) {
            held.erase(found);   // each buff once
            return false;
        }
        if (const auto gone = std::find(passing.begin(), passing.end(), normalised); gone != passing.end()) {
            passing.erase(gone);   // each once
            ++inPassing;
        }
        return true;
    });
    if (const size_t unknown = told - record.statusSkills.size() - inPassing; unknown != 0)
        NetPacketRegistry::DropHandled("PlayerManagerServer", "player %u tells %zu status skills its copy here does "
                                       "not have; they are left out", record.playerId, unknown);
    if (!record.classTag.empty() && ClassTagToByte(record.classTag.c_str()) == kClassTagNotEncodable) {
        NetPacketRegistry::DropHandled("PlayerManagerServer", "player %u tells a class tag no class has; it is left "
                                       "out", record.playerId);
        record.classTag.clear();
    }
}

// Through the drop log, a kind for each reason: a flood of refused records costs their
// sender a line a second.
bool RefuseRecord(const char* what, uint32_t player, const char* reason)
{
    const std::string format = std::string(what) + " of player %u refused: " + reason;
    return NetPacketRegistry::DropHandled("PlayerManagerServer", format.c_str(), player);
}

}  // namespace

PlayerManagerServer::PlayerManagerServer()
{
    LoadEquations();
}

PlayerManagerServer::~PlayerManagerServer() = default;

GameEngineNetworkInterface* PlayerManagerServer::GetNetworkInterface() const
{
    return m_module ? m_module->GetNetworkInterface() : nullptr;
}

void PlayerManagerServer::Update(int ms)
{
    AddElapsed(m_sendTimer, ms);
    if (m_sendTimer <= kHostHeartbeatIntervalMs)
        return;
    GameEngineNetworkInterface* network = GetNetworkInterface();
    if (m_sendCounter >= kHostHeartbeatsPerRosterUpdate) {
        if (network)
            network->StoC_AllPlayersUpdate(m_playerInfos);
        m_sendCounter = 0;
    } else if (network) {
        const std::vector<PlayerNetHeartbeatInfo> heartbeats(m_playerInfos.begin(), m_playerInfos.end());
        network->StoC_AllPlayersHeartbeat(heartbeats);
    }
    ++m_sendCounter;
    m_sendTimer = 0;
}

// A newcomer's numbers are checked as a heartbeat's are, its status skills, class tag and
// name held to what a player has (a name cut to kMaxPlayerNameLength), and it may name as its party
// only its own, or (alone, where the game sets up its own roster) one led by a player in
// the roster: on a server another party is joined only by accepting an invitation.
void PlayerManagerServer::HandleNewPlayer(const PlayerNetBasicInfo& player)
{
    const uint32_t newcomer = player.playerId;
    if (std::find(m_players.begin(), m_players.end(), newcomer) != m_players.end())
        return;
    if (const char* fault = HeartbeatFault(player)) {
        RefuseRecord("join", newcomer, fault);
        return;
    }
    m_players.push_back(newcomer);
    m_playerInfos.push_back(player);
    PlayerNetBasicInfo& record = m_playerInfos.back();
    record.life = std::min(record.life, record.maxLife);
    HoldStatusToServersCopy(record);
    if (record.playerName.size() > kMaxPlayerNameLength) {
        NetPacketRegistry::DropHandled("PlayerManagerServer", "player %u joined with a name longer than %zu "
                                       "characters; it is cut", newcomer, kMaxPlayerNameLength);
        record.playerName.resize(kMaxPlayerNameLength);
    }
    const uint32_t party = record.partyId;
    const bool serving = gGameEngine && gGameEngine->GetNetworkRole() == NetworkRole::Server;
    if (party != 0 && party != newcomer &&
        (serving || std::find(m_players.begin(), m_players.end(), party) == m_players.end())) {
        NetPacketRegistry::DropHandled("PlayerManagerServer", "player %u joined naming party %u, which it may not "
                                       "join; it joins in no party", newcomer, party);
        record.partyId = 0;
    }
    if (GameEngineNetworkInterface* network = GetNetworkInterface())
        network->StoC_AllPlayersUpdate(m_playerInfos);
    if (!gGameEngine)
        return;
    gGameEngine->SendFixedItemTeleports(newcomer);
    const std::vector<uint32_t> roster = m_players;
    for (uint32_t other : roster)
        if (other != newcomer)
            gGameEngine->DisplayMessageRemote(other, newcomer, true, kGameJoinTag);
}

// A player who is not in the roster has nobody to announce.
void PlayerManagerServer::HandleRemovePlayer(uint32_t id)
{
    if (std::find(m_players.begin(), m_players.end(), id) == m_players.end())
        return;
    TellOthers(id, TagTextWithName(kLeaveTag, RosterName(id)));
    const auto found = std::find(m_players.begin(), m_players.end(), id);
    if (found == m_players.end())
        return;
    const auto index = found - m_players.begin();
    m_players.erase(found);
    if (static_cast<size_t>(index) < m_playerInfos.size())
        m_playerInfos.erase(m_playerInfos.begin() + index);
}

// A host none of whose players is in the roster has nobody to announce.
void PlayerManagerServer::RemovePlayerFromGame(int host)
{
    uint32_t leaver = 0;
    for (uint32_t id : m_players)
        if (PlayerHostId(id) == host)
            leaver = id;
    if (leaver != 0)
        TellOthers(leaver, TagTextWithName(kGameLeaveTag, RosterName(leaver)));
    RemoveRosterHost(m_players, m_playerInfos, host, [](uint32_t) {});
    if (leaver != 0 && gGameEngine)
        gGameEngine->GetPartyManager()->CleanUpForPlayerLeave(leaver);
}

void PlayerManagerServer::TellOthers(uint32_t about, const std::u16string& text) const
{
    if (!gGameEngine)
        return;
    const std::vector<uint32_t> roster = m_players;
    for (uint32_t member : roster)
        if (member != about)
            gGameEngine->DisplayWMessageRemote(member, true, text);
}

// A client's heartbeat may have left it before a party change reached it: the party
// stays the roster's, which only party changes set, so a late heartbeat cannot undo one.
// A heartbeat whose numbers no character has is refused whole; a life above its maximum
// (a limit that has just dropped) is held to it, life and mana to the maxima of the
// server's copy of the player, and its status skills to the copy's buffs.
void PlayerManagerServer::HandlePlayerHeartbeatInbound(const PlayerNetHeartbeatInfo& heartbeat)
{
    if (const char* fault = HeartbeatFault(heartbeat)) {
        RefuseRecord("heartbeat", heartbeat.playerId, fault);
        return;
    }
    for (PlayerNetBasicInfo& record : m_playerInfos) {
        if (record.playerId != heartbeat.playerId)
            continue;
        const uint32_t party = record.partyId;
        record = heartbeat;
        record.partyId = party;
        record.life = std::min(record.life, record.maxLife);
        HoldToServersCopy(record);
        HoldStatusToServersCopy(record);
        // The transport hears each heartbeat: one of a client whose world arrived and whose
        // player stands in the world makes it play, and while they come it keeps its number.
        if (gGameEngine && gGameEngine->GetNetworkRole() == NetworkRole::Server)
            ConnectionManager::Get().ConfirmJoined(ConnectionManager::HostOfPlayer(record.playerId));
    }
}

// Joining a party is accepting an invitation, and accepting one ends the others.
void PlayerManagerServer::AddPlayerToParty(uint32_t player, int party)
{
    SetRosterParty(m_playerInfos, player, party);
    if (party != 0 && gGameEngine)
        gGameEngine->GetPartyManager()->ForgetInvitationsTo(player);
}

void PlayerManagerServer::Clear()
{
    m_players.clear();
    m_playerInfos.clear();
}

WorldVec3 PlayerManagerServer::GetPlayerLocation(uint32_t id) const
{
    for (const PlayerNetBasicInfo& record : m_playerInfos)
        if (record.playerId == id)
            return record.position;
    return WorldVec3();
}

}  // namespace GAME
