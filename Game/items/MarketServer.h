// The host's authority over one merchant's shared stock, kept by the server services
// module under the merchant's object id: the stock key every peer rebuilds the stock
// from, and who bought what.
#pragma once

#include <cstdint>

namespace GAME {

class GameEngineServerServicesModule;

class MarketServer {
public:
    MarketServer(GameEngineServerServicesModule* owner, uint32_t merchantId);
    virtual ~MarketServer() = default;
    MarketServer(const MarketServer&) = delete;
    MarketServer& operator=(const MarketServer&) = delete;

    GameEngineServerServicesModule* GetOwner() const { return m_owner; }
    uint32_t GetMerchantId() const { return m_merchantId; }
    // Reads the market record of the merchant.
    void LoadFromMerchant();
    void Update(int ms);
    // The next update draws a new stock key.
    void ForceRefresh();
    bool IsRefreshPending() const { return m_refreshPending; }

    // The peers' requests.
    void C2S_MarketUpdateRequest();
    void C2S_MarketPurchaseRequest(uint32_t level, uint32_t seed, uint32_t itemIndex, uint32_t player);
    void C2S_MarketSellBack(uint32_t level, uint32_t seed, uint32_t itemIndex, uint32_t player);

private:
    GameEngineServerServicesModule* m_owner;
    uint32_t m_merchantId;
    bool m_refreshPending = true;
};

}  // namespace GAME
