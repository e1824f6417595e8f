// The game-wide operations that travel between peers. The single-player role applies them
// at once through the inbound interface; the client and server roles send them through
// the outbound one.
#pragma once

#include <cstdint>
#include <string>

#include "Engine/World.h"

namespace GAME {

class GameEngineNetworkInterface {
public:
    virtual ~GameEngineNetworkInterface() = default;

    virtual void CreateFixedItemTeleport(const WorldCoords& coords, uint32_t ownerId, uint32_t portalId,
                                         const std::string& text, uint32_t target) = 0;
    virtual void DisplayMessageRemote(uint32_t fromId, uint32_t toId, bool flag, const std::string& tag) = 0;
    virtual void DisplayWMessageRemote(uint32_t toId, bool flag, const std::u16string& text) = 0;
    virtual void InvitePlayerToParty(uint32_t playerId, int partyId) = 0;
};

}  // namespace GAME
