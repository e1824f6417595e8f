// The network role of the game engine, the questions about the role and the players, and
// the game-wide steps that concern players: leaving, banning, inviting, broadcasting.
#include <iterator>

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/GameServices.h"
#include "Engine/Localization.h"
#include "Engine/NetworkShim.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Player.h"
#include "Game/core/ActivityManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEngineInboundInterface.h"
#include "Game/core/GameEngineOutboundInterface.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/core/NetworkRoute.h"
#include "Game/core/PartyManager.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/core/PlayerManagerServer.h"
#include "Game/network/PlayerRosterPackets.h"

namespace GAME {

namespace {

// The names of the game difficulties, by their value.
constexpr const char* kDifficultyNames[] = {"Normal", "Epic", "Legendary"};
constexpr const char* kInvalidDifficultyName = "Invalid";

// Shown to an inviter in no party yet, naming the invited player.
constexpr const char* kInviteSentTag = "tagInviteSend";

}  // namespace

void GameEngine::SetAsNetworkStub()
{
    m_networkRole = NetworkRole::Single;
    gEngine->GetNetworkShim()->SetRole(NetworkShim::Role_Off);
    ConnectionManager::Get().SetConnectionListener({});
    m_currentNetworkInterface = m_inboundInterface;
    m_currentClientServices = m_clientServices;
    m_currentServerServices = m_serverServices;
}

void GameEngine::SetAsNetworkServer()
{
    m_networkRole = NetworkRole::Server;
    gEngine->GetNetworkShim()->SetRole(NetworkShim::Role_Server);
    ConnectionManager::Get().SetLocalHostId(ConnectionManager::kServerHost);
    ConnectionManager::Get().SetConnectionListener([this](const NetConnectionEvent& e) { HandleConnectionEvent(e); });
    m_currentNetworkInterface = m_outboundInterface;
    m_currentClientServices = m_clientServices;
    m_currentServerServices = m_serverServices;
}

void GameEngine::SetAsNetworkClient()
{
    m_networkRole = NetworkRole::Client;
    gEngine->GetNetworkShim()->SetRole(NetworkShim::Role_Client);
    m_serverLost = false;
    ConnectionManager::Get().SetConnectionListener([this](const NetConnectionEvent& e) { HandleConnectionEvent(e); });
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

std::string GameEngine::GetGameDifficultyAsString(GameDifficulty difficulty)
{
    const auto index = static_cast<size_t>(difficulty);
    return index < std::size(kDifficultyNames) ? kDifficultyNames[index] : kInvalidDifficultyName;
}

std::u16string GameEngine::GetPlayerName(uint32_t playerId) const
{
    if (const PlayerManagerClient* players = GetPlayerManagerClient())
        for (const PlayerNetBasicInfo& record : players->GetPlayerInfoCache())
            if (record.playerId == playerId)
                return record.playerName;
    return std::u16string();
}

Player* GameEngine::GetHostPlayer(int hostId) const
{
    const PlayerManagerClient* players = GetPlayerManagerClient();
    const uint32_t playerId = players ? players->GetPlayerIdFromHostId(hostId) : 0;
    return playerId ? ObjectManager::Get().GetObject<Player>(playerId) : nullptr;
}

void GameEngine::GetPlayerInfo(PlayerInfo& out) const
{
    if (const PlayerManagerClient* players = GetPlayerManagerClient())
        players->GetPlayerInfo(out);
    out.gameDifficulty = static_cast<uint32_t>(GetGameDifficulty());
}

void GameEngine::SetGameBalanceLevel(int level)
{
    m_balanceDifficulty = static_cast<uint32_t>(level);
    AttributePak::SharedValuesChanged();
    GameEvent_GameBalanceLevel event;
    event.level = level;
    EventManager::Get().Send(event, "GameEvent_GameBalanceLevel");
}

// The host's players, as the roster knew them, go with it.
void GameEngine::RemovePlayerFromGame(int hostId)
{
    std::vector<uint32_t> leaving;
    if (const PlayerManagerClient* players = GetPlayerManagerClient()) {
        std::vector<uint32_t> everyone;
        players->GetAllPlayersInGame(everyone);
        for (uint32_t id : everyone)
            if (PlayerHostId(id) == hostId)
                leaving.push_back(id);
    }
    if (PlayerManagerServer* server = GetPlayerManagerServer())
        server->RemovePlayerFromGame(hostId);
    if (PlayerManagerClient* client = GetPlayerManagerClient())
        client->RemovePlayerFromGame(hostId);
    for (uint32_t id : leaving) {
        if (Player* player = ObjectManager::Get().GetObject<Player>(id))
            ObjectManager::Get().DestroyObjectEx(player, "GameEngine", __LINE__);
    }
}

void GameEngine::HandleConnectionEvent(const NetConnectionEvent& event)
{
    switch (event.kind) {
    case NetConnectionEvent::Joined:
        gEngine->Log(LOG_INFO, "Host %d connected", event.host);
        return;
    case NetConnectionEvent::Refused:
        gEngine->Log(LOG_WARNING, "Connection refused: %s", event.reason.c_str());
        return;
    case NetConnectionEvent::ServerLost:
        // The server closing the game is the normal end of a client's run; losing it is not.
        gEngine->Log(event.IsServerClosed() ? LOG_INFO : LOG_WARNING, "The server went away (%s); the game ends",
                     event.reason.c_str());
        m_serverLost = true;
        return;
    case NetConnectionEvent::Left:
    case NetConnectionEvent::TimedOut:
        break;
    }
    if (event.host <= ConnectionManager::kServerHost || event.host > ConnectionManager::kMaxHost) {
        gEngine->Log(LOG_WARNING, "Host %d cannot leave: no client has that number", event.host);
        return;
    }
    gEngine->Log(LOG_INFO, "Host %d %s (%s)", event.host,
                 event.kind == NetConnectionEvent::TimedOut ? "timed out" : "left", event.reason.c_str());
    RemovePlayerFromGame(event.host);
    if (m_networkRole != NetworkRole::Server)
        return;
    PlayerLeftPacket packet;
    packet.host = static_cast<uint32_t>(event.host);
    SendOperation(NetOperation::StoC_RemovePlayerFromGame, packet, 0, [] {});
}

void GameEngine::StoC_RemovePlayerFromGameInbound(int hostId)
{
    if (m_networkRole != NetworkRole::Client) {
        gEngine->Log(LOG_WARNING, "Host %d leaving ignored: only a client hears it from the server", hostId);
        return;
    }
    if (hostId <= ConnectionManager::kServerHost || hostId > ConnectionManager::kMaxHost ||
        hostId == ConnectionManager::Get().GetLocalHostId()) {
        gEngine->Log(LOG_WARNING, "Host %d cannot leave: no other client has that number", hostId);
        return;
    }
    gEngine->Log(LOG_INFO, "Host %d left the game", hostId);
    RemovePlayerFromGame(hostId);
}

void GameEngine::ExitPlayingMode()
{
    if (PlayerManagerServer* server = GetPlayerManagerServer())
        server->Clear();
    if (PlayerManagerClient* client = GetPlayerManagerClient())
        client->Clear();
    ClearPetList();
    AmbianceManager::Get().Reset();
    {
        CriticalSectionLock lock(m_proxyPoolLock);
        m_heroAndBossProxies.clear();
    }
    m_teleports.clear();
    ActivityManager::Get()->Clear();
    m_camera.ResetToDefaults(true);
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

// An inviter alone is told that the invitation went out; an inviter with a party has its
// members told.
void GameEngine::InvitePlayerToParty(uint32_t playerId, int partyId)
{
    if (m_partyManager->GetNumInPlayersParty(GetPlayerId()) == 1)
        DisplayMessageRemote(GetPlayerId(), playerId, true, kInviteSentTag);
    else
        m_partyManager->MessagePlayerInvited(partyId, playerId);
    m_partyManager->NoteInvitation(playerId, static_cast<uint32_t>(partyId));
    if (GameEngineNetworkInterface* network = GetNetworkInterface())
        network->InvitePlayerToParty(playerId, partyId);
}

void GameEngine::BroadcastMessageRemote(uint32_t aboutPlayer, bool asNotification, const std::string& textTag)
{
    const PlayerManagerClient* players = GetPlayerManagerClient();
    if (!players)
        return;
    // A copy: applying a message may change the roster.
    const std::vector<PlayerNetBasicInfo> roster = players->GetPlayerInfoCache();
    for (const PlayerNetBasicInfo& record : roster)
        DisplayMessageRemote(record.playerId, aboutPlayer, asNotification, textTag);
}

}  // namespace GAME
