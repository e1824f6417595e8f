// The game-wide operations of the game engine: those that forward to the interface of
// the current role, those that send a packet of their own, and those it applies when a
// peer's packet arrives.
#include <memory>
#include <new>
#include <utility>

#include "Engine/Engine.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Game/core/ActivityManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEngineNetworkInterface.h"
#include "Game/core/NetworkRoute.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/core/PlayerManagerServer.h"
#include "Game/core/RespawnActivity.h"
#include "Game/core/TeleportActivity.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/network/ItemTradePackets.h"
#include "Game/network/NetworkRegionLoader.h"

namespace GAME {

// ---- Forwards to the current interface ---------------------------------------------

void GameEngine::CreateItem(const WorldCoords& coords, const ItemReplicaInfo& item)
{
    if (GameEngineNetworkInterface* network = GetNetworkInterface())
        network->CreateItem(0, coords, item, nullptr);
}

void GameEngine::CreateItemForCharacter(uint32_t characterId, const WorldCoords& coords, const ItemReplicaInfo& item,
                                        std::u16string* nameOut)
{
    if (GameEngineNetworkInterface* network = GetNetworkInterface())
        network->CreateItem(characterId, coords, item, nameOut);
}

void GameEngine::CreateEntity(const WorldCoords& coords, const std::string& recordName, uint32_t objectId)
{
    if (objectId == 0)
        objectId = ObjectManager::Get().CreateObjectID();
    if (GameEngineNetworkInterface* network = GetNetworkInterface())
        network->CreateEntity(coords, recordName, objectId);
}

void GameEngine::CreateFixedItemTeleport(const WorldCoords& coords, uint32_t ownerId, uint32_t portalId,
                                         const std::string& text, uint32_t target)
{
    if (GameEngineNetworkInterface* network = GetNetworkInterface())
        network->CreateFixedItemTeleport(coords, ownerId, portalId, text, target);
}

void GameEngine::DestroyFixedItemTeleport(uint32_t portalId)
{
    if (GameEngineNetworkInterface* network = GetNetworkInterface())
        network->DestroyFixedItemTeleport(portalId);
}

void GameEngine::HandleBonusToServerOutbound(const Bonus& bonus, const WorldVec3& where, uint32_t playerId)
{
    if (GameEngineNetworkInterface* network = GetNetworkInterface())
        network->HandleBonusToServer(bonus, where, playerId);
}

void GameEngine::AddPlayerToParty(uint32_t playerId, int partyId)
{
    if (GameEngineNetworkInterface* network = GetNetworkInterface())
        network->AddPlayerToParty(playerId, partyId);
}

void GameEngine::DisplayMessageRemote(uint32_t toPlayer, uint32_t aboutPlayer, bool asNotification,
                                      const std::string& textTag)
{
    if (GameEngineNetworkInterface* network = GetNetworkInterface())
        network->DisplayMessageRemote(toPlayer, aboutPlayer, asNotification, textTag);
}

void GameEngine::DisplayWMessageRemote(uint32_t toPlayer, bool asNotification, const std::u16string& text)
{
    if (GameEngineNetworkInterface* network = GetNetworkInterface())
        network->DisplayWMessageRemote(toPlayer, asNotification, text);
}

void GameEngine::SendQuestPacket(const std::vector<uint32_t>& message, uint32_t value, bool isConditionSet)
{
    if (GameEngineNetworkInterface* network = GetNetworkInterface())
        network->HandleQuestMessagePacket(GetPlayerId(), isConditionSet, message, value);
}

void GameEngine::SendChatMessage(const std::u16string& sender, const std::u16string& text, unsigned char kind,
                                 std::vector<uint32_t> recipients)
{
    if (GameEngineNetworkInterface* network = GetNetworkInterface())
        network->HandleChatMessage(sender, text, kind, std::move(recipients));
}

void GameEngine::QuestCommandMove(uint32_t characterId, uint32_t value, WorldVec3 target, bool flag)
{
    if (GameEngineNetworkInterface* network = GetNetworkInterface())
        network->QuestCommandMove(characterId, value, target, flag);
}

void GameEngine::QuestCommandWalk(uint32_t characterId, uint32_t value, WorldVec3 target, bool flag)
{
    if (GameEngineNetworkInterface* network = GetNetworkInterface())
        network->QuestCommandWalk(characterId, value, target, flag);
}

void GameEngine::QuestCommandPlayAnimation(uint32_t characterId, uint32_t value, bool first, bool second)
{
    if (GameEngineNetworkInterface* network = GetNetworkInterface())
        network->QuestCommandPlayAnimation(characterId, value, first, second);
}

void GameEngine::QuestCommandUseSkill(uint32_t characterId, const std::string& skillName, uint32_t value, bool flag)
{
    if (GameEngineNetworkInterface* network = GetNetworkInterface())
        network->QuestCommandUseSkill(characterId, skillName, value, flag);
}

void GameEngine::QuestCommandLockFixedItem(uint32_t fixedItemId, bool locked)
{
    if (GameEngineNetworkInterface* network = GetNetworkInterface())
        network->QuestCommandLockFixedItem(fixedItemId, locked);
}

void GameEngine::SendFixedItemTeleports(uint32_t target)
{
    // A copy: applying a portal on this machine changes the list.
    const std::vector<FixedItemTeleportInfo> teleports = m_teleports;
    for (const FixedItemTeleportInfo& info : teleports)
        CreateFixedItemTeleport(info.coords, info.ownerId, info.portalId, info.text, target);
}

// ---- Operations that send a packet of their own --------------------------------------
// Each builds its packet for one send and hands it to the connection manager along the
// operation's route; where the route has this machine apply it too (the host's own
// requests), the matching received-operation handler applies it here.

void GameEngine::SendPartyRequestResponse(uint32_t playerId, uint32_t inviterId, bool answer)
{
    PartyRequestResponsePacket packet;
    packet.recipient = inviterId;
    packet.accepted = answer;
    packet.sender = playerId;
    SendOperation(NetOperation::SendPartyRequestResponse, packet, 0,
                  [&] { RegisterPartyRequestResponse(playerId, answer); });
}

void GameEngine::CtoS_StartTeleportOutbound(uint32_t playerId, int x, int y, int z)
{
    StartTeleportPacket packet;
    packet.SetDestination(playerId, x, y, z);
    SendOperation(NetOperation::CtoS_StartTeleport, packet, 0, [&] { CtoS_StartTeleportInbound(playerId, x, y, z); });
}

void GameEngine::StoC_StartTeleportOutbound(uint32_t playerId, int x, int y, int z)
{
    StartTeleportPacket packet;
    packet.SetDestination(playerId, x, y, z);
    SendOperation(NetOperation::StoC_StartTeleport, packet, 0, [&] { StoC_StartTeleportInbound(playerId, x, y, z); });
}

// Every other player is told, one connection each; neither this machine's own player nor
// the one teleporting.
void GameEngine::ServerPropegateTeleport(uint32_t playerId, int x, int y, int z)
{
    const PlayerManagerClient* players = GetPlayerManagerClient();
    if (!players)
        return;
    StartTeleportPacket packet;
    packet.SetDestination(playerId, x, y, z);
    const uint32_t self = GetPlayerId();
    for (const PlayerNetBasicInfo& record : players->GetPlayerInfoCache())
        if (record.playerId != self && record.playerId != playerId)
            SendOperation(NetOperation::ServerPropegateTeleport, packet, record.playerId,
                          [&] { StoC_StartTeleportInbound(playerId, x, y, z); });
}

void GameEngine::CtoS_HandleNRLoaderStateChangeOutbound(uint32_t playerId, NRLoaderState state)
{
    NRLoaderStatePacket packet;
    packet.playerId = playerId;
    packet.state = state;
    SendOperation(NetOperation::CtoS_NRLoaderStateChange, packet, 0,
                  [&] { CtoS_HandleNRLoaderStateChangeInbound(playerId, state); });
}

void GameEngine::StoC_HandleNRLoaderStateChangeOutbound(uint32_t playerId, NRLoaderState state)
{
    NRLoaderStatePacket packet;
    packet.playerId = playerId;
    packet.state = state;
    SendOperation(NetOperation::StoC_NRLoaderStateChange, packet, 0,
                  [&] { StoC_HandleNRLoaderStateChangeInbound(playerId, state); });
}

void GameEngine::CtoS_InitiateServerRespawnLoaderOutbound(const WorldVec3& position)
{
    StartServerRespawnPacket packet;
    packet.playerId = GetPlayerId();
    packet.location = position;
    SendOperation(NetOperation::CtoS_InitiateServerRespawnLoader, packet, 0,
                  [&] { CtoS_StartServerRespawnInbound(packet.playerId, position); });
}

// ---- Received operations ---------------------------------------------------------------

void GameEngine::StoC_StartTeleportInbound(uint32_t playerId, int x, int y, int z)
{
    InstallTeleportActivity(playerId, x, y, z);
}

void GameEngine::CtoS_StartTeleportInbound(uint32_t playerId, int x, int y, int z)
{
    InstallTeleportActivity(playerId, x, y, z);
}

// The loader of the player, when it has one, takes the other end's state.
void GameEngine::CtoS_HandleNRLoaderStateChangeInbound(uint32_t playerId, NRLoaderState state)
{
    if (NetworkRegionLoaderBase* loader = FindNRLoader(playerId))
        loader->SetRemoteState(state);
}

void GameEngine::StoC_HandleNRLoaderStateChangeInbound(uint32_t playerId, NRLoaderState state)
{
    if (NetworkRegionLoaderBase* loader = FindNRLoader(playerId))
        loader->SetRemoteState(state);
}

// The server loads the regions around a client's respawn point for it. Who may ask is
// the route's to decide (only the client whose host owns the player); a client has no
// server loader to run.
void GameEngine::CtoS_StartServerRespawnInbound(uint32_t playerId, const WorldVec3& position)
{
    if (!IsServerOrSingle()) {
        NetPacketRegistry::DropHandled("Respawn loader", "for player %u ignored: only the server runs one", playerId);
        return;
    }
    try {
        auto activity = std::make_unique<RespawnNonLocalServerActivity>();
        activity->Set(position, playerId);
        ActivityManager::Get()->InstallActivity(activity.get());
        activity.release();
    } catch (const std::bad_alloc&) {
        gEngine->Log(LOG_ERROR, "Respawn loader for player %u not started: out of memory", playerId);
    }
}

void GameEngine::HandleBonusToServerInbound(const Bonus& bonus, const WorldVec3& where, uint32_t playerId)
{
    if (PlayerManagerServer* server = GetPlayerManagerServer())
        server->HandleBonus(bonus, where, playerId);
}

void GameEngine::CreateNetworkLoaderInbound(uint32_t playerId, const WorldVec3& position)
{
    NetworkRegionLoaderBase* loader = nullptr;
    if (!IsServerOrSingle())
        loader = new NRLoaderClient;
    else if (playerId == GetPlayerId())
        loader = new NRLoaderHost;
    else
        loader = new NRLoaderServer;
    loader->Initialize(position, playerId);
}

// ---- resp ----

// The activity is made and set (its loader with it) before anything is sent or
// installed, so that running out of memory on the way leaves no trace.
uint32_t GameEngine::StartRespawnForLocalPlayer(const WorldVec3& position)
{
    const bool client = !IsServerOrSingle();
    std::unique_ptr<RespawnActivityBase> activity;
    try {
        if (client)
            activity = std::make_unique<RespawnLocalClientActivity>();
        else
            activity = std::make_unique<RespawnLocalServerActivity>();
        activity->Set(position, GetPlayerId());
    } catch (const std::bad_alloc&) {
        activity.reset();
        gEngine->Log(LOG_ERROR, "Respawn of player %u not started: out of memory", GetPlayerId());
        return 0;
    }
    if (client)
        CtoS_InitiateServerRespawnLoaderOutbound(position);
    ActivityManager::Get()->FastInstallActivity(activity.get());
    return activity.release()->GetActivityId();
}

bool GameEngine::IsDeathLoaderActive(uint32_t activityId) const
{
    return ActivityManager::Get()->IsActivityActive(activityId);
}

// ---- end resp ----

// ---- Network region loaders ------------------------------------------------------------

NetworkRegionLoaderBase* GameEngine::CreateNetworkLoader(uint32_t playerId, const WorldVec3& position)
{
    NetworkRegionLoaderBase* loader = nullptr;
    if (IsServerOrSingle())
        loader = new NRLoaderServer;
    else
        loader = new NRLoaderClient;
    loader->Initialize(position, playerId);
    return loader;
}

void GameEngine::DestroyNetworkLoader(NetworkRegionLoaderBase* loader)
{
    delete loader;   // its destructor unregisters it
}

void GameEngine::RegisterNRLoader(uint32_t playerId, NetworkRegionLoaderBase* loader)
{
    m_networkRegionLoaders.emplace_back(loader, playerId);
}

void GameEngine::UnregisterNRLoader(NetworkRegionLoaderBase* loader)
{
    std::erase_if(m_networkRegionLoaders, [loader](const auto& entry) { return entry.first == loader; });
}

NetworkRegionLoaderBase* GameEngine::FindNRLoader(uint32_t playerId) const
{
    for (const auto& [loader, id] : m_networkRegionLoaders)
        if (id == playerId)
            return loader;
    return nullptr;
}

// Spawning is the engine's; these steps have nothing to do in the game rules.
void GameEngine::CreateNetworkLoaderOutbound(uint32_t, const WorldVec3&) {}
void GameEngine::DestroyNetworkLoaderInbound(uint32_t) {}
void GameEngine::DestroyNetworkLoaderOutbound(uint32_t) {}
void GameEngine::DefaultSpawn(uint32_t) {}
void GameEngine::HandleSpawnCharacter(uint32_t) {}
void GameEngine::HandleSpawnCharacter(uint32_t, uint32_t) {}
void GameEngine::HandleRespawnCharacter(uint32_t, uint32_t) {}
void GameEngine::InvokeSpawnCharacter(const std::string&) {}
void GameEngine::InvokeSpawnCharacter(const std::string&, uint32_t) {}

// ---- Teleports applied on this peer ------------------------------------------------------

// The kind by whose player it is (this machine's own or another) and which side this
// machine plays (the server, or alone, against a client).
void GameEngine::InstallTeleportActivity(uint32_t playerId, int x, int y, int z)
{
    const bool local = playerId == GetPlayerId();
    TeleportActivity* activity = nullptr;
    if (IsServerOrSingle())
        activity = local ? static_cast<TeleportActivity*>(new TeleportLocalServerActivity)
                         : new TeleportNonLocalServerActivity;
    else
        activity = local ? static_cast<TeleportActivity*>(new TeleportLocalClientActivity)
                         : new TeleportNonLocalClientActivity;
    activity->Set(x, y, z, playerId);
    ActivityManager::Get()->InstallActivity(activity);
}

void GameEngine::InitiatePlayerTeleport(int x, int y, int z) { InstallTeleportActivity(GetPlayerId(), x, y, z); }

}  // namespace GAME
