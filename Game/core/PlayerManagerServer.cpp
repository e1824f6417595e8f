#include "Game/core/PlayerManagerServer.h"

#include <algorithm>

namespace GAME {

void PlayerManagerServer::Update(int) {}

void PlayerManagerServer::HandleNewPlayer(const PlayerNetBasicInfo& player)
{
    if (std::find(m_players.begin(), m_players.end(), player.playerId) != m_players.end())
        return;
    m_players.push_back(player.playerId);
    m_playerInfos.push_back(player);
}

void PlayerManagerServer::HandlePlayerHeartbeatInbound(const PlayerNetHeartbeatInfo& heartbeat)
{
    for (PlayerNetBasicInfo& record : m_playerInfos)
        if (record.playerId == heartbeat.playerId)
            record = heartbeat;
}

void PlayerManagerServer::HandleBonus(const Bonus&, const WorldVec3&, const uint32_t&) {}

void PlayerManagerServer::AddPlayerToParty(uint32_t player, int party)
{
    SetRosterParty(m_playerInfos, player, party);
}

void PlayerManagerServer::RemovePlayerFromGame(int host)
{
    RemoveRosterHost(m_players, m_playerInfos, host, [](uint32_t) {});
}

void PlayerManagerServer::Clear()
{
    m_players.clear();
    m_playerInfos.clear();
}

}  // namespace GAME
