#include "Game/core/GameEngineOutboundInterface.h"

// The packet classes of these operations are not part of the library yet: until they
// are, an operation sent to the other peers goes nowhere.

namespace GAME {

void GameEngineOutboundInterface::TradeInitiate(uint32_t, uint32_t) {}
void GameEngineOutboundInterface::TradeCancel(uint32_t, uint32_t) {}
void GameEngineOutboundInterface::TradeFinalize(uint32_t, uint32_t) {}
void GameEngineOutboundInterface::TradeAddItem(uint32_t, uint32_t, const Vec2&, const ItemReplicaInfo&) {}
void GameEngineOutboundInterface::TradeRemoveItem(uint32_t, uint32_t, uint32_t) {}
void GameEngineOutboundInterface::TradeSetGoldAmount(uint32_t, uint32_t, uint32_t) {}
void GameEngineOutboundInterface::GiveGoldToPlayer(uint32_t, int) {}
void GameEngineOutboundInterface::CreateItem(uint32_t, const WorldCoords&, const ItemReplicaInfo&, std::u16string*) {}
void GameEngineOutboundInterface::CreateEntity(const WorldCoords&, const std::string&, uint32_t) {}
void GameEngineOutboundInterface::CreateFixedItemTeleport(const WorldCoords&, uint32_t, uint32_t, const std::string&,
                                                          uint32_t)
{
}
void GameEngineOutboundInterface::DestroyFixedItemTeleport(uint32_t) {}
void GameEngineOutboundInterface::StoC_AllPlayersHeartbeat(const std::vector<PlayerNetHeartbeatInfo>&) {}
void GameEngineOutboundInterface::CtoS_SinglePlayerHeartbeat(const PlayerNetHeartbeatInfo&) {}
void GameEngineOutboundInterface::StoC_AllPlayersUpdate(const std::vector<PlayerNetBasicInfo>&) {}
void GameEngineOutboundInterface::CtoS_AddNewPlayer(const PlayerNetBasicInfo&) {}
void GameEngineOutboundInterface::HandleBonusToClient(const Bonus&, const uint32_t&) {}
void GameEngineOutboundInterface::HandleBonusToServer(const Bonus&, const WorldVec3&, const uint32_t&) {}
void GameEngineOutboundInterface::HandleQuestMessagePacket(uint32_t, bool, const std::vector<uint32_t>&, uint32_t) {}
void GameEngineOutboundInterface::AddPlayerToParty(uint32_t, int) {}
void GameEngineOutboundInterface::InvitePlayerToParty(uint32_t, int) {}
void GameEngineOutboundInterface::GameBalanceUpdate(int) {}
void GameEngineOutboundInterface::S2C_MarketUpdate(uint32_t, const std::string&, uint32_t, uint32_t,
                                                   const std::vector<uint32_t>&)
{
}
void GameEngineOutboundInterface::S2C_MarketPurchaseConfirmation(uint32_t, uint32_t, uint32_t) {}
void GameEngineOutboundInterface::S2C_MarketPurchaseDenied(uint32_t, uint32_t, uint32_t, MarketItemStatus) {}
void GameEngineOutboundInterface::S2C_MarketItemStatusUpdate(uint32_t, uint32_t, MarketItemStatus) {}
void GameEngineOutboundInterface::C2S_MarketPurchaseRequest(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void GameEngineOutboundInterface::C2S_MarketSellBack(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void GameEngineOutboundInterface::C2S_MarketUpdateRequest(uint32_t) {}
void GameEngineOutboundInterface::DisplayMessageRemote(uint32_t, uint32_t, bool, const std::string&) {}
void GameEngineOutboundInterface::DisplayWMessageRemote(uint32_t, bool, const std::u16string&) {}
void GameEngineOutboundInterface::HandleChatMessage(const std::u16string&, const std::u16string&, unsigned char,
                                                    std::vector<uint32_t>)
{
}
void GameEngineOutboundInterface::QuestCommandMove(uint32_t, uint32_t, WorldVec3, bool) {}
void GameEngineOutboundInterface::QuestCommandWalk(uint32_t, uint32_t, WorldVec3, bool) {}
void GameEngineOutboundInterface::QuestCommandPlayAnimation(uint32_t, uint32_t, bool, bool) {}
void GameEngineOutboundInterface::QuestCommandUseSkill(uint32_t, const std::string&, uint32_t, bool) {}
void GameEngineOutboundInterface::QuestCommandLockFixedItem(uint32_t, bool) {}

}  // namespace GAME
