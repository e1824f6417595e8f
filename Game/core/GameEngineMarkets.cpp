// The game engine's market services: each request goes to this peer's market client of
// the market id, and is ignored when this peer has none.
#include "Game/core/GameEngine.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/items/MarketClient.h"
#include "Engine/Entity.h"

namespace GAME {

namespace {

MarketClient* ClientOf(const GameEngine& engine, uint32_t market)
{
    const GameEngineClientServicesModule* services = engine.GetClientServices();
    return services ? services->GetMarketClient(market) : nullptr;
}

}  // namespace

void GameEngine::CreateMarketClient(uint32_t market)
{
    if (GameEngineClientServicesModule* services = GetClientServices())
        services->CreateMarketClient(market);
}

void GameEngine::DestroyMarketClient(uint32_t market)
{
    if (GameEngineClientServicesModule* services = GetClientServices())
        services->DestroyMarketClient(market);
}

void GameEngine::ForceMarketRefresh(uint32_t market)
{
    if (GameEngineServerServicesModuleBase* services = GetServerServices())
        services->ForceMarketRefresh(market);
}

MarketItemStatus GameEngine::GetMarketItemStatus(uint32_t market, uint32_t item) const
{
    const MarketClient* client = ClientOf(*this, market);
    return client ? client->GetMarketItemStatus(item) : MarketItemStatus_NotInMarket;
}

InventorySack* GameEngine::GetMarketInventorySack(uint32_t market, Market_TypeEnum page)
{
    MarketClient* client = ClientOf(*this, market);
    return client ? client->GetInventorySack(page) : nullptr;
}

const InventorySack* GameEngine::GetMarketInventorySack(uint32_t market, Market_TypeEnum page) const
{
    const MarketClient* client = ClientOf(*this, market);
    return client ? client->GetInventorySack(page) : nullptr;
}

bool GameEngine::GetMarketIsItemAffordable(uint32_t market, uint32_t item) const
{
    const MarketClient* client = ClientOf(*this, market);
    return client && client->GetIsItemAffordable(item);
}

void GameEngine::OpenMarket(uint32_t market, Market_TypeEnum& page, const Vec2& position)
{
    if (MarketClient* client = ClientOf(*this, market))
        client->OpenMarket(page, position);
}

void GameEngine::CloseMarket(uint32_t market)
{
    if (MarketClient* client = ClientOf(*this, market))
        client->CloseMarket();
}

void GameEngine::CreateUIPlayerSellText(uint32_t market, uint32_t item, std::vector<GameTextLine>& lines) const
{
    if (const MarketClient* client = ClientOf(*this, market))
        client->CreateUIPlayerSellText(item, lines);
}

void GameEngine::CreateUIPlayerBuyText(uint32_t market, uint32_t item, std::vector<GameTextLine>& lines) const
{
    if (const MarketClient* client = ClientOf(*this, market))
        client->CreateUIPlayerBuyText(item, lines);
}

bool GameEngine::PlayerPurchaseRequest(uint32_t market, uint32_t item)
{
    MarketClient* client = ClientOf(*this, market);
    return client && client->PlayerPurchaseRequest(item);
}

bool GameEngine::PlayerSaleRequest(uint32_t market, uint32_t item, bool silent)
{
    MarketClient* client = ClientOf(*this, market);
    return client && client->PlayerSaleRequest(item, silent);
}

// Interface sounds play where the listener is.
void GameEngine::PlayMarketPurchaseSound()
{
    if (SoundPak* sound = GetMarketPurchaseSound())
        sound->Play(true);
}

void GameEngine::PlayMarketSaleSound()
{
    if (SoundPak* sound = GetMarketSaleSound())
        sound->Play(true);
}

}  // namespace GAME
