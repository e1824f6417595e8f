#include "Game/core/PlayerManagerClient.h"

#include <algorithm>

namespace GAME {

void PlayerManagerClient::Update(int) {}

std::u16string PlayerManagerClient::GetPlayerName(uint32_t) const
{
    return std::u16string();
}

void PlayerManagerClient::GetAllPlayersInGame(std::vector<uint32_t>& out) const
{
    CriticalSectionLock lock(m_lock);
    out = m_playersInGame;
}

void PlayerManagerClient::AddPlayerInGame(uint32_t id)
{
    CriticalSectionLock lock(m_lock);
    if (std::find(m_playersInGame.begin(), m_playersInGame.end(), id) == m_playersInGame.end())
        m_playersInGame.push_back(id);
}

void PlayerManagerClient::BanPlayer(const std::u16string&) {}

}  // namespace GAME
