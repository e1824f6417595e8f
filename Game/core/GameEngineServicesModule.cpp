#include "Game/core/GameEngineServicesModule.h"

#include "Game/core/PlayerManagerClient.h"
#include "Game/core/PlayerManagerServer.h"

namespace GAME {

GameEngineClientServicesModule::GameEngineClientServicesModule() : m_playerManager(new PlayerManagerClient())
{
    m_playerManager->SetServicesModule(this);
}

GameEngineClientServicesModule::~GameEngineClientServicesModule() = default;

void GameEngineClientServicesModule::Update(int ms)
{
    m_playerManager->Update(ms);
}

void GameEngineServerServicesModuleBase::Update(int) {}

GameEngineServerServicesModule::GameEngineServerServicesModule() : m_playerManager(new PlayerManagerServer())
{
    m_playerManager->SetServicesModule(this);
}

GameEngineServerServicesModule::~GameEngineServerServicesModule() = default;

void GameEngineServerServicesModule::Update(int ms)
{
    m_playerManager->Update(ms);
}

}  // namespace GAME
