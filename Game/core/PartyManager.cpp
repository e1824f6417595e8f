#include "Game/core/PartyManager.h"

#include <algorithm>
#include <vector>

#include "Game/core/GameEngine.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/core/PlayerNetInfo.h"
#include "Game/core/foundation/MathUtil.h"

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

int PartyManager::GetNumPlayersInPartyNear(int party, const WorldVec3& where, float radius) const
{
    if (party == 0)
        return 1;
    const std::vector<PlayerNetBasicInfo>* roster = Roster();
    if (!roster)
        return 0;
    return static_cast<int>(std::count_if(roster->begin(), roster->end(), [&](const PlayerNetBasicInfo& record) {
        return record.partyId == static_cast<uint32_t>(party) && WorldDistance(record.position, where) <= radius;
    }));
}

void PartyManager::GetPlayersInParty(int party, std::vector<uint32_t>& out) const
{
    if (party == 0) {
        out.clear();
        return;
    }
    if (const std::vector<PlayerNetBasicInfo>* roster = Roster())
        for (const PlayerNetBasicInfo& record : *roster)
            if (record.partyId == static_cast<uint32_t>(party))
                out.push_back(record.playerId);
}

void PartyManager::GetPartyMembers(uint32_t player, std::vector<uint32_t>& out) const
{
    const uint32_t party = GetParty(player);
    out.clear();
    if (party == 0)
        out.push_back(player);
    else
        GetPlayersInParty(static_cast<int>(party), out);
}

float PartyManager::GetPartyExperienceMultiplier(uint32_t player, uint32_t source) const
{
    if (!gGameEngine)
        return 0.0f;
    std::vector<uint32_t> members;
    GetPartyMembers(player, members);
    float share = 0.0f;
    for (uint32_t member : members)
        share += gGameEngine->GetPlayerDamagePercent(member, source);
    return share;
}

void PartyManager::HandlePartyInvite(uint32_t, int) {}
void PartyManager::CleanUpForPlayerLeave(uint32_t) {}
void PartyManager::ReassignRemainingParty() {}
void PartyManager::MessagePlayerInvited(int, uint32_t) {}

}  // namespace GAME
