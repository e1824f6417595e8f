#include "Game/core/PlayerManagerClient.h"

#include <algorithm>

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Player.h"
#include "Game/core/Bonus.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEngineNetworkInterface.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/core/PartyManager.h"
#include "Game/core/PlayerManagerServer.h"
#include "Game/core/PlayerManagerSettings.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/StringUtil.h"

namespace GAME {

namespace {

// Names in the console dump are cut to this many bytes.
constexpr size_t kDumpNameLength = 500;
constexpr const char* kDumpRule = "===================================";

Player* FindPlayer(uint32_t id)
{
    return ObjectManager::Get().GetObject<Player>(id);
}

}  // namespace

// ---- The frame -------------------------------------------------------------------------

void PlayerManagerClient::Update(int ms)
{
    AddElapsed(m_heartbeatTimer, ms);
    RefreshLocalRecord();
    if (m_heartbeatTimer > kClientHeartbeatIntervalMs) {
        SendHeartbeat();
        m_heartbeatTimer = 0;
    }
}

void PlayerManagerClient::RefreshLocalRecord()
{
    CriticalSectionLock lock(m_lock);
    if (m_mainPlayerId == 0)
        return;
    Player* player = FindPlayer(m_mainPlayerId);
    if (!player)
        return;
    for (PlayerNetBasicInfo& record : m_playerInfoCache)
        if (record.playerId == m_mainPlayerId)
            player->GetPlayerNetBasicInfo(record);
}

void PlayerManagerClient::SendHeartbeat()
{
    Player* player = FindPlayer(m_mainPlayerId);
    GameEngineNetworkInterface* network = m_module ? m_module->GetNetworkInterface() : nullptr;
    if (!player || !network)
        return;
    PlayerNetHeartbeatInfo heartbeat;
    player->GetPlayerNetHeartbeatInfo(heartbeat);
    network->CtoS_SinglePlayerHeartbeat(heartbeat);
}

// ---- Joining, updates and leaving ------------------------------------------------------

// A main player without an object yet gets a record that holds only its id, so that the
// ids and the records stay parallel; the record fills in once the object exists. A
// player with its object joins the host's roster: here on the host (and alone), through
// the host's join operation on a client.
void PlayerManagerClient::SetMainPlayer(uint32_t id)
{
    CriticalSectionLock lock(m_lock);
    m_mainPlayerId = id;
    if (FindRecord(id))
        return;
    PlayerNetBasicInfo record;
    record.playerId = id;
    Player* player = FindPlayer(id);
    if (player)
        player->GetPlayerNetBasicInfo(record);
    m_playersInGame.push_back(id);
    m_playerInfoCache.push_back(record);
    if (!player)
        return;
    if (PlayerManagerServer* host = gGameEngine ? gGameEngine->GetPlayerManagerServer() : nullptr)
        host->HandleNewPlayer(record);
    else if (GameEngineNetworkInterface* network = m_module ? m_module->GetNetworkInterface() : nullptr)
        network->CtoS_AddNewPlayer(record);
}

void PlayerManagerClient::Clear()
{
    CriticalSectionLock lock(m_lock);
    m_playersInGame.clear();
    m_playerInfoCache.clear();
    m_mainPlayerId = 0;
}

void PlayerManagerClient::HandlePlayerUpdate(const std::vector<PlayerNetBasicInfo>& records)
{
    CriticalSectionLock lock(m_lock);
    m_playersInGame.resize(records.size());
    for (size_t i = 0; i < records.size(); ++i)
        m_playersInGame[i] = records[i].playerId;
    m_playerInfoCache = records;
    RefreshLocalRecord();
    UpdateGameInfo();
}

void PlayerManagerClient::HandlePlayerHeartbeatInbound(const std::vector<PlayerNetHeartbeatInfo>& heartbeats)
{
    CriticalSectionLock lock(m_lock);
    for (const PlayerNetHeartbeatInfo& heartbeat : heartbeats) {
        if (heartbeat.playerId == m_mainPlayerId)
            continue;
        for (PlayerNetBasicInfo& record : m_playerInfoCache)
            if (record.playerId == heartbeat.playerId)
                record = heartbeat;
    }
}

void PlayerManagerClient::HandleBonus(const Bonus& bonus)
{
    if (bonus.source == m_mainPlayerId)
        return;
    if (Player* receiver = FindPlayer(bonus.receiver))
        receiver->TakeBonus(bonus, false, PlayStatsLifeType_Unknown);
}

void PlayerManagerClient::AddPlayerToParty(uint32_t player, int party)
{
    SetRosterParty(m_playerInfoCache, player, party);
}

void PlayerManagerClient::RemovePlayerFromGame(int host)
{
    CriticalSectionLock lock(m_lock);
    RemoveRosterHost(m_playersInGame, m_playerInfoCache, host, [](uint32_t id) {
        if (gGameEngine)
            gGameEngine->RemovePortalsFor(id);
    });
}

void PlayerManagerClient::BanPlayer(const char* name)
{
    if (!name)
        return;
    BanMatching([name](const Player& player) { return player.GetPlayerNameInChar() == name; }, name);
}

void PlayerManagerClient::BanPlayer(const std::u16string& name)
{
    BanMatching([&name](const Player& player) { return player.GetPlayerName() == name; },
                LocalizationManager::ToChar(name));
}

void PlayerManagerClient::BanMatching(const std::function<bool(const Player&)>& matches, const std::string& name)
{
    std::vector<uint32_t> players;
    GetAllPlayersInGame(players);
    for (uint32_t id : players) {
        const Player* player = FindPlayer(id);
        if (!player || !matches(*player))
            continue;
        const int host = PlayerHostId(id);
        ConnectionManager::Get().Disconnect(host, kBanReason);
        gEngine->Log(LOG_INFO, "Banning Host %d (%s)", host, name.c_str());
        // A transport reports no leave for a host it dropped itself: the server has the
        // host leave the game here, as when it goes, and tells the other clients.
        if (gGameEngine && gGameEngine->GetNetworkRole() == NetworkRole::Server)
            gGameEngine->HandleConnectionEvent(NetConnectionEvent{NetConnectionEvent::Left, host, kBanReason});
    }
}

void PlayerManagerClient::UpdateGameInfo()
{
    GameInfo& info = GameInfo::Get();
    info.ClearPlayerList();
    for (const PlayerNetBasicInfo& record : m_playerInfoCache)
        info.AddPlayer(record.playerName);
    info.SetNumOfPlayers(static_cast<uint32_t>(m_playerInfoCache.size()));
}

void PlayerManagerClient::DumpPlayersToConsole() const
{
    gEngine->Log(LOG_INFO, "%s", kDumpRule);
    gEngine->Log(LOG_INFO, "Player List:");
    for (const PlayerNetBasicInfo& record : m_playerInfoCache) {
        gEngine->Log(LOG_INFO, "Name:    %s", LocalizationManager::ToChar(record.playerName, kDumpNameLength).c_str());
        gEngine->Log(LOG_INFO, "Gender:  %s", record.isMale ? "Male" : "Female");
        gEngine->Log(LOG_INFO, "Id:      %d", static_cast<int>(record.playerId));
        gEngine->Log(LOG_INFO, "Level:   %d", static_cast<int>(record.level));
        gEngine->Log(LOG_INFO, "%s", "");
    }
    gEngine->Log(LOG_INFO, "%s", kDumpRule);
}

// ---- Questions -------------------------------------------------------------------------

const PlayerNetBasicInfo* PlayerManagerClient::FindRecord(uint32_t id) const
{
    for (const PlayerNetBasicInfo& record : m_playerInfoCache)
        if (record.playerId == id)
            return &record;
    return nullptr;
}

void PlayerManagerClient::GetAllPlayersInGame(std::vector<uint32_t>& out) const
{
    CriticalSectionLock lock(m_lock);
    out = m_playersInGame;
}

PlayerNetBasicInfo PlayerManagerClient::GetPlayerInfo(uint32_t id) const
{
    const PlayerNetBasicInfo* record = FindRecord(id);
    return record ? *record : PlayerNetBasicInfo();
}

void PlayerManagerClient::GetPlayerInfo(PlayerInfo& out) const
{
    CriticalSectionLock lock(m_lock);
    out = PlayerInfo();
    uint64_t sum = 0;
    uint32_t count = 0;
    for (uint32_t id : m_playersInGame) {
        const Player* player = FindPlayer(id);
        if (!player)
            continue;
        const uint32_t level = player->GetCharLevel();
        if (out.minPlayerLevel == 0 || level < out.minPlayerLevel)
            out.minPlayerLevel = level;
        out.maxPlayerLevel = std::max(out.maxPlayerLevel, level);
        sum += level;
        ++count;
    }
    out.numberOfPlayers = count;
    if (count != 0)
        out.averagePlayerLevel = static_cast<uint32_t>(static_cast<double>(sum) / count + 0.5);
}

uint32_t PlayerManagerClient::GetPlayerIdFromHostId(int host) const
{
    for (uint32_t id : m_playersInGame)
        if (PlayerHostId(id) == host)
            return id;
    return 0;
}

std::string PlayerManagerClient::GetPlayerClass(uint32_t id) const
{
    const PlayerNetBasicInfo* record = FindRecord(id);
    return record ? record->classTag : std::string();
}

std::u16string PlayerManagerClient::GetPlayerName(uint32_t id) const
{
    const PlayerNetBasicInfo* record = FindRecord(id);
    return record ? record->playerName : kUnknownPlayerName;
}

WorldVec3 PlayerManagerClient::GetPlayerLocation(uint32_t id) const
{
    const PlayerNetBasicInfo* record = FindRecord(id);
    return record ? record->position : WorldVec3();
}

std::u16string PlayerManagerClient::GetPlayerLevel(uint32_t id) const
{
    const PlayerNetBasicInfo* record = FindRecord(id);
    return record ? LocalizationManager::FormatString(u"%d", record->level) : std::u16string();
}

uint32_t PlayerManagerClient::GetPlayerWithName(const std::u16string& name) const
{
    std::u16string_view wanted = name;
    if (!wanted.empty() && wanted.front() == u'"') {
        if (wanted.size() < 3)
            return 0;
        wanted = wanted.substr(1, wanted.size() - 2);
    }
    const std::string narrow = LocalizationManager::ToChar(wanted);
    for (const PlayerNetBasicInfo& record : m_playerInfoCache)
        if (EqualsNoCase(LocalizationManager::ToChar(record.playerName), narrow))
            return record.playerId;
    return 0;
}

bool PlayerManagerClient::IsPlayerInList(uint32_t id) const
{
    return FindRecord(id) != nullptr;
}

bool PlayerManagerClient::IsPlayerInGame(uint32_t id) const
{
    return std::find(m_playersInGame.begin(), m_playersInGame.end(), id) != m_playersInGame.end();
}

// Party 0 is no party: a player without one is averaged alone, not with every other
// player who has no party either.
uint32_t PlayerManagerClient::GetAveragePartyLevel(uint32_t player) const
{
    const PartyManager* parties = gGameEngine ? gGameEngine->GetPartyManager() : nullptr;
    const uint32_t party = parties ? parties->GetParty(player) : 0;
    uint64_t sum = 0;
    uint64_t count = 0;
    for (const PlayerNetBasicInfo& record : m_playerInfoCache) {
        const bool member = party == 0 ? record.playerId == player : record.partyId == party;
        if (!member)
            continue;
        sum += static_cast<uint64_t>(std::max(record.level, 0));
        ++count;
    }
    return count == 0 ? 0 : static_cast<uint32_t>((sum + count - 1) / count);
}

}  // namespace GAME
