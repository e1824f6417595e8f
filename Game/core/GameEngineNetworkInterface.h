// The game-wide operations that travel between peers. The single-player role applies them
// at once through the inbound interface; the client and server roles send them through
// the outbound one. Callers never keep an interface: they ask the game engine (or their
// services module) for the active one at every call, so a role change takes effect at
// the next operation.
//
// Player ids carry the id of their network host in their top 4 bits.
//
// Each interface owns one packet per operation; the outbound one fills it and sends it,
// and keeps it for the next call, so a member packet holds what was last sent.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/ChatPacket.h"
#include "Engine/Math.h"
#include "Engine/World.h"
#include "Game/items/ItemTypes.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/network/GoldBonusPartyPackets.h"
#include "Game/network/ItemTradePackets.h"
#include "Game/network/PlayerRosterPackets.h"
#include "Game/network/QuestPackets.h"

namespace GAME {

struct Bonus;
struct ItemReplicaInfo;
struct PlayerNetBasicInfo;
struct PlayerNetHeartbeatInfo;

class GameEngineNetworkInterface {
public:
    virtual ~GameEngineNetworkInterface() = default;

    // Trade steps, from the player who takes them to their partner.
    virtual void TradeInitiate(uint32_t fromPlayer, uint32_t toPlayer) = 0;
    virtual void TradeCancel(uint32_t fromPlayer, uint32_t toPlayer) = 0;
    virtual void TradeFinalize(uint32_t fromPlayer, uint32_t toPlayer) = 0;
    virtual void TradeAddItem(uint32_t fromPlayer, uint32_t toPlayer, const Vec2& place,
                              const ItemReplicaInfo& item) = 0;
    virtual void TradeRemoveItem(uint32_t fromPlayer, uint32_t toPlayer, uint32_t itemId) = 0;
    virtual void TradeSetGoldAmount(uint32_t fromPlayer, uint32_t toPlayer, uint32_t amount) = 0;
    // A positive amount is given, anything else taken.
    virtual void GiveGoldToPlayer(uint32_t player, int amount) = 0;

    // Creates an item for a character (receiver 0: dropped into the world at `where`);
    // `nameOut`, when given, receives the item's description on this machine.
    virtual void CreateItem(uint32_t receiver, const WorldCoords& where, const ItemReplicaInfo& item,
                            std::u16string* nameOut) = 0;
    virtual void CreateEntity(const WorldCoords& where, const std::string& recordName, uint32_t objectId) = 0;
    virtual void CreateFixedItemTeleport(const WorldCoords& where, uint32_t owner, uint32_t teleportId,
                                         const std::string& recordName, uint32_t target) = 0;
    virtual void DestroyFixedItemTeleport(uint32_t teleportId) = 0;

    // The roster: heartbeats and basic records.
    virtual void StoC_AllPlayersHeartbeat(const std::vector<PlayerNetHeartbeatInfo>& heartbeats) = 0;
    virtual void CtoS_SinglePlayerHeartbeat(const PlayerNetHeartbeatInfo& heartbeat) = 0;
    virtual void StoC_AllPlayersUpdate(const std::vector<PlayerNetBasicInfo>& players) = 0;
    virtual void CtoS_AddNewPlayer(const PlayerNetBasicInfo& player) = 0;

    // Rewards: the host's share for one player, and a reward earned on a peer.
    virtual void HandleBonusToClient(const Bonus& bonus, const uint32_t& player) = 0;
    virtual void HandleBonusToServer(const Bonus& bonus, const WorldVec3& where, const uint32_t& player) = 0;

    virtual void HandleQuestMessagePacket(uint32_t sender, bool isConditionSet, const std::vector<uint32_t>& message,
                                          uint32_t value) = 0;

    virtual void AddPlayerToParty(uint32_t player, int party) = 0;
    virtual void InvitePlayerToParty(uint32_t player, int party) = 0;
    virtual void GameBalanceUpdate(int level) = 0;

    // Markets: the host's answers to the peers, then the peers' requests to the host.
    virtual void S2C_MarketUpdate(uint32_t market, const std::string& marketRecord, uint32_t level, uint32_t seed,
                                  const std::vector<uint32_t>& unavailable) = 0;
    virtual void S2C_MarketPurchaseConfirmation(uint32_t market, uint32_t itemIndex, uint32_t player) = 0;
    virtual void S2C_MarketPurchaseDenied(uint32_t market, uint32_t itemIndex, uint32_t player,
                                          MarketItemStatus status) = 0;
    virtual void S2C_MarketItemStatusUpdate(uint32_t market, uint32_t itemIndex, MarketItemStatus status) = 0;
    virtual void C2S_MarketPurchaseRequest(uint32_t market, uint32_t level, uint32_t seed, uint32_t itemIndex,
                                           uint32_t player) = 0;
    virtual void C2S_MarketSellBack(uint32_t market, uint32_t level, uint32_t seed, uint32_t itemIndex,
                                    uint32_t player) = 0;
    virtual void C2S_MarketUpdateRequest(uint32_t market) = 0;

    // Messages shown to one player: a text tag naming another player (0: none), or a
    // ready text. The addressee only routes the message.
    virtual void DisplayMessageRemote(uint32_t toPlayer, uint32_t aboutPlayer, bool asNotification,
                                      const std::string& textTag) = 0;
    virtual void DisplayWMessageRemote(uint32_t toPlayer, bool asNotification, const std::u16string& text) = 0;
    virtual void HandleChatMessage(const std::u16string& sender, const std::u16string& text, unsigned char kind,
                                   std::vector<uint32_t> recipients) = 0;

    // A quest's commands to a character or a fixed item.
    virtual void QuestCommandMove(uint32_t character, uint32_t value, WorldVec3 target, bool flag) = 0;
    virtual void QuestCommandWalk(uint32_t character, uint32_t value, WorldVec3 target, bool flag) = 0;
    virtual void QuestCommandPlayAnimation(uint32_t character, uint32_t value, bool first, bool second) = 0;
    virtual void QuestCommandUseSkill(uint32_t character, const std::string& skillName, uint32_t value,
                                      bool flag) = 0;
    virtual void QuestCommandLockFixedItem(uint32_t fixedItem, bool locked) = 0;

protected:
    // In this order of construction; copied member by member with the interface.
    CreateItemPacket m_createItemPacket;
    CreateEntityPacket m_createEntityPacket;
    CreateItemTeleportPacket m_createItemTeleportPacket;
    DestroyItemTeleportPacket m_destroyItemTeleportPacket;
    QuestMessagePacket m_questMessagePacket;
    AllPlayersHeartbeatPacket m_allPlayersHeartbeatPacket;
    SinglePlayerHeartbeatPacket m_singlePlayerHeartbeatPacket;
    SinglePlayerBasicInfoPacket m_singlePlayerBasicInfoPacket;
    AllPlayersBasicInfoPacket m_allPlayersBasicInfoPacket;
    InvitePartyConfigCmdPacket m_invitePartyPacket;
    BonusToClientPacket m_bonusToClientPacket;
    BonusToServerPacket m_bonusToServerPacket;
    JoinPartyConfigCmdPacket m_joinPartyPacket;
    GameBalanceUpdatePacket m_gameBalanceUpdatePacket;
    MarketS2CUpdatePacket m_marketUpdatePacket;
    MarketS2CStatusUpdatePacket m_marketStatusUpdatePacket;
    MarketS2CPurchaseConfirmationPacket m_marketPurchaseConfirmationPacket;
    MarketS2CPurchaseDeniedPacket m_marketPurchaseDeniedPacket;
    MarketC2SUpdateRequestPacket m_marketUpdateRequestPacket;
    MarketC2SSellBackPacket m_marketSellBackPacket;
    MarketC2SPurchaseRequestPacket m_marketPurchaseRequestPacket;
    QuestCommandMovePacket m_questCommandMovePacket;
    QuestCommandWalkPacket m_questCommandWalkPacket;
    QuestCommandPlayAnimationPacket m_questCommandPlayAnimationPacket;
    QuestCommandUseSkillPacket m_questCommandUseSkillPacket;
    QuestCommandLockFixedItemPacket m_questCommandLockFixedItemPacket;
    TradeInitiatePacket m_tradeInitiatePacket;
    TradeFinalizePacket m_tradeFinalizePacket;
    TradeCancelPacket m_tradeCancelPacket;
    TradeAddItemPacket m_tradeAddItemPacket;
    TradeRemoveItemPacket m_tradeRemoveItemPacket;
    TradeSetGoldPacket m_tradeSetGoldPacket;
    GiveGoldPacket m_giveGoldPacket;
    RemoteMessagePacket m_remoteMessagePacket;
    RemoteWMessagePacket m_remoteWMessagePacket;
    ChatPacket m_chatPacket;
};

}  // namespace GAME
