// Applies each game-wide operation on this machine: the active interface in the
// single-player role, and the operations a received packet is applied through.
#pragma once

#include "Game/core/GameEngineNetworkInterface.h"

namespace GAME {

class GameEngineInboundInterface : public GameEngineNetworkInterface {
public:
    void TradeInitiate(uint32_t fromPlayer, uint32_t toPlayer) override;
    void TradeCancel(uint32_t fromPlayer, uint32_t toPlayer) override;
    void TradeFinalize(uint32_t fromPlayer, uint32_t toPlayer) override;
    void TradeAddItem(uint32_t fromPlayer, uint32_t toPlayer, const Vec2& place, const ItemReplicaInfo& item) override;
    void TradeRemoveItem(uint32_t fromPlayer, uint32_t toPlayer, uint32_t itemId) override;
    void TradeSetGoldAmount(uint32_t fromPlayer, uint32_t toPlayer, uint32_t amount) override;
    void GiveGoldToPlayer(uint32_t player, int amount) override;
    void CreateItem(uint32_t receiver, const WorldCoords& where, const ItemReplicaInfo& item,
                    std::u16string* nameOut) override;
    void CreateEntity(const WorldCoords& where, const std::string& recordName, uint32_t objectId) override;
    // The drop point from which an item of that seed, dropped by CreateItem, appears at
    // `restingAt` and comes to rest there: how a peer is told of an item already lying there.
    static WorldCoords DropPointFor(const WorldCoords& restingAt, uint32_t seed);
    void CreateFixedItemTeleport(const WorldCoords& where, uint32_t owner, uint32_t teleportId,
                                 const std::string& recordName, uint32_t target) override;
    void DestroyFixedItemTeleport(uint32_t teleportId) override;
    void StoC_AllPlayersHeartbeat(const std::vector<PlayerNetHeartbeatInfo>& heartbeats) override;
    void CtoS_SinglePlayerHeartbeat(const PlayerNetHeartbeatInfo& heartbeat) override;
    void StoC_AllPlayersUpdate(const std::vector<PlayerNetBasicInfo>& players) override;
    void CtoS_AddNewPlayer(const PlayerNetBasicInfo& player) override;
    void HandleBonusToClient(const Bonus& bonus, const uint32_t& player) override;
    void HandleBonusToServer(const Bonus& bonus, const WorldVec3& where, const uint32_t& player) override;
    void HandleQuestMessagePacket(uint32_t sender, bool isConditionSet, const std::vector<uint32_t>& message,
                                  uint32_t value) override;
    void AddPlayerToParty(uint32_t player, int party) override;
    void InvitePlayerToParty(uint32_t player, int party) override;
    void GameBalanceUpdate(int level) override;
    void S2C_MarketUpdate(uint32_t market, const std::string& marketRecord, uint32_t level, uint32_t seed,
                          const std::vector<uint32_t>& unavailable) override;
    void S2C_MarketPurchaseConfirmation(uint32_t market, uint32_t itemIndex, uint32_t player) override;
    void S2C_MarketPurchaseDenied(uint32_t market, uint32_t itemIndex, uint32_t player,
                                  MarketItemStatus status) override;
    void S2C_MarketItemStatusUpdate(uint32_t market, uint32_t itemIndex, MarketItemStatus status) override;
    void C2S_MarketPurchaseRequest(uint32_t market, uint32_t level, uint32_t seed, uint32_t itemIndex,
                                   uint32_t player) override;
    void C2S_MarketSellBack(uint32_t market, uint32_t level, uint32_t seed, uint32_t itemIndex,
                            uint32_t player) override;
    void C2S_MarketUpdateRequest(uint32_t market) override;
    void DisplayMessageRemote(uint32_t toPlayer, uint32_t aboutPlayer, bool asNotification,
                              const std::string& textTag) override;
    void DisplayWMessageRemote(uint32_t toPlayer, bool asNotification, const std::u16string& text) override;
    void HandleChatMessage(const std::u16string& sender, const std::u16string& text, unsigned char kind,
                           std::vector<uint32_t> recipients) override;
    void QuestCommandMove(uint32_t character, uint32_t value, WorldVec3 target, bool flag) override;
    void QuestCommandWalk(uint32_t character, uint32_t value, WorldVec3 target, bool flag) override;
    void QuestCommandPlayAnimation(uint32_t character, uint32_t value, bool first, bool second) override;
    void QuestCommandUseSkill(uint32_t character, const std::string& skillName, uint32_t value, bool flag) override;
    void QuestCommandLockFixedItem(uint32_t fixedItem, bool locked) override;
};

}  // namespace GAME
