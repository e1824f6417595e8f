// The personal portals of the game engine: the list of portals known to this peer (one
// per owner), the main player's request for one, and the portal objects the host roles
// place in loaded regions.
#include <algorithm>

#include "Engine/Engine.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/Entity.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEngineNetworkInterface.h"

namespace GAME {

namespace {

constexpr const char* kPortalRecordName = "Records/Item/Teleporters/ArtifactShrine.dbr";
constexpr const char* kPortalDialogTag = "tagPortalDialog";

// A region that a reset unloaded stays allocated, so coordinates may still name it: the
// region counts as loaded only while the world holds it under its id.
bool IsRegionLoaded(const Region* region)
{
    return region && World::Get().GetRegionById(region->GetId()) == region;
}

}  // namespace

void GameEngine::CreateFixedItemTeleport()
{
    const Player* player = GetMainPlayer();
    if (!player || m_pendingPortal.pending)
        return;
    if (!MainPlayerHasPersonalTeleport()) {
        const uint32_t portalId = ObjectManager::Get().CreateObjectID();
        if (GameEngineNetworkInterface* network = GetNetworkInterface())
            network->CreateFixedItemTeleport(player->GetNearSpawnCoords(), GetPlayerId(), portalId, m_cinematicText,
                                             0);
        return;
    }
    // The player already owns a portal: a new one replaces it, so ask first.
    m_dialogManager.AddDialog(kDialogTypeYesNo, false, kPortalDialogParty, std::string(kPortalDialogTag), true, 0u,
                              true);
    const uint32_t portalId = ObjectManager::Get().CreateObjectID();
    SetPendingPortalRequest(player->GetNearSpawnCoords(), GetPlayerId(), portalId, m_cinematicText);
}

void GameEngine::CreateFixedItemTeleportNetHook(const WorldCoords& coords, uint32_t ownerId, uint32_t portalId,
                                                const std::string& text)
{
    // Id 0 names no object: the portal could be neither made under it nor told apart.
    if (portalId == 0) {
        NetPacketRegistry::DropHandled("Portal", "a portal of owner %u has id 0; ignored", ownerId);
        return;
    }
    if (GetTeleportInfo(portalId))
        return;
    RemovePortalsFor(ownerId);
    if (!m_droppedPortals.Admit(m_teleports.size(), kMaxKnownPortals))
        return;
    m_teleports.push_back(FixedItemTeleportInfo{portalId, ownerId, coords, text});

    if (!IsServerOrSingle() || !IsRegionLoaded(coords.GetRegion()))
        return;
    Entity* portal = ObjectManager::Get().CreateObjectFromFile<Entity>(kPortalRecordName, portalId);
    if (!portal) {
        gEngine->Log(LOG_WARNING, "Portal: %s could not be made as object %u", kPortalRecordName, portalId);
        return;
    }
    if (!World::Get().AddEntity(portal, coords))
        ObjectManager::Get().DestroyObjectEx(portal, __FILE__, __LINE__);
}

void GameEngine::DestroyFixedItemTeleportNetHook(uint32_t id)
{
    std::erase_if(m_teleports, [id](const FixedItemTeleportInfo& info) {
        return info.portalId == id || info.ownerId == id;
    });
}

void GameEngine::RemovePortalsFor(uint32_t ownerId)
{
    std::erase_if(m_teleports,
                  [ownerId](const FixedItemTeleportInfo& info) { return info.ownerId == ownerId; });
}

const FixedItemTeleportInfo* GameEngine::GetTeleportInfo(uint32_t portalId) const
{
    auto it = std::find_if(m_teleports.begin(), m_teleports.end(),
                           [portalId](const FixedItemTeleportInfo& info) { return info.portalId == portalId; });
    return it == m_teleports.end() ? nullptr : &*it;
}

bool GameEngine::HasFixedItemTeleport(uint32_t ownerId) const
{
    return std::any_of(m_teleports.begin(), m_teleports.end(),
                       [ownerId](const FixedItemTeleportInfo& info) { return info.ownerId == ownerId; });
}

ZonePage GameEngine::GetMainPlayersPersonalPortalZone() const
{
    const uint32_t playerId = GetPlayerId();
    for (const FixedItemTeleportInfo& info : m_teleports) {
        if (info.ownerId == playerId && IsRegionLoaded(info.coords.GetRegion()))
            return ZoneManager::Get().GetActFromRegion(info.coords.GetRegion());
    }
    return 0;
}

}  // namespace GAME
