#include "Game/core/PlayerManagerClient.h"

#include <algorithm>

#include "Engine/ObjectManager.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/PartyManager.h"

namespace GAME {

namespace {

constexpr const char16_t* kUnknownPlayerName = u"ErrorName";

}  // namespace

void PlayerManagerClient::Update(int) {}

void PlayerManagerClient::HandlePlayerUpdate(const std::vector<PlayerNetBasicInfo>& records)
{
    CriticalSectionLock lock(m_lock);
    m_playersInGame.resize(records.size());
    for (size_t i = 0; i < records.size(); ++i)
        m_playersInGame[i] = records[i].playerId;
    m_playerInfoCache = records;
}

void PlayerManagerClient::HandlePlayerHeartbeatInbound(const std::vector<PlayerNetHeartbeatInfo>& heartbeats)
{
    for (const PlayerNetHeartbeatInfo& heartbeat : heartbeats) {
        if (heartbeat.playerId == m_mainPlayerId)
            continue;
        for (PlayerNetBasicInfo& record : m_playerInfoCache)
            if (record.playerId == heartbeat.playerId)
                record = heartbeat;
    }
}

void PlayerManagerClient::HandleBonus(const Bonus&) {}

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

void PlayerManagerClient::Clear()
{
    CriticalSectionLock lock(m_lock);
    m_playersInGame.clear();
    m_playerInfoCache.clear();
    m_mainPlayerId = 0;
}

void PlayerManagerClient::BanPlayer(const std::u16string&) {}

uint32_t PlayerManagerClient::GetPlayerIdFromHostId(int host) const
{
    for (uint32_t id : m_playersInGame)
        if (PlayerHostId(id) == host)
            return id;
    return 0;
}

std::u16string PlayerManagerClient::GetPlayerName(uint32_t id) const
{
    for (const PlayerNetBasicInfo& record : m_playerInfoCache)
        if (record.playerId == id)
            return record.playerName;
    return kUnknownPlayerName;
}

void PlayerManagerClient::GetAllPlayersInGame(std::vector<uint32_t>& out) const
{
    CriticalSectionLock lock(m_lock);
    out = m_playersInGame;
}

void PlayerManagerClient::GetPlayerInfo(PlayerInfo& out) const
{
    CriticalSectionLock lock(m_lock);
    out = PlayerInfo();
    uint32_t sum = 0;
    uint32_t count = 0;
    for (uint32_t id : m_playersInGame) {
        const Player* player = ObjectManager::Get().GetObject<Player>(id);
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

uint32_t PlayerManagerClient::GetAveragePartyLevel(uint32_t player) const
{
    const PartyManager* parties = gGameEngine ? gGameEngine->GetPartyManager() : nullptr;
    const uint32_t party = parties ? parties->GetParty(player) : 0;
    int64_t sum = 0;
    int64_t count = 0;
    for (const PlayerNetBasicInfo& record : m_playerInfoCache) {
        if (record.partyId != party)
            continue;
        sum += record.level;
        ++count;
    }
    if (count == 0 || sum <= 0)
        return 0;
    return static_cast<uint32_t>((sum + count - 1) / count);
}

}  // namespace GAME
