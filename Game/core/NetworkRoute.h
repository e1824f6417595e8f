// Where each game-wide operation goes when it is sent, decided once for every operation
// from its direction.
//
//   ToServer      an operation a client asks of the host
//   ToAllClients  the host's news for every client
//   ToPlayer      an operation for one player: to the connection of that player's host
//                 (top 4 bits of the id); an addressee of 0 means every peer (ToPeers)
//   ToPeers       an operation every machine applies: from the host to all clients,
//                 from a client to the host, which passes it on as its own
#pragma once

#include <cstdint>

namespace GAME {

class NetPacket;

enum class NetRoute : uint8_t { ToServer, ToAllClients, ToPlayer, ToPeers };

// Every operation that sends a packet: the 36 of the network interface in their order,
// then those the game engine sends itself.
enum class NetOperation : uint8_t {
    TradeInitiate,
    TradeCancel,
    TradeFinalize,
    TradeAddItem,
    TradeRemoveItem,
    TradeSetGoldAmount,
    GiveGoldToPlayer,
    CreateItem,
    CreateEntity,
    CreateFixedItemTeleport,
    DestroyFixedItemTeleport,
    StoC_AllPlayersHeartbeat,
    CtoS_SinglePlayerHeartbeat,
    StoC_AllPlayersUpdate,
    CtoS_AddNewPlayer,
    HandleBonusToClient,
    HandleBonusToServer,
    HandleQuestMessagePacket,
    AddPlayerToParty,
    InvitePlayerToParty,
    GameBalanceUpdate,
    S2C_MarketUpdate,
    S2C_MarketPurchaseConfirmation,
    S2C_MarketPurchaseDenied,
    S2C_MarketItemStatusUpdate,
    C2S_MarketPurchaseRequest,
    C2S_MarketSellBack,
    C2S_MarketUpdateRequest,
    DisplayMessageRemote,
    DisplayWMessageRemote,
    HandleChatMessage,
    QuestCommandMove,
    QuestCommandWalk,
    QuestCommandPlayAnimation,
    QuestCommandUseSkill,
    QuestCommandLockFixedItem,
    SendPartyRequestResponse,
    CtoS_StartTeleport,
    StoC_StartTeleport,
    ServerPropegateTeleport,
    CtoS_NRLoaderStateChange,
    StoC_NRLoaderStateChange,
    CtoS_InitiateServerRespawnLoader,
    Count,
};

NetRoute RouteOf(NetOperation operation);

// Sends the packet of one operation along its route through the engine's connection
// manager; `addressee` is the player a ToPlayer operation is for. False when nothing
// was sent (logged by the connection manager).
bool SendOperation(NetOperation operation, NetPacket& packet, uint32_t addressee = 0);

}  // namespace GAME
