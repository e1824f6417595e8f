#include "Game/core/PartyManager.h"

#include <algorithm>
#include <vector>

#include "Game/core/GameEngine.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/core/PlayerNetInfo.h"

namespace GAME {

namespace {

const std::vector<PlayerNetBasicInfo>* Roster()
{
    const PlayerManagerClient* players = gGameEngine ? gGameEngine->GetPlayerManagerClient() : nullptr;
    return players ? &players->GetPlayerInfoCache() : nullptr;
}

}  // namespace

void PartyManager::Update() {}

uint32_t PartyManager::GetParty(uint32_t player) const
{
    if (const std::vector<PlayerNetBasicInfo>* roster = Roster())
        for (const PlayerNetBasicInfo& record : *roster)
            if (record.playerId == player)
                return record.partyId;
    return 0;
}

int PartyManager::GetNumPlayersInParty(int party) const
{
    if (party == 0)
        return 1;
    const std::vector<PlayerNetBasicInfo>* roster = Roster();
    if (!roster)
        return 0;
    return static_cast<int>(std::count_if(roster->begin(), roster->end(), [party](const PlayerNetBasicInfo& record) {
        return record.partyId == static_cast<uint32_t>(party);
    }));
}

int PartyManager::GetNumInPlayersParty(uint32_t player) const
{
    return GetNumPlayersInParty(static_cast<int>(GetParty(player)));
}

void PartyManager::HandlePartyInvite(uint32_t, int) {}
void PartyManager::ReassignRemainingParty() {}
void PartyManager::MessagePlayerInvited(int, uint32_t) {}

}  // namespace GAME
