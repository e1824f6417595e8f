#include "Game/network/QuestPackets.h"

#include "Engine/NetPacketRegistry.h"

namespace GAME {

GAME_IMPLEMENT_PACKET(QuestMessagePacket, NetPacket)
GAME_IMPLEMENT_PACKET(QuestCommandMovePacket, NetPacket)
GAME_IMPLEMENT_PACKET(QuestCommandWalkPacket, NetPacket)
GAME_IMPLEMENT_PACKET(QuestCommandPlayAnimationPacket, NetPacket)
GAME_IMPLEMENT_PACKET(QuestCommandUseSkillPacket, NetPacket)
GAME_IMPLEMENT_PACKET(QuestCommandLockFixedItemPacket, NetPacket)
GAME_IMPLEMENT_PACKET(GameBalanceUpdatePacket, NetPacket)

}  // namespace GAME
