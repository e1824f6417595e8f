#include "Engine/ChatPacket.h"

#include "Engine/NetPacketRegistry.h"

namespace GAME {

GAME_IMPLEMENT_PACKET(ChatPacket, NetPacket)

}  // namespace GAME
