// Parties of players: invitations, answers, members and leaders. A party is named by the
// player id of its leader; a player's party id (0: none) is kept in its roster record.
#pragma once

#include <cstdint>
#include <vector>

namespace GAME {

class WorldVec3;

class PartyManager {
public:
    void Update();

    // The party id in the player's roster record; 0 when the player has no record.
    uint32_t GetParty(uint32_t player) const;
    // 1 for party 0 (a player alone), otherwise the number of roster records in it.
    int GetNumPlayersInParty(int party) const;
    // The number of members of the party the player belongs to (1 when alone).
    int GetNumInPlayersParty(uint32_t player) const;
    // 1 for party 0; otherwise the members whose last known position is within
    // `radius` of `where` (a member exactly at the radius counts).
    int GetNumPlayersInPartyNear(int party, const WorldVec3& where, float radius) const;
    // Appends the members of a party in roster order; party 0 empties `out`.
    void GetPlayersInParty(int party, std::vector<uint32_t>& out) const;
    // The members of the player's party, or just the player when it has none.
    void GetPartyMembers(uint32_t player, std::vector<uint32_t>& out) const;
    // The share of the damage done to `source` by the player's party, from 0 to 1.
    float GetPartyExperienceMultiplier(uint32_t player, uint32_t source) const;

    // An invitation from `inviter` received for `player`.
    void HandlePartyInvite(uint32_t player, int inviter);
    // Hands the party this machine's player leads to the remaining members.
    void ReassignRemainingParty();
    // A player left the game: a party it led goes to the remaining members.
    void CleanUpForPlayerLeave(uint32_t leaver);
    void MessagePlayerInvited(int party, uint32_t player);
};

}  // namespace GAME
