#include "Game/network/ItemTradePackets.h"

#include "Engine/NetPacketRegistry.h"

namespace GAME {

GAME_IMPLEMENT_PACKET(CreateItemPacket, NetPacket)
GAME_IMPLEMENT_PACKET(TradeInitiatePacket, NetPacket)
GAME_IMPLEMENT_PACKET(TradeCancelPacket, NetPacket)
GAME_IMPLEMENT_PACKET(TradeSetGoldPacket, NetPacket)
GAME_IMPLEMENT_PACKET(TradeAddItemPacket, NetPacket)
GAME_IMPLEMENT_PACKET(TradeRemoveItemPacket, NetPacket)
GAME_IMPLEMENT_PACKET(TradeFinalizePacket, NetPacket)
GAME_IMPLEMENT_PACKET(CreateItemTeleportPacket, NetPacket)
GAME_IMPLEMENT_PACKET(DestroyItemTeleportPacket, NetPacket)
GAME_IMPLEMENT_PACKET(StartTeleportPacket, NetPacket)
GAME_IMPLEMENT_PACKET(MarketC2SUpdateRequestPacket, NetPacket)
GAME_IMPLEMENT_PACKET(MarketC2SSellBackPacket, NetPacket)
GAME_IMPLEMENT_PACKET(MarketC2SPurchaseRequestPacket, NetPacket)
GAME_IMPLEMENT_PACKET(MarketS2CStatusUpdatePacket, NetPacket)
GAME_IMPLEMENT_PACKET(MarketS2CPurchaseDeniedPacket, NetPacket)
GAME_IMPLEMENT_PACKET(MarketS2CPurchaseConfirmationPacket, NetPacket)
GAME_IMPLEMENT_PACKET(MarketS2CUpdatePacket, NetPacket)

void StartTeleportPacket::SetDestination(uint32_t player, int destinationX, int destinationY, int destinationZ)
{
    playerId = player;
    x = static_cast<float>(destinationX);
    y = static_cast<float>(destinationY);
    z = static_cast<float>(destinationZ);
}

}  // namespace GAME
