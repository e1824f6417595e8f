// One merchant's shop as this peer's player sees it, kept by the client services module
// under the merchant's object id. It rebuilds the stock from the key the market server
// sends and answers the server's verdicts on purchases.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/Math.h"
#include "Game/core/foundation/GameTextLine.h"
#include "Game/items/ItemReplicaInfo.h"
#include "Game/items/ItemTypes.h"
#include "Game/items/MarketItemStatus.h"
#include "Game/items/market/MarketMiniMart.h"

namespace GAME {

class GameEngineClientServicesModule;
class InventorySack;

class MarketClient {
public:
    MarketClient(GameEngineClientServicesModule* owner, uint32_t merchantId);
    virtual ~MarketClient() = default;
    MarketClient(const MarketClient&) = delete;
    MarketClient& operator=(const MarketClient&) = delete;

    GameEngineClientServicesModule* GetOwner() const { return m_owner; }
    uint32_t GetMerchantId() const { return m_merchantId; }
    void Update(int ms);

    // The market server's messages.
    void S2C_MarketUpdate(const std::string& marketRecord, uint32_t level, uint32_t seed,
                          const std::vector<uint32_t>& unavailable);

    // The stock generators' identities, waiting to become items. `marketType` is the
    // generator's kind; the queues do not use it.
    void QueueGeneratedItem(const ItemReplicaInfo& info, int32_t marketType);
    void QueueStaticItem(const ItemReplicaInfo& info, int32_t marketType);
    const std::vector<ItemReplicaInfo>& GetGeneratedQueue() const { return m_generatedQueue; }
    const std::vector<ItemReplicaInfo>& GetStaticQueue() const { return m_staticQueue; }
    void S2C_MarketPurchaseConfirmation(uint32_t itemIndex, uint32_t player);
    void S2C_MarketPurchaseDenied(uint32_t itemIndex, uint32_t player, MarketItemStatus status);
    void S2C_MarketItemStatusUpdate(uint32_t itemIndex, MarketItemStatus status);

    // The user interface's operations, reached through the game engine's forwarders.
    // `page` 1 to 4 selects its own page; any other value the buy-back page.
    void OpenMarket(Market_TypeEnum& page, const Vec2& position);
    void CloseMarket();
    InventorySack* GetInventorySack(Market_TypeEnum page);
    const InventorySack* GetInventorySack(Market_TypeEnum page) const;
    MarketItemStatus GetMarketItemStatus(uint32_t itemId) const;
    bool GetIsItemAffordable(uint32_t itemId) const;
    bool PlayerPurchaseRequest(uint32_t itemId);
    bool PlayerSaleRequest(uint32_t itemId, bool silent);
    void CreateUIPlayerBuyText(uint32_t itemId, std::vector<GameTextLine>& lines) const;
    void CreateUIPlayerSellText(uint32_t itemId, std::vector<GameTextLine>& lines) const;

private:
    GameEngineClientServicesModule* m_owner;
    uint32_t m_merchantId;
    std::vector<ItemReplicaInfo> m_generatedQueue;
    std::vector<ItemReplicaInfo> m_staticQueue;
};

}  // namespace GAME
