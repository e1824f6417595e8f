// The state of one item of a market's stock, as the market packets carry it.
#pragma once

#include <cstdint>

namespace GAME {

enum MarketItemStatus : uint32_t {
    MarketItemStatus_NotInMarket = 0,
    MarketItemStatus_OnSale = 1,
    MarketItemStatus_PurchasePending = 2,
    MarketItemStatus_Sold = 3,
};
inline constexpr MarketItemStatus kLastMarketItemStatus = MarketItemStatus_Sold;

// The most indices a merchant's shared stock has: the server refuses indices at or above
// it, a client lists no more generated items (all generators together) and reads no more
// sold indices.
inline constexpr uint32_t kMarketStockLimit = 600;

}  // namespace GAME
