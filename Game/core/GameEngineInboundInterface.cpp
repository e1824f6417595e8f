#include "Game/core/GameEngineInboundInterface.h"

namespace GAME {

void GameEngineInboundInterface::CreateFixedItemTeleport(const WorldCoords&, uint32_t, uint32_t, const std::string&,
                                                         uint32_t)
{
}

void GameEngineInboundInterface::DisplayMessageRemote(uint32_t, uint32_t, bool, const std::string&) {}

void GameEngineInboundInterface::DisplayWMessageRemote(uint32_t, bool, const std::u16string&) {}

void GameEngineInboundInterface::InvitePlayerToParty(uint32_t, int) {}

}  // namespace GAME
