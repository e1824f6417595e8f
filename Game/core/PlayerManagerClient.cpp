#include "Game/core/PlayerManagerClient.h"

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

void PlayerManagerClient::BanPlayer(const std::u16string&) {}

}  // namespace GAME
