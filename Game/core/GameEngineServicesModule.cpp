#include "Game/core/GameEngineServicesModule.h"

#include "Engine/Engine.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEngineNetworkInterface.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/core/PlayerManagerServer.h"
#include "Game/core/PlayerManagerSettings.h"
#include "Game/items/MarketClient.h"
#include "Game/items/MarketServer.h"

namespace GAME {

GameEngineClientServicesModule::GameEngineClientServicesModule() : m_playerManager(new PlayerManagerClient())
{
    m_playerManager->SetServicesModule(this);
}

// The market clients go first, then the player manager.
GameEngineClientServicesModule::~GameEngineClientServicesModule()
{
    m_marketClients.clear();
    m_playerManager.reset();
}

void GameEngineClientServicesModule::Update(int ms)
{
    for (auto& [market, client] : m_marketClients)
        client->Update(ms);
    m_playerManager->Update(ms);
}

MarketClient* GameEngineClientServicesModule::GetMarketClient(uint32_t market) const
{
    auto found = m_marketClients.find(market);
    return found == m_marketClients.end() ? nullptr : found->second.get();
}

void GameEngineClientServicesModule::CreateMarketClient(uint32_t market)
{
    if (!GetMarketClient(market))
        m_marketClients[market] = std::make_unique<MarketClient>(this, market);
}

void GameEngineClientServicesModule::DestroyMarketClient(uint32_t market)
{
    m_marketClients.erase(market);
}

void GameEngineServerServicesModuleBase::Update(int) {}

MarketServer* GameEngineServerServicesModuleBase::GetMarketServer(uint32_t)
{
    return nullptr;
}

void GameEngineServerServicesModuleBase::ForceMarketRefresh(uint32_t) {}

GameEngineServerServicesModule::GameEngineServerServicesModule() : m_playerManager(new PlayerManagerServer())
{
    m_playerManager->SetServicesModule(this);
}

// The market servers go first, then the player manager.
GameEngineServerServicesModule::~GameEngineServerServicesModule()
{
    m_marketServers.clear();
    m_playerManager.reset();
}

// The balance level grows with the number of players and the game difficulty; every
// peer is told when it changes.
void GameEngineServerServicesModule::Update(int ms)
{
    m_playerManager->Update(ms);
    const int difficulty = gGameEngine ? static_cast<int>(gGameEngine->GetGameDifficulty()) : 0;
    const int level = static_cast<int>(m_playerManager->GetNumberOfPlayers()) + kBalanceLevelsPerDifficulty * difficulty;
    if (level != m_balanceLevel) {
        m_balanceLevel = level;
        if (GameEngineNetworkInterface* network = GetNetworkInterface())
            network->GameBalanceUpdate(level);
    }
    for (auto& [market, server] : m_marketServers)
        server->Update(ms);
}

MarketServer* GameEngineServerServicesModule::GetMarketServer(uint32_t market)
{
    if (auto found = m_marketServers.find(market); found != m_marketServers.end())
        return found->second.get();
    const GameEngineClientServicesModule* level = gGameEngine ? gGameEngine->GetClientServices() : nullptr;
    if (!level || !level->GetMarketClient(market)) {
        gEngine->Log(LOG_WARNING, "GameEngineServerServicesModule: no merchant %u in the level; no market for it",
                     market);
        return nullptr;
    }
    std::unique_ptr<MarketServer>& slot = m_marketServers[market];
    slot = std::make_unique<MarketServer>(this, market);
    slot->LoadFromMerchant();
    return slot.get();
}

void GameEngineServerServicesModule::ForceMarketRefresh(uint32_t market)
{
    for (auto& [id, server] : m_marketServers)
        if (market == 0 || id == market)
            server->ForceRefresh();
}

}  // namespace GAME
