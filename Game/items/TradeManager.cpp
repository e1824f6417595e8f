#include "Game/items/TradeManager.h"

namespace GAME {

void TradeManager::Update() {}

void TradeManager::HandleInitiateTradeInbound(uint32_t) {}
void TradeManager::HandleCancelTradeInbound(uint32_t) {}
void TradeManager::HandleFinalizeTradeInbound(uint32_t) {}
void TradeManager::HandleAddItemInbound(uint32_t, const Vec2&, const ItemReplicaInfo&) {}
void TradeManager::HandleRemoveItemInbound(uint32_t, uint32_t) {}
void TradeManager::HandleSetGoldAmountInbound(uint32_t, uint32_t) {}

bool TradeManager::HandleAddItemOutbound(const Vec2&, uint32_t) { return false; }

}  // namespace GAME
