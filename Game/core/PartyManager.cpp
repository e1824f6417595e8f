#include "Game/core/PartyManager.h"

namespace GAME {

void PartyManager::Update() {}

int PartyManager::GetNumInPlayersParty(uint32_t) const
{
    return 1;
}

void PartyManager::MessagePlayerInvited(int, uint32_t) {}

}  // namespace GAME
