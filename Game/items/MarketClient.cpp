#include "Game/items/MarketClient.h"

namespace GAME {

MarketClient::MarketClient(GameEngineClientServicesModule* owner, uint32_t merchantId)
    : m_owner(owner), m_merchantId(merchantId)
{
}

void MarketClient::Update(int) {}

void MarketClient::QueueGeneratedItem(const ItemReplicaInfo& info, int32_t)
{
    m_generatedQueue.push_back(info);
}

void MarketClient::QueueStaticItem(const ItemReplicaInfo& info, int32_t)
{
    m_staticQueue.push_back(info);
}

void MarketClient::S2C_MarketUpdate(const std::string&, uint32_t, uint32_t, const std::vector<uint32_t>&) {}
void MarketClient::S2C_MarketPurchaseConfirmation(uint32_t, uint32_t) {}
void MarketClient::S2C_MarketPurchaseDenied(uint32_t, uint32_t, MarketItemStatus) {}
void MarketClient::S2C_MarketItemStatusUpdate(uint32_t, MarketItemStatus) {}

void MarketClient::OpenMarket(Market_TypeEnum&, const Vec2&) {}
void MarketClient::CloseMarket() {}
InventorySack* MarketClient::GetInventorySack(Market_TypeEnum)
{
    return nullptr;
}
const InventorySack* MarketClient::GetInventorySack(Market_TypeEnum) const
{
    return nullptr;
}
MarketItemStatus MarketClient::GetMarketItemStatus(uint32_t) const
{
    return MarketItemStatus_NotInMarket;
}
bool MarketClient::GetIsItemAffordable(uint32_t) const
{
    return false;
}
bool MarketClient::PlayerPurchaseRequest(uint32_t)
{
    return false;
}
bool MarketClient::PlayerSaleRequest(uint32_t, bool)
{
    return false;
}
void MarketClient::CreateUIPlayerBuyText(uint32_t, std::vector<GameTextLine>&) const {}
void MarketClient::CreateUIPlayerSellText(uint32_t, std::vector<GameTextLine>&) const {}

}  // namespace GAME
