#include "Game/items/MarketServer.h"

namespace GAME {

MarketServer::MarketServer(GameEngineServerServicesModule* owner, uint32_t merchantId)
    : m_owner(owner), m_merchantId(merchantId)
{
}

void MarketServer::LoadFromMerchant() {}
void MarketServer::Update(int) {}

void MarketServer::ForceRefresh()
{
    m_refreshPending = true;
}

void MarketServer::C2S_MarketUpdateRequest() {}
void MarketServer::C2S_MarketPurchaseRequest(uint32_t, uint32_t, uint32_t, uint32_t) {}
void MarketServer::C2S_MarketSellBack(uint32_t, uint32_t, uint32_t, uint32_t) {}

}  // namespace GAME
