#include "Game/core/GameEngineOutboundInterface.h"

namespace GAME {

void GameEngineOutboundInterface::CreateFixedItemTeleport(const WorldCoords&, uint32_t, uint32_t, const std::string&,
                                                          uint32_t)
{
}

void GameEngineOutboundInterface::DisplayMessageRemote(uint32_t, uint32_t, bool, const std::string&) {}

void GameEngineOutboundInterface::DisplayWMessageRemote(uint32_t, bool, const std::u16string&) {}

void GameEngineOutboundInterface::InvitePlayerToParty(uint32_t, int) {}

}  // namespace GAME
