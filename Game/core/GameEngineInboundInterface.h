// Applies each game-wide operation on this machine.
#pragma once

#include "Game/core/GameEngineNetworkInterface.h"

namespace GAME {

class GameEngineInboundInterface : public GameEngineNetworkInterface {
public:
    void CreateFixedItemTeleport(const WorldCoords& coords, uint32_t ownerId, uint32_t portalId,
                                 const std::string& text, uint32_t target) override;
    void DisplayMessageRemote(uint32_t fromId, uint32_t toId, bool flag, const std::string& tag) override;
    void DisplayWMessageRemote(uint32_t toId, bool flag, const std::u16string& text) override;
    void InvitePlayerToParty(uint32_t playerId, int partyId) override;
};

}  // namespace GAME
