// Parties of players: invitations, answers, members and leaders.
#pragma once

#include <cstdint>

namespace GAME {

class PartyManager {
public:
    void Update();
    // The number of members of the party the player belongs to (1 when alone).
    int GetNumInPlayersParty(uint32_t playerId) const;
    void MessagePlayerInvited(int partyId, uint32_t playerId);
};

}  // namespace GAME
