// The network role of the game engine and the operations that only forward to the
// interface of the current role.
#include "Engine/EventManager.h"
#include "Engine/GameServices.h"
#include "Engine/Localization.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEngineInboundInterface.h"
#include "Game/core/GameEngineOutboundInterface.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/core/PlayerManagerServer.h"

namespace GAME {

void GameEngine::SetAsNetworkStub()
{
    m_currentNetworkInterface = m_inboundInterface;
    m_currentClientServices = m_clientServices;
    m_currentServerServices = m_serverServices;
}

void GameEngine::SetAsNetworkServer()
{
    m_currentNetworkInterface = m_outboundInterface;
    m_currentClientServices = m_clientServices;
    m_currentServerServices = m_serverServices;
}

void GameEngine::SetAsNetworkClient()
{
    m_currentNetworkInterface = m_outboundInterface;
    m_currentClientServices = m_clientServices;
    m_currentServerServices = m_nullServerServices;
}

GameEngineNetworkInterface* GameEngine::GetInboundNetworkInterface()
{
    return m_inboundInterface;
}

bool GameEngine::IsServerOrSingle() const
{
    return m_currentServerServices && m_currentServerServices->GetPlayerManager() != nullptr;
}

PlayerManagerClient* GameEngine::GetPlayerManagerClient() const
{
    return m_currentClientServices ? m_currentClientServices->GetPlayerManager() : nullptr;
}

PlayerManagerServer* GameEngine::GetPlayerManagerServer() const
{
    return m_currentServerServices ? m_currentServerServices->GetPlayerManager() : nullptr;
}

uint32_t GameEngine::GetPlayerId() const
{
    const PlayerManagerClient* players = GetPlayerManagerClient();
    return players ? players->GetMainPlayer() : 0;
}

GameDifficulty GameEngine::GetGameDifficulty() const
{
    return static_cast<GameDifficulty>(GameInfo::Get().GetGameDifficulty());
}

void GameEngine::SetGameDifficulty(GameDifficulty difficulty)
{
    GameInfo::Get().SetGameDifficulty(difficulty);
}

void GameEngine::CreateFixedItemTeleport(const WorldCoords& coords, uint32_t ownerId, uint32_t portalId,
                                         const std::string& text, uint32_t target)
{
    if (GameEngineNetworkInterface* network = GetNetworkInterface())
        network->CreateFixedItemTeleport(coords, ownerId, portalId, text, target);
}

void GameEngine::SetPendingPortalRequest(const WorldCoords& coords, uint32_t ownerId, uint32_t portalId,
                                         const std::string& text)
{
    m_pendingPortal.coords = coords;
    m_pendingPortal.ownerId = ownerId;
    m_pendingPortal.portalId = portalId;
    m_pendingPortal.text = text;
    m_pendingPortal.pending = true;
}

void GameEngine::BanPlayer(uint32_t playerId, bool ask)
{
    PlayerManagerClient* players = GetPlayerManagerClient();
    const std::u16string name = players ? players->GetPlayerName(playerId) : std::u16string();
    LocalizationManager& text = LocalizationManager::Instance();
    if (ask) {
        m_dialogManager.AddDialog(kYesNoDialogType, false, kBanDialogParty, text.Format("tagQuestionBan", name), true,
                                  true, true);
        m_pendingBan = playerId;
        return;
    }
    const std::u16string message = text.Format("tagMessageBan", name);
    std::vector<uint32_t> everyone;
    if (players)
        players->GetAllPlayersInGame(everyone);
    for (uint32_t other : everyone) {
        if (other == playerId)
            continue;
        if (GameEngineNetworkInterface* network = GetNetworkInterface())
            network->DisplayWMessageRemote(other, true, message);
    }
    if (players)
        players->BanPlayer(name);
}

}  // namespace GAME
