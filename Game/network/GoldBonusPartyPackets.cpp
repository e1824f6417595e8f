#include "Game/network/GoldBonusPartyPackets.h"

#include "Engine/NetPacketRegistry.h"

namespace GAME {

GAME_IMPLEMENT_PACKET(JoinPartyConfigCmdPacket, NetPacket)
GAME_IMPLEMENT_PACKET(InvitePartyConfigCmdPacket, NetPacket)
GAME_IMPLEMENT_PACKET(GiveGoldPacket, NetPacket)
GAME_IMPLEMENT_PACKET(BonusToClientPacket, NetPacket)
GAME_IMPLEMENT_PACKET(BonusToServerPacket, NetPacket)

}  // namespace GAME
