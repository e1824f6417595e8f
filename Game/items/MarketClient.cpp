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

}  // namespace GAME
