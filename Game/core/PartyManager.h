// Parties of players: invitations, answers, members and leaders. A party is named by the
// player id of its leader; a player's party id (0: none) is kept in its roster record.
#pragma once

#include <cstdint>

namespace GAME {

class PartyManager {
public:
    void Update();

    // The party id in the player's roster record; 0 when the player has no record.
    uint32_t GetParty(uint32_t player) const;
    // 1 for party 0 (a player alone), otherwise the number of roster records in it.
    int GetNumPlayersInParty(int party) const;
    // The number of members of the party the player belongs to (1 when alone).
    int GetNumInPlayersParty(uint32_t player) const;

    // An invitation from `inviter` received for `player`.
    void HandlePartyInvite(uint32_t player, int inviter);
    // Hands the party this machine's player leads to the remaining members.
    void ReassignRemainingParty();
    void MessagePlayerInvited(int party, uint32_t player);
};

}  // namespace GAME
