#include "Game/network/PlayerRosterPackets.h"

#include "Engine/NetPacketRegistry.h"

namespace GAME {

GAME_IMPLEMENT_PACKET(AllPlayersHeartbeatPacket, NetPacket)
GAME_IMPLEMENT_PACKET(SinglePlayerHeartbeatPacket, NetPacket)
GAME_IMPLEMENT_PACKET(AllPlayersBasicInfoPacket, NetPacket)
GAME_IMPLEMENT_PACKET(SinglePlayerBasicInfoPacket, NetPacket)

uint8_t CompactPlayerFlags(const PlayerNetHeartbeatInfo& info, bool isMale, bool basic)
{
    uint8_t flags = 0;
    if (basic && isMale)
        flags |= PlayerNetFlags::kMale;
    if (info.level >= 0 && info.level < PlayerNetFlags::kSmallLevelLimit)
        flags |= PlayerNetFlags::kSmallLevel;
    if (ClassTagToByte(info.classTag.c_str()) != kClassTagNotEncodable)
        flags |= PlayerNetFlags::kClassByte;
    return flags;
}

}  // namespace GAME
