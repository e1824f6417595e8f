#include "Game/core/GameEngineOutboundInterface.h"

#include <utility>

#include "Game/core/GameEngine.h"
#include "Game/core/NetworkRoute.h"

// Each operation overwrites the fields of its member packet from its arguments and sends
// it along the operation's route (NetworkRoute.cpp). Only the addressee, where an
// operation has one, chooses a connection; it is sent only where the packet carries it.
// Where the route has this machine apply the operation too (the host's own requests and
// news, what every machine applies, what is for one of its own players), the inbound
// interface applies it here after the send, as it applies a peer's.

namespace GAME {

namespace {

using Inbound = GameEngineNetworkInterface;

// Applies the operation on this machine through the inbound interface.
template <class Apply>
auto Here(Apply apply)
{
    return [apply] {
        if (Inbound* inbound = gGameEngine ? gGameEngine->GetInboundNetworkInterface() : nullptr)
            apply(*inbound);
    };
}

template <class Packet>
void FillTradeStep(Packet& packet, uint32_t fromPlayer, uint32_t toPlayer)
{
    packet.sender = fromPlayer;
    packet.receiver = toPlayer;
}

template <class Packet>
void FillMarketRequest(Packet& packet, uint32_t market, uint32_t level, uint32_t seed, uint32_t itemIndex,
                       uint32_t player)
{
    packet.marketId = market;
    packet.level = level;
    packet.seed = seed;
    packet.itemIndex = itemIndex;
    packet.buyerId = player;
}

template <class Packet>
void FillQuestGo(Packet& packet, uint32_t character, uint32_t value, const WorldVec3& target, bool flag)
{
    packet.characterId = character;
    packet.targetId = value;
    packet.targetPosition = target;
    packet.allowInterruptions = flag;
}

// The amounts and words of a bonus; its effect name never travels.
void CopyBonusAmounts(Bonus& into, const Bonus& from)
{
    into = from;
    into.effectName.clear();
}

}  // namespace

// ---- Trade ----------------------------------------------------------------------------

void GameEngineOutboundInterface::TradeInitiate(uint32_t fromPlayer, uint32_t toPlayer)
{
    FillTradeStep(m_tradeInitiatePacket, fromPlayer, toPlayer);
    SendOperation(NetOperation::TradeInitiate, m_tradeInitiatePacket, toPlayer,
                  Here([&](Inbound& in) { in.TradeInitiate(fromPlayer, toPlayer); }));
}

void GameEngineOutboundInterface::TradeCancel(uint32_t fromPlayer, uint32_t toPlayer)
{
    FillTradeStep(m_tradeCancelPacket, fromPlayer, toPlayer);
    SendOperation(NetOperation::TradeCancel, m_tradeCancelPacket, toPlayer,
                  Here([&](Inbound& in) { in.TradeCancel(fromPlayer, toPlayer); }));
}

void GameEngineOutboundInterface::TradeFinalize(uint32_t fromPlayer, uint32_t toPlayer)
{
    FillTradeStep(m_tradeFinalizePacket, fromPlayer, toPlayer);
    SendOperation(NetOperation::TradeFinalize, m_tradeFinalizePacket, toPlayer,
                  Here([&](Inbound& in) { in.TradeFinalize(fromPlayer, toPlayer); }));
}

void GameEngineOutboundInterface::TradeAddItem(uint32_t fromPlayer, uint32_t toPlayer, const Vec2& place,
                                               const ItemReplicaInfo& item)
{
    FillTradeStep(m_tradeAddItemPacket, fromPlayer, toPlayer);
    m_tradeAddItemPacket.placement = place;
    m_tradeAddItemPacket.item = item;
    SendOperation(NetOperation::TradeAddItem, m_tradeAddItemPacket, toPlayer,
                  Here([&](Inbound& in) { in.TradeAddItem(fromPlayer, toPlayer, place, item); }));
}

void GameEngineOutboundInterface::TradeRemoveItem(uint32_t fromPlayer, uint32_t toPlayer, uint32_t itemId)
{
    FillTradeStep(m_tradeRemoveItemPacket, fromPlayer, toPlayer);
    m_tradeRemoveItemPacket.itemId = itemId;
    SendOperation(NetOperation::TradeRemoveItem, m_tradeRemoveItemPacket, toPlayer,
                  Here([&](Inbound& in) { in.TradeRemoveItem(fromPlayer, toPlayer, itemId); }));
}

void GameEngineOutboundInterface::TradeSetGoldAmount(uint32_t fromPlayer, uint32_t toPlayer, uint32_t amount)
{
    FillTradeStep(m_tradeSetGoldPacket, fromPlayer, toPlayer);
    m_tradeSetGoldPacket.goldAmount = amount;
    SendOperation(NetOperation::TradeSetGoldAmount, m_tradeSetGoldPacket, toPlayer,
                  Here([&](Inbound& in) { in.TradeSetGoldAmount(fromPlayer, toPlayer, amount); }));
}

void GameEngineOutboundInterface::GiveGoldToPlayer(uint32_t player, int amount)
{
    m_giveGoldPacket.playerId = player;
    m_giveGoldPacket.amount = amount;
    SendOperation(NetOperation::GiveGoldToPlayer, m_giveGoldPacket, player,
                  Here([&](Inbound& in) { in.GiveGoldToPlayer(player, amount); }));
}

// ---- Items, entities and portals ------------------------------------------------------

// The name is filled only where the item is made on this machine.
void GameEngineOutboundInterface::CreateItem(uint32_t receiver, const WorldCoords& where, const ItemReplicaInfo& item,
                                             std::u16string* nameOut)
{
    m_createItemPacket.characterId = receiver;
    m_createItemPacket.coords = where;
    m_createItemPacket.item = item;
    SendOperation(NetOperation::CreateItem, m_createItemPacket, 0,
                  Here([&](Inbound& in) { in.CreateItem(receiver, where, item, nameOut); }));
}

void GameEngineOutboundInterface::CreateEntity(const WorldCoords& where, const std::string& recordName,
                                               uint32_t objectId)
{
    m_createEntityPacket.coords = where;
    m_createEntityPacket.recordName = recordName;
    m_createEntityPacket.objectId = objectId;
    SendOperation(NetOperation::CreateEntity, m_createEntityPacket, 0,
                  Here([&](Inbound& in) { in.CreateEntity(where, recordName, objectId); }));
}

// The target is the newcomer that is told of the existing portals, or 0 for everyone.
void GameEngineOutboundInterface::CreateFixedItemTeleport(const WorldCoords& where, uint32_t owner,
                                                          uint32_t teleportId, const std::string& recordName,
                                                          uint32_t target)
{
    m_createItemTeleportPacket.coords = where;
    m_createItemTeleportPacket.owner = owner;
    m_createItemTeleportPacket.objectId = teleportId;
    m_createItemTeleportPacket.sectorTag = recordName;
    SendOperation(NetOperation::CreateFixedItemTeleport, m_createItemTeleportPacket, target,
                  Here([&](Inbound& in) {
                      in.CreateFixedItemTeleport(where, owner, teleportId, recordName, target);
                  }));
}

void GameEngineOutboundInterface::DestroyFixedItemTeleport(uint32_t teleportId)
{
    m_destroyItemTeleportPacket.objectId = teleportId;
    SendOperation(NetOperation::DestroyFixedItemTeleport, m_destroyItemTeleportPacket, 0,
                  Here([&](Inbound& in) { in.DestroyFixedItemTeleport(teleportId); }));
}

// ---- Roster ---------------------------------------------------------------------------

void GameEngineOutboundInterface::StoC_AllPlayersHeartbeat(const std::vector<PlayerNetHeartbeatInfo>& heartbeats)
{
    m_allPlayersHeartbeatPacket.SetPlayers(heartbeats);
    SendOperation(NetOperation::StoC_AllPlayersHeartbeat, m_allPlayersHeartbeatPacket, 0,
                  Here([&](Inbound& in) { in.StoC_AllPlayersHeartbeat(heartbeats); }));
}

void GameEngineOutboundInterface::CtoS_SinglePlayerHeartbeat(const PlayerNetHeartbeatInfo& heartbeat)
{
    m_singlePlayerHeartbeatPacket.SetInfo(heartbeat);
    SendOperation(NetOperation::CtoS_SinglePlayerHeartbeat, m_singlePlayerHeartbeatPacket, 0,
                  Here([&](Inbound& in) { in.CtoS_SinglePlayerHeartbeat(heartbeat); }));
}

void GameEngineOutboundInterface::StoC_AllPlayersUpdate(const std::vector<PlayerNetBasicInfo>& players)
{
    m_allPlayersBasicInfoPacket.SetPlayers(players);
    SendOperation(NetOperation::StoC_AllPlayersUpdate, m_allPlayersBasicInfoPacket, 0,
                  Here([&](Inbound& in) { in.StoC_AllPlayersUpdate(players); }));
}

void GameEngineOutboundInterface::CtoS_AddNewPlayer(const PlayerNetBasicInfo& player)
{
    m_singlePlayerBasicInfoPacket.SetInfo(player);
    SendOperation(NetOperation::CtoS_AddNewPlayer, m_singlePlayerBasicInfoPacket, 0,
                  Here([&](Inbound& in) { in.CtoS_AddNewPlayer(player); }));
}

// ---- Rewards, quests, party, balance ----------------------------------------------------

// The player argument only addresses the share; the receiver word inside the bonus is
// what travels.
void GameEngineOutboundInterface::HandleBonusToClient(const Bonus& bonus, const uint32_t& player)
{
    CopyBonusAmounts(m_bonusToClientPacket.bonus, bonus);
    SendOperation(NetOperation::HandleBonusToClient, m_bonusToClientPacket, player,
                  Here([&](Inbound& in) { in.HandleBonusToClient(bonus, player); }));
}

void GameEngineOutboundInterface::HandleBonusToServer(const Bonus& bonus, const WorldVec3& where,
                                                      const uint32_t& player)
{
    CopyBonusAmounts(m_bonusToServerPacket.bonus, bonus);
    m_bonusToServerPacket.point = where;
    m_bonusToServerPacket.activePlayer = player;
    SendOperation(NetOperation::HandleBonusToServer, m_bonusToServerPacket, 0,
                  Here([&](Inbound& in) { in.HandleBonusToServer(bonus, where, player); }));
}

void GameEngineOutboundInterface::HandleQuestMessagePacket(uint32_t sender, bool isConditionSet,
                                                           const std::vector<uint32_t>& message, uint32_t value)
{
    m_questMessagePacket.sender = sender;
    m_questMessagePacket.receiver = value;
    m_questMessagePacket.data = message;
    m_questMessagePacket.isConditionSet = isConditionSet;
    SendOperation(NetOperation::HandleQuestMessagePacket, m_questMessagePacket, 0,
                  Here([&](Inbound& in) { in.HandleQuestMessagePacket(sender, isConditionSet, message, value); }));
}

void GameEngineOutboundInterface::AddPlayerToParty(uint32_t player, int party)
{
    m_joinPartyPacket.playerId = player;
    m_joinPartyPacket.partyId = party;
    SendOperation(NetOperation::AddPlayerToParty, m_joinPartyPacket, 0,
                  Here([&](Inbound& in) { in.AddPlayerToParty(player, party); }));
}

// The invitation is applied on the invited player's machine.
void GameEngineOutboundInterface::InvitePlayerToParty(uint32_t player, int party)
{
    m_invitePartyPacket.playerId = player;
    m_invitePartyPacket.partyId = party;
    SendOperation(NetOperation::InvitePlayerToParty, m_invitePartyPacket, player,
                  Here([&](Inbound& in) { in.InvitePlayerToParty(player, party); }));
}

void GameEngineOutboundInterface::GameBalanceUpdate(int level)
{
    m_gameBalanceUpdatePacket.level = level;
    SendOperation(NetOperation::GameBalanceUpdate, m_gameBalanceUpdatePacket, 0,
                  Here([&](Inbound& in) { in.GameBalanceUpdate(level); }));
}

// ---- Markets --------------------------------------------------------------------------

void GameEngineOutboundInterface::S2C_MarketUpdate(uint32_t market, const std::string& marketRecord, uint32_t level,
                                                   uint32_t seed, const std::vector<uint32_t>& unavailable)
{
    m_marketUpdatePacket.marketId = market;
    m_marketUpdatePacket.marketName = marketRecord;
    m_marketUpdatePacket.level = level;
    m_marketUpdatePacket.seed = seed;
    m_marketUpdatePacket.soldIndices = unavailable;
    SendOperation(NetOperation::S2C_MarketUpdate, m_marketUpdatePacket, 0,
                  Here([&](Inbound& in) { in.S2C_MarketUpdate(market, marketRecord, level, seed, unavailable); }));
}

void GameEngineOutboundInterface::S2C_MarketPurchaseConfirmation(uint32_t market, uint32_t itemIndex,
                                                                 uint32_t player)
{
    m_marketPurchaseConfirmationPacket.marketId = market;
    m_marketPurchaseConfirmationPacket.itemIndex = itemIndex;
    m_marketPurchaseConfirmationPacket.buyerId = player;
    SendOperation(NetOperation::S2C_MarketPurchaseConfirmation, m_marketPurchaseConfirmationPacket, player,
                  Here([&](Inbound& in) { in.S2C_MarketPurchaseConfirmation(market, itemIndex, player); }));
}

void GameEngineOutboundInterface::S2C_MarketPurchaseDenied(uint32_t market, uint32_t itemIndex, uint32_t player,
                                                           MarketItemStatus status)
{
    m_marketPurchaseDeniedPacket.marketId = market;
    m_marketPurchaseDeniedPacket.itemIndex = itemIndex;
    m_marketPurchaseDeniedPacket.buyerId = player;
    m_marketPurchaseDeniedPacket.status = status;
    SendOperation(NetOperation::S2C_MarketPurchaseDenied, m_marketPurchaseDeniedPacket, player,
                  Here([&](Inbound& in) { in.S2C_MarketPurchaseDenied(market, itemIndex, player, status); }));
}

void GameEngineOutboundInterface::S2C_MarketItemStatusUpdate(uint32_t market, uint32_t itemIndex,
                                                             MarketItemStatus status)
{
    m_marketStatusUpdatePacket.marketId = market;
    m_marketStatusUpdatePacket.itemIndex = itemIndex;
    m_marketStatusUpdatePacket.status = status;
    SendOperation(NetOperation::S2C_MarketItemStatusUpdate, m_marketStatusUpdatePacket, 0,
                  Here([&](Inbound& in) { in.S2C_MarketItemStatusUpdate(market, itemIndex, status); }));
}

void GameEngineOutboundInterface::C2S_MarketPurchaseRequest(uint32_t market, uint32_t level, uint32_t seed,
                                                            uint32_t itemIndex, uint32_t player)
{
    FillMarketRequest(m_marketPurchaseRequestPacket, market, level, seed, itemIndex, player);
    SendOperation(NetOperation::C2S_MarketPurchaseRequest, m_marketPurchaseRequestPacket, 0,
                  Here([&](Inbound& in) { in.C2S_MarketPurchaseRequest(market, level, seed, itemIndex, player); }));
}

void GameEngineOutboundInterface::C2S_MarketSellBack(uint32_t market, uint32_t level, uint32_t seed,
                                                     uint32_t itemIndex, uint32_t player)
{
    FillMarketRequest(m_marketSellBackPacket, market, level, seed, itemIndex, player);
    SendOperation(NetOperation::C2S_MarketSellBack, m_marketSellBackPacket, 0,
                  Here([&](Inbound& in) { in.C2S_MarketSellBack(market, level, seed, itemIndex, player); }));
}

void GameEngineOutboundInterface::C2S_MarketUpdateRequest(uint32_t market)
{
    m_marketUpdateRequestPacket.marketId = market;
    SendOperation(NetOperation::C2S_MarketUpdateRequest, m_marketUpdateRequestPacket, 0,
                  Here([&](Inbound& in) { in.C2S_MarketUpdateRequest(market); }));
}

// ---- Messages and chat ------------------------------------------------------------------

void GameEngineOutboundInterface::DisplayMessageRemote(uint32_t toPlayer, uint32_t aboutPlayer, bool asNotification,
                                                       const std::string& textTag)
{
    m_remoteMessagePacket.receiver = toPlayer;
    m_remoteMessagePacket.optionalInsert = aboutPlayer;
    m_remoteMessagePacket.asBubble = asNotification;
    m_remoteMessagePacket.textTag = textTag;
    SendOperation(NetOperation::DisplayMessageRemote, m_remoteMessagePacket, toPlayer,
                  Here([&](Inbound& in) {
                      in.DisplayMessageRemote(toPlayer, aboutPlayer, asNotification, textTag);
                  }));
}

void GameEngineOutboundInterface::DisplayWMessageRemote(uint32_t toPlayer, bool asNotification,
                                                        const std::u16string& text)
{
    m_remoteWMessagePacket.receiver = toPlayer;
    m_remoteWMessagePacket.asBubble = asNotification;
    m_remoteWMessagePacket.text = text;
    SendOperation(NetOperation::DisplayWMessageRemote, m_remoteWMessagePacket, toPlayer,
                  Here([&](Inbound& in) { in.DisplayWMessageRemote(toPlayer, asNotification, text); }));
}

void GameEngineOutboundInterface::HandleChatMessage(const std::u16string& sender, const std::u16string& text,
                                                    unsigned char kind, std::vector<uint32_t> recipients)
{
    m_chatPacket.sender = sender;
    m_chatPacket.text = text;
    m_chatPacket.kind = kind;
    m_chatPacket.recipients = recipients;
    SendOperation(NetOperation::HandleChatMessage, m_chatPacket, 0,
                  Here([&](Inbound& in) { in.HandleChatMessage(sender, text, kind, std::move(recipients)); }));
}

// ---- Quest commands ---------------------------------------------------------------------

void GameEngineOutboundInterface::QuestCommandMove(uint32_t character, uint32_t value, WorldVec3 target, bool flag)
{
    FillQuestGo(m_questCommandMovePacket, character, value, target, flag);
    SendOperation(NetOperation::QuestCommandMove, m_questCommandMovePacket, 0,
                  Here([&](Inbound& in) { in.QuestCommandMove(character, value, target, flag); }));
}

void GameEngineOutboundInterface::QuestCommandWalk(uint32_t character, uint32_t value, WorldVec3 target, bool flag)
{
    FillQuestGo(m_questCommandWalkPacket, character, value, target, flag);
    SendOperation(NetOperation::QuestCommandWalk, m_questCommandWalkPacket, 0,
                  Here([&](Inbound& in) { in.QuestCommandWalk(character, value, target, flag); }));
}

void GameEngineOutboundInterface::QuestCommandPlayAnimation(uint32_t character, uint32_t value, bool first,
                                                            bool second)
{
    m_questCommandPlayAnimationPacket.characterId = character;
    m_questCommandPlayAnimationPacket.animation = value;
    m_questCommandPlayAnimationPacket.looping = first;
    m_questCommandPlayAnimationPacket.allowInterruptions = second;
    SendOperation(NetOperation::QuestCommandPlayAnimation, m_questCommandPlayAnimationPacket, 0,
                  Here([&](Inbound& in) { in.QuestCommandPlayAnimation(character, value, first, second); }));
}

void GameEngineOutboundInterface::QuestCommandUseSkill(uint32_t character, const std::string& skillName,
                                                       uint32_t value, bool flag)
{
    m_questCommandUseSkillPacket.characterId = character;
    m_questCommandUseSkillPacket.targetId = value;
    m_questCommandUseSkillPacket.skillName = skillName;
    m_questCommandUseSkillPacket.allowInterruptions = flag;
    SendOperation(NetOperation::QuestCommandUseSkill, m_questCommandUseSkillPacket, 0,
                  Here([&](Inbound& in) { in.QuestCommandUseSkill(character, skillName, value, flag); }));
}

void GameEngineOutboundInterface::QuestCommandLockFixedItem(uint32_t fixedItem, bool locked)
{
    m_questCommandLockFixedItemPacket.objectId = fixedItem;
    m_questCommandLockFixedItemPacket.locked = locked;
    SendOperation(NetOperation::QuestCommandLockFixedItem, m_questCommandLockFixedItemPacket, 0,
                  Here([&](Inbound& in) { in.QuestCommandLockFixedItem(fixedItem, locked); }));
}

}  // namespace GAME
