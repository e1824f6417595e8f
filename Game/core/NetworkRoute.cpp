#include "Game/core/NetworkRoute.h"

#include <array>

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Game/core/GameEngine.h"

namespace GAME {

namespace {

struct RouteEntry {
    NetOperation operation;
    NetRoute route;
};

using enum NetOperation;
using enum NetRoute;

// Trades, gold, invitations, purchase answers and remote messages name the player they
// are for; rewards for one player travel to that player's host. The roster, balance and
// market news are the host's to tell everyone. Items, entities, portals, quest traffic,
// party membership and chat change every machine's game.
constexpr std::array<RouteEntry, static_cast<size_t>(Count)> kRoutes{{
    {TradeInitiate, ToPlayer},
    {TradeCancel, ToPlayer},
    {TradeFinalize, ToPlayer},
    {TradeAddItem, ToPlayer},
    {TradeRemoveItem, ToPlayer},
    {TradeSetGoldAmount, ToPlayer},
    {GiveGoldToPlayer, ToPlayer},
    {CreateItem, ToPeers},
    {CreateEntity, ToPeers},
    {CreateFixedItemTeleport, ToPlayer},
    {DestroyFixedItemTeleport, ToPeers},
    {StoC_AllPlayersHeartbeat, ToAllClients},
    {CtoS_SinglePlayerHeartbeat, ToServer},
    {StoC_AllPlayersUpdate, ToAllClients},
    {CtoS_AddNewPlayer, ToServer},
    {HandleBonusToClient, ToPlayer},
    {HandleBonusToServer, ToServer},
    {HandleQuestMessagePacket, ToPeers},
    {AddPlayerToParty, ToPeers},
    {InvitePlayerToParty, ToPlayer},
    {GameBalanceUpdate, ToAllClients},
    {S2C_MarketUpdate, ToAllClients},
    {S2C_MarketPurchaseConfirmation, ToPlayer},
    {S2C_MarketPurchaseDenied, ToPlayer},
    {S2C_MarketItemStatusUpdate, ToAllClients},
    {C2S_MarketPurchaseRequest, ToServer},
    {C2S_MarketSellBack, ToServer},
    {C2S_MarketUpdateRequest, ToServer},
    {DisplayMessageRemote, ToPlayer},
    {DisplayWMessageRemote, ToPlayer},
    {HandleChatMessage, ToPeers},
    {QuestCommandMove, ToPeers},
    {QuestCommandWalk, ToPeers},
    {QuestCommandPlayAnimation, ToPeers},
    {QuestCommandUseSkill, ToPeers},
    {QuestCommandLockFixedItem, ToPeers},
    {SendPartyRequestResponse, ToServer},
    {CtoS_StartTeleport, ToServer},
    {StoC_StartTeleport, ToAllClients},
    {ServerPropegateTeleport, ToPlayer},
    {CtoS_NRLoaderStateChange, ToServer},
    {StoC_NRLoaderStateChange, ToAllClients},
    {CtoS_InitiateServerRespawnLoader, ToServer},
}};

constexpr bool RoutesInOrder()
{
    for (size_t i = 0; i < kRoutes.size(); ++i)
        if (static_cast<size_t>(kRoutes[i].operation) != i)
            return false;
    return true;
}
static_assert(RoutesInOrder(), "one route per operation, in the order of NetOperation");

// This machine serves the game when its server side has a player manager.
bool IsHost()
{
    return gGameEngine && gGameEngine->IsServerOrSingle();
}

}  // namespace

NetRoute RouteOf(NetOperation operation)
{
    const auto index = static_cast<size_t>(operation);
    return index < kRoutes.size() ? kRoutes[index].route : ToPeers;
}

bool SendOperation(NetOperation operation, NetPacket& packet, uint32_t addressee)
{
    ConnectionManager& connections = *gEngine->GetNetworkConnectionManager();
    NetRoute route = RouteOf(operation);
    if (route == ToPlayer && addressee == 0)
        route = ToPeers;
    if (route == ToPeers)
        route = IsHost() ? ToAllClients : ToServer;
    switch (route) {
    case ToServer:
        return connections.SendToServer(packet);
    case ToAllClients:
        return connections.SendToAllClients(packet);
    case ToPlayer:
        return connections.SendToPlayer(addressee, packet);
    case ToPeers:
        break;
    }
    return false;
}

}  // namespace GAME
