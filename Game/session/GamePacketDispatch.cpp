#include "Game/session/GamePacketDispatch.h"

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "Engine/ChatPacket.h"
#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/Localization.h"
#include "Engine/NetPacketBuffer.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Engine/TextUtil.h"
#include "Game/ai/ControllerCharacter.h"
#include "Game/characters/Character.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEngineNetworkInterface.h"
#include "Game/core/NetworkRoute.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/items/TradeManager.h"
#include "Game/session/CharacterActionDispatch.h"
#include "Game/session/ConfigCmdDispatch.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/network/GoldBonusPartyPackets.h"
#include "Game/network/ItemTradePackets.h"
#include "Game/network/PlayerRosterPackets.h"
#include "Game/network/QuestPackets.h"
#include "Game/session/SpawnReplication.h"
#include "Game/quests/QuestTargetedActions.h"

namespace GAME {

namespace {

using Inbound = GameEngineNetworkInterface;
using enum NetOperation;

struct DispatchEntry {
    NetPacketType type;
    NetPacketRegistry::Handler handler;
};

// What a packet of class P claims (see NetClaim), and how it is applied: through the
// inbound interface, or by the game engine's own received-operation handlers.
template <class P>
using ClaimOf = NetClaim (*)(const P&);
template <class P>
using ApplyInbound = void (*)(Inbound&, P&);
template <class P>
using ApplyEngine = void (*)(GameEngine&, P&);
// What is made of a received packet before the route table sees it; false when it is
// refused there (logged).
template <class P>
using Prepare = std::function<bool(P&, int fromHost)>;

template <class P>
NetClaim NoClaim(const P&)
{
    return {};
}

// A handler for packets of class P, which carry one of `operations`: `prepare` makes the
// packet what this machine takes it for (or refuses it), the route table decides whether this machine
// applies it (NetworkRoute.h), then `apply` does, any answer going to the asker.
template <class P>
DispatchEntry Entry(std::vector<NetOperation> operations, ClaimOf<P> claim,
                    std::function<void(GameEngine&, Inbound&, P&)> apply, Prepare<P> prepare = nullptr)
{
    auto handler = [operations = std::move(operations), claim, apply = std::move(apply), prepare = std::move(prepare)](
                       NetPacket& received, int fromHost) {
        P* packet = DynamicCast<P>(&received);
        GameEngine* engine = gGameEngine;
        Inbound* inbound = engine ? engine->GetInboundNetworkInterface() : nullptr;
        if (!packet || !inbound) {
            DropReceived(received, fromHost, "no game to apply it to");
            return;
        }
        if (prepare && !prepare(*packet, fromHost))
            return;
        const NetOperation operation = HeardOperation(operations, fromHost);
        if (!AdmitReceived(operation, received, fromHost, claim(*packet)))
            return;
        NetRequestScope answering(operation, fromHost);
        apply(*engine, *inbound, *packet);
    };
    return {P::kType, std::move(handler)};
}

template <class P>
DispatchEntry On(NetOperation operation, ClaimOf<P> claim, ApplyInbound<P> apply, Prepare<P> prepare = nullptr)
{
    return Entry<P>({operation}, claim, [apply](GameEngine&, Inbound& in, P& p) { apply(in, p); }, std::move(prepare));
}

template <class P>
DispatchEntry On(NetOperation operation, ApplyInbound<P> apply)
{
    return On<P>(operation, &NoClaim<P>, apply);
}

template <class P>
DispatchEntry OnEngine(std::vector<NetOperation> operations, ClaimOf<P> claim, ApplyEngine<P> apply)
{
    return Entry<P>(std::move(operations), claim, [apply](GameEngine& engine, Inbound&, P& p) { apply(engine, p); });
}

// Text from a peer is kept without control characters, so that nothing that shows or
// prints it later runs an escape sequence it carries: chat, messages and player names.
bool CleanJoin(SinglePlayerBasicInfoPacket& p, int)
{
    p.info.playerName = WithoutControlCharacters(p.info.playerName);
    return true;
}

bool CleanRoster(AllPlayersBasicInfoPacket& p, int)
{
    for (PlayerNetBasicInfo& record : p.players)
        record.playerName = WithoutControlCharacters(record.playerName);
    return true;
}

bool CleanMessage(RemoteMessagePacket& p, int)
{
    p.textTag = WithoutControlCharacters(p.textTag);
    return true;
}

// On the host, a client's message is shown (and passed on) as its player's: named by the
// client's player in the roster (what the name leaves of the bound of its text), never as
// the host's own word. The summary of a served
// village's world is the host's alone: a client's message that would pass for a line of
// it is refused (logged). What a host that is not a connected client sends, the route
// table drops as such.
bool NameWMessageSender(RemoteWMessagePacket& p, int fromHost)
{
    p.text = WithoutControlCharacters(p.text);
    const bool fromClient = fromHost != ConnectionManager::kServerHost &&
                            ConnectionManager::Get().IsClientConnected(fromHost) && gGameEngine &&
                            gGameEngine->GetNetworkRole() == NetworkRole::Server;
    if (!fromClient)
        return true;
    const std::u16string summary = LocalizationManager::ToWChar(kServerSummaryPrefix);
    if (p.text.rfind(summary, 0) == 0)
        return DropReceived(p, fromHost, "only the server sends the world's summary");
    const PlayerManagerClient* roster = gGameEngine ? gGameEngine->GetPlayerManagerClient() : nullptr;
    const uint32_t player = roster ? roster->GetPlayerIdFromHostId(fromHost) : 0;
    if (player == 0)
        return DropReceived(p, fromHost, "the host has no player in the game");
    // The named text is held to the bound of a wide string, so that it is passed on: a text
    // at the bound gives up its end to the name.
    const std::u16string named = WithoutControlCharacters(roster->GetPlayerName(player)) + u": " + p.text;
    p.text = CutUnits(named, NetLimits::kMaxWideStringLength);
    return true;
}

// On the host, a client's chat line goes under the name of the client's player in the
// roster, whatever name it carries (and none while the client has no player: the route
// table drops it then); the host passes it on so named. A client takes the host's word.
bool NameChatSender(ChatPacket& p, int fromHost)
{
    RemoveControlCharacters(p.text);
    const PlayerManagerClient* roster = gGameEngine->GetPlayerManagerClient();
    if (fromHost != ConnectionManager::kServerHost && gGameEngine->GetNetworkRole() == NetworkRole::Server) {
        const uint32_t player = roster ? roster->GetPlayerIdFromHostId(fromHost) : 0;
        p.sender = player != 0 ? roster->GetPlayerName(player) : std::u16string();
    }
    RemoveControlCharacters(p.sender);
    return true;
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

// The host hears a client's teleport that follows a portal, shrine or boat it saw the
// client use (TakeClientTeleport); a client hears the host's.
void ApplyStartTeleport(GameEngine& engine, StartTeleportPacket& packet)
{
    int x = 0, y = 0, z = 0;
    // A refusal is logged as the refusal of this packet by the host that sent it.
    if (!ToWholeCoordinate(packet.x, x) || !ToWholeCoordinate(packet.y, y) || !ToWholeCoordinate(packet.z, z)) {
        NetPacketRegistry::DropHandled("StartTeleport", "the destination of player %u is out of range",
                                       packet.playerId);
        return;
    }
    if (!engine.IsServerOrSingle())
        engine.StoC_StartTeleportInbound(packet.playerId, x, y, z);
    else if (TakeClientTeleport(packet.playerId))
        engine.CtoS_StartTeleportInbound(packet.playerId, x, y, z);
    else
        NetPacketRegistry::DropHandled("StartTeleport", "player %u used no portal, shrine or boat the server saw",
                                       packet.playerId);
}

void ApplyLoaderState(GameEngine& engine, NRLoaderStatePacket& packet)
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

// What the server's trade manager makes of a client's trade step: null lets it through.
template <class P>
using TradeHold = const char* (*)(TradeManager&, const P&);

// A client's trade step is held to what the server holds of the client's player before
// the route table passes it on to the partner's host or applies it for the server's own
// player. Only a step the client takes for its own player, for another host's, is the
// server's to hold: the route table drops any other.
template <class P>
DispatchEntry OnTrade(NetOperation operation, TradeHold<P> hold, ApplyInbound<P> apply)
{
    return On<P>(operation, &TradeClaim<P>, apply, [hold](P& packet, int fromHost) {
        GameEngine* engine = gGameEngine;
        TradeManager* trades = engine ? engine->GetTradeManager() : nullptr;
        if (!trades || engine->GetNetworkRole() != NetworkRole::Server || fromHost == ConnectionManager::kServerHost ||
            ConnectionManager::HostOfPlayer(packet.sender) != fromHost ||
            ConnectionManager::HostOfPlayer(packet.receiver) == fromHost)
            return true;
        const char* refusal = hold(*trades, packet);
        return refusal ? DropReceived(packet, fromHost, refusal) : true;
    });
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
NetClaim InfoClaim(const P& p)
{
    return {{p.info.playerId}};
}

template <class P>
NetClaim ObjectClaim(const P& p)
{
    return {{p.objectId}};
}

template <class P>
NetClaim ForReceiver(const P& p)
{
    return {{}, p.receiver};
}

// An item speaks for its own id and, given to a character, for that character.
NetClaim ItemClaim(const CreateItemPacket& p)
{
    NetClaim claim{{p.item.objectId}, 0, p.item.baseName};
    if (p.characterId != 0)
        claim.ids.push_back(p.characterId);
    return claim;
}

// A party change names the player and the party it moves it to.
NetClaim PartyChangeClaim(const JoinPartyConfigCmdPacket& p)
{
    return {{p.playerId, static_cast<uint32_t>(p.partyId)}};
}

// An invitation speaks for the inviter, whose party it is, and is for the invited.
NetClaim InvitationClaim(const InvitePartyConfigCmdPacket& p)
{
    return {{static_cast<uint32_t>(p.partyId)}, p.playerId};
}

std::vector<DispatchEntry> TradeAndItemEntries()
{
    using TI = TradeInitiatePacket;
    using TC = TradeCancelPacket;
    using TF = TradeFinalizePacket;
    using TA = TradeAddItemPacket;
    using TR = TradeRemoveItemPacket;
    using TG = TradeSetGoldPacket;
    return {
        OnTrade<TI>(
            TradeInitiate, [](TradeManager& t, const TI& p) { return t.AdmitClientInitiate(p.sender, p.receiver); },
            [](Inbound& in, TI& p) { in.TradeInitiate(p.sender, p.receiver); }),
        OnTrade<TC>(
            TradeCancel, [](TradeManager& t, const TC& p) { return t.AdmitClientCancel(p.sender, p.receiver); },
            [](Inbound& in, TC& p) { in.TradeCancel(p.sender, p.receiver); }),
        OnTrade<TF>(
            TradeFinalize, [](TradeManager& t, const TF& p) { return t.AdmitClientFinalize(p.sender, p.receiver); },
            [](Inbound& in, TF& p) { in.TradeFinalize(p.sender, p.receiver); }),
        OnTrade<TA>(
            TradeAddItem, [](TradeManager& t, const TA& p) { return t.AdmitClientItem(p.sender, p.receiver, p.item); },
            [](Inbound& in, TA& p) { in.TradeAddItem(p.sender, p.receiver, p.placement, p.item); }),
        OnTrade<TR>(
            TradeRemoveItem,
            [](TradeManager& t, const TR& p) { return t.AdmitClientWithdrawal(p.sender, p.receiver, p.itemId); },
            [](Inbound& in, TR& p) { in.TradeRemoveItem(p.sender, p.receiver, p.itemId); }),
        OnTrade<TG>(
            TradeSetGoldAmount,
            [](TradeManager& t, const TG& p) { return t.AdmitClientGold(p.sender, p.receiver, p.goldAmount); },
            [](Inbound& in, TG& p) { in.TradeSetGoldAmount(p.sender, p.receiver, p.goldAmount); }),
        On<GiveGoldPacket>(GiveGoldToPlayer,
                           [](Inbound& in, GiveGoldPacket& p) { in.GiveGoldToPlayer(p.playerId, p.amount); }),
        On<CreateItemPacket>(CreateItem, &ItemClaim, [](Inbound& in, CreateItemPacket& p) {
            in.CreateItem(p.characterId, p.coords, p.item, nullptr);
        }),
        On<CreateEntityPacket>(
            CreateEntity, [](const CreateEntityPacket& p) { return NetClaim{{p.objectId}, 0, p.recordName}; },
            [](Inbound& in, CreateEntityPacket& p) { in.CreateEntity(p.coords, p.recordName, p.objectId); }),
        // The target of a portal only chose the connection; it is not sent, so a received
        // portal is everyone's. It speaks for its owner and its own id.
        On<CreateItemTeleportPacket>(
            CreateFixedItemTeleport, [](const CreateItemTeleportPacket& p) { return NetClaim{{p.owner, p.objectId}}; },
            [](Inbound& in, CreateItemTeleportPacket& p) {
                in.CreateFixedItemTeleport(p.coords, p.owner, p.objectId, p.sectorTag, 0);
            }),
        On<DestroyItemTeleportPacket>(DestroyFixedItemTeleport, &ObjectClaim<DestroyItemTeleportPacket>,
                                      [](Inbound& in, DestroyItemTeleportPacket& p) {
                                          in.DestroyFixedItemTeleport(p.objectId);
                                      }),
    };
}

std::vector<DispatchEntry> RosterAndRewardEntries()
{
    using AllBeats = AllPlayersHeartbeatPacket;
    using OneBeat = SinglePlayerHeartbeatPacket;
    using AllInfo = AllPlayersBasicInfoPacket;
    using OneInfo = SinglePlayerBasicInfoPacket;
    using Answer = PartyRequestResponsePacket;
    return {
        On<AllBeats>(StoC_AllPlayersHeartbeat,
                     [](Inbound& in, AllBeats& p) { in.StoC_AllPlayersHeartbeat(p.players); }),
        On<OneBeat>(CtoS_SinglePlayerHeartbeat, &InfoClaim<OneBeat>,
                    [](Inbound& in, OneBeat& p) { in.CtoS_SinglePlayerHeartbeat(p.info); }),
        On<AllInfo>(StoC_AllPlayersUpdate, &NoClaim<AllInfo>,
                    [](Inbound& in, AllInfo& p) { in.StoC_AllPlayersUpdate(p.players); }, &CleanRoster),
        On<OneInfo>(CtoS_AddNewPlayer, &InfoClaim<OneInfo>,
                    [](Inbound& in, OneInfo& p) { in.CtoS_AddNewPlayer(p.info); }, &CleanJoin),
        On<BonusToClientPacket>(
            HandleBonusToClient, [](const BonusToClientPacket& p) { return NetClaim{{}, p.bonus.receiver}; },
            [](Inbound& in, BonusToClientPacket& p) { in.HandleBonusToClient(p.bonus, p.bonus.receiver); }),
        On<BonusToServerPacket>(
            HandleBonusToServer, [](const BonusToServerPacket& p) { return NetClaim{{p.activePlayer}}; },
            [](Inbound& in, BonusToServerPacket& p) { in.HandleBonusToServer(p.bonus, p.point, p.activePlayer); }),
        On<JoinPartyConfigCmdPacket>(AddPlayerToParty, &PartyChangeClaim, [](Inbound& in, JoinPartyConfigCmdPacket& p) {
            in.AddPlayerToParty(p.playerId, p.partyId);
        }),
        On<InvitePartyConfigCmdPacket>(InvitePlayerToParty, &InvitationClaim,
                                       [](Inbound& in, InvitePartyConfigCmdPacket& p) {
                                           in.InvitePlayerToParty(p.playerId, p.partyId);
                                       }),
        On<GameBalanceUpdatePacket>(GameBalanceUpdate,
                                    [](Inbound& in, GameBalanceUpdatePacket& p) { in.GameBalanceUpdate(p.level); }),
        OnEngine<Answer>({SendPartyRequestResponse}, [](const Answer& p) { return NetClaim{{p.sender}}; },
                         [](GameEngine& engine, Answer& p) {
                             engine.RegisterPartyRequestResponse(p.sender, p.accepted);
                         }),
        OnEngine<PlayerLeftPacket>({StoC_RemovePlayerFromGame}, &NoClaim<PlayerLeftPacket>,
                                   [](GameEngine& engine, PlayerLeftPacket& p) {
                                       engine.StoC_RemovePlayerFromGameInbound(p.host > 0xFFu ? -1 : static_cast<int>(p.host));
                                   }),
    };
}

std::vector<DispatchEntry> MarketEntries()
{
    using Update = MarketS2CUpdatePacket;
    using Confirmation = MarketS2CPurchaseConfirmationPacket;
    using Denial = MarketS2CPurchaseDeniedPacket;
    using Status = MarketS2CStatusUpdatePacket;
    using Purchase = MarketC2SPurchaseRequestPacket;
    using SellBack = MarketC2SSellBackPacket;
    using Request = MarketC2SUpdateRequestPacket;
    return {
        On<Update>(S2C_MarketUpdate, [](Inbound& in, Update& p) {
            in.S2C_MarketUpdate(p.marketId, p.marketName, p.level, p.seed, p.soldIndices);
        }),
        On<Confirmation>(S2C_MarketPurchaseConfirmation, [](Inbound& in, Confirmation& p) {
            in.S2C_MarketPurchaseConfirmation(p.marketId, p.itemIndex, p.buyerId);
        }),
        On<Denial>(S2C_MarketPurchaseDenied, [](Inbound& in, Denial& p) {
            in.S2C_MarketPurchaseDenied(p.marketId, p.itemIndex, p.buyerId, p.status);
        }),
        On<Status>(S2C_MarketItemStatusUpdate, [](Inbound& in, Status& p) {
            in.S2C_MarketItemStatusUpdate(p.marketId, p.itemIndex, p.status);
        }),
        On<Purchase>(C2S_MarketPurchaseRequest, &BuyerClaim<Purchase>, [](Inbound& in, Purchase& p) {
            in.C2S_MarketPurchaseRequest(p.marketId, p.level, p.seed, p.itemIndex, p.buyerId);
        }),
        On<SellBack>(C2S_MarketSellBack, &BuyerClaim<SellBack>, [](Inbound& in, SellBack& p) {
            in.C2S_MarketSellBack(p.marketId, p.level, p.seed, p.itemIndex, p.buyerId);
        }),
        On<Request>(C2S_MarketUpdateRequest, [](Inbound& in, Request& p) { in.C2S_MarketUpdateRequest(p.marketId); }),
    };
}

// A client's quest command for a character: applied only for an action of kind `action`
// of the host's quests that waits to command that character
// (TargetedQuestAction::AcceptClientCommand).
template <class P>
DispatchEntry OnQuestCommand(NetOperation operation, const char* action, ApplyInbound<P> apply)
{
    return Entry<P>({operation}, &NoClaim<P>, [action, apply](GameEngine&, Inbound& in, P& p) {
        if (TargetedQuestAction::AcceptClientCommand(action, p.characterId))
            apply(in, p);
    });
}

std::vector<DispatchEntry> MessageAndQuestEntries()
{
    using Message = RemoteMessagePacket;
    using WMessage = RemoteWMessagePacket;
    using Quest = QuestMessagePacket;
    using Move = QuestCommandMovePacket;
    using Walk = QuestCommandWalkPacket;
    using Animation = QuestCommandPlayAnimationPacket;
    using Skill = QuestCommandUseSkillPacket;
    using Lock = QuestCommandLockFixedItemPacket;
    return {
        On<Message>(
            DisplayMessageRemote, &ForReceiver<Message>,
            [](Inbound& in, Message& p) { in.DisplayMessageRemote(p.receiver, p.optionalInsert, p.asBubble, p.textTag); },
            &CleanMessage),
        On<WMessage>(
            DisplayWMessageRemote, &ForReceiver<WMessage>,
            [](Inbound& in, WMessage& p) { in.DisplayWMessageRemote(p.receiver, p.asBubble, p.text); },
            &NameWMessageSender),
        On<ChatPacket>(
            HandleChatMessage, &NoClaim<ChatPacket>,
            [](Inbound& in, ChatPacket& p) { in.HandleChatMessage(p.sender, p.text, p.kind, p.recipients); },
            &NameChatSender),
        On<Quest>(HandleQuestMessagePacket, [](const Quest& p) { return NetClaim{{p.sender}}; },
                  [](Inbound& in, Quest& p) {
                      in.HandleQuestMessagePacket(p.sender, p.isConditionSet, p.data, p.receiver);
                  }),
        OnQuestCommand<Move>(QuestCommandMove, "Action_TaskCreatureToLocation", [](Inbound& in, Move& p) {
            in.QuestCommandMove(p.characterId, p.targetId, p.targetPosition, p.allowInterruptions);
        }),
        OnQuestCommand<Walk>(QuestCommandWalk, "Action_TaskCreatureToLocation", [](Inbound& in, Walk& p) {
            in.QuestCommandWalk(p.characterId, p.targetId, p.targetPosition, p.allowInterruptions);
        }),
        OnQuestCommand<Animation>(QuestCommandPlayAnimation, "Action_NpcPlayAnimation",
                                  [](Inbound& in, Animation& p) {
                                      in.QuestCommandPlayAnimation(p.characterId, p.animation, p.looping,
                                                                   p.allowInterruptions);
                                  }),
        OnQuestCommand<Skill>(QuestCommandUseSkill, "Action_FireSkill", [](Inbound& in, Skill& p) {
            in.QuestCommandUseSkill(p.characterId, p.skillName, p.targetId, p.allowInterruptions);
        }),
        // A fixed item's lock or unlock: the action kind depends on which it asks for.
        On<Lock>(QuestCommandLockFixedItem, [](Inbound& in, Lock& p) {
            if (TargetedQuestAction::AcceptClientCommand(p.locked ? "Action_LockFixedItem" : "Action_UnlockFixedItem",
                                                         p.objectId))
                in.QuestCommandLockFixedItem(p.objectId, p.locked);
        }),
    };
}

// A peer's teleport of a character. A client places the character where the server's
// teleport put it (ControllerCharacter::PlaceAt: the move is not told again). The server
// moves no character on a client's word: a player's teleports run on the server too (its
// skills' commands, its respawn and its portals travel as packets of their own, checked
// there), and the server tells the clients where they put it. A client's notice of its own
// player's teleport is taken quietly; of any other character it is refused.
void ApplyUpdatePosition(NetPacket& received, int fromHost)
{
    auto* packet = DynamicCast<UpdatePositionPacket>(&received);
    if (!packet)
        return;
    const uint32_t id = packet->entityId;
    if (ConnectionManager::Get().GetLocalHostId() == ConnectionManager::kServerHost) {
        if (!MaySendConfigCmd(id, fromHost))
            DropReceivedFormatted(received, fromHost, "the host may not move character %u", id);
        return;
    }
    if (fromHost != ConnectionManager::kServerHost) {
        DropReceived(received, fromHost, "only the server moves characters on a client");
        return;
    }
    Character* character = ObjectManager::Get().GetObject<Character>(id);
    if (!character) {
        DropReceivedFormatted(received, fromHost, "%u is no character here", id);
        return;
    }
    if (auto* controller = ObjectManager::Get().GetObject<ControllerCharacter>(character->GetControllerId()))
        controller->PlaceAt(packet->targetCoords);
    else
        character->TeleportToLocation(packet->targetCoords);   // no controller: nothing is told
}

// The engine's own operations: one packet type serves the client's request and the
// server's news, told apart by who sent it.
std::vector<DispatchEntry> TeleportAndLoaderEntries()
{
    using Respawn = StartServerRespawnPacket;
    return {
        OnEngine<StartTeleportPacket>({CtoS_StartTeleport, StoC_StartTeleport, ServerPropegateTeleport},
                                      &PlayerClaim<StartTeleportPacket>, &ApplyStartTeleport),
        OnEngine<NRLoaderStatePacket>({CtoS_NRLoaderStateChange, StoC_NRLoaderStateChange},
                                      &PlayerClaim<NRLoaderStatePacket>, &ApplyLoaderState),
        OnEngine<Respawn>({CtoS_InitiateServerRespawnLoader}, &PlayerClaim<Respawn>,
                          [](GameEngine& engine, Respawn& p) {
                              engine.CtoS_StartServerRespawnInbound(p.playerId, p.location);
                          }),
        {UpdatePositionPacket::kType, &ApplyUpdatePosition},
    };
}

// Characters made on every peer: their own checks of who may spawn what (SpawnReplication.h).
std::vector<DispatchEntry> SpawnEntries()
{
    return {
        {SpawnPlayerPacket::kType,
         [](NetPacket& received, int fromHost) {
             SpawnReport report;
             if (auto* packet = DynamicCast<SpawnPlayerPacket>(&received); packet && ApplySpawn(*packet, fromHost, report))
                 NotifySpawned(report);
         }},
        {ServerSpawnCompletePacket::kType, &ApplySpawnComplete},
    };
}

// Every game packet a peer may send us, with what applies it.
std::vector<DispatchEntry> DispatchTable()
{
    std::vector<DispatchEntry> table;
    for (auto part : {TradeAndItemEntries, RosterAndRewardEntries, MarketEntries, MessageAndQuestEntries,
                      TeleportAndLoaderEntries, SpawnEntries})
        for (DispatchEntry& entry : part())
            table.push_back(std::move(entry));
    return table;
}

}  // namespace

void RegisterGamePacketDispatch()
{
    for (DispatchEntry& entry : DispatchTable())
        NetPacketRegistry::Get().SetHandler(entry.type, std::move(entry.handler));
    RegisterConfigCmdDispatch();
    RegisterCharacterActionDispatch();
}

void UnregisterGamePacketDispatch()
{
    for (const DispatchEntry& entry : DispatchTable())
        NetPacketRegistry::Get().SetHandler(entry.type, {});
    UnregisterConfigCmdDispatch();
    UnregisterCharacterActionDispatch();
}

}  // namespace GAME
