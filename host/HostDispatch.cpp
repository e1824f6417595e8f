#include "host/HostDispatch.h"

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "Engine/ChatPacket.h"
#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/NetPacketRegistry.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEngineNetworkInterface.h"
#include "Game/core/NetworkRoute.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/network/GoldBonusPartyPackets.h"
#include "Game/network/ItemTradePackets.h"
#include "Game/network/PlayerRosterPackets.h"
#include "Game/network/QuestPackets.h"

namespace GAME {

namespace {

using Inbound = GameEngineNetworkInterface;
using enum NetOperation;

struct DispatchEntry {
    NetPacketType type;
    NetPacketRegistry::Handler handler;
};

// What a packet of class P claims: see NetClaim.
template <class P>
using ClaimOf = NetClaim (*)(const P&);

template <class P>
NetClaim NoClaim(const P&)
{
    return {};
}

// A handler for packets of class P, which carry one of `operations`: the route table
// decides whether this machine applies it (NetworkRoute.h), then `apply` gets the game
// engine, its inbound interface and the read packet.
template <class P, class Apply>
DispatchEntry On(std::initializer_list<NetOperation> operations, ClaimOf<P> claim, Apply apply)
{
    return {P::kType, [heard = std::vector<NetOperation>(operations), claim, apply](NetPacket& received, int fromHost) {
                P* packet = DynamicCast<P>(&received);
                GameEngine* engine = gGameEngine;
                Inbound* inbound = engine ? engine->GetInboundNetworkInterface() : nullptr;
                if (!packet || !inbound) {
                    gEngine->Log(LOG_WARNING, "%s from host %d dropped: no game to apply it to",
                                 received.GetClassName(), fromHost);
                    return;
                }
                const NetOperation operation = HeardOperation(heard, fromHost);
                if (AdmitReceived(operation, received, fromHost, claim(*packet)))
                    apply(*engine, *inbound, *packet);
            }};
}

template <class P, class Apply>
DispatchEntry On(NetOperation operation, ClaimOf<P> claim, Apply apply)
{
    return On<P>({operation}, claim, apply);
}

template <class P, class Apply>
DispatchEntry On(NetOperation operation, Apply apply)
{
    return On<P>({operation}, &NoClaim<P>, apply);
}

// A teleport destination travels as floats but is applied in whole numbers; a value no
// int can hold (or not a number at all) is refused rather than converted.
bool ToWholeCoordinate(float value, int& out)
{
    constexpr float kLimit = 2147483520.0f;   // the largest float below 2^31
    if (!std::isfinite(value) || value < -kLimit || value > kLimit)
        return false;
    out = static_cast<int>(value);
    return true;
}

// The host hears a client's teleport; a client hears the host's.
void ApplyStartTeleport(GameEngine& engine, const StartTeleportPacket& packet)
{
    int x = 0, y = 0, z = 0;
    if (!ToWholeCoordinate(packet.x, x) || !ToWholeCoordinate(packet.y, y) || !ToWholeCoordinate(packet.z, z)) {
        gEngine->Log(LOG_WARNING, "StartTeleportPacket for player %u dropped: its destination is out of range",
                     packet.playerId);
        return;
    }
    if (engine.IsServerOrSingle())
        engine.CtoS_StartTeleportInbound(packet.playerId, x, y, z);
    else
        engine.StoC_StartTeleportInbound(packet.playerId, x, y, z);
}

void ApplyLoaderState(GameEngine& engine, const NRLoaderStatePacket& packet)
{
    if (engine.IsServerOrSingle())
        engine.CtoS_HandleNRLoaderStateChangeInbound(packet.playerId, packet.state);
    else
        engine.StoC_HandleNRLoaderStateChangeInbound(packet.playerId, packet.state);
}

// A trade step speaks for its sender and is for its receiver.
template <class P>
NetClaim TradeClaim(const P& p)
{
    return {{p.sender}, p.receiver};
}

template <class P>
NetClaim BuyerClaim(const P& p)
{
    return {{p.buyerId}};
}

template <class P>
NetClaim PlayerClaim(const P& p)
{
    return {{p.playerId}};
}

template <class P>
NetClaim ReceiverAddressed(const P& p)
{
    return {{}, p.receiver};
}

std::vector<DispatchEntry> TradeAndItemEntries()
{
    return {
        On<TradeInitiatePacket>(TradeInitiate, &TradeClaim<TradeInitiatePacket>,
                                [](GameEngine&, Inbound& in, TradeInitiatePacket& p) { in.TradeInitiate(p.sender, p.receiver); }),
        On<TradeCancelPacket>(TradeCancel, &TradeClaim<TradeCancelPacket>,
                              [](GameEngine&, Inbound& in, TradeCancelPacket& p) { in.TradeCancel(p.sender, p.receiver); }),
        On<TradeFinalizePacket>(TradeFinalize, &TradeClaim<TradeFinalizePacket>,
                                [](GameEngine&, Inbound& in, TradeFinalizePacket& p) { in.TradeFinalize(p.sender, p.receiver); }),
        On<TradeAddItemPacket>(TradeAddItem, &TradeClaim<TradeAddItemPacket>,
                               [](GameEngine&, Inbound& in, TradeAddItemPacket& p) {
                                   in.TradeAddItem(p.sender, p.receiver, p.placement, p.item);
                               }),
        On<TradeRemoveItemPacket>(TradeRemoveItem, &TradeClaim<TradeRemoveItemPacket>,
                                  [](GameEngine&, Inbound& in, TradeRemoveItemPacket& p) {
                                      in.TradeRemoveItem(p.sender, p.receiver, p.itemId);
                                  }),
        On<TradeSetGoldPacket>(TradeSetGoldAmount, &TradeClaim<TradeSetGoldPacket>,
                               [](GameEngine&, Inbound& in, TradeSetGoldPacket& p) {
                                   in.TradeSetGoldAmount(p.sender, p.receiver, p.goldAmount);
                               }),
        On<GiveGoldPacket>(GiveGoldToPlayer, [](GameEngine&, Inbound& in, GiveGoldPacket& p) {
            in.GiveGoldToPlayer(p.playerId, p.amount);
        }),
        // An item speaks for its own id and, given to a character, for that character.
        On<CreateItemPacket>(CreateItem,
                             [](const CreateItemPacket& p) {
                                 NetClaim claim{{p.item.objectId}};
                                 if (p.characterId != 0)
                                     claim.ids.push_back(p.characterId);
                                 return claim;
                             },
                             [](GameEngine&, Inbound& in, CreateItemPacket& p) {
                                 in.CreateItem(p.characterId, p.coords, p.item, nullptr);
                             }),
        On<CreateEntityPacket>(CreateEntity, [](const CreateEntityPacket& p) { return NetClaim{{p.objectId}}; },
                               [](GameEngine&, Inbound& in, CreateEntityPacket& p) {
                                   in.CreateEntity(p.coords, p.recordName, p.objectId);
                               }),
        // The target of a portal only chose the connection; it is not sent, so a received
        // portal is everyone's.
        On<CreateItemTeleportPacket>(CreateFixedItemTeleport,
                                     [](const CreateItemTeleportPacket& p) { return NetClaim{{p.owner, p.objectId}}; },
                                     [](GameEngine&, Inbound& in, CreateItemTeleportPacket& p) {
                                         in.CreateFixedItemTeleport(p.coords, p.owner, p.objectId, p.sectorTag, 0);
                                     }),
        On<DestroyItemTeleportPacket>(DestroyFixedItemTeleport,
                                      [](const DestroyItemTeleportPacket& p) { return NetClaim{{p.objectId}}; },
                                      [](GameEngine&, Inbound& in, DestroyItemTeleportPacket& p) {
                                          in.DestroyFixedItemTeleport(p.objectId);
                                      }),
    };
}

std::vector<DispatchEntry> RosterAndRewardEntries()
{
    return {
        On<AllPlayersHeartbeatPacket>(StoC_AllPlayersHeartbeat, [](GameEngine&, Inbound& in, AllPlayersHeartbeatPacket& p) {
            in.StoC_AllPlayersHeartbeat(p.players);
        }),
        On<SinglePlayerHeartbeatPacket>(CtoS_SinglePlayerHeartbeat,
                                        [](const SinglePlayerHeartbeatPacket& p) { return NetClaim{{p.info.playerId}}; },
                                        [](GameEngine&, Inbound& in, SinglePlayerHeartbeatPacket& p) {
                                            in.CtoS_SinglePlayerHeartbeat(p.info);
                                        }),
        On<AllPlayersBasicInfoPacket>(StoC_AllPlayersUpdate, [](GameEngine&, Inbound& in, AllPlayersBasicInfoPacket& p) {
            in.StoC_AllPlayersUpdate(p.players);
        }),
        On<SinglePlayerBasicInfoPacket>(CtoS_AddNewPlayer,
                                        [](const SinglePlayerBasicInfoPacket& p) { return NetClaim{{p.info.playerId}}; },
                                        [](GameEngine&, Inbound& in, SinglePlayerBasicInfoPacket& p) {
                                            in.CtoS_AddNewPlayer(p.info);
                                        }),
        On<BonusToClientPacket>(HandleBonusToClient,
                                [](const BonusToClientPacket& p) { return NetClaim{{}, p.bonus.receiver}; },
                                [](GameEngine&, Inbound& in, BonusToClientPacket& p) {
                                    in.HandleBonusToClient(p.bonus, p.bonus.receiver);
                                }),
        On<BonusToServerPacket>(HandleBonusToServer,
                                [](const BonusToServerPacket& p) { return NetClaim{{p.activePlayer}}; },
                                [](GameEngine&, Inbound& in, BonusToServerPacket& p) {
                                    in.HandleBonusToServer(p.bonus, p.point, p.activePlayer);
                                }),
        // A party change names the player and the party it moves it to.
        On<JoinPartyConfigCmdPacket>(AddPlayerToParty,
                                     [](const JoinPartyConfigCmdPacket& p) {
                                         return NetClaim{{p.playerId, static_cast<uint32_t>(p.partyId)}};
                                     },
                                     [](GameEngine&, Inbound& in, JoinPartyConfigCmdPacket& p) {
                                         in.AddPlayerToParty(p.playerId, p.partyId);
                                     }),
        // An invitation speaks for the inviter, whose party it is, and is for the invited.
        On<InvitePartyConfigCmdPacket>(InvitePlayerToParty,
                                       [](const InvitePartyConfigCmdPacket& p) {
                                           return NetClaim{{static_cast<uint32_t>(p.partyId)}, p.playerId};
                                       },
                                       [](GameEngine&, Inbound& in, InvitePartyConfigCmdPacket& p) {
                                           in.InvitePlayerToParty(p.playerId, p.partyId);
                                       }),
        On<GameBalanceUpdatePacket>(GameBalanceUpdate,
                                    [](GameEngine&, Inbound& in, GameBalanceUpdatePacket& p) { in.GameBalanceUpdate(p.level); }),
        On<PartyRequestResponsePacket>(SendPartyRequestResponse,
                                       [](const PartyRequestResponsePacket& p) { return NetClaim{{p.sender}}; },
                                       [](GameEngine& engine, Inbound&, PartyRequestResponsePacket& p) {
                                           engine.RegisterPartyRequestResponse(p.sender, p.accepted);
                                       }),
    };
}

std::vector<DispatchEntry> MarketEntries()
{
    return {
        On<MarketS2CUpdatePacket>(S2C_MarketUpdate, [](GameEngine&, Inbound& in, MarketS2CUpdatePacket& p) {
            in.S2C_MarketUpdate(p.marketId, p.marketName, p.level, p.seed, p.soldIndices);
        }),
        On<MarketS2CPurchaseConfirmationPacket>(S2C_MarketPurchaseConfirmation,
                                                [](GameEngine&, Inbound& in, MarketS2CPurchaseConfirmationPacket& p) {
                                                    in.S2C_MarketPurchaseConfirmation(p.marketId, p.itemIndex, p.buyerId);
                                                }),
        On<MarketS2CPurchaseDeniedPacket>(S2C_MarketPurchaseDenied, [](GameEngine&, Inbound& in, MarketS2CPurchaseDeniedPacket& p) {
            in.S2C_MarketPurchaseDenied(p.marketId, p.itemIndex, p.buyerId, p.status);
        }),
        On<MarketS2CStatusUpdatePacket>(S2C_MarketItemStatusUpdate, [](GameEngine&, Inbound& in, MarketS2CStatusUpdatePacket& p) {
            in.S2C_MarketItemStatusUpdate(p.marketId, p.itemIndex, p.status);
        }),
        On<MarketC2SPurchaseRequestPacket>(C2S_MarketPurchaseRequest, &BuyerClaim<MarketC2SPurchaseRequestPacket>,
                                           [](GameEngine&, Inbound& in, MarketC2SPurchaseRequestPacket& p) {
                                               in.C2S_MarketPurchaseRequest(p.marketId, p.level, p.seed, p.itemIndex, p.buyerId);
                                           }),
        On<MarketC2SSellBackPacket>(C2S_MarketSellBack, &BuyerClaim<MarketC2SSellBackPacket>,
                                    [](GameEngine&, Inbound& in, MarketC2SSellBackPacket& p) {
                                        in.C2S_MarketSellBack(p.marketId, p.level, p.seed, p.itemIndex, p.buyerId);
                                    }),
        On<MarketC2SUpdateRequestPacket>(C2S_MarketUpdateRequest, [](GameEngine&, Inbound& in, MarketC2SUpdateRequestPacket& p) {
            in.C2S_MarketUpdateRequest(p.marketId);
        }),
    };
}

std::vector<DispatchEntry> MessageAndQuestEntries()
{
    return {
        On<RemoteMessagePacket>(DisplayMessageRemote, &ReceiverAddressed<RemoteMessagePacket>,
                                [](GameEngine&, Inbound& in, RemoteMessagePacket& p) {
                                    in.DisplayMessageRemote(p.receiver, p.optionalInsert, p.asBubble, p.textTag);
                                }),
        On<RemoteWMessagePacket>(DisplayWMessageRemote, &ReceiverAddressed<RemoteWMessagePacket>,
                                 [](GameEngine&, Inbound& in, RemoteWMessagePacket& p) {
                                     in.DisplayWMessageRemote(p.receiver, p.asBubble, p.text);
                                 }),
        On<ChatPacket>(HandleChatMessage, [](GameEngine&, Inbound& in, ChatPacket& p) {
            in.HandleChatMessage(p.sender, p.text, p.kind, p.recipients);
        }),
        On<QuestMessagePacket>(HandleQuestMessagePacket, [](const QuestMessagePacket& p) { return NetClaim{{p.sender}}; },
                               [](GameEngine&, Inbound& in, QuestMessagePacket& p) {
                                   in.HandleQuestMessagePacket(p.sender, p.isConditionSet, p.data, p.receiver);
                               }),
        On<QuestCommandMovePacket>(QuestCommandMove, [](GameEngine&, Inbound& in, QuestCommandMovePacket& p) {
            in.QuestCommandMove(p.characterId, p.targetId, p.targetPosition, p.allowInterruptions);
        }),
        On<QuestCommandWalkPacket>(QuestCommandWalk, [](GameEngine&, Inbound& in, QuestCommandWalkPacket& p) {
            in.QuestCommandWalk(p.characterId, p.targetId, p.targetPosition, p.allowInterruptions);
        }),
        On<QuestCommandPlayAnimationPacket>(QuestCommandPlayAnimation, [](GameEngine&, Inbound& in, QuestCommandPlayAnimationPacket& p) {
            in.QuestCommandPlayAnimation(p.characterId, p.animation, p.looping, p.allowInterruptions);
        }),
        On<QuestCommandUseSkillPacket>(QuestCommandUseSkill, [](GameEngine&, Inbound& in, QuestCommandUseSkillPacket& p) {
            in.QuestCommandUseSkill(p.characterId, p.skillName, p.targetId, p.allowInterruptions);
        }),
        On<QuestCommandLockFixedItemPacket>(QuestCommandLockFixedItem, [](GameEngine&, Inbound& in, QuestCommandLockFixedItemPacket& p) {
            in.QuestCommandLockFixedItem(p.objectId, p.locked);
        }),
    };
}

std::vector<DispatchEntry> TeleportAndLoaderEntries()
{
    return {
        On<StartTeleportPacket>({CtoS_StartTeleport, StoC_StartTeleport, ServerPropegateTeleport},
                                &PlayerClaim<StartTeleportPacket>,
                                [](GameEngine& engine, Inbound&, StartTeleportPacket& p) { ApplyStartTeleport(engine, p); }),
        On<NRLoaderStatePacket>({CtoS_NRLoaderStateChange, StoC_NRLoaderStateChange}, &PlayerClaim<NRLoaderStatePacket>,
                                [](GameEngine& engine, Inbound&, NRLoaderStatePacket& p) { ApplyLoaderState(engine, p); }),
        On<StartServerRespawnPacket>(CtoS_InitiateServerRespawnLoader, &PlayerClaim<StartServerRespawnPacket>,
                                     [](GameEngine& engine, Inbound&, StartServerRespawnPacket& p) {
                                         engine.CtoS_StartServerRespawnInbound(p.playerId, p.location);
                                     }),
    };
}

// Every game packet a peer may send us, with what applies it.
std::vector<DispatchEntry> DispatchTable()
{
    std::vector<DispatchEntry> table;
    for (auto part : {TradeAndItemEntries, RosterAndRewardEntries, MarketEntries, MessageAndQuestEntries,
                      TeleportAndLoaderEntries})
        for (DispatchEntry& entry : part())
            table.push_back(std::move(entry));
    return table;
}

}  // namespace

void RegisterHostDispatch()
{
    for (DispatchEntry& entry : DispatchTable())
        NetPacketRegistry::Get().SetHandler(entry.type, std::move(entry.handler));
}

void UnregisterHostDispatch()
{
    for (const DispatchEntry& entry : DispatchTable())
        NetPacketRegistry::Get().SetHandler(entry.type, {});
}

}  // namespace GAME
