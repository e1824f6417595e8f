// Player-to-player trade.
#pragma once

#include <cstdint>

#include "Engine/Math.h"

namespace GAME {

struct ItemReplicaInfo;

class TradeManager {
public:
    void Update();

    // A trade step taken by the other player, received here.
    void HandleInitiateTradeInbound(uint32_t player);
    void HandleCancelTradeInbound(uint32_t player);
    void HandleFinalizeTradeInbound(uint32_t player);
    void HandleAddItemInbound(uint32_t player, const Vec2& place, const ItemReplicaInfo& item);
    void HandleRemoveItemInbound(uint32_t player, uint32_t itemId);
    void HandleSetGoldAmountInbound(uint32_t player, uint32_t amount);

    // The local player offers the item at the trade window's grid position; false when
    // no trade takes it (none is running yet).
    bool HandleAddItemOutbound(const Vec2& position, uint32_t itemId);
};

}  // namespace GAME
